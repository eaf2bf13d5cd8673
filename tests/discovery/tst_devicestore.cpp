#include <cstring>

#include <QTest>

#include "discovery/DeviceStore.h"
#include "vexa.h"

using VEXA::DeviceStore;

class TestDeviceStore : public QObject {
    Q_OBJECT

private slots:
    void init() { DeviceStore::instance()->clear(); }
    void keyedOperationsOnUnknownKeys();
    void sameMacDifferentSerialsBothKept();
    void updateOverwritesWhole();
    void serialsDifferingAboveAsciiStayApart();
    void netParamsBothWays();
    void onvifDevicesKeyedByEndpointUntilRead();

private:
    static VEXA_DEVICE_MY_INFO device(const char* serial, const char* mac, const char* ip = "192.0.2.10");
};

VEXA_DEVICE_MY_INFO TestDeviceStore::device(const char* serial, const char* mac, const char* ip) {
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);
    setRecordText(record.serialNo, serial);
    setRecordText(record.mac, mac);
    setRecordText(record.ipv4Address, ip);
    record.recordValid = 1;
    record.activationState = 1;
    return record;
}

void TestDeviceStore::keyedOperationsOnUnknownKeys() {
    DeviceStore* store = DeviceStore::instance();
    store->add(device("SN1", "02-00-00-00-00-01"));
    QVector<VEXA_DEVICE_MY_INFO> before;
    store->copyAll(before);

    const VEXA_DEVICE_MY_INFO stranger = device("SN1", "02-00-00-00-00-99");
    VEXA_DEVICE_MY_INFO out = device("untouched", "untouched");
    VEXA_NET_PARAM params;
    std::memset(&params, 0x5A, sizeof params);
    const QString serial = QStringLiteral("SN1");
    const QString otherMac = QStringLiteral("02-00-00-00-00-99");

    QVERIFY(!store->remove(stranger));
    QVERIFY(!store->update(stranger));
    QVERIFY(!store->get(serial, otherMac, out));
    QCOMPARE(recordText(out.serialNo), QStringLiteral("untouched"));
    QVERIFY(!store->readNetParams(serial, otherMac, params));
    QVERIFY(!store->writeNetParams(serial, otherMac, params));
    QVERIFY(!store->setActivationState(serial, otherMac, 0));
    QCOMPARE(store->indexOf(serial, otherMac), -1);
    // Keys compare whole and case-sensitively.
    QCOMPARE(store->indexOf(QStringLiteral("sn1"), QStringLiteral("02-00-00-00-00-01")), -1);
    QCOMPARE(store->indexOf(QStringLiteral("SN"), QStringLiteral("02-00-00-00-00-01")), -1);

    QVector<VEXA_DEVICE_MY_INFO> after;
    store->copyAll(after);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(std::memcmp(after.constData(), before.constData(), sizeof(VEXA_DEVICE_MY_INFO)), 0);
}

void TestDeviceStore::sameMacDifferentSerialsBothKept() {
    DeviceStore* store = DeviceStore::instance();
    store->add(device("SN-A", "02-00-00-00-00-07", "192.0.2.1"));
    store->add(device("SN-B", "02-00-00-00-00-07", "192.0.2.2"));
    QCOMPARE(store->count(), 2);
    QCOMPARE(store->indexOf(QStringLiteral("SN-A"), QStringLiteral("02-00-00-00-00-07")), 0);
    QCOMPARE(store->indexOf(QStringLiteral("SN-B"), QStringLiteral("02-00-00-00-00-07")), 1);
    QVERIFY(store->remove(device("SN-B", "02-00-00-00-00-07")));
    QCOMPARE(store->count(), 1);
    VEXA_DEVICE_MY_INFO out;
    QVERIFY(store->get(QStringLiteral("SN-A"), QStringLiteral("02-00-00-00-00-07"), out));
    QCOMPARE(recordText(out.ipv4Address), QStringLiteral("192.0.2.1"));
}

