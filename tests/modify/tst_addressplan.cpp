#include <QTest>

#include "modify/AddressPlan.h"

using VexaTool::AddressPlan;

// What goes to a device: the one spelling its parser takes, and runs of consecutive addresses that stay usable.
class TestAddressPlan : public QObject {
    Q_OBJECT

private slots:
    void canonicalIpv4_data();
    void canonicalIpv4();
    void canonicalIpv6_data();
    void canonicalIpv6();
    void consecutive_data();
    void consecutive();
};

void TestAddressPlan::canonicalIpv4_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical");
    // The rules are the deployment layer's (tst_ipv4rules); the adapter only hands the text through and back.
    QTest::newRow("leading zeros") << u"192.168.001.010"_qs << u"192.168.1.10"_qs;
}

void TestAddressPlan::canonicalIpv4() {
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QCOMPARE(AddressPlan::canonicalIpv4(text), canonical);
}

void TestAddressPlan::canonicalIpv6_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("compressed already") << u"fe80::1"_qs << u"fe80::1"_qs;
    QTest::newRow("zone dropped") << u"fe80::1%3"_qs << u"fe80::1"_qs;
    QTest::newRow("long form, upper case") << u"FE80:0000:0000:0000:0000:0000:0000:0001"_qs << u"fe80::1"_qs;
    QTest::newRow("leading zeros in groups") << u"2001:0db8::0001"_qs << u"2001:db8::1"_qs;
    QTest::newRow("IPv4 address is not IPv6") << u"192.168.1.1"_qs << QString();
    QTest::newRow("garbage") << u"2001:db8::g"_qs << QString();
    QTest::newRow("only a zone") << u"%3"_qs << QString();
}

void TestAddressPlan::canonicalIpv6() {
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QCOMPARE(AddressPlan::canonicalIpv6(text), canonical);
}

void TestAddressPlan::consecutive_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("addresses"); // first and last, when there is no fault
    const int none = int(AddressPlan::Fault::None);
    QTest::newRow("ten over the third part, /16") << u"192.168.1.250"_qs << u"255.255.0.0"_qs << 10 << none
                                                  << QStringList{u"192.168.1.250"_qs, u"192.168.2.3"_qs};
    QTest::newRow("one device is the start itself")
        << u"10.1.2.3"_qs << u"255.255.255.0"_qs << 1 << none << QStringList{u"10.1.2.3"_qs, u"10.1.2.3"_qs};
    QTest::newRow("up to the last host of a /24")
        << u"10.1.2.250"_qs << u"255.255.255.0"_qs << 5 << none << QStringList{u"10.1.2.250"_qs, u"10.1.2.254"_qs};
    QTest::newRow("onto the broadcast of a /24")
        << u"10.1.2.250"_qs << u"255.255.255.0"_qs << 6 << int(AddressPlan::Fault::NetworkOrBroadcast) << QStringList();
    QTest::newRow("ten over the third part, /24 leaves the subnet")
        << u"192.168.1.250"_qs << u"255.255.255.0"_qs << 10 << int(AddressPlan::Fault::LeavesSubnet) << QStringList();
    QTest::newRow("start on the network address")
        << u"10.1.2.0"_qs << u"255.255.255.0"_qs << 2 << int(AddressPlan::Fault::NetworkOrBroadcast) << QStringList();
    QTest::newRow("past x.x.255.255") << u"10.1.255.250"_qs << u"255.0.0.0"_qs << 10 << int(AddressPlan::Fault::PastEnd)
                                      << QStringList();
    QTest::newRow("exactly to x.x.255.254 in a /8")
        << u"10.1.255.250"_qs << u"255.0.0.0"_qs << 5 << none << QStringList{u"10.1.255.250"_qs, u"10.1.255.254"_qs};
    QTest::newRow("no start address") << QString() << u"255.255.255.0"_qs << 3 << int(AddressPlan::Fault::NoStart)
                                      << QStringList();
    QTest::newRow("no devices") << u"10.1.2.3"_qs << u"255.255.255.0"_qs << 0 << int(AddressPlan::Fault::NoStart)
                                << QStringList();
}

void TestAddressPlan::consecutive() {
    QFETCH(QString, start);
    QFETCH(QString, mask);
    QFETCH(int, count);
    QFETCH(int, fault);
    QFETCH(QStringList, addresses);
    QStringList out{u"left over"_qs};
    QCOMPARE(int(AddressPlan::consecutive(start, mask, count, out)), fault);
    if (fault != int(AddressPlan::Fault::None)) {
        QVERIFY(out.isEmpty());
        return;
    }
    QCOMPARE(out.size(), count);
    QCOMPARE(out.first(), addresses.first());
    QCOMPARE(out.last(), addresses.last());
    QCOMPARE(out.size(), QSet<QString>(out.begin(), out.end()).size());
}

QTEST_GUILESS_MAIN(TestAddressPlan)
#include "tst_addressplan.moc"
