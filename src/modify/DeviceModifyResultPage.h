#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QVector>

#include "aptui/BaseDialog.h"
#include "deployment/Receipt.h"
#include "discovery/DeviceRecord.h"

class QLabel;
class QPushButton;
class QStandardItemModel;
class QUrl;

namespace Ui {
class DeviceModifyResultPage;
}

namespace VexaTool {

// The "Confirmation List" after a batch: every device of the batch with its outcome, and the counts of
// devices and failures. Made on the stack for one batch, filled once, run modally.
class DeviceModifyResultPage : public aptui::BaseDialog {
    Q_OBJECT

public:
    static constexpr const char* kOkIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_ok.png";
    static constexpr const char* kErrorIcon =
        ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_error.png";

    explicit DeviceModifyResultPage(QWidget* parent = nullptr);
    ~DeviceModifyResultPage() override;

    void setResultHeader(int column, const QString& text);
    void setCountCaption(const QString& text);
    void setFailureCaption(const QString& text);
    // Fills the table and appends the counts to the captions; once per dialog.
    void setEntries(const QVector<DeviceInfo>& entries);

    // What "Save receipt…" writes: one line per device (time, serial number, MAC, old and new address, name,
    // result). Without it the button is hidden.
    void setReceipt(std::vector<plan::ReceiptEntry> receipt);
    const std::vector<plan::ReceiptEntry>& receipt() const { return m_receipt; }
    // Writes the receipt to path; false, with the reason shown, when it cannot be written.
    bool saveReceipt(const QString& path);
    // Replaces the save-file chooser (tests).
    void setReceiptFileChooser(std::function<QString()> chooser) { m_receiptChooser = std::move(chooser); }
    // The receipt the run wrote by itself into the user's receipts folder, named under the table: "Receipts…"
    // opens that folder, the history of every batch and plan, or shows its path with a copy button when nothing
    // opens it. Empty: no such file, no button.
    void setReceiptHistory(const QString& path);
    // Replaces how the folder is opened (tests); it gets the folder's URL.
    void setFolderOpener(std::function<bool(const QUrl&)> opener) { m_folderOpener = std::move(opener); }

    QStandardItemModel* model() const { return m_model; }
    int failureCount() const { return m_failures; }

private:
    std::unique_ptr<Ui::DeviceModifyResultPage> m_ui;
    QStandardItemModel* m_model = nullptr;
    int m_failures = 0;
    std::vector<plan::ReceiptEntry> m_receipt;
    std::function<QString()> m_receiptChooser;
    std::function<bool(const QUrl&)> m_folderOpener;
    QPushButton* m_btnReceipts = nullptr;
    QPushButton* m_btnCopyFolder = nullptr;
    QLabel* m_labelReceiptPath = nullptr;
    QWidget* m_receiptRow = nullptr;
    QString m_historyPath;

    void onSaveReceipt();
    // "Receipts…": the folder in the file manager, or its path to copy when nothing opens it.
    void onOpenReceipts();
    QString receiptFolder() const;
};

} // namespace VexaTool