void TestDeviceStore::updateOverwritesWhole() {
    DeviceStore* store = DeviceStore::instance();
    store->add(device("SN1", "02-00-00-00-00-01", "192.0.2.1"));
    store->add(device("SN2", "02-00-00-00-00-02", "192.0.2.2"));
    VEXA_DEVICE_MY_INFO changed = device("SN2", "02-00-00-00-00-02", "192.0.2.99");
    changed.activationState = 0;
    QVERIFY(store->update(changed));
    VEXA_DEVICE_MY_INFO out;
    QVERIFY(store->get(QStringLiteral("SN2"), QStringLiteral("02-00-00-00-00-02"), out));
    QCOMPARE(std::memcmp(&out, &changed, sizeof out), 0);
    QVERIFY(store->setActivationState(QStringLiteral("SN1"), QStringLiteral("02-00-00-00-00-01"), 0));
    QVERIFY(store->get(QStringLiteral("SN1"), QStringLiteral("02-00-00-00-00-01"), out));
    QCOMPARE(out.activationState, uint8_t(0));
}

void TestDeviceStore::serialsDifferingAboveAsciiStayApart() {
    // Two serials that differ only in one byte above 0x7F, neither of them valid UTF-8.
    DeviceStore* store = DeviceStore::instance();
    store->add(device("SN-\xE9", "02-00-00-00-00-0a", "192.0.2.1"));
    store->add(device("SN-\xE8", "02-00-00-00-00-0a", "192.0.2.2"));
    QCOMPARE(store->count(), 2);
    QVERIFY(store->update(device("SN-\xE8", "02-00-00-00-00-0a", "192.0.2.99")));
    VEXA_DEVICE_MY_INFO out;
    QVERIFY(store->get(QString::fromLatin1("SN-\xE9"), QStringLiteral("02-00-00-00-00-0a"), out));
    QCOMPARE(recordText(out.ipv4Address), QStringLiteral("192.0.2.1"));
    QVERIFY(store->get(QString::fromLatin1("SN-\xE8"), QStringLiteral("02-00-00-00-00-0a"), out));
    QCOMPARE(recordText(out.ipv4Address), QStringLiteral("192.0.2.99"));
}

void TestDeviceStore::netParamsBothWays() {
    DeviceStore* store = DeviceStore::instance();
    VEXA_DEVICE_MY_INFO record = device("SN1", "02-00-00-00-00-01", "192.0.2.10");
    setRecordText(record.ipv4SubnetMask, "255.255.255.0");
    setRecordText(record.ipv4Gateway, "192.0.2.1");
    std::memset(record.ipv6Address, 'a', sizeof record.ipv6Address); // full width, no terminator
    setRecordText(record.ipv6Gateway, "fe80::1");
    setRecordText(record.deviceName, "Lobby");
    record.port = 8000;
    record.httpPort = 65535;
    record.rtspPort = 554;
    record.ipv6PrefixLength = 64;
    record.dhcpEnabled = 1;
    store->add(record);

    VEXA_NET_PARAM params;
    std::memset(&params, 0x77, sizeof params);
    QVERIFY(store->readNetParams(QStringLiteral("SN1"), QStringLiteral("02-00-00-00-00-01"), params));
    QCOMPARE(QByteArray(params.ipv4Address), QByteArray("192.0.2.10"));
    QCOMPARE(QByteArray(params.ipv4SubnetMask), QByteArray("255.255.255.0"));
    QCOMPARE(QByteArray(params.ipv4Gateway), QByteArray("192.0.2.1"));
    QCOMPARE(QByteArray(params.ipv6Address), QByteArray(46, 'a'));
    QCOMPARE(QByteArray(params.ipv6Gateway), QByteArray("fe80::1"));
    QCOMPARE(QByteArray(params.deviceName), QByteArray("Lobby"));
    QCOMPARE(params.port, uint16_t(8000));
    QCOMPARE(params.httpPort, uint16_t(65535));
    QCOMPARE(params.rtspPort, uint16_t(554));
    QCOMPARE(params.ipv6PrefixLength, uint8_t(64));
    QCOMPARE(params.dhcpEnabled, uint8_t(1));
    QCOMPARE(params.reserved1[0], uint8_t(0));
    QCOMPARE(params.reserved2[85], uint8_t(0));

    std::memset(params.ipv4Address, 0, sizeof params.ipv4Address);
    std::memcpy(params.ipv4Address, "192.0.2.77", 10);
    params.httpPort = 40000; // above the signed 16-bit range: must widen unsigned
    params.dhcpEnabled = 0;
    QVERIFY(store->writeNetParams(QStringLiteral("SN1"), QStringLiteral("02-00-00-00-00-01"), params));
    VEXA_DEVICE_MY_INFO out;
    QVERIFY(store->get(QStringLiteral("SN1"), QStringLiteral("02-00-00-00-00-01"), out));
    QCOMPARE(recordText(out.ipv4Address), QStringLiteral("192.0.2.77"));
    QCOMPARE(out.httpPort, 40000);
    QCOMPARE(out.port, 8000);
    QCOMPARE(out.dhcpEnabled, uint8_t(0));
    QCOMPARE(recordText(out.ipv6Address), QString(46, QLatin1Char('a')));
    QCOMPARE(recordText(out.serialNo), QStringLiteral("SN1"));
}

