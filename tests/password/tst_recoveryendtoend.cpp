// Password recovery end to end: the dialogs on the real library against simulated devices on loopback, with
// vexa-keytool playing the manufacturer. The simulator's state file is the judge of what happened.

#include <cstring>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogDriver.h"
#include "ZbarDecode.h"
#include "aptui/MultiStateLineEdit.h"
#include "discovery/VexaHandler.h"
#include "password/ResetPasswordDialog.h"
#include "password/RestorePasswordDialog.h"
#include "support/SimulatorProcess.h"

using VEXA::VexaHandler;
using VexaTool::ResetPasswordDialog;
using VexaTool::RestorePasswordDialog;

namespace {

using Device = QMap<QString, QString>;

const QString kInitialPassword = QStringLiteral("Install-2024"); // the simulator's activated devices

using testutil::child;

} // namespace

class TestRecoveryEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void resetWithKeyFile_data();
    void resetWithKeyFile();
    void resetWithTypedKey();
    void foreignAndUsedKeysAreRefused();
    void restoreBySecurityCode();

private:
    QList<Device> fleet() const;
    Device device(const QString& serial) const;
    QString pick(const std::function<bool(const Device&)>& wanted) const;
    bool passwordWorks(const QString& serial, const QString& password, uint32_t* code = nullptr);
    QString exportKeyRequest(ResetPasswordDialog& dialog, testutil::DialogDriver& driver);
    bool reset(testutil::DialogDriver& driver, const QString& serial, bool qr, bool typed, const QString& key,
               const QString& password, QString* message);

    QTemporaryDir m_dir;
    QProcess m_simulator;
    VexaHandler* m_handler = nullptr;
    QString m_qrDevice;    // key reset with QR code
    QString m_plainDevice; // key reset without QR code
    QString m_codeDevice;  // security code only
    QMap<QString, QString> m_passwords;
    QString m_usedKey; // a key that has already reset m_qrDevice
    int m_exports = 0;
};

void TestRecoveryEndToEnd::initTestCase() {
    QVERIFY(qEnvironmentVariable("VEXA_IFACE") == QLatin1String("127.0.0.1"));
    QVERIFY(m_dir.isValid());
    QVERIFY2(!testutil::zbarimgPath().isEmpty(), "zbarimg (Debian zbar-tools) is needed");
    QVERIFY(testsupport::trustTestManufacturer());
    qputenv("VEXA_SIM_CHEAP_HASH", "1");
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");

    m_simulator.setProgram(testsupport::toolPath("vexa-devsim"));
    m_simulator.setArguments({QStringLiteral("--count"), QStringLiteral("40"), QStringLiteral("--seed"),
                              QStringLiteral("21"), QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state")),
                              QStringLiteral("--dump"), m_dir.filePath(QStringLiteral("dump"))});
    m_simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator.start();
    QVERIFY(m_simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.filePath(QStringLiteral("dump"))), 20000);

    const auto ours = [](const Device& d) {
        return d.value(QStringLiteral("oemInfo")) == QLatin1String(VexaHandler::kOemInfo) &&
               d.value(QStringLiteral("oemCode")) == QLatin1String("1") &&
               d.value(QStringLiteral("activation")) == QLatin1String("0") &&
               !d.value(QStringLiteral("gateway")).isEmpty();
    };
    const auto keyReset = [](const Device& d) { return (d.value(QStringLiteral("support")).toInt() & 0x40) != 0; };
    const auto qr = [](const Device& d) { return (d.value(QStringLiteral("resetFlags")).toInt() & 0x01) != 0; };
    m_qrDevice = pick([&](const Device& d) { return ours(d) && keyReset(d) && qr(d); });
    m_plainDevice = pick([&](const Device& d) { return ours(d) && keyReset(d) && !qr(d); });
    m_codeDevice = pick([&](const Device& d) { return ours(d) && !keyReset(d); });
    QVERIFY(!m_qrDevice.isEmpty() && !m_plainDevice.isEmpty() && !m_codeDevice.isEmpty());
    for (const QString& serial : {m_qrDevice, m_plainDevice, m_codeDevice})
        m_passwords[serial] = kInitialPassword;

    m_handler = VexaHandler::instance();
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QVERIFY(m_handler->start());
    const auto heard = [&] {
        QSet<QString> serials;
        for (const QList<QVariant>& arguments : online)
            serials.insert(recordText(arguments.at(0).value<VEXA_DEVICE_MY_INFO>().serialNo));
        return serials.contains(m_qrDevice) && serials.contains(m_plainDevice) && serials.contains(m_codeDevice);
    };
    QTRY_VERIFY_WITH_TIMEOUT(heard(), 20000);
}

