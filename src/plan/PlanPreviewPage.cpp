#include "PlanPreviewPage.h"

#include <QFileInfo>
#include <QHeaderView>

#include "PlanPreviewModel.h"
#include "PlanText.h"
#include "deployment/NetworkChange.h"
#include "discovery/PasswordBytes.h"
#include "ui_PlanPreviewPage.h"

namespace VexaTool {

PlanPreviewPage::PlanPreviewPage(QWidget* parent)
    : aptui::Widget(parent)
    , m_ui(std::make_unique<Ui::PlanPreviewPage>())
    , m_model(new PlanPreviewModel(this))
    , m_markedFilter(new QSortFilterProxyModel(this)) {
    m_ui->setupUi(this);
    m_markedFilter->setSourceModel(m_model);
    m_markedFilter->setFilterRole(PlanPreviewModel::RowMarkedRole);
    m_markedFilter->setFilterKeyColumn(PlanPreviewModel::ColumnLine);
    m_ui->m_tableViewPlan->setModel(m_markedFilter);
    m_ui->m_tableViewPlan->verticalHeader()->hide();
    m_ui->m_tableViewPlan->horizontalHeader()->setStretchLastSection(true);
    m_ui->m_labelPlanFileError->hide();
    m_ui->m_btnApplyPlan->setEnabled(false);
    connect(m_ui->m_checkBoxOnlyMarked, &QCheckBox::toggled, this, &PlanPreviewPage::onOnlyMarkedToggled);
    connect(m_ui->m_btnApplyPlan, &QPushButton::clicked, this, &PlanPreviewPage::signalApplyPlan);
    connect(m_ui->m_lineEditPlanPassword, &QLineEdit::textChanged, this, &PlanPreviewPage::updateApply);
    connect(m_ui->m_btnCancelPlan, &QPushButton::clicked, this, &PlanPreviewPage::signalCancelPlan);
}

PlanPreviewPage::~PlanPreviewPage() = default;

void PlanPreviewPage::setPlan(const QString& fileName, const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                              const std::vector<plan::PlanDevice>& devices) {
    m_ui->m_labelPlanFile->setText(QFileInfo(fileName).fileName());
    m_ui->m_labelPlanFile->setToolTip(fileName);
    m_model->setPlan(plan, check, devices);
    const QString fileError = PlanText::fileError(plan);
    m_ui->m_labelPlanFileError->setText(fileError);
    m_ui->m_labelPlanFileError->setVisible(!fileError.isEmpty());
    m_ui->m_labelPlanSummary->setText(summaryText());
    m_ready = fileError.isEmpty() && m_model->isReady();
    // Devices that sign in as a user get the run's login: the admin password is for the others only.
    std::vector<plan::PlanDevice> planned;
    for (const int device : check.deviceOfRow)
        if (device >= 0 && static_cast<std::size_t>(device) < devices.size())
            planned.push_back(devices[static_cast<std::size_t>(device)]);
    m_needsPassword = plan::Credentials::needAdminPassword(planned);
    // A refused plan cannot be applied, so there is nothing to type a password for.
    m_ui->m_lineEditPlanPassword->setEnabled(m_ready && m_needsPassword);
    updateApply();
    // Optional columns the plan leaves out would only show empty cells.
    for (const int column : {PlanPreviewModel::ColumnPort, PlanPreviewModel::ColumnHttpPort,
                             PlanPreviewModel::ColumnRtspPort, PlanPreviewModel::ColumnDhcp})
        m_ui->m_tableViewPlan->setColumnHidden(column, !plan.hasColumn(PlanPreviewModel::fieldOf(column)));
    m_ui->m_tableViewPlan->resizeColumnsToContents();
    // Long messages stay readable in full as tool tips.
    m_ui->m_tableViewPlan->setColumnWidth(PlanPreviewModel::ColumnCheck,
                                          qMin(m_ui->m_tableViewPlan->columnWidth(PlanPreviewModel::ColumnCheck), 380));
}

QString PlanPreviewPage::summaryText() const {
    const int rows = m_model->rowCount();
    if (!m_ui->m_labelPlanFileError->text().isEmpty())
        return tr("The plan cannot be read; nothing has been sent.");
    if (rows == 0)
        return tr("The plan has no rows.");
    const int marked = m_model->markedRowCount();
    if (marked == 0)
        return tr("%1 rows, all ready. Nothing has been sent yet.").arg(rows);
    return tr("%1 rows, %2 marked. Correct the marked rows in the file and open it again; nothing has been sent.")
        .arg(rows)
        .arg(marked);
}

bool PlanPreviewPage::needsPassword() const {
    return m_needsPassword;
}

QString PlanPreviewPage::adminPassword() const {
    return m_ui->m_lineEditPlanPassword->text();
}

void PlanPreviewPage::clearPassword() {
    m_ui->m_lineEditPlanPassword->clear();
}

bool PlanPreviewPage::applyEnabled() const {
    return m_ui->m_btnApplyPlan->isEnabled();
}

void PlanPreviewPage::updateApply() {
    // The same bound as everywhere a password is typed: refused here, before any device counts a wrong one.
    const QString password = m_ui->m_lineEditPlanPassword->text();
    const bool fits = VEXA::passwordBytes(password).has_value();
    m_ui->m_btnApplyPlan->setEnabled(m_ready && (!m_needsPassword || !password.isEmpty()) && fits);
    m_ui->m_labelPlanSummary->setText(fits ? summaryText()
                                           : tr("The password is too long: it may take at most 16 bytes, and a "
                                                "character outside ASCII takes more than one."));
}

void PlanPreviewPage::onOnlyMarkedToggled(bool onlyMarked) {
    m_markedFilter->setFilterFixedString(onlyMarked ? QStringLiteral("true") : QString());
}

} // namespace VexaTool
