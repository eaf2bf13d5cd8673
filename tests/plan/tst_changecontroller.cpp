// The change controller: a single change settles on a results list with its receipt, as a batch does; the device's
// own words reach both; Stop gives up waiting for a device that was sent its change, and its real outcome still
// arrives; the list hears which devices may restart and how each change ended.

#include <atomic>
#include <optional>

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include "deployment/NetworkChange.h"
#include "plan/ChangeController.h"
#include "plan/PlanText.h"
#include "vexa.h"

using namespace VexaTool;
using namespace Qt::StringLiterals;

namespace {

plan::PlanDevice device(const char* serial, const char* mac, const char* ipv4, uint32_t capabilities) {
    plan::PlanDevice d;
    d.serial = serial;
    d.mac = mac;
    d.ipv4 = ipv4;
    d.capabilities = capabilities;
    return d;
}

PlanBatch::Change change(int device, const char* from, const char* to, const QString& leftOut = {}) {
    PlanBatch::Change c;
    c.change.device = device;
    c.change.oldAddress = from;
    c.change.newAddress = to;
    qstrncpy(c.change.params.ipv4Address, to, sizeof c.change.params.ipv4Address);
    c.name = "Gate";
    c.label = QString::number(device + 1);
    c.leftOut = leftOut;
    return c;
}

} // namespace

class TestChangeController : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void changesSettleOnAResultsList_data();
    void changesSettleOnAResultsList();
    void stopGivesUpWaitingButKeepsTheOutcome();
};

void TestChangeController::changesSettleOnAResultsList_data() {
    QTest::addColumn<QString>("leftOut"); // the second device is left out, for this reason
    QTest::addColumn<uint32_t>("reply");  // the first device's code
    QTest::addColumn<QString>("says");    // and its words
    QTest::addColumn<QString>("result");  // the first entry's result
    QTest::addColumn<QString>("address"); // and its address
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("changed"); // devices that took their values
    const QString refused = PlanText::result(VEXA_ERR_DEVICE_REFUSED);
    QTest::newRow("one device, done") << QString() << 0u << QString() << PlanText::result(0) << u"127.91.0.9"_s
                                      << "done" << 1;
    QTest::newRow("one device, refused in its own words")
        << QString() << uint32_t(VEXA_ERR_DEVICE_REFUSED) << u"ter:InvalidArgVal: address out of range"_s
        << PlanText::withDetail(refused, "ter:InvalidArgVal: address out of range") << u"127.91.0.1"_s << "failed" << 0;
    QTest::newRow("one sent, one left out")
        << u"Left out: sign in first."_s << 0u << QString() << PlanText::result(0) << u"127.91.0.9"_s << "done" << 1;
}

