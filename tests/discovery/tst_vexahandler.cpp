#include <cstring>
#include <thread>

#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QThread>

#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "support/FakeLibrary.h"

using VEXA::VexaHandler;

namespace {

QStringList g_traces;
void collectTraces(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_traces << message;
}

VEXA_DEVICE_INFO report(int event, const char* oem = VexaHandler::kOemInfo, uint8_t oemCode = 1) {
    VEXA_DEVICE_INFO info;
    std::memset(&info, 0, sizeof info);
    std::strcpy(info.recordTag, "VXDP1");
    std::strcpy(info.serialNo, "VX0001");
    std::strcpy(info.mac, "02-00-00-00-00-01");
    std::strcpy(info.ipv4Address, "192.0.2.64");
    std::strcpy(info.oemInfo, oem);
    info.oemCode = oemCode;
    info.eventType = event;
    info.httpPort = 80;
    return info;
}

} // namespace

class TestVexaHandler : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startStopCallTheLibraryOnce();
    void filterRule();
    void events_data();
    void events();
    void malformedReportsAreDropped();
    void onvifReports_data();
    void onvifReports();
    void onvifLoginReachesTheLibrary();
    void signalsArriveQueuedOnTheGuiThread();

private:
    VexaHandler* m_handler = nullptr;
};

void TestVexaHandler::initTestCase() {
    m_handler = VexaHandler::instance();
    fakelib::install();
}

void TestVexaHandler::init() {
    g_traces.clear();
    qInstallMessageHandler(collectTraces);
}

void TestVexaHandler::cleanup() {
    qInstallMessageHandler(nullptr);
    m_handler->stop();
    fakelib::reset();
}

void TestVexaHandler::startStopCallTheLibraryOnce() {
    const auto seen = [] { return fakelib::snapshot(); };
    QVERIFY(m_handler->stop()); // not started: nothing to call
    QCOMPARE(seen().stops, 0);
    QVERIFY(m_handler->start());
    QVERIFY(m_handler->start());
    QCOMPARE(seen().starts, 1);
    QCOMPARE(seen().userData, static_cast<void*>(m_handler));
    QVERIFY(m_handler->stop());
    QVERIFY(m_handler->stop());
    QCOMPARE(seen().stops, 1);

    fakelib::state().startResult = 0;
    QVERIFY(!m_handler->start());
    QVERIFY(!m_handler->isStarted());
    QVERIFY(m_handler->stop());
    QCOMPARE(seen().stops, 1);
}

void TestVexaHandler::filterRule() {
    QVERIFY(m_handler->setFilterRule(true));
    QCOMPARE(fakelib::snapshot().lastFilter, 1);
    QVERIFY(m_handler->setFilterRule(false));
    QCOMPARE(fakelib::snapshot().lastFilter, 0);
    fakelib::state().filterResult = 0;
    fakelib::state().failCode = 2011;
    QVERIFY(!m_handler->setFilterRule(true));
    QVERIFY(g_traces.join(QLatin1Char('\n')).contains(QStringLiteral("error 2011")));
}

void TestVexaHandler::events_data() {
    QTest::addColumn<int>("event");
    QTest::addColumn<QByteArray>("oem");
    QTest::addColumn<int>("oemCode");
    QTest::addColumn<int>("online");
    QTest::addColumn<int>("offline");
    QTest::addColumn<int>("update");
    QTest::addColumn<QString>("trace");
    QTest::newRow("new, our OEM") << 1 << QByteArray(VexaHandler::kOemInfo) << 1 << 1 << 0 << 0
                                  << "kelnor_signal_add_192.0.2.64";
    QTest::newRow("4 is new") << 4 << QByteArray(VexaHandler::kOemInfo) << 1 << 1 << 0 << 0
                              << "kelnor_signal_add_192.0.2.64";
    QTest::newRow("new, OEM code 0") << 1 << QByteArray(VexaHandler::kOemInfo) << 0 << 0 << 0 << 0
                                     << "kelnor_szOEMinfo192.0.2.64   0";
    QTest::newRow("new, other OEM") << 1 << QByteArray("Other_oem") << 1 << 0 << 0 << 0
                                    << "kelnor_szOEMinfo192.0.2.64   1";
    QTest::newRow("new, empty OEM") << 1 << QByteArray() << 1 << 0 << 0 << 0 << "kelnor_szOEMinfo192.0.2.64   1";
    QTest::newRow("new, OEM differs in case")
        << 1 << QByteArray("fynmar_quelbrok") << 1 << 0 << 0 << 0 << "kelnor_szOEMinfo192.0.2.64   1";
    QTest::newRow("changed, any OEM") << 2 << QByteArray("Other_oem") << 0 << 0 << 0 << 1
                                      << "kelnor_VEXA_UPDATE192.0.2.64";
    QTest::newRow("gone, any OEM") << 3 << QByteArray("Other_oem") << 0 << 0 << 1 << 0 << "kelnor_VEXA_DEC192.0.2.64";
    QTest::newRow("type 0") << 0 << QByteArray(VexaHandler::kOemInfo) << 1 << 0 << 0 << 0 << "kelnor_default192.0.2.64";
    QTest::newRow("type 5") << 5 << QByteArray(VexaHandler::kOemInfo) << 1 << 0 << 0 << 0 << "kelnor_default192.0.2.64";
}

