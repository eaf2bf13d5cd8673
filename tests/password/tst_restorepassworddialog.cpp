#include <atomic>
#include <thread>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "DialogDriver.h"
#include "aptui/MultiStateLineEdit.h"
#include "discovery/DeviceCalls.h"
#include "password/RestorePasswordDialog.h"
#include "support/FakeLibrary.h"

using aptui::MultiStateLineEdit;
using VexaTool::RestorePasswordDialog;

namespace {

const QString kSerial = QStringLiteral("VX9E11-0031");

MultiStateLineEdit* codeField(const QWidget& dialog) {
    return dialog.findChild<MultiStateLineEdit*>(QStringLiteral("m_lineEditSecurityCode"));
}

const QString kGoodPassword = QStringLiteral("Owner-Pass7");

void typePasswords(const QWidget& dialog, const QString& password, const QString& again) {
    dialog.findChild<MultiStateLineEdit*>(QStringLiteral("m_lineEditNewPassword"))->setText(password);
    dialog.findChild<MultiStateLineEdit*>(QStringLiteral("m_lineEditConfirmPassword"))->setText(again);
}

void confirm(RestorePasswordDialog& dialog) {
    dialog.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
    QTRY_VERIFY(!dialog.isBusy());
}

} // namespace

class TestRestorePasswordDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fakelib::install(); }
    void init() { fakelib::reset(); }
    void form();
    void emptyCodeIsMarkedUntilClicked();
    void codeThatCannotBeSentIsRefused();
    void codeSentAsTyped_data();
    void codeSentAsTyped();
    void outcome_data();
    void outcome();
    void busyWhileTheDeviceAnswers();
    void newPasswordIsCheckedBeforeAnythingIsSent_data();
    void newPasswordIsCheckedBeforeAnythingIsSent();
    void meterFollowsThePassword_data();
    void meterFollowsThePassword();
    void keptOpenUntilTheDeviceAnswers_data();
    void keptOpenUntilTheDeviceAnswers();
    void shutdownWaitsForACallUnderWay();
};

void TestRestorePasswordDialog::form() {
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Reset Default Password"));
    QCOMPARE(dialog.size(), QSize(500, 380));
    QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("ResrotePasswordDialog")));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("m_labelRestorePassword"))->text(),
             QStringLiteral("Reset Default Password"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("m_labelSecurityCode"))->text(),
             QStringLiteral("Security Code:"));
    MultiStateLineEdit* field = codeField(dialog);
    QVERIFY(field->hasFocus());
    QCOMPARE(field->contextMenuPolicy(), Qt::NoContextMenu);
    // A 33rd character cannot be typed.
    QTest::keyClicks(field, QString(40, QLatin1Char('7')));
    QCOMPARE(field->text(), QString(32, QLatin1Char('7')));
}

void TestRestorePasswordDialog::emptyCodeIsMarkedUntilClicked() {
    testutil::DialogDriver driver;
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    confirm(dialog);
    QTRY_COMPARE(driver.texts(), QStringList{QStringLiteral("Please input security code.")});
    QCOMPARE(fakelib::snapshot().restoreCalls, 0);
    auto* hint = dialog.findChild<QLabel*>(QStringLiteral("m_labelHintSecurityCode"));
    QCOMPARE(codeField(dialog)->lineEditState(), MultiStateLineEdit::ERROR);
    QVERIFY(!hint->pixmap().isNull());
    QTest::mouseClick(codeField(dialog), Qt::LeftButton);
    QCOMPARE(codeField(dialog)->lineEditState(), MultiStateLineEdit::NORMAL);
    QVERIFY(hint->pixmap().isNull());
    QVERIFY(dialog.isVisible());
}

void TestRestorePasswordDialog::codeThatCannotBeSentIsRefused() {
    testutil::DialogDriver driver;
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    codeField(dialog)->setText(QStringLiteral("AB\u5BC6CD"));
    confirm(dialog);
    QTRY_COMPARE(driver.texts(),
                 QStringList{QStringLiteral("The security code contains a character that cannot be sent.")});
    QCOMPARE(fakelib::snapshot().restoreCalls, 0);
    QCOMPARE(codeField(dialog)->lineEditState(), MultiStateLineEdit::ERROR);
}

void TestRestorePasswordDialog::codeSentAsTyped_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("spaces only") << QStringLiteral("   ");
    QTest::newRow("case and spaces kept") << QStringLiteral(" aB3-x9 ");
    QTest::newRow("Latin-1 letter") << QStringLiteral("Stra\u00dfe-12");
    QTest::newRow("full 32 characters") << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567");
}

