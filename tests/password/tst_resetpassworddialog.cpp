#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogDriver.h"
#include "ZbarDecode.h"
#include "aptui/MultiStateLineEdit.h"
#include "guitoolkit/TargetPath.h"
#include "password/PasswordRecovery.h"
#include "password/ResetPasswordDialog.h"
#include "support/FakeLibrary.h"

using aptui::MultiStateLineEdit;
using VexaTool::ResetPasswordDialog;

namespace {

const QString kSerial = QStringLiteral("VX9D01-0007");
const QString kRuleMessage =
    QStringLiteral("Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and "
                   "special character for your password with at least two kinds of them contained.");

using testutil::child;

MultiStateLineEdit* editor(const QWidget& dialog, const char* name) {
    return child<MultiStateLineEdit>(dialog, name);
}

void confirm(ResetPasswordDialog& dialog) {
    child<QPushButton>(dialog, "btnConfirm")->click();
    QTRY_VERIFY(!dialog.isBusy());
}

QByteArray keyRequest(int size) {
    QByteArray data = "<KeyRequest><Serial>VX9D01-0007</Serial><Nonce>";
    while (data.size() < size - 22)
        data += static_cast<char>('A' + data.size() % 26);
    data += "</Nonce></KeyRequest>";
    while (data.size() < size)
        data.insert(data.size() - 22, 'z');
    return data;
}

void fill(ResetPasswordDialog& dialog, const QString& key, const QString& password, const QString& confirmation) {
    editor(dialog, "m_lineEditFilePath")->setText(key);
    editor(dialog, "m_lineEditNewPassword")->setText(password);
    editor(dialog, "m_lineEditConfirmPassword")->setText(confirmation);
}

} // namespace

class TestResetPasswordDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void formFollowsTheDevice_data();
    void formFollowsTheDevice();
    void qrCodeReadsAsTheKeyRequest();
    void qrCodeFailures();
    void checksInOrder_data();
    void checksInOrder();
    void clickingAMarkedEditorClearsIt();
    void resetRecord_data();
    void resetRecord();
    void keyFileSentWithoutTrailingLineEnds_data();
    void keyFileSentWithoutTrailingLineEnds();
    void resetOutcome_data();
    void resetOutcome();
    void passwordEditorsRefuseTheClipboard_data();
    void passwordEditorsRefuseTheClipboard();
    void exportKeyRequest_data();
    void exportKeyRequest();
    void importKeyFile();
    void busyWhileTheDeviceAnswers();

private:
    QTemporaryDir m_dir;
};

void TestResetPasswordDialog::initTestCase() {
    QVERIFY(m_dir.isValid());
    fakelib::install();
}

void TestResetPasswordDialog::init() {
    fakelib::reset();
    QFile::remove(OrvisGUIToolkit::GetTargetPathFile(QStringLiteral("copy.xml")));
}

void TestResetPasswordDialog::formFollowsTheDevice_data() {
    QTest::addColumn<bool>("qr");
    QTest::addColumn<bool>("ipc");
    QTest::newRow("QR and IPC") << true << true;
    QTest::newRow("QR only") << true << false;
    QTest::newRow("neither") << false << false;
    QTest::newRow("IPC only") << false << true;
}

