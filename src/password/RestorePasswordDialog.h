#pragma once

#include <memory>

#include <QString>

#include "aptui/BaseDialog.h"

namespace Ui {
class ResrotePasswordDialog;
}

namespace VexaTool {

// Recovers one device with the security code the manufacturer issued for it: the device takes the new password,
// typed twice and measured as in the reset dialog, in the same step. The device call runs off the GUI thread; the
// form is disabled while it is under way. The caller runs exec() and destroys the dialog.
class RestorePasswordDialog : public aptui::BaseDialog {
    Q_OBJECT

public:
    RestorePasswordDialog(QWidget* parent, const QString& serialNo);
    ~RestorePasswordDialog() override;

public slots:
    bool eventFilter(QObject* target, QEvent* qevent) override;
    void onRestorePassword();
    void onClearWarningInfo();
    void onNewPasswordTextChanged(const QString& password);

private:
    void setBusy(bool busy);

    std::unique_ptr<Ui::ResrotePasswordDialog> m_ui;
    QWidget* m_content = nullptr;
    QString m_serialNo;
};

} // namespace VexaTool
