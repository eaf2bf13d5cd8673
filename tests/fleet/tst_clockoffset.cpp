// The "Clock" column's words and marks, and how the fleet's clocks are read: a bounded pool, one read per device.
#include <atomic>
#include <climits>
#include <thread>

#include <QSignalSpy>
#include <QTest>

#include "devicelist/TestRecords.h"
#include "discovery/DeviceStore.h"
#include "fleet/ClockOffset.h"
#include "fleet/DeviceFleet.h"
#include "fleet/FleetClocks.h"

using VexaTool::ClockOffset;
using Level = VexaTool::ClockOffset::Level;

Q_DECLARE_METATYPE(VexaTool::ClockOffset::Level)

class TestClockOffset : public QObject {
    Q_OBJECT

private slots:
    void offset_data();
    void offset();
    void readsAreBoundedAndOncePerDevice();
};

void TestClockOffset::offset_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Level>("level");
    const QString minus = QStringLiteral("\u2212");
    QTest::newRow("same") << 0 << QStringLiteral("0 s") << Level::Fine;
    QTest::newRow("ahead") << 3 << QStringLiteral("+3 s") << Level::Fine;
    QTest::newRow("5 s is fine") << 5 << QStringLiteral("+5 s") << Level::Fine;
    QTest::newRow("-5 s is fine") << -5 << minus + QStringLiteral("5 s") << Level::Fine;
    QTest::newRow("6 s marked") << 6 << QStringLiteral("+6 s") << Level::Marked;
    QTest::newRow("-6 s marked") << -6 << minus + QStringLiteral("6 s") << Level::Marked;
    QTest::newRow("a minute is marked") << 60 << QStringLiteral("+1 min") << Level::Marked;
    QTest::newRow("-60 s marked") << -60 << minus + QStringLiteral("1 min") << Level::Marked;
    QTest::newRow("61 s far") << 61 << QStringLiteral("+1 min 1 s") << Level::Far;
    QTest::newRow("-61 s far") << -61 << minus + QStringLiteral("1 min 1 s") << Level::Far;
    QTest::newRow("hours drop seconds") << 10805 << QStringLiteral("+3 h") << Level::Far;
    QTest::newRow("hours and minutes") << -(2 * 3600 + 59 * 60 + 30) << minus + QStringLiteral("2 h 59 min")
                                       << Level::Far;
    QTest::newRow("most negative") << INT_MIN << minus + QStringLiteral("596523 h 14 min") << Level::Far;
}

void TestClockOffset::offset() {
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QFETCH(Level, level);
    QCOMPARE(ClockOffset::text(seconds), text);
    QCOMPARE(ClockOffset::level(seconds), level);
}

void TestClockOffset::readsAreBoundedAndOncePerDevice() {
    VEXA::DeviceStore::instance()->clear();
    VexaTool::DeviceFleet fleet;
    fleet.setEventSlice(0);
    constexpr int kReaders = 3;
    constexpr int kDevices = 40;
    VexaTool::FleetClocks clocks(&fleet, kReaders);
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    std::atomic<int> calls{0};
    clocks.setReader([&](const QByteArray& name, VEXA_CLOCK_INFO& out) {
        const int now = ++running;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++calls;
        out.flags = VEXA_CLOCK_READ;
        out.offsetSeconds = name.endsWith("7") ? 10800 : 1;
        --running;
        return true;
    });
    QSignalSpy read(&clocks, &VexaTool::FleetClocks::clockRead);
    for (int i = 0; i < kDevices; ++i) {
        const QByteArray endpoint = "urn:uuid:c" + QByteArray::number(i);
        const QByteArray address = "192.168.5." + QByteArray::number(i + 2);
        fleet.onDeviceOnline(testrecords::onvifDevice(endpoint, address, VEXA_DETAILS_NEED_LOGIN));
        // Reported again unchanged while its read is waiting: no second read.
        fleet.onDeviceUpdate(testrecords::onvifDevice(endpoint, address, VEXA_DETAILS_NEED_LOGIN));
    }
    QTRY_COMPARE(read.size(), kDevices);
    QCOMPARE(calls.load(), kDevices);
    QVERIFY2(most.load() <= kReaders, qPrintable(QString::number(most.load())));
    // Its details arrive: read again; asked again while that read is under way: once more after it, not twice.
    fleet.onDeviceUpdate(
        testrecords::onvifDevice("urn:uuid:c7", "192.168.5.9", VEXA_DETAILS_READ, "OC7", "0a:00:00:00:00:07"));
    clocks.read({QStringLiteral("urn:uuid:c7")});
    clocks.read({QStringLiteral("urn:uuid:c7")});
    QTRY_COMPARE(read.size(), kDevices + 2);
    QTest::qWait(50);
    QCOMPARE(calls.load(), kDevices + 2);
    QCOMPARE(read.last().at(0).toString(), QStringLiteral("urn:uuid:c7"));
    QCOMPARE(read.last().at(1).value<VEXA_CLOCK_INFO>().offsetSeconds, 10800);
}

QTEST_GUILESS_MAIN(TestClockOffset)
#include "tst_clockoffset.moc"