void TestResetPasswordDialog::formFollowsTheDevice() {
    QFETCH(bool, qr);
    QFETCH(bool, ipc);
    fakelib::state().requestData = keyRequest(300);
    ResetPasswordDialog dialog(nullptr, kSerial, qr, ipc);
    dialog.show();
    QTRY_VERIFY(!dialog.isBusy());

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Reset Password"));
    QCOMPARE(dialog.size(), QSize(510, 360));
    QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("ResetPasswordDialog_centerWidget")));
    QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("ResetPasswordDialog")));
    QCOMPARE(child<QRadioButton>(dialog, "m_radioBtnManualInput")->isVisible(), qr);
    QCOMPARE(child<QRadioButton>(dialog, "m_radioBtnAutoInput")->isChecked(), !qr);
    QCOMPARE(child<QWidget>(dialog, "m_btnFilePath")->isVisible(), !qr);
    QCOMPARE(child<QWidget>(dialog, "m_btnQRcode")->isVisible(), qr);
    QCOMPARE(child<QCheckBox>(dialog, "m_checkBoxIPC")->isVisible(), ipc);
    QVERIFY(!child<QCheckBox>(dialog, "m_checkBoxIPC")->isChecked());
    QCOMPARE(child<QLabel>(dialog, "m_labelQcCode")->pixmap().isNull(), !qr);
    QVERIFY(!child<QProgressBar>(dialog, "m_progressBusy")->isVisible());
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->maxLength(), 128);
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->echoMode(), QLineEdit::Normal);
    for (const char* name : {"m_lineEditNewPassword", "m_lineEditConfirmPassword"}) {
        QVERIFY(editor(dialog, name)->maxLength() > 16); // too long is refused with the reason, never cut
        QCOMPARE(editor(dialog, name)->echoMode(), QLineEdit::Password);
        QCOMPARE(editor(dialog, name)->contextMenuPolicy(), Qt::NoContextMenu);
    }
    const fakelib::State seen = fakelib::snapshot();
    QCOMPARE(seen.configCalls, qr ? 1u : 0u);
    if (qr) {
        QCOMPARE(seen.lastCommand, uint32_t(VEXA_CMD_KEY_REQUEST_QR));
        QCOMPARE(seen.lastOutSize, uint32_t(sizeof(VEXA_KEY_REQUEST_QR)));
        QCOMPARE(seen.lastSerial, kSerial.toLatin1());
    }

    // The key field keeps its text when the input mode changes; the folder button follows the mode.
    if (qr) {
        editor(dialog, "m_lineEditFilePath")->setText(QStringLiteral("/tmp/key.txt"));
        child<QRadioButton>(dialog, "m_radioBtnAutoInput")->setChecked(true);
        QVERIFY(child<QWidget>(dialog, "m_btnFilePath")->isVisible());
        child<QRadioButton>(dialog, "m_radioBtnManualInput")->setChecked(true);
        QVERIFY(!child<QWidget>(dialog, "m_btnFilePath")->isVisible());
        QCOMPARE(editor(dialog, "m_lineEditFilePath")->text(), QStringLiteral("/tmp/key.txt"));
    }
}

void TestResetPasswordDialog::qrCodeReadsAsTheKeyRequest() {
    QVERIFY2(!testutil::zbarimgPath().isEmpty(), "zbarimg (Debian zbar-tools) is needed");
    // The longest request a device gives, followed by zero fill the text must stop at.
    fakelib::state().requestData = keyRequest(384);
    ResetPasswordDialog dialog(nullptr, kSerial, true, false);
    dialog.show();
    QTRY_VERIFY(!dialog.isBusy());
    const QPixmap shown = child<QLabel>(dialog, "m_labelQcCode")->pixmap();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.deviceIndependentSize().toSize(), QSize(108, 108));
    QCOMPARE(testutil::decodeQr(shown.toImage(), m_dir, QStringLiteral("dialog-qr")),
             QString::fromLatin1(keyRequest(384)));

    // "QR code" asks again and shows what the device says now.
    fakelib::state().requestData = keyRequest(120);
    child<QPushButton>(dialog, "m_btnQRcode")->click();
    QTRY_VERIFY(!dialog.isBusy());
    QCOMPARE(fakelib::snapshot().configCalls, 2u);
    QCOMPARE(testutil::decodeQr(child<QLabel>(dialog, "m_labelQcCode")->pixmap().toImage(), m_dir,
                                QStringLiteral("dialog-qr-2")),
             QString::fromLatin1(keyRequest(120)));
}

