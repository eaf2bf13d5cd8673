#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include "ModifyTestSupport.h"
#include "aptui/BatchProgressCover.h"
#include "aptui/MultiStateLineEdit.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "outcome/ErrorText.h"
#include "plan/ChangeController.h"
#include "plan/PlanText.h"

using namespace modifytest;
using VexaTool::DeviceModifyPage;

namespace {

// Devices of the flow: eleven to activate, one to change alone, ten for the counted batch, ten to stop.
// The rows of a results page as "serial=address=result" (the result empty for a success, which shows an icon).
QStringList resultsOf(QWidget* modal) {
    QStringList rows;
    if (auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(modal)) {
        for (int row = 0; row < results->model()->rowCount(); ++row)
            rows << results->model()->item(row, 3)->text() + u'=' + results->model()->item(row, 2)->text() + u'=' +
                        results->model()->item(row, 4)->text();
    }
    qobject_cast<QDialog*>(modal)->accept();
    return rows;
}

QString deviceLine(const QString& serial, int index, int activation, int typeCode) {
    return QStringLiteral("serial=%1\tmac=02-56-e2-00-00-%2\tipv4=127.30.0.%3\tmask=255.255.0.0\tgateway=127.30.0.1\t"
                          "typeCode=%4\tport=8000\tchannels=1\taux=0\tsoftware=V5.7.2\tdsp=V7.3\tbootTime=2024-08-18 "
                          "21:37:12\ttypeName=VX-IPC-B120\toemInfo=Fynmar_quelbrok\tipv6=\tipv6Gateway=\tipv6Prefix=0\t"
                          "support=4\tdhcp=0\tcapability=2\thttpPort=80\tclass=1\toemCode=1\tactivation=%5\t"
                          "resetFlags=0\tname=Camera %6\tserviceTag=ST%6\trtspPort=554\n")
        .arg(serial)
        .arg(index, 2, 16, QLatin1Char('0'))
        .arg(index + 10)
        .arg(typeCode)
        .arg(activation)
        .arg(index);
}

} // namespace

// The modify page on the real handler and library against a simulated fleet on loopback; the simulator's
// saved state tells what the devices really hold.
class TestModifyFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void activateOne();
    void activateBatchOfTen();
    void modifyOneWithCanonicalAddress();
    void wrongAdminPasswordChangesNothing();
    void batchThatWouldLeaveTheSubnetIsRefused();
    void batchOfTenCountsOverTheThirdPart();
    void stopInTheMiddleLeavesTheRestUntouched();

private:
    QVector<DeviceInfo> entries(const QString& prefix, int count) const;
    QMap<QString, QMap<QString, QString>> state() const; // serial → field → value (device-side fields dropped)
    aptui::MultiStateLineEdit* edit(const char* name) const {
        return m_page->findChild<aptui::MultiStateLineEdit*>(QString::fromLatin1(name));
    }
    void click(const char* name) {
        QTest::mouseClick(m_page->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void fillBatch(const QString& start, const QString& mask);

    QTemporaryDir m_dir;
    QProcess m_simulator;
    std::unique_ptr<DeviceModifyPage> m_page;
    int m_deviceCount = 0;
};

void TestModifyFlow::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), u"127.0.0.1"_qs);
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    const QString bin = qEnvironmentVariable("VEXA_BIN_DIR");
    QProcess keytool;
    keytool.start(bin + u"/vexa-keytool"_qs, {u"pubkey"_qs, u"--test"_qs});
    QVERIFY(keytool.waitForFinished(10000));
    qputenv("VEXA_TRUSTED_KEYS", keytool.readAllStandardOutput().trimmed());
    qputenv("VEXA_SIM_CHEAP_HASH", "1");

    QString devices;
    int index = 0;
    for (int i = 0; i < 11; ++i, ++index)
        devices += deviceLine(u"VXE2EACT%1"_qs.arg(i, 2, 10, QLatin1Char('0')), index, 1, 0x9D01);
    devices += deviceLine(u"VXE2EONE00"_qs, index++, 0, 0x9D01);
    for (int i = 0; i < 10; ++i, ++index)
        devices += deviceLine(u"VXE2EBAT%1"_qs.arg(i, 2, 10, QLatin1Char('0')), index, 0, 0x1000);
    for (int i = 0; i < 10; ++i, ++index)
        devices += deviceLine(u"VXE2ESTP%1"_qs.arg(i, 2, 10, QLatin1Char('0')), index, 0, 0x1000);
    m_deviceCount = index;
    QFile file(m_dir.filePath(u"devices.txt"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(devices.toUtf8());
    file.close();

    const QString dump = m_dir.filePath(u"dump.txt"_qs);
    m_simulator.setProgram(bin + u"/vexa-devsim"_qs);
    m_simulator.setArguments({u"--devices"_qs, file.fileName(), u"--state"_qs, m_dir.filePath(u"state.txt"_qs),
                              u"--dump"_qs, dump, u"--reply-delay"_qs, u"5:50"_qs, u"--apply-delay"_qs, u"30"_qs});
    m_simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator.start();
    QVERIFY(m_simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);

    VEXA::DeviceStore::instance()->clear();
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    connect(handler, &VEXA::VexaHandler::signalDeviceOnline, this,
            [](VEXA_DEVICE_MY_INFO record) { VEXA::DeviceStore::instance()->add(record); });
    QVERIFY(handler->start());
    QTRY_COMPARE_WITH_TIMEOUT(VEXA::DeviceStore::instance()->count(), m_deviceCount, 15000);
}

void TestModifyFlow::cleanupTestCase() {
    VEXA::VexaHandler::instance()->stop();
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.terminate();
        m_simulator.waitForFinished(10000);
    }
}

