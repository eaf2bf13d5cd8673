#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "FleetFile.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/VexaHandler.h"
#include "support/SimulatorProcess.h"

using VexaTool::DeviceDisplayPage;

// The page fed by the real handler and library, against a simulated fleet on loopback.
class TestDeviceListDiscovery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void thousandDevicesComeAndGo();

private:
    QTemporaryDir m_dir;
    QProcess m_simulator;
};

void TestDeviceListDiscovery::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    // Trust the simulator's test manufacturer, so that its devices verify and the rows show it.
    QVERIFY(testsupport::trustTestManufacturer());
}

void TestDeviceListDiscovery::cleanupTestCase() {
    VEXA::VexaHandler::instance()->stop();
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.kill();
        m_simulator.waitForFinished();
    }
}

void TestDeviceListDiscovery::thousandDevicesComeAndGo() {
    const QString fleet = m_dir.filePath(QStringLiteral("fleet.txt"));
    const QString dump = m_dir.filePath(QStringLiteral("dump.txt"));
    QVERIFY(testfleet::write(fleet, 1000, 40));
    m_simulator.setProgram(qEnvironmentVariable("VEXA_BIN_DIR") + QStringLiteral("/vexa-devsim"));
    m_simulator.setArguments({QStringLiteral("--devices"), fleet, QStringLiteral("--dump"), dump,
                              QStringLiteral("--no-boot-announce"), QStringLiteral("--reply-delay"),
                              QStringLiteral("0:300")});
    m_simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator.start();
    QVERIFY(m_simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);

    DeviceDisplayPage page(nullptr, m_dir.filePath(QStringLiteral("ColumnConfig.xml")));
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    connect(handler, &VEXA::VexaHandler::signalDeviceOnline, &page, &DeviceDisplayPage::onDeviceLogin);
    connect(handler, &VEXA::VexaHandler::signalDeviceOffline, &page, &DeviceDisplayPage::onDeviceLogout);
    connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, &page, &DeviceDisplayPage::onDeviceUpdate);
    QVERIFY(handler->setFilterRule(true));
    QVERIFY(handler->start());

    QTRY_COMPARE_WITH_TIMEOUT(page.countLabel()->text(), QStringLiteral("1000"), 20000);
    QTest::qWait(300); // late repeats would show here
    QCOMPARE(page.model()->rowCount(), 1000);
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 1000);
    QCOMPARE(page.model()->rowOf(QStringLiteral("VXLIST00000999"), QStringLiteral("02-57-00-00-03-e7")) >= 0, true);
    // The library's verdict on each identity reaches the rows: none is marked unverified.
    const int id = page.model()->columnOf(VexaTool::DeviceInfoModel::KindId);
    for (int row = 0; row < page.model()->rowCount(); ++row)
        QVERIFY(!page.model()->index(row, id).data(VexaTool::DeviceInfoModel::UnverifiedRole).toBool());

    m_simulator.terminate();
    QVERIFY(m_simulator.waitForFinished(10000));
    QTRY_COMPARE_WITH_TIMEOUT(page.countLabel()->text(), QStringLiteral("0"), 20000);
    QCOMPARE(page.model()->rowCount(), 0);
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 0);
}

QTEST_MAIN(TestDeviceListDiscovery)
#include "tst_devicelistdiscovery.moc"
