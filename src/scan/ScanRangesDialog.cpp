#include "scan/ScanRangesDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include "outcome/ErrorText.h"
#include "scan/ScanRunner.h"
#include "scan/ScanSummaryDialog.h"
#include "ui_ScanRangesDialog.h"

namespace VexaTool {

ScanRangesDialog::ScanRangesDialog(QWidget* parent, const QString& recentPath)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ScanRangesDialog>())
    , m_runner(new ScanRunner(this))
    , m_recent(recentPath) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->m_labelError->setStyleSheet(QStringLiteral("color: #C0392B;"));
    m_ui->m_btnScan->setAccessibleName(tr("Scan"));
    m_ui->m_btnStop->setAccessibleName(tr("Stop scanning"));
    m_ui->m_btnClose->setAccessibleName(tr("Close"));
    // Return in the field scans; the buttons take no default, so one Return never starts two scans.
    connect(m_ui->m_editRanges, &QLineEdit::returnPressed, this, &ScanRangesDialog::startScan);
    connect(m_ui->m_editRanges, &QLineEdit::textEdited, this, [this] { showError(QString()); });
    connect(m_ui->m_btnScan, &QPushButton::clicked, this, &ScanRangesDialog::startScan);
    connect(m_ui->m_btnStop, &QPushButton::clicked, m_runner, &ScanRunner::stop);
    connect(m_ui->m_btnClose, &QPushButton::clicked, this, &ScanRangesDialog::reject);
    const auto rescan = [this](QListWidgetItem* item) {
        if (!item || m_runner->isRunning())
            return;
        m_ui->m_editRanges->setText(item->text());
        startScan();
    };
    connect(m_ui->m_listRecent, &QListWidget::itemClicked, this, rescan);
    connect(m_ui->m_listRecent, &QListWidget::itemActivated, this, rescan);
    connect(m_runner, &ScanRunner::progress, this, &ScanRangesDialog::onProgress);
    connect(m_runner, &ScanRunner::finished, this, &ScanRangesDialog::onFinished);
    m_recent.load();
    showRecent();
    setRunning(false);
    showError(QString());
}

ScanRangesDialog::~ScanRangesDialog() = default;

ScanSummaryDialog* ScanRangesDialog::summary() const {
    return m_summary;
}
QLineEdit* ScanRangesDialog::rangesEdit() const {
    return m_ui->m_editRanges;
}
QListWidget* ScanRangesDialog::recentList() const {
    return m_ui->m_listRecent;
}
QPushButton* ScanRangesDialog::scanButton() const {
    return m_ui->m_btnScan;
}
QPushButton* ScanRangesDialog::stopButton() const {
    return m_ui->m_btnStop;
}
QLabel* ScanRangesDialog::errorLabel() const {
    return m_ui->m_labelError;
}
QLabel* ScanRangesDialog::progressLabel() const {
    return m_ui->m_labelProgress;
}

void ScanRangesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_ui->m_editRanges->setFocus(Qt::OtherFocusReason);
    m_ui->m_editRanges->selectAll();
}

VEXA_SCAN_PARAM ScanRangesDialog::parameters() const {
    VEXA_SCAN_PARAM param{};
    param.rate = static_cast<uint32_t>(m_ui->m_spinRate->value());
    param.maxInFlight = static_cast<uint32_t>(m_ui->m_spinInFlight->value());
    param.timeCapMs = static_cast<uint32_t>(m_ui->m_spinTimeCap->value()) * 60000u;
    param.retries = 0xFF; // the library's own number of retries
    param.httpFallback = m_ui->m_checkHttpFallback->isChecked() ? 1 : 0;
    param.allowPublic = m_allowPublic ? 1 : 0;
    return param;
}

void ScanRangesDialog::startScan() {
    if (m_runner->isRunning())
        return;
    if (m_ui->m_editRanges->text().trimmed().isEmpty()) {
        showError(tr("Type the ranges to scan, for example 10.2.0.0/24."));
        return;
    }
    start(false);
}

void ScanRangesDialog::start(bool allowPublic) {
    m_ranges = m_ui->m_editRanges->text().trimmed();
    m_allowPublic = allowPublic;
    showError(QString());
    m_ui->m_progress->setRange(0, 0);
    m_ui->m_labelProgress->setText(tr("Starting…"));
    if (!m_runner->start(m_ranges, parameters())) {
        showError(errorText(VEXA_ERR_BUSY));
        return;
    }
    setRunning(true);
}

