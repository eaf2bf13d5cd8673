#include <QTest>

#include "common/AddressValidation.h"

class TestAddressValidation : public QObject {
    Q_OBJECT

private slots:
    void ipv4_data();
    void ipv4();
    void gateway_data();
    void gateway();
    void subnetMask_data();
    void subnetMask();
    void ipv6_data();
    void ipv6();
};

void TestAddressValidation::ipv4_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "192.168.1.64" << true;
    QTest::newRow("broadcast-like last part") << "192.168.1.255" << true;
    QTest::newRow("last part zero") << "192.168.1.0" << false;
    QTest::newRow("leading zeros") << "001.002.003.004" << true;
    QTest::newRow("three parts") << "1.2.3" << false;
    QTest::newRow("trailing dot") << "1.2.3.4." << false;
    QTest::newRow("part above 255") << "256.1.1.1" << false;
    QTest::newRow("empty part") << "1..3.4" << false;
    QTest::newRow("letters") << "1.2.3.a" << false;
    QTest::newRow("negative") << "1.2.-3.4" << false;
    QTest::newRow("all zero") << "0.0.0.0" << false;
    QTest::newRow("empty") << "" << false;
    // Read as QString::toUInt reads a number: blanks around a part and one '+' pass; nothing else does.
    QTest::newRow("blank before") << " 1.2.3.4" << true;
    QTest::newRow("tab after") << "1.2.3.4\t" << true;
    QTest::newRow("vertical tab before") << "\v1.2.3.4" << true;
    QTest::newRow("blank inside a part's edge") << "1. 2.3.4" << true;
    QTest::newRow("plus") << "1.2.3.+4" << true;
    QTest::newRow("two pluses") << "1.2.3.++4" << false;
    QTest::newRow("hexadecimal part") << "1.2.3.0x4" << false;
    QTest::newRow("part past 32 bits") << "4294967296.1.1.1" << false;
    QTest::newRow("five parts") << "1.2.3.4.5" << false;
    QTest::newRow("only dots") << "..." << false;
    QTest::newRow("full-width digit") << QStringLiteral("\uFF11.2.3.4") << false;
    QTest::newRow("no-break space after") << QStringLiteral("1.2.3.4\u00A0") << false;
}

void TestAddressValidation::ipv4() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(isValidIpv4(text), valid);
}

void TestAddressValidation::gateway_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("no gateway") << "0.0.0.0" << true;
    QTest::newRow("plain") << "10.0.0.1" << true;
    QTest::newRow("last part 255") << "10.0.0.255" << false;
    QTest::newRow("last part 0") << "10.0.0.0" << false;
    QTest::newRow("five parts") << "10.0.0.1.1" << false;
    QTest::newRow("zero gateway with padding") << "0.0.0.00" << false;
}

void TestAddressValidation::gateway() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(isValidGateway(text), valid);
}

void TestAddressValidation::subnetMask_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("/24") << "255.255.255.0" << true;
    QTest::newRow("/23") << "255.255.254.0" << true;
    QTest::newRow("/31") << "255.255.255.254" << true;
    QTest::newRow("/1") << "128.0.0.0" << true;
    QTest::newRow("none") << "0.0.0.0" << true;
    QTest::newRow("/32") << "255.255.255.255" << false;
    QTest::newRow("hole") << "255.0.255.0" << false;
    QTest::newRow("not contiguous") << "255.255.253.0" << false;
    QTest::newRow("leading zero") << "255.255.255.000" << false;
    QTest::newRow("trailing space") << "255.255.255.0 " << false;
    QTest::newRow("prefix of a longer text") << "255.255.255.0.0" << false;
}

void TestAddressValidation::subnetMask() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(isValidSubnetMask(text), valid);
}

void TestAddressValidation::ipv6_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("unspecified") << "::" << true;
    QTest::newRow("unspecified with spaces") << " :: " << true;
    QTest::newRow("loopback") << "::1" << true;
    QTest::newRow("trailing gap") << "1::" << true;
    QTest::newRow("zone") << "fe80::1%3" << true;
    QTest::newRow("full") << "1:2:3:4:5:6:7:8" << true;
    QTest::newRow("mapped v4") << "::ffff:1.2.3.4" << true;
    QTest::newRow("six groups and v4") << "1:2:3:4:5:6:1.2.3.4" << true;
    QTest::newRow("gap in the middle") << "2001:db8::8a2e:370:7334" << true;
    QTest::newRow("mapped v4 ending in 0") << "::ffff:1.2.3.0" << false;
    QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9" << false;
    QTest::newRow("triple colon") << "1:::2" << false;
    QTest::newRow("two gaps") << "1::2::3" << false;
    QTest::newRow("group too large") << "12345::1" << false;
    QTest::newRow("seven groups and v4") << "1:2:3:4:5:6:7:1.2.3.4" << false;
    QTest::newRow("seven groups, no gap") << "1:2:3:4:5:6:7" << false;
    QTest::newRow("single leading colon") << ":1:2:3:4:5:6:7" << false;
    QTest::newRow("single trailing colon") << "1:2:3:4:5:6:7:" << false;
    QTest::newRow("v4 not last") << "1.2.3.4::1" << false;
    QTest::newRow("not hex") << "fe80::g1" << false;
    QTest::newRow("plain v4") << "1.2.3.4" << false;
    QTest::newRow("empty") << "" << false;
}

void TestAddressValidation::ipv6() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(isValidIpv6(text), valid);
}

QTEST_APPLESS_MAIN(TestAddressValidation)
#include "tst_addressvalidation.moc"
