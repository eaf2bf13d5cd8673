// The network-change service: what one change comes to for each answer a device may give, the secret each kind of
// device gets, when a new address is asked first, which change an address still held keeps back, and the receipt row.

#include <cstring>

#include <QtTest>

#include "deployment/NetworkChange.h"
#include "deployment/Receipt.h"
#include "vexa.h"

using namespace VexaTool;
using namespace VexaTool::plan;

class TestNetworkChange : public QObject {
    Q_OBJECT

private slots:
    void oneChange_data();
    void oneChange();
    void addressHeldBy_data();
    void addressHeldBy();
    void deviceFromRecord();
};

void TestNetworkChange::oneChange_data() {
    QTest::addColumn<uint32_t>("capabilities");
    QTest::addColumn<uint32_t>("reply"); // the device's code
    QTest::addColumn<QString>("says");   // and its own words
    QTest::addColumn<QString>("newAddress");
    QTest::addColumn<QString>("answers"); // what answers at 127.90.0.9 when it is asked
    QTest::addColumn<bool>("waits");      // the change takes an address a device of the run has left
    QTest::addColumn<bool>("askedAtCheck");
    QTest::addColumn<QString>("secret"); // what the device call got; empty: not called
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<uint32_t>("code");
    QTest::addColumn<QString>("result"); // the receipt's English result
    QTest::addColumn<QString>("detail"); // the receipt's device words

    const uint32_t ours = VEXA_CAN_ACTIVATE | VEXA_CAN_SET_PORT | VEXA_CAN_SET_IPV6;
    const uint32_t user = VEXA_SIGNS_IN_AS_USER;
    const QString to = QStringLiteral("127.90.0.9");
    const QString here = QStringLiteral("127.90.0.1");
    const QString web = QStringLiteral("TCP port 80 accepted a connection");
    QTest::newRow("done") << ours << 0u << QString() << to << QString() << false << false << "admin-pw" << to << "done"
                          << 0u << "Succeed" << QString();
    QTest::newRow("a user login goes to a device that signs in as a user")
        << user << 0u << QString() << to << QString() << false << false << "user-pw" << to << "done" << 0u << "Succeed"
        << QString();
    QTest::newRow("refused, in the device's words")
        << user << uint32_t(VEXA_ERR_DEVICE_REFUSED) << "ter:NotAuthorized: sender not authorized" << to << QString()
        << false << false << "user-pw" << to << "failed" << uint32_t(VEXA_ERR_DEVICE_REFUSED) << "Error2009:device deny"
        << "ter:NotAuthorized: sender not authorized";
    QTest::newRow("no answer that settles it")
        << ours << uint32_t(VEXA_ERR_OUTCOME_UNKNOWN) << QString() << to << QString() << false << false << "admin-pw"
        << to << "unknown" << uint32_t(VEXA_ERR_OUTCOME_UNKNOWN) << "Error2019:unknown, check the device" << QString();
    QTest::newRow("something answers at the new address: not sent")
        << ours << 0u << QString() << to << web << false << false << QString() << to << "not sent"
        << uint32_t(VEXA_ERR_ADDRESS_TAKEN)
        << "Not sent: something answers at the address: TCP port 80 accepted a connection." << QString();
    QTest::newRow("an address kept is not asked") << ours << 0u << QString() << here << web << false << false
                                                  << "admin-pw" << QString() << "done" << 0u << "Succeed" << QString();
    QTest::newRow("asked at the check already") << ours << 0u << QString() << to << web << false << true << "admin-pw"
                                                << QString() << "done" << 0u << "Succeed" << QString();
    QTest::newRow("asked again once the device that held it left")
        << ours << 0u << QString() << to << web << true << true << QString() << to << "not sent"
        << uint32_t(VEXA_ERR_ADDRESS_TAKEN)
        << "Not sent: something answers at the address: TCP port 80 accepted a connection." << QString();
}

