// Draws the password recovery dialogs with the real skin and style and saves a picture of each, for the README and
// for looking at the look after a change:
//
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/vexa-password-screens docs/screenshots
//
// The device is a stand-in that answers at once, so the pictures need no network.
#include <cstdio>

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DialogDriver.h"
#include "aptui/MultiStateLineEdit.h"
#include "password/ResetPasswordDialog.h"
#include "password/RestorePasswordDialog.h"
#include "support/FakeLibrary.h"
#include "support/ScreenshotRun.h"

namespace {

using testutil::child;

bool waitIdle(const QWidget& dialog, bool (*busy)(const QWidget&)) {
    return QTest::qWaitFor([&] { return !busy(dialog); }, 5000);
}

// A key request of the size and shape a device hands out for a QR code.
QByteArray sampleKeyRequest() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><KeyRequest "
           "version=\"1\"><Serial>VXIPCT38015000000001</Serial><Nonce>q0B7Yc2uKk9sT1mZp4Xw3A</"
           "Nonce><Expiry>1796774400</Expiry><DeviceKey>Jm5dV0pLq9GkT2xZr8Yw1CnB4sE7hUaF6oP3iQ0lRtM</"
           "DeviceKey><Certificate>bW9kdWxlcy1hcmUtd2hvbGUtcGl4ZWxzLXNvLXNjYW5uZXJzLXJlYWQtdGhlbQ</Certificate></"
           "KeyRequest>";
}

} // namespace

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("password-screens", argc, argv);
    if (!run.ready)
        return 1;
    const QString& out = run.paths.out;

    fakelib::install();
    fakelib::state().requestData = sampleKeyRequest();
    testutil::DialogDriver driver;
    const auto resetBusy = [](const QWidget& w) {
        return static_cast<const VexaTool::ResetPasswordDialog&>(w).isBusy();
    };
    const auto restoreBusy = [](const QWidget& w) {
        return static_cast<const VexaTool::RestorePasswordDialog&>(w).isBusy();
    };
    bool ok = true;
    {
        // A device with QR support and IPC reset: the QR code from the start, a key typed in, a strong password.
        VexaTool::ResetPasswordDialog dialog(nullptr, QStringLiteral("VXIPCT38015000000001"), true, true);
        dialog.show();
        ok &= waitIdle(dialog, resetBusy);
        child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilePath")
            ->setText(QStringLiteral("Zk3vQ9yP0b.signed-key"));
        child<aptui::MultiStateLineEdit>(dialog, "m_lineEditNewPassword")->setText(QStringLiteral("Reset-Pass77"));
        child<aptui::MultiStateLineEdit>(dialog, "m_lineEditConfirmPassword")->setText(QStringLiteral("Reset-Pass7"));
        child<QCheckBox>(dialog, "m_checkBoxIPC")->setChecked(true);
        ok &= testsupport::saveOnBackdrop(dialog, out + QStringLiteral("/en_reset_password_qr.png"));
        // Confirm: the confirmation differs, so the new password is marked.
        child<QPushButton>(dialog, "btnConfirm")->click();
        ok &= QTest::qWaitFor([&] { return !driver.warnings.isEmpty(); }, 5000);
        ok &= testsupport::saveOnBackdrop(dialog, out + QStringLiteral("/en_reset_password_qr_error.png"));
    }
    {
        // A device without QR support: only a key file, the folder button shown; confirmed empty, the key is marked.
        VexaTool::ResetPasswordDialog dialog(nullptr, QStringLiteral("VXDVRH10415000000014"), false, false);
        dialog.show();
        driver.warnings.clear();
        child<QPushButton>(dialog, "btnConfirm")->click();
        ok &= QTest::qWaitFor([&] { return !driver.warnings.isEmpty(); }, 5000);
        ok &= testsupport::saveOnBackdrop(dialog, out + QStringLiteral("/en_reset_password_file_error.png"));
    }
    {
        VexaTool::RestorePasswordDialog dialog(nullptr, QStringLiteral("VXIPCB12015000000000"));
        dialog.show();
        ok &= waitIdle(dialog, restoreBusy);
        ok &= testsupport::saveOnBackdrop(dialog, out + QStringLiteral("/en_restore_password.png"));
        driver.warnings.clear();
        child<QPushButton>(dialog, "btnConfirm")->click();
        ok &= QTest::qWaitFor([&] { return !driver.warnings.isEmpty(); }, 5000);
        ok &= testsupport::saveOnBackdrop(dialog, out + QStringLiteral("/en_restore_password_error.png"));
    }
    {
        // The box a reset failure shows when the device says why.
        VexaTool::WarningDialog box(
            VexaTool::WarningDialog::Error,
            QStringLiteral(
                "Reset password failed. Too many wrong passwords: the device is locked for a while. Try again later."),
            nullptr, 60000);
        box.resize(310, 160);
        ok &= testsupport::saveOnBackdrop(box, out + QStringLiteral("/en_reset_password_failed_locked.png"));
    }
    return ok ? 0 : 1;
}