void TestRestorePasswordDialog::codeSentAsTyped() {
    QFETCH(QString, code);
    testutil::DialogDriver driver;
    fakelib::state().restoreOk = false;
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    codeField(dialog)->setText(code);
    typePasswords(dialog, kGoodPassword, kGoodPassword);
    confirm(dialog);
    const fakelib::State seen = fakelib::snapshot();
    QCOMPARE(seen.restoreCalls, 1);
    QCOMPARE(seen.lastSerial, kSerial.toLatin1());
    QCOMPARE(seen.lastCode, code.toLatin1());
    QCOMPARE(seen.lastRestorePassword, kGoodPassword.toLatin1());
}

void TestRestorePasswordDialog::outcome_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("tall");
    QTest::newRow("restored with the new password")
        << true << 0u << QStringLiteral("Restore password succeed. The device now has the new password.") << true;
    QTest::newRow("held up: may have been applied")
        << false << uint(VEXA_ERR_OUTCOME_UNKNOWN)
        << QStringLiteral("Restore password failed. The device did not confirm the change in time; it may have been "
                          "applied. Check the device.")
        << true;
    QTest::newRow("wrong code") << false << uint(VEXA_ERR_DEVICE_REFUSED) << QStringLiteral("Restore password failed.")
                                << false;
    QTest::newRow("locked says why")
        << false << uint(VEXA_ERR_LOCKED)
        << QStringLiteral(
               "Restore password failed. Too many wrong passwords: the device is locked for a while. Try again later.")
        << true;
    QTest::newRow("gone says why")
        << false << uint(VEXA_ERR_UNKNOWN_DEVICE)
        << QStringLiteral(
               "Restore password failed. The device is no longer on the network. Refresh the list and try again.")
        << true;
}

void TestRestorePasswordDialog::outcome() {
    QFETCH(bool, ok);
    QFETCH(uint, code);
    QFETCH(QString, message);
    QFETCH(bool, tall);
    testutil::DialogDriver driver;
    fakelib::state().restoreOk = ok;
    fakelib::state().failCode = code;
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    codeField(dialog)->setText(QStringLiteral("CODE1234"));
    typePasswords(dialog, kGoodPassword, kGoodPassword);
    confirm(dialog);
    QTRY_COMPARE(driver.warnings.size(), 1);
    QCOMPARE(driver.warnings.first().text, message);
    QCOMPARE(driver.warnings.first().tall, tall);
    QCOMPARE(dialog.isVisible(), !ok);
    QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (!ok) {
        // The code stays; "Confirm" again sends it again.
        QCOMPARE(codeField(dialog)->text(), QStringLiteral("CODE1234"));
        confirm(dialog);
        confirm(dialog);
        QTRY_COMPARE(fakelib::snapshot().restoreCalls, 3);
        QCOMPARE(codeField(dialog)->lineEditState(), MultiStateLineEdit::NORMAL);
    }
}

void TestRestorePasswordDialog::busyWhileTheDeviceAnswers() {
    testutil::DialogDriver driver;
    fakelib::hold() = true;
    auto dialog = std::make_unique<RestorePasswordDialog>(nullptr, kSerial);
    dialog->show();
    codeField(*dialog)->setText(QStringLiteral("CODE"));
    typePasswords(*dialog, kGoodPassword, kGoodPassword);
    dialog->findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
    QVERIFY(dialog->isBusy());
    QVERIFY(!codeField(*dialog)->isEnabled());
    QVERIFY(dialog->findChild<QProgressBar*>(QStringLiteral("m_progressBusy"))->isVisible());
    QTest::qWait(50);
    fakelib::hold() = false;
    QTRY_VERIFY(!dialog->isBusy());
    QTRY_COMPARE(driver.warnings.size(), 1);
    QVERIFY(codeField(*dialog)->isEnabled());
    QVERIFY(!dialog->findChild<QProgressBar*>(QStringLiteral("m_progressBusy"))->isVisible());

    // Destroyed while a second call is under way: its answer is dropped.
    fakelib::hold() = true;
    dialog->findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
    dialog.reset();
    fakelib::hold() = false;
    QTRY_COMPARE(fakelib::snapshot().restoreCalls, 2);
    QTest::qWait(50);
    QCOMPARE(driver.warnings.size(), 1);
}

