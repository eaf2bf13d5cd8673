#pragma once

#include <memory>

#include <QDialog>
#include <QPointer>

#include "scan/RecentRanges.h"
#include "vexa.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace Ui {
class ScanRangesDialog;
}

namespace VexaTool {

class ScanRunner;
class ScanSummaryDialog;

// "Scan addresses…": asks the address ranges to scan (the field has focus; Return scans), how fast, and whether
// to ask over HTTP too; shows the recent ranges to scan again with a click, the progress with Stop, and what went
// wrong in words. A range holding public addresses is scanned only after the user confirms it. When a scan ends
// the summary opens. The devices found join the list while it runs. GUI thread only.
class ScanRangesDialog : public QDialog {
    Q_OBJECT

public:
    // recentPath empty: the recent ranges where the program keeps the files it writes.
    explicit ScanRangesDialog(QWidget* parent = nullptr, const QString& recentPath = QString());
    ~ScanRangesDialog() override;

    // Starts a scan of the field's ranges; the error line says why not.
    void startScan();
    // The parameters the form gives.
    VEXA_SCAN_PARAM parameters() const;

    ScanRunner* runner() const { return m_runner; }
    // The summary of the last scan, while it is open.
    ScanSummaryDialog* summary() const;
    const RecentRanges& recentRanges() const { return m_recent; }
    QLineEdit* rangesEdit() const;
    QListWidget* recentList() const;
    QPushButton* scanButton() const;
    QPushButton* stopButton() const;
    QLabel* errorLabel() const;
    QLabel* progressLabel() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start(bool allowPublic);
    void onProgress(quint64 done, quint64 total);
    void onFinished(quint32 code, const QString& detail);
    bool confirmPublic();
    void showError(const QString& text);
    void setRunning(bool running);
    void showRecent();
    void showSummary(const QString& note);

    std::unique_ptr<Ui::ScanRangesDialog> m_ui;
    ScanRunner* m_runner = nullptr;
    RecentRanges m_recent;
    QString m_ranges; // what the running scan scans
    bool m_allowPublic = false;
    bool m_closing = false;
    QPointer<ScanSummaryDialog> m_summary;
};

} // namespace VexaTool
