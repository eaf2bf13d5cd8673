#pragma once

#include <functional>
#include <memory>

#include <QDialog>

#include "scan/ScanTally.h"

class QLabel;
class QPushButton;
class QTableView;

namespace Ui {
class ScanSummaryDialog;
}

namespace VexaTool {

class ScanResultModel;

// What a scan gave: how many addresses were found and, for the rest, how many for each reason; every address with
// its result, and "Export…" to a CSV file. GUI thread only.
class ScanSummaryDialog : public QDialog {
    Q_OBJECT

public:
    ScanSummaryDialog(const ScanTally& tally, const QString& ranges, const QString& note, QWidget* parent = nullptr);
    ~ScanSummaryDialog() override;

    // Writes the table as CSV to path, replacing a file there whole. False, with the reason shown, when it cannot.
    bool exportTo(const QString& path);
    // Replaces the file chooser of "Export…" (tests).
    void setFileChooser(std::function<QString()> chooser) { m_fileChooser = std::move(chooser); }

    ScanResultModel* model() const { return m_model; }
    QTableView* table() const;
    QPushButton* exportButton() const;
    QLabel* errorLabel() const;
    // The count shown beside a reason (VEXA_SCAN_*).
    QString countText(int reason) const;

private:
    void onExport();

    std::unique_ptr<Ui::ScanSummaryDialog> m_ui;
    ScanResultModel* m_model = nullptr;
    std::function<QString()> m_fileChooser;
};

} // namespace VexaTool