void ScanRangesDialog::onProgress(quint64 done, quint64 total) {
    // The bar counts in thousandths: a range of a million addresses overflows its int.
    m_ui->m_progress->setRange(0, 1000);
    m_ui->m_progress->setValue(total ? static_cast<int>(done * 1000 / total) : 0);
    m_ui->m_labelProgress->setText(
        tr("%1 of %2 addresses asked, %n found", nullptr, m_runner->tally().count(VEXA_SCAN_FOUND))
            .arg(done)
            .arg(total));
}

void ScanRangesDialog::onFinished(quint32 code, const QString& detail) {
    setRunning(false);
    m_ui->m_progress->setRange(0, 1000);
    if (m_closing) {
        m_closing = false;
        return;
    }
    if (code == VEXA_ERR_PUBLIC_RANGE && !m_allowPublic) {
        if (confirmPublic())
            start(true);
        else
            showError(tr("Not scanned: the ranges hold public addresses."));
        return;
    }
    if (code == VEXA_ERR_BAD_ARGUMENT) {
        showError(detail.isEmpty() ? tr("These are not address ranges. Write CIDR blocks (10.2.0.0/24), spans "
                                        "(10.2.0.10-10.2.0.50) or single addresses, separated by commas.")
                                   : tr("“%1” is not an address range. Write CIDR blocks (10.2.0.0/24), spans "
                                        "(10.2.0.10-10.2.0.50) or single addresses, separated by commas.")
                                         .arg(detail));
        return;
    }
    if (code != 0 && code != VEXA_ERR_TIMEOUT) {
        showError(errorText(code));
        return;
    }
    onProgress(m_runner->done(), m_runner->total());
    m_recent.add(m_ranges);
    if (!m_recent.save())
        showError(tr("The range could not be remembered: %1 cannot be written.").arg(m_recent.path()));
    showRecent();
    QString note;
    if (code == VEXA_ERR_TIMEOUT)
        note = tr("The time limit ended the scan: %1 of %2 addresses were asked.")
                   .arg(m_runner->done())
                   .arg(m_runner->total());
    else if (m_runner->stopRequested())
        note = tr("Stopped: %1 of %2 addresses were asked.").arg(m_runner->done()).arg(m_runner->total());
    showSummary(note);
}

bool ScanRangesDialog::confirmPublic() {
    QMessageBox box(QMessageBox::Warning, tr("Scan public addresses?"),
                    tr("The ranges hold public addresses, outside the private, link-local and loopback blocks. "
                       "Scanning addresses that are not your site's may be taken for an attack. Scan them anyway?"),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(tr("Scan public addresses"), QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    yes->setObjectName(QStringLiteral("m_btnScanPublic"));
    no->setObjectName(QStringLiteral("m_btnCancelPublic"));
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void ScanRangesDialog::showError(const QString& text) {
    m_ui->m_labelError->setText(text);
    m_ui->m_labelError->setVisible(!text.isEmpty());
}

void ScanRangesDialog::setRunning(bool running) {
    m_ui->m_editRanges->setReadOnly(running);
    m_ui->m_listRecent->setEnabled(!running);
    m_ui->m_groupAdvanced->setEnabled(!running);
    m_ui->m_btnScan->setEnabled(!running);
    m_ui->m_btnStop->setEnabled(running);
    m_ui->m_progress->setVisible(running || m_runner->total() > 0);
}

void ScanRangesDialog::showRecent() {
    m_ui->m_listRecent->clear();
    m_ui->m_listRecent->addItems(m_recent.list());
    m_ui->m_labelRecent->setVisible(!m_recent.list().isEmpty());
    m_ui->m_listRecent->setVisible(!m_recent.list().isEmpty());
}

void ScanRangesDialog::showSummary(const QString& note) {
    if (m_summary)
        m_summary->close();
    auto* summary = new ScanSummaryDialog(m_runner->tally(), m_ranges, note, this);
    summary->setAttribute(Qt::WA_DeleteOnClose);
    m_summary = summary;
    summary->show();
}

void ScanRangesDialog::reject() {
    // Closing while it scans stops the scan: nothing it does changes a device, so nothing is lost.
    if (m_runner->isRunning()) {
        m_closing = true;
        m_runner->stop();
    }
    QDialog::reject();
}

} // namespace VexaTool