void TestRecoveryEndToEnd::cleanupTestCase() {
    if (m_handler)
        m_handler->stop();
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.terminate();
        m_simulator.waitForFinished(10000);
    }
}

QList<Device> TestRecoveryEndToEnd::fleet() const {
    QList<Device> devices;
    QFile file(m_dir.filePath(QStringLiteral("dump")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return devices;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Device device;
        for (const QString& item : line.split(QLatin1Char('\t'))) {
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            device.insert(item.left(eq), item.mid(eq + 1));
        }
        devices.append(device);
    }
    return devices;
}

Device TestRecoveryEndToEnd::device(const QString& serial) const {
    for (const Device& d : fleet()) {
        if (d.value(QStringLiteral("serial")) == serial)
            return d;
    }
    return {};
}

QString TestRecoveryEndToEnd::pick(const std::function<bool(const Device&)>& wanted) const {
    for (const Device& d : fleet()) {
        if (wanted(d))
            return d.value(QStringLiteral("serial"));
    }
    return {};
}

// Asks the device to keep its own network parameters, which only its administrator password may do.
bool TestRecoveryEndToEnd::passwordWorks(const QString& serial, const QString& password, uint32_t* code) {
    const Device d = device(serial);
    VEXA_NET_PARAM params{};
    const auto put = [](char* field, size_t width, const QString& text) {
        const QByteArray bytes = text.toLatin1();
        std::memcpy(field, bytes.constData(), qMin(width - 1, size_t(bytes.size())));
    };
    put(params.ipv4Address, sizeof params.ipv4Address, d.value(QStringLiteral("ipv4")));
    put(params.ipv4SubnetMask, sizeof params.ipv4SubnetMask, d.value(QStringLiteral("mask")));
    put(params.ipv4Gateway, sizeof params.ipv4Gateway, d.value(QStringLiteral("gateway")));
    put(params.deviceName, sizeof params.deviceName, d.value(QStringLiteral("name")));
    params.port = static_cast<uint16_t>(d.value(QStringLiteral("port")).toUInt());
    params.httpPort = static_cast<uint16_t>(d.value(QStringLiteral("httpPort")).toUInt());
    params.rtspPort = static_cast<uint16_t>(d.value(QStringLiteral("rtspPort")).toUInt());
    params.dhcpEnabled = static_cast<uint8_t>(d.value(QStringLiteral("dhcp")).toUInt());
    const bool ok = m_handler->modifyNetParams(d.value(QStringLiteral("mac")).toLatin1(), password.toLatin1(), params);
    if (code)
        *code = ok ? 0 : m_handler->lastError();
    return ok;
}

// Exports the dialog's key request into a folder of its own and returns the file's path.
QString TestRecoveryEndToEnd::exportKeyRequest(ResetPasswordDialog& dialog, testutil::DialogDriver& driver) {
    const QString folder = m_dir.filePath(QStringLiteral("export-%1").arg(++m_exports));
    QDir().mkpath(folder);
    const int before = int(driver.warnings.size());
    driver.chooserAnswers << folder;
    child<QPushButton>(dialog, "m_btnExport")->click();
    if (!QTest::qWaitFor([&] { return driver.warnings.size() > before; }, 15000) ||
        driver.warnings.last().text != QLatin1String("Exported."))
        return {};
    const QStringList files = QDir(folder).entryList(QDir::Files);
    return files.size() == 1 ? QDir(folder).filePath(files.first()) : QString();
}

// Runs one reset through the dialog; the message it showed goes to *message.
// Only one driver may run at a time: whichever sees a box first takes it.
bool TestRecoveryEndToEnd::reset(testutil::DialogDriver& driver, const QString& serial, bool qr, bool typed,
                                 const QString& key, const QString& password, QString* message) {
    const qsizetype before = driver.warnings.size();
    ResetPasswordDialog dialog(nullptr, serial, qr, false);
    dialog.show();
    if (!QTest::qWaitFor([&] { return !dialog.isBusy(); }, 15000)) {
        *message = QStringLiteral("(the key request never returned)");
        return false;
    }
    if (typed) {
        child<QRadioButton>(dialog, "m_radioBtnManualInput")->setChecked(true);
        child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilePath")->setText(key);
    } else {
        const QString keyFile = m_dir.filePath(QStringLiteral("key-%1.txt").arg(QDateTime::currentMSecsSinceEpoch()));
        QFile file(keyFile);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(key.toLatin1() + "\n\n\n"); // as a mail program or an editor may leave it
        file.close();
        child<QRadioButton>(dialog, "m_radioBtnAutoInput")->setChecked(true);
        child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilePath")->setText(keyFile);
    }
    child<aptui::MultiStateLineEdit>(dialog, "m_lineEditNewPassword")->setText(password);
    child<aptui::MultiStateLineEdit>(dialog, "m_lineEditConfirmPassword")->setText(password);
    child<QPushButton>(dialog, "btnConfirm")->click();
    if (!QTest::qWaitFor([&] { return driver.warnings.size() > before; }, 15000)) {
        *message = QStringLiteral("(no message; busy: %1)").arg(dialog.isBusy());
        return false;
    }
    *message = driver.warnings.at(before).text;
    return dialog.result() == QDialog::Accepted && !dialog.isVisible();
}

void TestRecoveryEndToEnd::resetWithKeyFile_data() {
    QTest::addColumn<bool>("qr");
    QTest::newRow("device with QR code (command 2)") << true;
    QTest::newRow("device without (command 1)") << false;
}

void TestRecoveryEndToEnd::resetWithKeyFile() {
    QFETCH(bool, qr);
    const QString serial = qr ? m_qrDevice : m_plainDevice;
    testutil::DialogDriver driver;
    ResetPasswordDialog dialog(nullptr, serial, qr, false);
    dialog.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 15000);
    QCOMPARE(child<QLabel>(dialog, "m_labelQcCode")->pixmap().isNull(), !qr);
    QVERIFY(driver.warnings.isEmpty());

    const QString requestFile = exportKeyRequest(dialog, driver);
    QVERIFY(!requestFile.isEmpty());
    QFile request(requestFile);
    QVERIFY(request.open(QIODevice::ReadOnly));
    const QByteArray document = request.readAll();
    QVERIFY(document.size() > 0 && document.size() <= (qr ? 384 : 256));
    QVERIFY(!document.contains('\0'));
    qInfo("key request of %s: %d bytes", qPrintable(serial), int(document.size()));
    if (qr) {
        // What a phone reads from the dialog is the document the device handed out, byte for byte.
        const QImage shown = child<QLabel>(dialog, "m_labelQcCode")->pixmap().toImage();
        QCOMPARE(testutil::decodeQr(shown, m_dir, QStringLiteral("shown-qr")), QString::fromLatin1(document));
        QVERIFY(shown.save(m_dir.filePath(QStringLiteral("shown-qr.png"))));
    }
    dialog.close();

    const QString key = testsupport::runKeyTool({QStringLiteral("sign"), QStringLiteral("--test"), requestFile});
    QVERIFY(!key.isEmpty());
    QString message;
    QVERIFY2(reset(driver, serial, qr, false, key, QStringLiteral("File-Pass31"), &message), qPrintable(message));
    QCOMPARE(message, QStringLiteral("Reset password Succeed."));
    uint32_t code = 0;
    QVERIFY2(passwordWorks(serial, QStringLiteral("File-Pass31"), &code), qPrintable(QString::number(code)));
    QVERIFY(!passwordWorks(serial, m_passwords[serial], &code));
    QCOMPARE(code, uint32_t(VEXA_ERR_DEVICE_REFUSED));
    m_passwords[serial] = QStringLiteral("File-Pass31");
    if (qr)
        m_usedKey = key;
}

