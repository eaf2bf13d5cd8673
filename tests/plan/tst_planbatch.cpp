// The plan batch: a device taking another planned device's address goes only after that one has moved, a
// change whose predecessor failed is not sent, Stop sends no more, and every change reports once.

#include <mutex>

#include <QSignalSpy>
#include <QTest>

#include "outcome/ErrorText.h"
#include "plan/PlanBatch.h"
#include "plan/PlanText.h"
#include "support/PlanTestDevices.h"

using namespace VexaTool;
using namespace Qt::StringLiterals;

namespace {

plan::PlanDevice device(const std::string& serial, const std::string& mac, const std::string& ipv4) {
    return testsupport::planDevice(serial, mac, ipv4, "255.255.255.0", "127.70.0.254");
}

const std::vector<plan::PlanDevice> kDevices = {
    device("SA", "02-00-00-00-00-0a", "127.70.0.1"), device("SB", "02-00-00-00-00-0b", "127.70.0.2"),
    device("SC", "02-00-00-00-00-0c", "127.70.0.3"), device("SD", "02-00-00-00-00-0d", "127.70.0.4")};

plan::DeploymentPlan parse(const char* rows) {
    return plan::DeploymentPlan::parse(std::string("Serial Number,IP Address,Subnet Mask,Gateway,Device Name\n") +
                                       rows);
}

QStringList results(const PlanBatch& batch) {
    QStringList texts;
    for (const DeviceInfo& entry : batch.entries())
        texts << entry.serialNo + QLatin1Char(' ') + entry.ipv4Address + QLatin1Char(' ') + entry.result;
    return texts;
}

} // namespace

class TestPlanBatch : public QObject {
    Q_OBJECT

private slots:
    void chainWaitsForTheDeviceItDisplaces_data();
    void chainWaitsForTheDeviceItDisplaces();
    void stopSendsNoMore();
    void refusedPlanSendsNothing();
};

void TestPlanBatch::chainWaitsForTheDeviceItDisplaces_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("answering"); // something answers at this new address when it is asked
    QTest::addColumn<QStringList>("expected");
    const QString ok = VexaTool::ErrorText::sentence(0);
    // SA takes SB's address, SB takes SC's, SC moves to a free one; SD stands alone. Entries come in the
    // order sent: a chain from its free end.
    QTest::newRow("all succeed") << QString() << QString()
                                 << QStringList{u"SC 127.70.0.9 "_s + ok, u"SB 127.70.0.3 "_s + ok,
                                                u"SA 127.70.0.2 "_s + ok, u"SD 127.70.0.8 "_s + ok};
    QTest::newRow("the end of the chain fails")
        << QStringLiteral("02-00-00-00-00-0c") << QString()
        << QStringList{u"SC 127.70.0.3 "_s + PlanText::result(2011), u"SB 127.70.0.2 "_s + PlanText::notSent(u"SC"_s),
                       u"SA 127.70.0.1 "_s + PlanText::notSent(u"SB"_s), u"SD 127.70.0.8 "_s + ok};
    // Something that is no listed device holds the address SC would take: SC is not sent, and so SB and SA wait.
    QTest::newRow("something answers at a new address")
        << QString() << u"127.70.0.9"_s
        << QStringList{u"SC 127.70.0.3 "_s + PlanText::addressTaken("TCP port 80 accepted a connection"),
                       u"SB 127.70.0.2 "_s + PlanText::notSent(u"SC"_s),
                       u"SA 127.70.0.1 "_s + PlanText::notSent(u"SB"_s), u"SD 127.70.0.8 "_s + ok};
}

