#pragma once

#include <memory>

#include <QString>

#include "aptui/BaseDialog.h"

class QLabel;
class QtQrEncode;

namespace aptui {
class MultiStateLineEdit;
}

namespace Ui {
class ResetPasswordDialog;
}

namespace VexaTool {

// Resets the forgotten administrator password of one device by a key exchange with the manufacturer. Step 1
// hands out the device's key request (a file, or a QR code); step 2 takes the returned key (typed in, or a key
// file), the new password twice and, for some devices, "Reset IPC", and resets. Device calls run off the GUI
// thread; the form is disabled while one is under way. The caller runs exec() and destroys the dialog.
class ResetPasswordDialog : public aptui::BaseDialog {
    Q_OBJECT

public:
    // qrSupport: bit 0 of the device record's resetFlags (QR code, long key request);
    // ipcResetSupport: bit 7 of its supportFlags (shows "Reset IPC").
    ResetPasswordDialog(QWidget* parent, const QString& serialNo, bool qrSupport, bool ipcResetSupport);
    ~ResetPasswordDialog() override;

    // True while a device call is under way.

public slots:
    bool eventFilter(QObject* target, QEvent* qevent) override;
    void onMaualAutoChanged();
    void onExportFile();
    void onImportFile();
    void onResetPassword();
    void onNewPasswordTextChanged(const QString& strNewPassword);
    void onClearWarningInfo();
    void onClearFilePathError();
    void onGenerateQRcode();

private:
    void requestQrCode(bool reportFailure);
    void setBusy(bool busy);
    void warn(int kind, const QString& text, aptui::MultiStateLineEdit* field = nullptr, QLabel* hint = nullptr,
              bool tall = false);

    std::unique_ptr<Ui::ResetPasswordDialog> m_ui;
    std::unique_ptr<QtQrEncode> m_qrEncode;
    QString m_serialNo;
    bool m_qrSupport = false;
    bool m_ipcResetSupport = false;
};

} // namespace VexaTool