void TestModifyFlow::init() {
    m_page = std::make_unique<DeviceModifyPage>();
    m_page->setTaskThreads(8);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestModifyFlow::cleanup() {
    m_page.reset();
}

QVector<DeviceInfo> TestModifyFlow::entries(const QString& prefix, int count) const {
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    QVector<DeviceInfo> result;
    for (const VEXA_DEVICE_MY_INFO& r : records) {
        const QString serial = recordText(r.serialNo);
        if (serial.startsWith(prefix) && result.size() < count)
            result << DeviceInfo{QString::number(result.size() + 1),
                                 recordText(r.deviceTypeName),
                                 recordText(r.ipv4Address),
                                 serial,
                                 recordText(r.mac),
                                 u"0"_qs};
    }
    std::sort(result.begin(), result.end(),
              [](const DeviceInfo& a, const DeviceInfo& b) { return a.serialNo < b.serialNo; });
    return result;
}

QMap<QString, QMap<QString, QString>> TestModifyFlow::state() const {
    QMap<QString, QMap<QString, QString>> devices;
    QFile file(m_dir.filePath(u"state.txt"_qs));
    if (!file.open(QIODevice::ReadOnly))
        return devices;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QMap<QString, QString> fields;
        for (const QByteArray& item : line.split('\t')) {
            const qsizetype eq = item.indexOf('=');
            if (!item.startsWith('.'))
                fields.insert(QString::fromUtf8(item.left(eq)), QString::fromUtf8(item.mid(eq + 1)));
        }
        devices.insert(fields.value(u"serial"_qs), fields);
    }
    return devices;
}

void TestModifyFlow::fillBatch(const QString& start, const QString& mask) {
    edit("m_lineEditAdminPassword")->setText(u"Install-2024"_qs);
    edit("m_lineEditStartIp")->setText(start);
    edit("m_lineEditSubnetMask")->setText(mask);
    edit("m_lineEditPort")->setText(u"8000"_qs);
    edit("m_lineEditHttpPort")->setText(u"80"_qs);
    edit("m_lineEditRTSP")->setText(u"554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Hall"_qs);
}

void TestModifyFlow::activateOne() {
    const QVector<DeviceInfo> one = entries(u"VXE2EACT00"_qs, 1);
    QCOMPARE(one.size(), 1);
    m_page->onCurrentSelectionChange(ACTIVE_SINGLE, one);
    QSignalSpy active(m_page.get(), &DeviceModifyPage::signalActiveResult);
    QSignalSpy activated(m_page.get(), &DeviceModifyPage::signalActivated);
    ModalWatcher watcher;
    edit("m_lineEditNewPassword")->setText(u"Abcd-1234"_qs);
    edit("m_lineEditConfirmPassword")->setText(u"Abcd-1234"_qs);
    click("m_btnActive");
    QTRY_COMPARE_WITH_TIMEOUT(watcher.warnings, QStringList{u"Activate Succeed."_qs}, 15000);
    QCOMPARE(active.count(), 1);
    QCOMPARE(state().value(one[0].serialNo).value(u"activation"_qs), u"0"_qs);
    QCOMPARE(activated.count(), 1);
}