void TestRecoveryEndToEnd::resetWithTypedKey() {
    testutil::DialogDriver driver;
    ResetPasswordDialog dialog(nullptr, m_qrDevice, true, false);
    dialog.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 15000);
    const QString requestFile = exportKeyRequest(dialog, driver);
    QVERIFY(!requestFile.isEmpty());
    dialog.close();
    const QString key = testsupport::runKeyTool({QStringLiteral("sign"), QStringLiteral("--test"), requestFile});
    QVERIFY(!key.isEmpty() && key.size() <= 128);

    QString message;
    QVERIFY2(reset(driver, m_qrDevice, true, true, key, QStringLiteral("Typed-Pass42"), &message), qPrintable(message));
    QCOMPARE(message, QStringLiteral("Reset password Succeed."));
    QVERIFY(passwordWorks(m_qrDevice, QStringLiteral("Typed-Pass42")));
    QVERIFY(!passwordWorks(m_qrDevice, m_passwords[m_qrDevice]));
    m_passwords[m_qrDevice] = QStringLiteral("Typed-Pass42");
}

void TestRecoveryEndToEnd::foreignAndUsedKeysAreRefused() {
    QVERIFY(!m_usedKey.isEmpty());
    // A key made for the other device's current request.
    testutil::DialogDriver driver;
    ResetPasswordDialog other(nullptr, m_plainDevice, false, false);
    other.show();
    const QString otherRequest = exportKeyRequest(other, driver);
    QVERIFY(!otherRequest.isEmpty());
    other.close();
    const QString foreignKey =
        testsupport::runKeyTool({QStringLiteral("sign"), QStringLiteral("--test"), otherRequest});
    QVERIFY(!foreignKey.isEmpty());

    const struct {
        const char* name;
        QString key;
        bool typed;
    } refused[] = {
        {"key of another device", foreignKey, true},
        {"key of an older request", m_usedKey, false},
        {"not a key", QStringLiteral("NOT-A-KEY"), true},
    };
    for (const auto& attempt : refused) {
        QString message;
        QVERIFY2(!reset(driver, m_qrDevice, true, attempt.typed, attempt.key, QStringLiteral("Never-Pass53"), &message),
                 attempt.name);
        QCOMPARE(message, QStringLiteral("Reset password failed."));
    }
    // Nothing changed on the device.
    QVERIFY(passwordWorks(m_qrDevice, m_passwords[m_qrDevice]));
    QVERIFY(!passwordWorks(m_qrDevice, QStringLiteral("Never-Pass53")));
}

