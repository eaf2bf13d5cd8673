#include <atomic>
#include <thread>

#include <QSignalSpy>
#include <QTest>

#include "modify/DeviceTaskRunner.h"

using VexaTool::DeviceOutcome;
using VexaTool::DeviceTaskRunner;

// The worker pool under the modify page: order, limits, and what happens when its owner goes away mid-run.
class TestDeviceTaskRunner : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QVector<DeviceOutcome>>("QVector<VexaTool::DeviceOutcome>"); }
    void emptyRunFinishesAtOnce();
    void outcomesKeepTheirPlace();
    void oneRunAtATime();
    void ownerGoneMidRunDropsLateOutcomes();
};

namespace {

DeviceTaskRunner::Task sleeper(int ms, uint32_t code, std::atomic<int>* done = nullptr,
                               std::atomic<int>* started = nullptr) {
    return [ms, code, done, started] {
        if (started)
            ++*started;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (done)
            ++*done;
        return DeviceOutcome::ofCode(code);
    };
}

} // namespace

void TestDeviceTaskRunner::emptyRunFinishesAtOnce() {
    DeviceTaskRunner runner(4);
    QSignalSpy finished(&runner, &DeviceTaskRunner::signalFinished);
    QVERIFY(runner.start({}));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!runner.isRunning());
}

void TestDeviceTaskRunner::outcomesKeepTheirPlace() {
    DeviceTaskRunner runner(4);
    QSignalSpy finished(&runner, &DeviceTaskRunner::signalFinished);
    std::vector<DeviceTaskRunner::Task> tasks;
    // Later tasks finish first; the list still comes back in the order given.
    for (int i = 0; i < 4; ++i)
        tasks.push_back(sleeper(80 - 20 * i, 2000u + static_cast<uint32_t>(i)));
    QVERIFY(runner.start(std::move(tasks)));
    QTRY_COMPARE(finished.count(), 1);
    const auto outcomes = finished.first().first().value<QVector<DeviceOutcome>>();
    QCOMPARE(outcomes.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(outcomes[i].code, 2000u + static_cast<uint32_t>(i));
}

void TestDeviceTaskRunner::oneRunAtATime() {
    DeviceTaskRunner runner(1);
    QVERIFY(runner.start({sleeper(50, 0)}));
    QVERIFY(!runner.start({sleeper(1, 0)}));
    QVERIFY(!runner.setMaxThreads(4));
    QTRY_VERIFY(!runner.isRunning());
    QVERIFY(runner.setMaxThreads(4));
    QCOMPARE(runner.maxThreads(), 4);
}

void TestDeviceTaskRunner::ownerGoneMidRunDropsLateOutcomes() {
    std::atomic<int> done{0};
    std::atomic<int> started{0};
    int outcomes = 0;
    {
        QObject owner;
        auto* runner = new DeviceTaskRunner(2, &owner);
        connect(runner, &DeviceTaskRunner::signalOutcome, this, [&outcomes] { ++outcomes; });
        std::vector<DeviceTaskRunner::Task> tasks;
        for (int i = 0; i < 6; ++i)
            tasks.push_back(sleeper(200, 0, &done, &started));
        QVERIFY(runner->start(std::move(tasks)));
        QTRY_COMPARE(started.load(), 2);
    }                         // the owner and its runner go while two calls are in flight
    QCOMPARE(done.load(), 2); // the calls in flight ran to their end; the rest never started
    QTest::qWait(100);
    QCOMPARE(outcomes, 0);
}

QTEST_GUILESS_MAIN(TestDeviceTaskRunner)
#include "tst_devicetaskrunner.moc"