void TestVexaHandler::events() {
    QFETCH(int, event);
    QFETCH(QByteArray, oem);
    QFETCH(int, oemCode);
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QSignalSpy offline(m_handler, &VexaHandler::signalDeviceOffline);
    QSignalSpy update(m_handler, &VexaHandler::signalDeviceUpdate);

    const VEXA_DEVICE_INFO info = report(event, oem.constData(), static_cast<uint8_t>(oemCode));
    VexaHandler::deviceCallback(&info, m_handler);

    QTEST(int(online.count()), "online");
    QTEST(int(offline.count()), "offline");
    QTEST(int(update.count()), "update");
    QCOMPARE(g_traces.value(0), QStringLiteral("kelnor_start_192.0.2.64"));
    QTEST(g_traces.value(1), "trace");
    QCOMPARE(g_traces.size(), 2);
}

void TestVexaHandler::malformedReportsAreDropped() {
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    VexaHandler::deviceCallback(nullptr, m_handler);
    QCOMPARE(g_traces.value(0), QStringLiteral("kelnor_pDeviceInfo_Null"));

    VEXA_DEVICE_INFO info = report(1);
    VexaHandler::deviceCallback(&info, nullptr);
    QCOMPARE(g_traces.value(2), QStringLiteral("kelnor_pHandler_Null192.0.2.64"));

    info = report(1);
    std::memset(info.serialNo, 0, sizeof info.serialNo);
    VexaHandler::deviceCallback(&info, m_handler);
    QCOMPARE(g_traces.value(4), QStringLiteral("kelnor_stringLenCheck192.0.2.64"));

    info = report(1);
    std::strcpy(info.softwareVersion, "V1.\x01x"); // a control byte inside the text
    VexaHandler::deviceCallback(&info, m_handler);
    QCOMPARE(g_traces.value(6), QStringLiteral("kelnor_stringLenCheck192.0.2.64"));

    // Full-width texts without terminators are well-formed and stay bounded.
    info = report(1);
    std::memset(info.serialNo, 'S', sizeof info.serialNo);
    std::memset(info.ipv4Address, '1', sizeof info.ipv4Address);
    VexaHandler::deviceCallback(&info, m_handler);
    QCOMPARE(online.count(), 1);
    const auto record = online.at(0).at(0).value<VEXA_DEVICE_MY_INFO>();
    QCOMPARE(recordText(record.serialNo), QString(48, QLatin1Char('S')));
    QCOMPARE(g_traces.value(7), QStringLiteral("kelnor_start_") + QString(16, QLatin1Char('1')));
}

void TestVexaHandler::onvifReports_data() {
    QTest::addColumn<int>("event");
    QTest::addColumn<QByteArray>("endpoint");
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<int>("signals");
    // Heard by WS-Discovery: no serial number, MAC nor OEM mark, and listed all the same.
    QTest::newRow("new, details pending") << 1 << QByteArray("urn:uuid:1") << QByteArray() << 1;
    QTest::newRow("changed, details read") << 2 << QByteArray("urn:uuid:1") << QByteArray("OC1") << 1;
    QTest::newRow("gone") << 3 << QByteArray("urn:uuid:1") << QByteArray() << 1;
    QTest::newRow("no endpoint reference") << 1 << QByteArray() << QByteArray() << 0;
    QTest::newRow("control byte in endpoint") << 1 << QByteArray("urn:\x02uuid") << QByteArray() << 0;
}