void TestResetPasswordDialog::qrCodeFailures() {
    testutil::DialogDriver driver;
    fakelib::state().configOk = false;
    ResetPasswordDialog dialog(nullptr, kSerial, true, false);
    dialog.show();
    QTRY_VERIFY(!dialog.isBusy());
    QVERIFY(child<QLabel>(dialog, "m_labelQcCode")->pixmap().isNull());
    QVERIFY(driver.warnings.isEmpty()); // silent at construction

    fakelib::state().configOk = true;
    fakelib::state().requestData = keyRequest(200);
    child<QPushButton>(dialog, "m_btnQRcode")->click();
    QTRY_VERIFY(!dialog.isBusy());
    const QImage first = child<QLabel>(dialog, "m_labelQcCode")->pixmap().toImage();
    QVERIFY(!first.isNull());

    // A failed request, and a reply whose length field overruns its data area, both keep the old image.
    fakelib::state().configOk = false;
    child<QPushButton>(dialog, "m_btnQRcode")->click();
    QTRY_VERIFY(!dialog.isBusy());
    fakelib::state().configOk = true;
    fakelib::state().requestLength = 385;
    child<QPushButton>(dialog, "m_btnQRcode")->click();
    QTRY_VERIFY(!dialog.isBusy());
    QTRY_COMPARE(driver.texts(),
                 QStringList({QStringLiteral("Generate QR code error."), QStringLiteral("Generate QR code error.")}));
    QCOMPARE(child<QLabel>(dialog, "m_labelQcCode")->pixmap().toImage(), first);
}

void TestResetPasswordDialog::checksInOrder_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("marked");
    QTest::addColumn<bool>("tall");
    const QString key = QStringLiteral("KEY-123");
    const QString good = QStringLiteral("Abcdef12");
    const QString pw = QStringLiteral("m_lineEditNewPassword");
    QTest::newRow("everything empty: the key first")
        << QString() << QString() << QString() << QStringLiteral("Please input the secret key.")
        << QStringLiteral("m_lineEditFilePath") << false;
    QTest::newRow("password empty") << key << QString() << good << QStringLiteral("The password can not be empty.")
                                    << pw << false;
    QTest::newRow("confirmation differs in case")
        << key << good << QStringLiteral("abcdef12") << QStringLiteral("The password you typed do not match.") << pw
        << false;
    QTest::newRow("mismatch before the rule") << key << QStringLiteral("aaaaaaaa") << QStringLiteral("bbbbbbbb")
                                              << QStringLiteral("The password you typed do not match.") << pw << false;
    QTest::newRow("one kind of character")
        << key << QStringLiteral("abcdefgh") << QStringLiteral("abcdefgh") << kRuleMessage << pw << true;
    const QString wide = QStringLiteral("Abcdefgh123456\u00e9\u00e9"); // 16 characters, 18 bytes
    QTest::newRow("16 characters, 18 bytes")
        << key << wide << wide
        << QStringLiteral("The password is too long: it may take at most 16 bytes, and a character outside ASCII takes "
                          "more than one.")
        << pw << true;
    const QString seventeen = QStringLiteral("Abcdefgh123456789");
    QTest::newRow("17 characters, refused not cut")
        << key << seventeen << seventeen
        << QStringLiteral("The password is too long: it may take at most 16 bytes, and a character outside ASCII takes "
                          "more than one.")
        << pw << true;
    QTest::newRow("typed key longer than its field")
        << QString(100, QChar(0x5BC6)) << good << good << QStringLiteral("The secret key is too long.")
        << QStringLiteral("m_lineEditFilePath") << false;
}

void TestResetPasswordDialog::checksInOrder() {
    QFETCH(QString, key);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    QFETCH(QString, marked);
    QFETCH(bool, tall);
    testutil::DialogDriver driver;
    ResetPasswordDialog dialog(nullptr, kSerial, false, false);
    dialog.show();
    child<QRadioButton>(dialog, "m_radioBtnManualInput")->setChecked(true);
    fill(dialog, key, password, confirmation);
    confirm(dialog);

    QTRY_COMPARE(driver.warnings.size(), 1);
    QCOMPARE(driver.warnings.first().text, message);
    QCOMPARE(driver.warnings.first().tall, tall);
    QCOMPARE(fakelib::snapshot().resetCalls, 0);
    QVERIFY(dialog.isVisible());
    const QMap<QString, QString> hints{
        {QStringLiteral("m_lineEditFilePath"), QStringLiteral("m_labelHintFilePath")},
        {QStringLiteral("m_lineEditNewPassword"), QStringLiteral("m_labelHintNewPassword")},
        {QStringLiteral("m_lineEditConfirmPassword"), QStringLiteral("m_labelHintConfirmPassword")},
    };
    for (auto it = hints.cbegin(); it != hints.cend(); ++it) {
        const bool isMarked = it.key() == marked;
        QCOMPARE(editor(dialog, qPrintable(it.key()))->lineEditState(),
                 isMarked ? MultiStateLineEdit::ERROR : MultiStateLineEdit::NORMAL);
        QCOMPARE(child<QLabel>(dialog, qPrintable(it.value()))->pixmap().isNull(), !isMarked);
    }
    // Nothing the user typed is cut or lost.
    QCOMPARE(editor(dialog, "m_lineEditNewPassword")->text(), password);
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->text(), key);
}

