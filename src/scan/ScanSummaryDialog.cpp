#include "scan/ScanSummaryDialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>

#include "scan/ScanResultModel.h"
#include "ui_ScanSummaryDialog.h"
#include "vexa.h"

namespace VexaTool {

ScanSummaryDialog::ScanSummaryDialog(const ScanTally& tally, const QString& ranges, const QString& note,
                                     QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ScanSummaryDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->m_labelRanges->setText(tr("Scanned: %1").arg(ranges));
    m_ui->m_labelNote->setText(note);
    m_ui->m_labelNote->setVisible(!note.isEmpty());
    m_ui->m_labelError->setStyleSheet(QStringLiteral("color: #C0392B;"));
    m_ui->m_labelError->hide();
    QLabel* counts[ScanTally::kReasons] = {m_ui->m_labelFound, m_ui->m_labelNoAnswer, m_ui->m_labelPortClosed,
                                           m_ui->m_labelNotCamera, m_ui->m_labelRefused};
    for (int reason = 0; reason < ScanTally::kReasons; ++reason)
        counts[reason]->setText(QString::number(tally.count(reason)));

    m_model = new ScanResultModel(tally, this);
    QTableView* table = m_ui->m_tableAddresses;
    table->setModel(m_model);
    table->verticalHeader()->hide();
    // Rows are one line high; the view need not measure 65,534 of them.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(ScanResultModel::ColumnAddress, 160);
    // Those not found first: they are what the user came to read.
    table->sortByColumn(ScanResultModel::ColumnResult, Qt::DescendingOrder);

    m_fileChooser = [this] {
        return QFileDialog::getSaveFileName(this, tr("Export scan summary"), QStringLiteral("scan-summary.csv"),
                                            tr("CSV files (*.csv)"));
    };
    m_ui->m_btnExport->setEnabled(tally.size() > 0);
    connect(m_ui->m_btnExport, &QPushButton::clicked, this, &ScanSummaryDialog::onExport);
    connect(m_ui->m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

ScanSummaryDialog::~ScanSummaryDialog() = default;

QTableView* ScanSummaryDialog::table() const {
    return m_ui->m_tableAddresses;
}
QPushButton* ScanSummaryDialog::exportButton() const {
    return m_ui->m_btnExport;
}
QLabel* ScanSummaryDialog::errorLabel() const {
    return m_ui->m_labelError;
}

QString ScanSummaryDialog::countText(int reason) const {
    const QLabel* counts[ScanTally::kReasons] = {m_ui->m_labelFound, m_ui->m_labelNoAnswer, m_ui->m_labelPortClosed,
                                                 m_ui->m_labelNotCamera, m_ui->m_labelRefused};
    return reason >= 0 && reason < ScanTally::kReasons ? counts[reason]->text() : QString();
}

bool ScanSummaryDialog::exportTo(const QString& path) {
    const std::string text = m_model->tally().csv();
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
                    file.commit();
    m_ui->m_labelError->setText(ok ? QString() : tr("Not exported: %1 (%2)").arg(path, file.errorString()));
    m_ui->m_labelError->setVisible(!ok);
    return ok;
}

void ScanSummaryDialog::onExport() {
    const QString path = m_fileChooser ? m_fileChooser() : QString();
    if (!path.isEmpty())
        exportTo(path);
}

} // namespace VexaTool