void TestModifyFlow::activateBatchOfTen() {
    QVector<DeviceInfo> ten = entries(u"VXE2EACT"_qs, 11);
    ten.removeFirst();
    QCOMPARE(ten.size(), 10);
    m_page->onCurrentSelectionChange(ACTIVE_BATCH, ten);
    QStringList rows;
    ModalWatcher watcher;
    watcher.onOther = [&rows](QWidget* modal) {
        if (auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(modal)) {
            for (int row = 0; row < results->model()->rowCount(); ++row)
                rows << results->model()->item(row, 3)->text() + u'=' + results->model()->item(row, 4)->text();
            results->accept();
        }
    };
    edit("m_lineEditNewPassword")->setText(u"Abcd-1234"_qs);
    edit("m_lineEditConfirmPassword")->setText(u"Abcd-1234"_qs);
    click("m_btnActive");
    QTRY_COMPARE_WITH_TIMEOUT(rows.size(), 10, 30000);
    const auto devices = state();
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(rows[i], ten[i].serialNo + u'='); // success: the icon and no text
        QCOMPARE(devices.value(ten[i].serialNo).value(u"activation"_qs), u"0"_qs);
    }
}

void TestModifyFlow::modifyOneWithCanonicalAddress() {
    const QVector<DeviceInfo> one = entries(u"VXE2EONE"_qs, 1);
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, one);
    edit("m_lineEditAdminPassword")->setText(u"Install-2024"_qs);
    edit("m_lineEditIpAddress")->setText(u"192.168.001.010"_qs);
    edit("m_lineEditSubnetMask")->setText(u"255.255.255.0"_qs);
    edit("m_lineEditGateway")->setText(u"192.168.1.001"_qs);
    edit("m_lineEditDeviceName")->setText(u"Front door"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    QSignalSpy settled(m_page->changes(), &VexaTool::ChangeController::signalChangeSettled);
    QStringList results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { results << resultsOf(modal); };
    click("m_btnModify");
    QTRY_COMPARE_WITH_TIMEOUT(results, QStringList{one[0].serialNo + u"=192.168.1.10="_qs}, 15000);
    QVERIFY(watcher.warnings.isEmpty());
    QCOMPARE(modified.count(), 1);
    const auto device = state().value(one[0].serialNo);
    QCOMPARE(device.value(u"ipv4"_qs), u"192.168.1.10"_qs);
    QCOMPARE(device.value(u"mask"_qs), u"255.255.255.0"_qs);
    QCOMPARE(device.value(u"gateway"_qs), u"192.168.1.1"_qs);
    QCOMPARE(device.value(u"name"_qs), u"Front door"_qs);
    // The list learns the new address from the device, through the fleet; the page tells it only that the change
    // settled, never the values it sent.
    QCOMPARE(settled.count(), 1);
    QVERIFY(settled.first().at(1).value<VexaTool::Outcome>().isDone());
    QVERIFY(!settled.first().at(2).value<std::optional<VEXA_NET_PARAM>>().has_value());
}

void TestModifyFlow::wrongAdminPasswordChangesNothing() {
    const QVector<DeviceInfo> one = entries(u"VXE2EONE"_qs, 1);
    const auto before = state().value(one[0].serialNo);
    // The address the list knows: the page wrote none of the last change's values, and no list runs here to learn
    // them from the device.
    const QString listed = recordText(stored(one[0]).ipv4Address);
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, one);
    edit("m_lineEditAdminPassword")->setText(u"Wrong-999"_qs);
    edit("m_lineEditIpAddress")->setText(u"192.168.1.99"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    QStringList results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { results << resultsOf(modal); };
    click("m_btnModify");
    // The outcome stays on the results page, with the device at the address it kept.
    QTRY_COMPARE_WITH_TIMEOUT(
        results,
        QStringList{one[0].serialNo + u'=' + listed + u'=' +
                    VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, VEXA_ERR_DEVICE_REFUSED)},
        15000);
    QVERIFY(watcher.warnings.isEmpty());
    QVERIFY(!modified.first().first().value<QVector<DeviceInfo>>().first().outcome.isDone());
    QCOMPARE(state().value(one[0].serialNo), before);
    QCOMPARE(recordText(stored(one[0]).ipv4Address), listed);
}