void TestResetPasswordDialog::clickingAMarkedEditorClearsIt() {
    testutil::DialogDriver driver;
    ResetPasswordDialog dialog(nullptr, kSerial, false, false);
    dialog.show();
    confirm(dialog);
    QTRY_COMPARE(driver.warnings.size(), 1);
    MultiStateLineEdit* key = editor(dialog, "m_lineEditFilePath");
    QCOMPARE(key->lineEditState(), MultiStateLineEdit::ERROR);
    QTest::mouseClick(key, Qt::LeftButton);
    QCOMPARE(key->lineEditState(), MultiStateLineEdit::NORMAL);
    QVERIFY(child<QLabel>(dialog, "m_labelHintFilePath")->pixmap().isNull());

    // The folder button clears the key field's mark too.
    confirm(dialog);
    QTRY_COMPARE(driver.warnings.size(), 2);
    driver.chooserAnswers << QString(); // cancel the chooser
    child<QAbstractButton>(dialog, "m_btnFilePath")->click();
    QCOMPARE(key->lineEditState(), MultiStateLineEdit::NORMAL);
}

void TestResetPasswordDialog::resetRecord_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("ipcShown");
    QTest::addColumn<bool>("ipcChecked");
    QTest::addColumn<int>("ipcByte");
    QTest::newRow("typed key, 8-byte password")
        << QStringLiteral("K3Y_typed.in-full") << QStringLiteral("Abcdef12") << false << false << 0;
    QTest::newRow("16-byte password has no terminator")
        << QStringLiteral("KEY") << QStringLiteral("Abcdefgh12345678") << true << false << 0;
    QTest::newRow("IPC shown and ticked") << QStringLiteral("KEY") << QStringLiteral("Abcdef12") << true << true << 1;
    QTest::newRow("IPC hidden, ticked by code")
        << QStringLiteral("KEY") << QStringLiteral("Abcdef12") << false << true << 0;
    QTest::newRow("key of 128 characters")
        << QString(128, QLatin1Char('k')) << QStringLiteral("Abcdef12") << false << false << 0;
}

void TestResetPasswordDialog::resetRecord() {
    QFETCH(QString, key);
    QFETCH(QString, password);
    QFETCH(bool, ipcShown);
    QFETCH(bool, ipcChecked);
    QFETCH(int, ipcByte);
    testutil::DialogDriver driver;
    fakelib::state().requestData = keyRequest(100);
    ResetPasswordDialog dialog(nullptr, kSerial, true, ipcShown);
    dialog.show();
    QTRY_VERIFY(!dialog.isBusy());
    child<QCheckBox>(dialog, "m_checkBoxIPC")->setChecked(ipcChecked);
    fill(dialog, key, password, password);
    confirm(dialog);

    const fakelib::State seen = fakelib::snapshot();
    QCOMPARE(seen.resetCalls, 1);
    QCOMPARE(seen.lastSerial, kSerial.toLatin1());
    const VEXA_RESET_PARAM& r = seen.lastReset;
    QCOMPARE(QByteArray(r.key, qsizetype(strnlen(r.key, 256))), key.toLatin1());
    QCOMPARE(r.keyFilePath[0], '\0');
    QCOMPARE(QByteArray(r.newPassword, 16), password.toLatin1().leftJustified(16, '\0'));
    QCOMPARE(int(r.resetIpc), ipcByte);
    QVERIFY(std::all_of(std::begin(r.reserved), std::end(r.reserved), [](uint8_t b) { return b == 0; }));
    QVERIFY(std::all_of(r.key + key.size(), r.key + 256, [](char c) { return c == 0; }));
    QVERIFY(!QFile::exists(OrvisGUIToolkit::GetTargetPathFile(QStringLiteral("copy.xml"))));
}