void TestRecoveryEndToEnd::restoreBySecurityCode() {
    const QString serial = m_codeDevice;
    QSignalSpy updates(m_handler, &VexaHandler::signalDeviceUpdate);
    testutil::DialogDriver driver;
    {
        RestorePasswordDialog dialog(nullptr, serial);
        dialog.show();
        const QString yesterdayButOne =
            QDateTime::currentDateTimeUtc().addDays(-3).toString(QStringLiteral("yyyyMMdd"));
        const QString oldCode =
            testsupport::runKeyTool({QStringLiteral("code"), QStringLiteral("--test"), QStringLiteral("--serial"),
                                     serial, QStringLiteral("--date"), yesterdayButOne});
        QVERIFY(!oldCode.isEmpty());
        for (const QString& wrong : {oldCode, QStringLiteral("AAAAAAAAAAAAAAAA")}) {
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditSecurityCode")->setText(wrong);
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditNewPassword")->setText(QStringLiteral("Owner-Pass7"));
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditConfirmPassword")
                ->setText(QStringLiteral("Owner-Pass7"));
            child<QPushButton>(dialog, "btnConfirm")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 15000);
        }
        QTRY_COMPARE(driver.texts(), QStringList({QStringLiteral("Restore password failed."),
                                                  QStringLiteral("Restore password failed.")}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(device(serial).value(QStringLiteral("activation")), QStringLiteral("0"));
        QVERIFY(passwordWorks(serial, m_passwords[serial]));
    }
    driver.warnings.clear();

    const QString code =
        testsupport::runKeyTool({QStringLiteral("code"), QStringLiteral("--test"), QStringLiteral("--serial"), serial});
    QVERIFY(!code.isEmpty());
    RestorePasswordDialog dialog(nullptr, serial);
    dialog.show();
    child<aptui::MultiStateLineEdit>(dialog, "m_lineEditSecurityCode")->setText(code);
    child<aptui::MultiStateLineEdit>(dialog, "m_lineEditNewPassword")->setText(QStringLiteral("Owner-Pass7"));
    child<aptui::MultiStateLineEdit>(dialog, "m_lineEditConfirmPassword")->setText(QStringLiteral("Owner-Pass7"));
    child<QPushButton>(dialog, "btnConfirm")->click();
    QTRY_COMPARE_WITH_TIMEOUT(driver.warnings.size(), 1, 15000);
    QVERIFY(driver.warnings.first().text.startsWith(QStringLiteral("Restore password succeed. ")));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // The device went straight to the new password: never "not activated", where anyone could activate it first.
    QCOMPARE(device(serial).value(QStringLiteral("activation")), QStringLiteral("0"));
    for (const QList<QVariant>& arguments : updates) {
        const auto record = arguments.at(0).value<VEXA_DEVICE_MY_INFO>();
        if (recordText(record.serialNo) == serial)
            QCOMPARE(record.activationState, uint8_t(0));
    }
    QVERIFY(passwordWorks(serial, QStringLiteral("Owner-Pass7")));
    QVERIFY(!passwordWorks(serial, m_passwords[serial]));
}

QTEST_MAIN(TestRecoveryEndToEnd)
#include "tst_recoveryendtoend.moc"