void TestPlanBatch::chainWaitsForTheDeviceItDisplaces() {
    QFETCH(QString, failing);
    QFETCH(QString, answering);
    QFETCH(QStringList, expected);
    const plan::DeploymentPlan plan = parse("SA,127.70.0.2,255.255.255.0,127.70.0.254,a\n"
                                            "SB,127.70.0.3,255.255.255.0,127.70.0.254,b\n"
                                            "SC,127.70.0.9,255.255.255.0,127.70.0.254,c\n"
                                            "SD,127.70.0.8,255.255.255.0,127.70.0.254,d\n");
    const plan::PlanCheck check = plan::validatePlan(plan, kDevices);
    QVERIFY(check.ok());

    PlanBatch batch(4);
    std::mutex lock;
    QStringList calls;
    batch.setSend([&](const plan::PlanDevice& device, const std::string& password, VEXA_NET_PARAM& params) {
        const QString mac = QString::fromStdString(device.mac);
        {
            std::lock_guard<std::mutex> guard(lock);
            calls << mac + QLatin1Char(' ') + QString::fromLatin1(params.ipv4Address);
        }
        if (password != "pw")
            return plan::DeviceReply{VEXA_ERR_BAD_ARGUMENT, {}};
        return plan::DeviceReply{mac != failing ? 0u : 2011u, {}};
    });
    batch.setAskAddress([&answering](const std::string& to) {
        return QString::fromStdString(to) == answering ? std::string("TCP port 80 accepted a connection")
                                                       : std::string();
    });
    QSignalSpy sent(&batch, &PlanBatch::signalSent);
    QSignalSpy finished(&batch, &PlanBatch::signalFinished);
    QSignalSpy progress(&batch, &PlanBatch::signalProgress);
    QVERIFY(batch.start(plan, check, kDevices, plan::Credentials{"pw", {}}));
    QVERIFY(!batch.start(plan, check, kDevices, plan::Credentials{"pw", {}})); // one run at a time
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(results(batch), expected);
    QCOMPARE(progress.last().at(0).toInt(), 4);
    QCOMPARE(static_cast<int>(batch.receipt().size()), 4);
    // Each address is taken only after its holder left it: SC before SB before SA.
    const auto at = [&calls](const char* call) { return calls.indexOf(QLatin1String(call)); };
    if (!answering.isEmpty()) {
        QCOMPARE(calls, QStringList{u"02-00-00-00-00-0d 127.70.0.8"_s});
        QCOMPARE(batch.failures(), 3);
        return;
    }
    if (failing.isEmpty()) {
        QCOMPARE(calls.size(), 4);
        QVERIFY(at("02-00-00-00-00-0c 127.70.0.9") < at("02-00-00-00-00-0b 127.70.0.3"));
        QVERIFY(at("02-00-00-00-00-0b 127.70.0.3") < at("02-00-00-00-00-0a 127.70.0.2"));
        QCOMPARE(sent.count(), 4);
        QCOMPARE(batch.failures(), 0);
    } else {
        QCOMPARE(calls.size(), 2);
        QCOMPARE(sent.count(), 2);
        QCOMPARE(batch.failures(), 3);
    }
    QCOMPARE(batch.receipt()[0].oldAddress, std::string("127.70.0.3"));
    QCOMPARE(batch.receipt()[0].newAddress, std::string("127.70.0.9"));
    QCOMPARE(batch.receipt()[0].name, std::string("c"));
}

void TestPlanBatch::stopSendsNoMore() {
    const plan::DeploymentPlan plan = parse("SA,127.70.1.1,255.255.255.0,127.70.0.254,a\n"
                                            "SB,127.70.1.2,255.255.255.0,127.70.0.254,b\n"
                                            "SC,127.70.1.3,255.255.255.0,127.70.0.254,c\n"
                                            "SD,127.70.1.4,255.255.255.0,127.70.0.254,d\n");
    const plan::PlanCheck check = plan::validatePlan(plan, kDevices);
    PlanBatch batch(1);
    std::atomic<int> sent{0};
    batch.setSend([&sent](const plan::PlanDevice&, const std::string&, VEXA_NET_PARAM&) {
        ++sent;
        QThread::msleep(30);
        return plan::DeviceReply{};
    });
    QSignalSpy finished(&batch, &PlanBatch::signalFinished);
    connect(&batch, &PlanBatch::signalSettled, &batch, &PlanBatch::stop);
    QVERIFY(batch.start(plan, check, kDevices, plan::Credentials{"pw", {}}));
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(sent.load() < 4);
    QCOMPARE(batch.entries().size(), 4);
    QCOMPARE(batch.entries().last().result, PlanText::stopped());
    QCOMPARE(batch.entries().last().ipv4Address, QStringLiteral("127.70.0.4"));
}

void TestPlanBatch::refusedPlanSendsNothing() {
    const plan::DeploymentPlan plan = parse("SA,127.70.1.1,255.255.255.0,127.70.0.254,a\n"
                                            "SA,127.70.1.2,255.255.255.0,127.70.0.254,b\n");
    const plan::PlanCheck check = plan::validatePlan(plan, kDevices);
    QVERIFY(!check.ok());
    PlanBatch batch(2);
    bool called = false;
    batch.setSend([&called](const plan::PlanDevice&, const std::string&, VEXA_NET_PARAM&) {
        called = true;
        return plan::DeviceReply{};
    });
    QVERIFY(!batch.start(plan, check, kDevices, plan::Credentials{"pw", {}}));
    QTest::qWait(50);
    QVERIFY(!called);
    QVERIFY(!batch.isRunning());
}

QTEST_MAIN(TestPlanBatch)
#include "tst_planbatch.moc"
