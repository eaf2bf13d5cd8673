#pragma once

#include <functional>

#include <QDialog>
#include <QVector>

#include "discovery/DeviceRecord.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace VexaTool {

class InventoryRun;

// "Export inventory…": one row per device and media profile into a workbook (.xls) or a CSV file, for a video
// management system's import. The devices' reads run on InventoryRun's pool with progress and Stop; the file is
// built and written off the GUI thread, replaced whole or not at all. Never writes a password. GUI thread.
class InventoryDialog : public QDialog {
    Q_OBJECT

public:
    enum Format { Workbook, Csv };

    InventoryDialog(const QVector<VEXA_DEVICE_MY_INFO>& records, QWidget* parent = nullptr, int workers = 64);
    ~InventoryDialog() override;

    QLineEdit* fileEdit() const { return m_file; }
    QComboBox* formatBox() const { return m_format; }
    QCheckBox* userColumnBox() const { return m_userColumn; }
    QLineEdit* userEdit() const { return m_user; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* stopButton() const { return m_stop; }
    QLabel* statusLabel() const { return m_status; }
    QProgressBar* progressBar() const { return m_progress; }
    InventoryRun* run() const { return m_run; }
    // Replaces the save-file chooser of "Browse…" (tests).
    void setFileChooser(std::function<QString()> chooser) { m_chooser = std::move(chooser); }

    // The file's bytes for these rows (header first); empty when a workbook cannot hold them.
    static QByteArray fileData(Format format, const std::vector<std::string>& header,
                               const std::vector<std::vector<std::string>>& rows);

signals:
    // The file is written (true) or not (false: stopped or failed; statusLabel says why).
    void exportDone(bool written);

protected:
    void reject() override;

private:
    void onBrowse();
    void onExport();
    void onReadFinished(bool stopped);
    void onWritten(bool ok, const QString& error, int rows);
    void setBusy(bool busy);

    QVector<VEXA_DEVICE_MY_INFO> m_records;
    InventoryRun* m_run = nullptr;
    QLineEdit* m_file = nullptr;
    QComboBox* m_format = nullptr;
    QCheckBox* m_userColumn = nullptr;
    QLineEdit* m_user = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
    std::function<QString()> m_chooser;
    QString m_confirmedPath; // chosen in the file dialog, which asked before replacing it
    bool m_writing = false;
    bool m_closing = false; // closed while devices were read: goes once the reads under way return
};

} // namespace VexaTool
