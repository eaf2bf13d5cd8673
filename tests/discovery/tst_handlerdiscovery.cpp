#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "discovery/VexaHandler.h"
#include "support/SimulatorProcess.h"

using VEXA::VexaHandler;

// The handler on the real library, against a simulated fleet on loopback.
class TestHandlerDiscovery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportsOurVideoDevicesOnce();
    void clearUpBringsThemBackAsNew();
    void simulatorShutdownReportsAllGone();

private:
    static QSet<QString> serials(const QSignalSpy& spy);

    testsupport::SimulatorProcess m_simulator;
    QSet<QString> m_expected; // devices of our OEM and of the video class
    VexaHandler* m_handler = nullptr;
};

void TestHandlerDiscovery::initTestCase() {
    QVERIFY(qEnvironmentVariable("VEXA_IFACE") == QLatin1String("127.0.0.1"));
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    QVERIFY(m_simulator.start({QStringLiteral("--count"), QStringLiteral("60"), QStringLiteral("--seed"),
                               QStringLiteral("11"), QStringLiteral("--reply-delay"), QStringLiteral("20:200")}));
    const QList<testsupport::DeviceFields> fleet = m_simulator.fleet();
    const int devices = static_cast<int>(fleet.size());
    for (const testsupport::DeviceFields& fields : fleet) {
        if (fields.value(QStringLiteral("oemInfo")) == QLatin1String(VexaHandler::kOemInfo) &&
            fields.value(QStringLiteral("oemCode")) == QLatin1String("1") &&
            fields.value(QStringLiteral("class")) == QLatin1String("1"))
            m_expected.insert(fields.value(QStringLiteral("serial")));
    }
    QCOMPARE(devices, 60);
    // The fleet mixes in devices the list must not show; otherwise this test proves little.
    QVERIFY(m_expected.size() > 30 && m_expected.size() < 60);

    m_handler = VexaHandler::instance();
    QVERIFY(m_handler->setFilterRule(true));
}

void TestHandlerDiscovery::cleanupTestCase() {
    if (m_handler)
        QVERIFY(m_handler->stop());
}

QSet<QString> TestHandlerDiscovery::serials(const QSignalSpy& spy) {
    QSet<QString> result;
    for (const QList<QVariant>& arguments : spy)
        result.insert(recordText(arguments.at(0).value<VEXA_DEVICE_MY_INFO>().serialNo));
    return result;
}

void TestHandlerDiscovery::reportsOurVideoDevicesOnce() {
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QVERIFY(m_handler->start());
    QVERIFY(m_handler->start());
    QTRY_COMPARE_WITH_TIMEOUT(serials(online), m_expected, 10000);
    QTest::qWait(300); // late duplicates would show here
    QCOMPARE(online.count(), m_expected.size());
}

void TestHandlerDiscovery::clearUpBringsThemBackAsNew() {
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QVERIFY(m_handler->clearUp());
    QVERIFY(m_handler->sendInquiry());
    QTRY_COMPARE_WITH_TIMEOUT(serials(online), m_expected, 10000);
}

void TestHandlerDiscovery::simulatorShutdownReportsAllGone() {
    QSignalSpy offline(m_handler, &VexaHandler::signalDeviceOffline);
    QVERIFY(m_simulator.stop());
    QTRY_VERIFY_WITH_TIMEOUT(serials(offline).contains(m_expected), 10000);
}

QTEST_GUILESS_MAIN(TestHandlerDiscovery)
#include "tst_handlerdiscovery.moc"