void TestModifyFlow::batchThatWouldLeaveTheSubnetIsRefused() {
    const QVector<DeviceInfo> ten = entries(u"VXE2EBAT"_qs, 10);
    QCOMPARE(ten.size(), 10);
    const auto before = state();
    m_page->onCurrentSelectionChange(MODIFY_BATCH, ten);
    fillBatch(u"192.168.1.250"_qs, u"255.255.255.0"_qs);
    ModalWatcher watcher;
    click("m_btnModify");
    QCOMPARE(watcher.warnings.size(), 1);
    QVERIFY(watcher.warnings.first().contains(u"leave the subnet"_qs));
    QVERIFY(!m_page->isBusy());
    QTest::qWait(200);
    QCOMPARE(state(), before);
}

void TestModifyFlow::batchOfTenCountsOverTheThirdPart() {
    const QVector<DeviceInfo> ten = entries(u"VXE2EBAT"_qs, 10);
    m_page->onCurrentSelectionChange(MODIFY_BATCH, ten);
    fillBatch(u"192.168.1.250"_qs, u"255.255.0.0"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    int shown = 0;
    ModalWatcher watcher;
    watcher.onOther = [&shown](QWidget* modal) {
        ++shown;
        qobject_cast<QDialog*>(modal)->accept();
    };
    click("m_btnModify");
    QTRY_COMPARE_WITH_TIMEOUT(shown, 1, 30000);
    QCOMPARE(modified.count(), 1);
    const auto rows = modified.first().first().value<QVector<DeviceInfo>>();
    const auto devices = state();
    const QStringList expected{u"192.168.1.250"_qs, u"192.168.1.251"_qs, u"192.168.1.252"_qs, u"192.168.1.253"_qs,
                               u"192.168.1.254"_qs, u"192.168.1.255"_qs, u"192.168.2.0"_qs,   u"192.168.2.1"_qs,
                               u"192.168.2.2"_qs,   u"192.168.2.3"_qs};
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(rows[i].result, u"Succeed"_qs);
        QCOMPARE(rows[i].ipv4Address, expected[i]);
        QCOMPARE(devices.value(ten[i].serialNo).value(u"ipv4"_qs), expected[i]);
        QCOMPARE(devices.value(ten[i].serialNo).value(u"mask"_qs), u"255.255.0.0"_qs);
        QCOMPARE(devices.value(ten[i].serialNo).value(u"gateway"_qs), u"127.30.0.1"_qs); // gateway editor was locked
        QCOMPARE(devices.value(ten[i].serialNo).value(u"name"_qs), u"Hall"_qs);
    }
}

void TestModifyFlow::stopInTheMiddleLeavesTheRestUntouched() {
    m_page->setTaskThreads(1);
    const QVector<DeviceInfo> ten = entries(u"VXE2ESTP"_qs, 10);
    const auto before = state();
    m_page->onCurrentSelectionChange(MODIFY_BATCH, ten);
    fillBatch(u"10.77.0.10"_qs, u"255.255.0.0"_qs);
    // Stop as soon as the first device has answered, as an installer would press it.
    auto* changes = m_page->findChild<VexaTool::ChangeController*>();
    QVERIFY(changes);
    connect(changes, &VexaTool::ChangeController::signalChangeSettled, this, [this] {
        auto* stop = m_page->progressCover()->findChild<QPushButton*>(u"m_btnBatchStop"_qs);
        if (stop->isEnabled())
            stop->click();
    });
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    int shown = 0;
    ModalWatcher watcher;
    watcher.onOther = [&shown](QWidget* modal) {
        ++shown;
        qobject_cast<QDialog*>(modal)->accept();
    };
    click("m_btnModify");
    QTRY_COMPARE_WITH_TIMEOUT(shown, 1, 30000);
    const auto rows = modified.first().first().value<QVector<DeviceInfo>>();
    const auto devices = state();
    int notSent = 0;
    for (int i = 0; i < 10; ++i) {
        const auto device = devices.value(ten[i].serialNo);
        if (rows[i].result == VexaTool::PlanText::stopped()) {
            ++notSent;
            QCOMPARE(device, before.value(ten[i].serialNo));
        } else if (rows[i].outcome.kind == VexaTool::Outcome::Kind::Unknown) {
            // Gone out as Stop was pressed: given up waiting for, the device decides.
            QCOMPARE(rows[i].result, VexaTool::PlanText::stoppedWaiting());
        } else {
            QCOMPARE(rows[i].result, u"Succeed"_qs);
            QCOMPARE(device.value(u"ipv4"_qs), u"10.77.0.%1"_qs.arg(10 + i));
        }
    }
    QVERIFY2(notSent >= 5, qPrintable(QString::number(notSent)));
    QCOMPARE(rows[0].result, u"Succeed"_qs);
}

QTEST_MAIN(TestModifyFlow)
#include "tst_modifyflow.moc"