void TestVexaHandler::onvifReports() {
    QFETCH(int, event);
    QFETCH(QByteArray, endpoint);
    QFETCH(QByteArray, serial);
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QSignalSpy offline(m_handler, &VexaHandler::signalDeviceOffline);
    QSignalSpy update(m_handler, &VexaHandler::signalDeviceUpdate);
    VEXA_DEVICE_INFO info = report(event, "", 0);
    info.protocol = VEXA_PROTOCOL_ONVIF;
    std::memset(info.serialNo, 0, sizeof info.serialNo);
    std::memset(info.mac, 0, sizeof info.mac);
    std::memcpy(info.serialNo, serial.constData(), static_cast<size_t>(serial.size()));
    std::memcpy(info.endpointReference, endpoint.constData(), static_cast<size_t>(endpoint.size()));
    VexaHandler::deviceCallback(&info, m_handler);
    QTEST(int(online.count() + offline.count() + update.count()), "signals");
    const QList<QVariant> first = !online.isEmpty()    ? online.at(0)
                                  : !offline.isEmpty() ? offline.at(0)
                                  : !update.isEmpty()  ? update.at(0)
                                                       : QList<QVariant>();
    if (!first.isEmpty()) {
        const auto record = first.at(0).value<VEXA_DEVICE_MY_INFO>();
        QCOMPARE(record.protocol, uint8_t(VEXA_PROTOCOL_ONVIF));
        QCOMPARE(deviceKeyOf(record).serialNo,
                 serial.isEmpty() ? QString::fromLatin1(endpoint) : QString::fromLatin1(serial));
    }
}

void TestVexaHandler::onvifLoginReachesTheLibrary() {
    VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    login.clear();
    fakelib::credentialCalls = 0;
    // For every device (the user's choice), set before the start: handed over at the start.
    login.assign(QStringLiteral("admin"), QStringLiteral("Camera-2024"), {}, true);
    QCOMPARE(fakelib::credentialCalls, 0);
    QVERIFY(m_handler->start());
    QCOMPARE(fakelib::credentialCalls, 1);
    QVERIFY(fakelib::onvifEvery);
    QCOMPARE(fakelib::onvifUser, QByteArray("admin"));
    QCOMPARE(fakelib::onvifPassword, QByteArray("Camera-2024"));
    // For the devices listed only, while running: the login for every device is withdrawn, theirs given at once.
    login.assign(QStringLiteral("operator"), QStringLiteral("Pässword-1"), {QStringLiteral("urn:uuid:c1")}, false);
    QVERIFY(!fakelib::onvifEvery);
    QCOMPARE(fakelib::onvifGiven.value("urn:uuid:c1"), QByteArray("operator"));
    QCOMPARE(fakelib::onvifPassword, QStringLiteral("Pässword-1").toUtf8());
    // Forgotten: taken from the device too.
    login.clear();
    QVERIFY(fakelib::onvifGiven.isEmpty());
    QCOMPARE(fakelib::onvifUser, QByteArray());
}

class Receiver : public QObject {
    Q_OBJECT

public:
    QList<VEXA_DEVICE_MY_INFO> records;
    QList<QThread*> threads;

public slots:
    void onDeviceLogin(VEXA_DEVICE_MY_INFO record) {
        records << record;
        threads << QThread::currentThread();
    }
};

void TestVexaHandler::signalsArriveQueuedOnTheGuiThread() {
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    Receiver receiver;
    connect(m_handler, &VexaHandler::signalDeviceOnline, &receiver, &Receiver::onDeviceLogin);

    constexpr int kReports = 200;
    std::thread library([this] {
        for (int i = 0; i < kReports; ++i) {
            VEXA_DEVICE_INFO info = report(1);
            std::snprintf(info.serialNo, sizeof info.serialNo, "VX%04d", i);
            VexaHandler::deviceCallback(&info, m_handler);
            std::memset(&info, 0xEE, sizeof info); // the library reuses its record after the call
        }
    });
    library.join();
    QCOMPARE(receiver.records.size(), 0); // nothing delivered until the GUI thread's loop runs
    QTRY_COMPARE(receiver.records.size(), kReports);
    for (int i = 0; i < kReports; ++i) {
        QCOMPARE(recordText(receiver.records.at(i).serialNo), QStringLiteral("VX%1").arg(i, 4, 10, QLatin1Char('0')));
        QCOMPARE(recordText(receiver.records.at(i).mac), QStringLiteral("02-00-00-00-00-01"));
        QCOMPARE(receiver.records.at(i).httpPort, 80);
        QCOMPARE(receiver.threads.at(i), QThread::currentThread());
    }
}

QTEST_GUILESS_MAIN(TestVexaHandler)
#include "tst_vexahandler.moc"