void TestDeviceStore::onvifDevicesKeyedByEndpointUntilRead() {
    DeviceStore* store = DeviceStore::instance();
    auto onvif = [](const char* endpoint, const char* serial, const char* mac) {
        VEXA_DEVICE_MY_INFO record = device(serial, mac);
        record.protocol = VEXA_PROTOCOL_ONVIF;
        record.activationState = 0;
        setRecordText(record.endpointReference, endpoint);
        return record;
    };
    store->add(device("SN1", "02-00-00-00-00-01"));
    // Two devices without serial number or MAC yet are two records, not one key.
    store->add(onvif("urn:uuid:a", "", ""));
    store->add(onvif("urn:uuid:b", "", ""));
    QCOMPARE(store->count(), 3);
    VEXA_DEVICE_MY_INFO out;
    QVERIFY(store->get(QStringLiteral("urn:uuid:b"), QString(), out));
    QCOMPARE(recordText(out.endpointReference), QStringLiteral("urn:uuid:b"));
    QVERIFY(!store->get(QString(), QString(), out));

    // Its details arrive: the same record, in the same place, under its new key.
    QVERIFY(store->update(onvif("urn:uuid:a", "OC1", "0a-00-00-00-00-01")));
    QCOMPARE(store->count(), 3);
    QVERIFY(!store->get(QStringLiteral("urn:uuid:a"), QString(), out));
    QVERIFY(store->get(QStringLiteral("OC1"), QStringLiteral("0a-00-00-00-00-01"), out));
    QVector<VEXA_DEVICE_MY_INFO> all;
    store->copyAll(all);
    QCOMPARE(recordText(all.at(1).serialNo), QStringLiteral("OC1"));
    QVERIFY(store->getByEndpoint(QStringLiteral("urn:uuid:a"), out));
    QCOMPARE(recordText(out.serialNo), QStringLiteral("OC1"));

    // An update of one of ours never takes an ONVIF record's place.
    QVERIFY(!store->update(device("SN9", "02-00-00-00-00-09")));
    QVERIFY(store->remove(onvif("urn:uuid:b", "", "")));
    QVERIFY(store->get(QStringLiteral("SN1"), QStringLiteral("02-00-00-00-00-01"), out));
    QVERIFY(store->get(QStringLiteral("OC1"), QStringLiteral("0a-00-00-00-00-01"), out));
    QCOMPARE(store->count(), 2);
}

QTEST_APPLESS_MAIN(TestDeviceStore)
#include "tst_devicestore.moc"