void TestResetPasswordDialog::keyFileSentWithoutTrailingLineEnds_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("several empty lines") << QByteArray("SIGNED.KEY-1\n\n\n\n") << QByteArray("SIGNED.KEY-1");
    QTest::newRow("CR LF line ends") << QByteArray("SIGNED.KEY-2\r\n\r\n\r\n") << QByteArray("SIGNED.KEY-2");
    QTest::newRow("no line end") << QByteArray("SIGNED.KEY-3") << QByteArray("SIGNED.KEY-3");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("inner line kept") << QByteArray("PART1\nPART2\n") << QByteArray("PART1\nPART2");
}

void TestResetPasswordDialog::keyFileSentWithoutTrailingLineEnds() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, sent);
    testutil::DialogDriver driver;
    const QString keyPath =
        m_dir.filePath(QStringLiteral("key-%1.txt").arg(QLatin1String(QTest::currentDataTag())).replace(u' ', u'-'));
    QFile file(keyPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    ResetPasswordDialog dialog(nullptr, kSerial, false, false);
    dialog.show();
    fill(dialog, keyPath, QStringLiteral("Abcdef12"), QStringLiteral("Abcdef12"));
    confirm(dialog);
    const fakelib::State seen = fakelib::snapshot();
    QCOMPARE(seen.resetCalls, 1);
    QCOMPARE(seen.lastReset.key[0], '\0');
    const QString copy = OrvisGUIToolkit::GetTargetPathFile(QStringLiteral("copy.xml"));
    QCOMPARE(QString::fromLocal8Bit(seen.lastReset.keyFilePath), copy);
    QVERIFY(seen.keyFileExisted);
    QCOMPARE(seen.keyFileSeen, sent);
    QVERIFY(QFile::exists(copy)); // left in place
}

void TestResetPasswordDialog::resetOutcome_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("success closes") << true << 0u << QStringLiteral("Reset password Succeed.");
    QTest::newRow("wrong key") << false << uint(VEXA_ERR_DEVICE_REFUSED) << QStringLiteral("Reset password failed.");
    QTest::newRow("locked says why")
        << false << uint(VEXA_ERR_LOCKED)
        << QStringLiteral(
               "Reset password failed. Too many wrong passwords: the device is locked for a while. Try again later.");
    QTest::newRow("weak says why") << false << uint(VEXA_ERR_WEAK_PASSWORD)
                                   << QStringLiteral(
                                          "Reset password failed. The device refused the password as too weak.");
    QTest::newRow("unverified says why")
        << false << uint(VEXA_ERR_UNTRUSTED_DEVICE)
        << QStringLiteral(
               "Reset password failed. The device could not prove that it is genuine. Nothing was sent to it.");
}

void TestResetPasswordDialog::resetOutcome() {
    QFETCH(bool, ok);
    QFETCH(uint, code);
    QFETCH(QString, message);
    testutil::DialogDriver driver;
    fakelib::state().resetOk = ok;
    fakelib::state().failCode = code;
    ResetPasswordDialog dialog(nullptr, kSerial, false, false);
    dialog.show();
    child<QRadioButton>(dialog, "m_radioBtnManualInput")->setChecked(true);
    fill(dialog, QStringLiteral("KEY"), QStringLiteral("Abcdef12"), QStringLiteral("Abcdef12"));
    confirm(dialog);
    QTRY_COMPARE(driver.texts(), QStringList{message});
    QCOMPARE(dialog.isVisible(), !ok);
    QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (!ok) {
        // The input stays for another try, and a second try is sent again.
        QCOMPARE(editor(dialog, "m_lineEditFilePath")->text(), QStringLiteral("KEY"));
        confirm(dialog);
        QTRY_COMPARE(fakelib::snapshot().resetCalls, 2);
    }
}

void TestResetPasswordDialog::passwordEditorsRefuseTheClipboard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("refused");
    for (const char* name : {"m_lineEditNewPassword", "m_lineEditConfirmPassword"}) {
        QTest::addRow("%s Ctrl+V", name) << QString::fromLatin1(name) << QKeySequence(QStringLiteral("Ctrl+V")) << true;
        QTest::addRow("%s Shift+Insert", name)
            << QString::fromLatin1(name) << QKeySequence(QStringLiteral("Shift+Insert")) << true;
    }
    QTest::newRow("key field pastes") << QStringLiteral("m_lineEditFilePath") << QKeySequence(QStringLiteral("Ctrl+V"))
                                      << false;
}