void TestNetworkChange::oneChange() {
    QFETCH(uint32_t, capabilities);
    QFETCH(uint32_t, reply);
    QFETCH(QString, says);
    QFETCH(QString, newAddress);
    QFETCH(QString, answers);
    QFETCH(bool, waits);
    QFETCH(bool, askedAtCheck);
    QFETCH(QString, secret);
    QFETCH(QString, asked);
    QFETCH(QString, kind);
    QFETCH(uint32_t, code);
    QFETCH(QString, result);
    QFETCH(QString, detail);

    PlanDevice device;
    device.serial = "VX200";
    device.mac = "02-56-02-00-00-01";
    device.ipv4 = "127.90.0.1";
    device.capabilities = capabilities;
    PlannedChange change;
    change.oldAddress = device.ipv4;
    change.newAddress = newAddress.toStdString();
    std::strncpy(change.params.ipv4Address, change.newAddress.c_str(), sizeof change.params.ipv4Address - 1);
    if (waits)
        change.waitsFor = {1};

    QString gotSecret;
    QString gotAddress;
    QString askedNow;
    const NetworkChange service(
        [&](const PlanDevice& to, const std::string& secretSent, VEXA_NET_PARAM& params) {
            gotSecret = QString::fromStdString(secretSent);
            gotAddress = QString::fromLatin1(params.ipv4Address);
            return DeviceReply{to.serial == device.serial ? reply : 0u, says.toStdString()};
        },
        [&](const std::string& address) {
            askedNow = QString::fromStdString(address);
            return answers.toStdString();
        },
        askedAtCheck);
    Credentials credentials{"admin-pw", "user-pw"};
    const ApplyOutcome outcome = service.send(change, device, credentials);

    QCOMPARE(askedNow, asked);
    QCOMPARE(gotSecret, secret);
    if (!secret.isEmpty())
        QCOMPARE(gotAddress, newAddress);
    QCOMPARE(QString::fromLatin1(outcomeKindName(outcome.kind)), kind);
    QCOMPARE(outcome.code, code);
    const ReceiptEntry entry =
        NetworkChange::receiptEntry(change, device, "Gate", outcome, NetworkChange::englishResult(outcome));
    QCOMPARE(QString::fromStdString(entry.result), result);
    QCOMPARE(QString::fromStdString(entry.detail), detail);
    QCOMPARE(entry.serial, device.serial);
    QCOMPARE(entry.oldAddress, std::string("127.90.0.1"));
    QCOMPARE(QString::fromStdString(entry.newAddress), newAddress);
    // The device's words are a column of their own, after the code.
    const std::vector<std::string> row = receiptRow(entry);
    QCOMPARE(row.size(), englishReceiptHeader().size());
    QCOMPARE(QString::fromStdString(row.back()), detail);
}

void TestNetworkChange::addressHeldBy_data() {
    QTest::addColumn<QVector<int>>("waitsFor");
    QTest::addColumn<QByteArray>("rowDone"); // '1': that row's device took its new values
    QTest::addColumn<int>("holder");
    QTest::addColumn<QString>("serial");
    QTest::newRow("waits for nobody") << QVector<int>{} << QByteArray("00") << -1 << QString();
    QTest::newRow("the holder moved") << QVector<int>{1} << QByteArray("01") << -1 << QString();
    QTest::newRow("the holder is still there") << QVector<int>{1} << QByteArray("00") << 1 << "VX201";
    QTest::newRow("one of two still there") << QVector<int>{0, 1} << QByteArray("10") << 1 << "VX201";
    QTest::newRow("a row beyond the plan holds nothing") << QVector<int>{7} << QByteArray("00") << -1 << QString();
}

void TestNetworkChange::addressHeldBy() {
    QFETCH(QVector<int>, waitsFor);
    QFETCH(QByteArray, rowDone);
    QFETCH(int, holder);
    QFETCH(QString, serial);
    PlannedChange change;
    change.waitsFor.assign(waitsFor.cbegin(), waitsFor.cend());
    std::vector<char> done;
    for (const char c : rowDone)
        done.push_back(c == '1' ? 1 : 0);
    QCOMPARE(NetworkChange::holdingRow(change, done), holder);
    std::vector<PlanDevice> devices(2);
    devices[0].serial = "VX200";
    devices[1].serial = "VX201";
    QCOMPARE(QString::fromStdString(NetworkChange::holderSerial(holder, {0, 1}, devices)), serial);
}

void TestNetworkChange::deviceFromRecord() {
    VEXA_DEVICE_INFO info;
    std::memset(&info, 0, sizeof info);
    std::memset(info.serialNo, 'S', sizeof info.serialNo); // fills its field: no terminator
    std::strcpy(info.mac, "02-56-02-00-00-09");
    std::strcpy(info.ipv4Address, "127.90.0.5");
    std::strcpy(info.deviceName, "Caf\xe9"); // an older device's Latin-1 name
    info.port = -1;
    info.httpPort = 65535;
    info.rtspPort = 554;
    info.activationState = 1;
    info.supportFlags = VEXA_SUPPORT_DHCP;
    const PlanDevice d = planDeviceOf(info, VEXA_SIGNS_IN_AS_USER, false);
    QCOMPARE(d.serial, std::string(sizeof info.serialNo, 'S'));
    QCOMPARE(d.ipv4, std::string("127.90.0.5"));
    QCOMPARE(d.name, std::string("Caf\xc3\xa9"));
    QCOMPARE(d.port, 0u);
    QCOMPARE(d.httpPort, 65535u);
    QCOMPARE(d.rtspPort, 554u);
    QVERIFY(!d.activated);
    QVERIFY(d.supportsDhcp);
    QVERIFY(!d.detailsRead);
    QCOMPARE(d.capabilities, uint32_t(VEXA_SIGNS_IN_AS_USER));
}

QTEST_GUILESS_MAIN(TestNetworkChange)
#include "tst_networkchange.moc"