void TestRestorePasswordDialog::newPasswordIsCheckedBeforeAnythingIsSent_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QString() << QString() << QStringLiteral("The password can not be empty.");
    QTest::newRow("typed differently") << kGoodPassword << QStringLiteral("Owner-Pass8")
                                       << QStringLiteral("The password you typed do not match.");
    QTest::newRow("too weak") << QStringLiteral("abc") << QStringLiteral("abc")
                              << QStringLiteral("Valid password range [8-16]. You can use a combination of numbers, "
                                                "lowercase, uppercase and special character for your password with at "
                                                "least two kinds of them contained.");
    // Typed whole, refused whole: the editor never cuts it to a password the user did not mean.
    QTest::newRow("17 characters") << QStringLiteral("Owner-Pass8-Long1") << QStringLiteral("Owner-Pass8-Long1")
                                   << QStringLiteral("The password is too long: it may take at most 16 bytes, and a "
                                                     "character outside ASCII takes more than one.");
}

void TestRestorePasswordDialog::newPasswordIsCheckedBeforeAnythingIsSent() {
    QFETCH(QString, password);
    QFETCH(QString, again);
    QFETCH(QString, message);
    testutil::DialogDriver driver;
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    codeField(dialog)->setText(QStringLiteral("CODE1234"));
    typePasswords(dialog, password, again);
    confirm(dialog);
    QTRY_COMPARE(driver.texts(), QStringList{message});
    QCOMPARE(fakelib::snapshot().restoreCalls, 0);
    QVERIFY(dialog.isVisible());
}

void TestRestorePasswordDialog::meterFollowsThePassword_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("level");
    QTest::newRow("nothing") << QString() << QString();
    QTest::newRow("too short") << QStringLiteral("ab1") << QString();
    QTest::newRow("weak") << QStringLiteral("abcdefg1") << QStringLiteral("Weak");
    QTest::newRow("strong") << QStringLiteral("Abc-1234xyz!") << QStringLiteral("Strong");
}

void TestRestorePasswordDialog::meterFollowsThePassword() {
    QFETCH(QString, password);
    QFETCH(QString, level);
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    QTest::keyClicks(dialog.findChild<MultiStateLineEdit*>(QStringLiteral("m_lineEditNewPassword")), password);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("m_labelLevel"))->text(), level);
    QCOMPARE(dialog.findChild<MultiStateLineEdit*>(QStringLiteral("m_lineEditNewPassword"))->echoMode(),
             QLineEdit::Password);
}

void TestRestorePasswordDialog::keptOpenUntilTheDeviceAnswers_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << QStringLiteral("cancel");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("close button or window system") << QStringLiteral("close");
}

// A restore that went through leaves the device not activated: closing the dialog meanwhile must not hide that.
void TestRestorePasswordDialog::keptOpenUntilTheDeviceAnswers() {
    QFETCH(QString, how);
    testutil::DialogDriver driver;
    fakelib::hold() = true;
    RestorePasswordDialog dialog(nullptr, kSerial);
    dialog.show();
    codeField(dialog)->setText(QStringLiteral("CODE"));
    typePasswords(dialog, kGoodPassword, kGoodPassword);
    dialog.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
    QVERIFY(dialog.isBusy());
    if (how == u"cancel")
        dialog.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    else if (how == u"escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();
    QVERIFY(dialog.isVisible());
    fakelib::hold() = false;
    QTRY_COMPARE(driver.warnings.size(), 1);
    QVERIFY(driver.warnings.first().text.startsWith(QStringLiteral("Restore password succeed.")));
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestRestorePasswordDialog::shutdownWaitsForACallUnderWay() {
    VEXA::DeviceCalls::waitForAll(); // the calls of earlier cases
    testutil::DialogDriver driver;
    fakelib::hold() = true;
    auto dialog = std::make_unique<RestorePasswordDialog>(nullptr, kSerial);
    dialog->show();
    codeField(*dialog)->setText(QStringLiteral("CODE"));
    typePasswords(*dialog, kGoodPassword, kGoodPassword);
    dialog->findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
    dialog.reset();
    QCOMPARE(VEXA::DeviceCalls::running(), 1);
    std::atomic<bool> returned{false};
    std::thread shutdown([&returned] {
        VEXA::DeviceCalls::waitForAll();
        returned = true;
    });
    QTest::qWait(100);
    QVERIFY(!returned);
    fakelib::hold() = false;
    shutdown.join();
    QCOMPARE(fakelib::snapshot().restoreCalls, 1);
    QCOMPARE(VEXA::DeviceCalls::running(), 0);
}

QTEST_MAIN(TestRestorePasswordDialog)
#include "tst_restorepassworddialog.moc"