void TestResetPasswordDialog::passwordEditorsRefuseTheClipboard() {
    QFETCH(QString, name);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, refused);
    ResetPasswordDialog dialog(nullptr, kSerial, false, false);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QApplication::clipboard()->setText(QStringLiteral("Pasted-9"));
    MultiStateLineEdit* field = editor(dialog, qPrintable(name));
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("ab"));
    QTest::keySequence(field, keys);
    QCOMPARE(field->text(), refused ? QStringLiteral("ab") : QStringLiteral("abPasted-9"));
    if (refused) {
        // Nor can the typed password be copied or cut out.
        field->selectAll();
        QTest::keySequence(field, QKeySequence::Copy);
        QTest::keySequence(field, QKeySequence::Cut);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Pasted-9"));
        QCOMPARE(field->text(), QStringLiteral("ab"));
        QTest::mouseClick(field, Qt::MiddleButton);
        QCOMPARE(field->text(), QStringLiteral("ab"));
    }
}

void TestResetPasswordDialog::exportKeyRequest_data() {
    QTest::addColumn<bool>("qr");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("configOk");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("fileStem");
    QTest::addColumn<QString>("message");
    QTest::newRow("command 2 with QR") << true << kSerial << true << qint64(-1) << kSerial
                                       << QStringLiteral("Exported.");
    QTest::newRow("command 1 without") << false << kSerial << true << qint64(-1) << kSerial
                                       << QStringLiteral("Exported.");
    QTest::newRow("slashes in the serial") << false << QStringLiteral("VX/12\\34") << true << qint64(-1)
                                           << QStringLiteral("VX_12_34") << QStringLiteral("Exported.");
    QTest::newRow("device refuses") << false << kSerial << false << qint64(-1) << QString()
                                    << QStringLiteral("Get key error.");
    QTest::newRow("length beyond command 1 data")
        << false << kSerial << true << qint64(257) << QString() << QStringLiteral("Get key error.");
    QTest::newRow("length beyond command 2 data")
        << true << kSerial << true << qint64(385) << QString() << QStringLiteral("Get key error.");
}

void TestResetPasswordDialog::exportKeyRequest() {
    QFETCH(bool, qr);
    QFETCH(QString, serial);
    QFETCH(bool, configOk);
    QFETCH(qint64, length);
    QFETCH(QString, fileStem);
    QFETCH(QString, message);
    const QByteArray data = keyRequest(qr ? 384 : 256);
    fakelib::state().requestData = data;
    ResetPasswordDialog dialog(nullptr, serial, qr, false);
    dialog.show();
    QTRY_VERIFY(!dialog.isBusy());
    fakelib::state().configOk = configOk;
    fakelib::state().requestLength = length;

    QTemporaryDir folder;
    testutil::DialogDriver driver;
    // A folder given with a trailing "/" gets no second one.
    driver.chooserAnswers << folder.path() + QLatin1Char('/');
    const QDateTime before = QDateTime::currentDateTime();
    child<QPushButton>(dialog, "m_btnExport")->click();
    QTRY_VERIFY(!dialog.isBusy());
    QTRY_COMPARE(driver.texts(), QStringList{message});
    const QDateTime after = QDateTime::currentDateTime();

    const fakelib::State seen = fakelib::snapshot();
    QCOMPARE(seen.lastCommand, uint32_t(qr ? VEXA_CMD_KEY_REQUEST_QR : VEXA_CMD_KEY_REQUEST));
    QCOMPARE(seen.lastOutSize, uint32_t(qr ? 388 : 260));
    QCOMPARE(seen.lastSerial, serial.toLatin1());
    QCOMPARE(QDir::cleanPath(VexaTool::keyFolder()), QDir::cleanPath(folder.path()));
    const QStringList files = QDir(folder.path()).entryList(QDir::Files);
    if (fileStem.isEmpty()) {
        QVERIFY(files.isEmpty());
        return;
    }
    QCOMPARE(files.size(), 1);
    QVERIFY(files.first() == VexaTool::keyRequestFileName(fileStem, before) ||
            files.first() == VexaTool::keyRequestFileName(fileStem, after));
    QFile written(QDir(folder.path()).filePath(files.first()));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), data);

    // Again within the minute: the same file, overwritten; the chooser starts at the remembered folder.
    fakelib::state().requestData = data.left(50);
    driver.chooserAnswers << folder.path();
    child<QPushButton>(dialog, "m_btnExport")->click();
    QTRY_COMPARE(driver.warnings.size(), 2);
    QCOMPARE(QDir::cleanPath(driver.lastChooserDirectory), QDir::cleanPath(folder.path()));
    if (QDateTime::currentDateTime().toString(QStringLiteral("HHmm")) == after.toString(QStringLiteral("HHmm"))) {
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), files);
        written.close();
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), data.left(50));
    }
}