void TestChangeController::changesSettleOnAResultsList() {
    QFETCH(QString, leftOut);
    QFETCH(uint32_t, reply);
    QFETCH(QString, says);
    QFETCH(QString, result);
    QFETCH(QString, address);
    QFETCH(QString, kind);
    QFETCH(int, changed);
    ChangeController controller(2);
    PlanBatch* batch = controller.batch();
    batch->setAskAddress({});
    std::atomic<int> calls{0};
    batch->setSend([&](const plan::PlanDevice& to, const std::string& secret, VEXA_NET_PARAM&) {
        ++calls;
        // Each device gets the secret its capabilities ask for.
        const bool right = secret == ((to.capabilities & VEXA_SIGNS_IN_AS_USER) ? "user-pw" : "admin-pw");
        return plan::DeviceReply{right ? reply : uint32_t(VEXA_ERR_BAD_ARGUMENT), says.toStdString()};
    });
    std::vector<PlanBatch::Change> changes{change(0, "127.91.0.1", "127.91.0.9")};
    std::vector<plan::PlanDevice> devices{device("CAM1", "0a-00-00-00-00-01", "127.91.0.1", VEXA_SIGNS_IN_AS_USER)};
    if (!leftOut.isEmpty()) {
        changes.push_back(change(1, "127.91.0.2", "127.91.0.2", leftOut));
        devices.push_back(device("VX1", "02-00-00-00-00-01", "127.91.0.2", VEXA_CAN_SET_PORT));
    }
    QSignalSpy started(&controller, &ChangeController::signalChangeStarted);
    QSignalSpy settled(&controller, &ChangeController::signalChangeSettled);
    QSignalSpy took(&controller, &ChangeController::signalDeviceChanged);
    QSignalSpy finished(&controller, &ChangeController::signalFinished);
    QVERIFY(controller.startChanges(changes, devices, plan::Credentials{"admin-pw", "user-pw"}));
    QVERIFY(!controller.startChanges(changes, devices, {})); // one run at a time
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(calls.load(), 1);
    // Only the device that was sent something may restart, and only its change settles for the list.
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.first().first().value<DeviceKey>(), (DeviceKey{u"CAM1"_s, u"0a-00-00-00-00-01"_s}));
    QCOMPARE(settled.count(), 1);
    QCOMPARE(QString::fromLatin1(outcomeKindName(settled.first().at(1).value<Outcome>().kind)), kind);
    QVERIFY(!settled.first().at(2).value<std::optional<VEXA_NET_PARAM>>().has_value());
    QCOMPARE(took.count(), changed);
    // The results name each device by its list ID, serial number and address.
    const QVector<DeviceInfo>& entries = batch->entries();
    QCOMPARE(entries.size(), static_cast<qsizetype>(changes.size()));
    QCOMPARE(entries[0].index, u"1"_s);
    QCOMPARE(entries[0].serialNo, u"CAM1"_s);
    QCOMPARE(entries[0].ipv4Address, address);
    QCOMPARE(entries[0].result, result);
    if (!leftOut.isEmpty()) {
        QCOMPARE(entries[1].result, leftOut);
        QVERIFY(!entries[1].outcome.wasSent());
    }
    // The receipt has a row per device, the device's words in their own column, and is on disk already.
    QCOMPARE(batch->receipt().size(), changes.size());
    QCOMPARE(QString::fromStdString(batch->receipt()[0].detail), says);
    QVERIFY(says.isEmpty() || !QString::fromStdString(batch->receipt()[0].result).contains(says));
    QFile history(batch->historyPath());
    QVERIFY(history.open(QIODevice::ReadOnly));
    QVERIFY(history.readAll().contains("CAM1"));
}

void TestChangeController::stopGivesUpWaitingButKeepsTheOutcome() {
    ChangeController controller(1);
    PlanBatch* batch = controller.batch();
    batch->setAskAddress({});
    std::atomic<bool> hold{true};
    const auto release = qScopeGuard([&hold] { hold = false; });
    batch->setSend([&hold](const plan::PlanDevice&, const std::string&, VEXA_NET_PARAM&) {
        while (hold.load())
            QThread::msleep(2);
        return plan::DeviceReply{};
    });
    QSignalSpy started(&controller, &ChangeController::signalChangeStarted);
    QSignalSpy settled(&controller, &ChangeController::signalChangeSettled);
    QSignalSpy finished(&controller, &ChangeController::signalFinished);
    const std::vector<plan::PlanDevice> devices{device("CAM1", "0a-00-00-00-00-01", "127.91.1.1", 0),
                                                device("CAM2", "0a-00-00-00-00-02", "127.91.1.2", 0)};
    QVERIFY(controller.startChanges({change(0, "127.91.1.1", "127.91.1.9"), change(1, "127.91.1.2", "127.91.1.8")},
                                    devices, {}));
    QTRY_COMPARE(started.count(), 1);
    controller.stop();
    // The results come at once: the device sent its change is unknown, the other was never sent.
    QCOMPARE(finished.count(), 1);
    QCOMPARE(batch->entries()[0].result, PlanText::stoppedWaiting());
    QCOMPARE(batch->entries()[0].outcome.kind, Outcome::Kind::Unknown);
    QCOMPARE(batch->entries()[1].result, PlanText::stopped());
    QCOMPARE(settled.count(), 1);
    // Nothing new starts while a device may still answer.
    QVERIFY(controller.isBusy());
    QVERIFY(!controller.startChanges({change(1, "127.91.1.2", "127.91.1.8")}, devices, {}));
    hold = false;
    QTRY_COMPARE(settled.count(), 2);
    QCOMPARE(settled.last().at(1).value<Outcome>(), Outcome::done());
    QCOMPARE(batch->entries()[0].outcome, Outcome::done());
    QCOMPARE(batch->receipt()[0].outcome, Outcome::done());
    QCOMPARE(finished.count(), 1);
    QTRY_VERIFY(!controller.isBusy());
    QFile history(batch->historyPath());
    QVERIFY(history.open(QIODevice::ReadOnly));
    const QByteArray written = history.readAll();
    QVERIFY(written.contains(",unknown,"));
    QVERIFY(written.contains(",done,"));
}

QTEST_MAIN(TestChangeController)
#include "tst_changecontroller.moc"