void TestResetPasswordDialog::importKeyFile() {
    testutil::DialogDriver driver;
    ResetPasswordDialog dialog(nullptr, kSerial, false, false);
    dialog.show();
    const QString keyPath = m_dir.filePath(QStringLiteral("a-rather-long-folder-name-for-the-key/key.txt"));
    QVERIFY(QDir().mkpath(QFileInfo(keyPath).path()));
    QFile(keyPath).open(QIODevice::WriteOnly);

    driver.chooserAnswers << QString(); // cancelled: nothing changes
    child<QAbstractButton>(dialog, "m_btnFilePath")->click();
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->text(), QString());

    driver.chooserAnswers << keyPath;
    child<QAbstractButton>(dialog, "m_btnFilePath")->click();
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->text(), keyPath);
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->cursorPosition(), 0);
    QCOMPARE(VexaTool::keyFile(), keyPath);

    // A path longer than the field is refused with a message, not cut.
    const QString deep = m_dir.filePath(QString(130, QLatin1Char('d')) + QStringLiteral("/key.txt"));
    QVERIFY(QDir().mkpath(QFileInfo(deep).path()));
    QFile(deep).open(QIODevice::WriteOnly);
    driver.chooserAnswers << deep;
    child<QAbstractButton>(dialog, "m_btnFilePath")->click();
    QTRY_COMPARE(driver.warnings.size(), 1);
    QVERIFY(driver.warnings.first().text.startsWith(QStringLiteral("The path of the key file is too long.")));
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->text(), keyPath);
    QCOMPARE(editor(dialog, "m_lineEditFilePath")->lineEditState(), MultiStateLineEdit::ERROR);
}

void TestResetPasswordDialog::busyWhileTheDeviceAnswers() {
    testutil::DialogDriver driver;
    fakelib::hold() = true;
    auto dialog = std::make_unique<ResetPasswordDialog>(nullptr, kSerial, false, false);
    dialog->show();
    child<QRadioButton>(*dialog, "m_radioBtnManualInput")->setChecked(true);
    fill(*dialog, QStringLiteral("KEY"), QStringLiteral("Abcdef12"), QStringLiteral("Abcdef12"));
    child<QPushButton>(*dialog, "btnConfirm")->click();
    QVERIFY(dialog->isBusy());
    QVERIFY(!child<QWidget>(*dialog, "ResetPasswordDialog_centerWidget")->isEnabled());
    QVERIFY(!child<QPushButton>(*dialog, "btnConfirm")->isEnabled());
    QVERIFY(child<QProgressBar>(*dialog, "m_progressBusy")->isVisible());
    // The event loop runs on while the device is silent.
    QTest::qWait(50);
    QVERIFY(dialog->isBusy());
    child<QPushButton>(*dialog, "btnConfirm")->click(); // disabled: no second call
    QCOMPARE(fakelib::snapshot().resetCalls, 0);

    // Closed and destroyed before the answer: the answer finds no dialog and is dropped.
    dialog.reset();
    fakelib::hold() = false;
    QTRY_COMPARE(fakelib::snapshot().resetCalls, 1);
    QTest::qWait(50);
    QVERIFY(driver.warnings.isEmpty());
}

QTEST_MAIN(TestResetPasswordDialog)
#include "tst_resetpassworddialog.moc"
