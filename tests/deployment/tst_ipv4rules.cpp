// The one spelling of an IPv4 address that is compared and sent (the rules themselves: tst_addressvalidation).

#include <QtTest>

#include "deployment/Ipv4Rules.h"

using VexaTool::plan::canonicalIpv4;

class TestIpv4Rules : public QObject {
    Q_OBJECT

private slots:
    void canonical_data();
    void canonical();
};

void TestIpv4Rules::canonical_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("already canonical") << "10.1.2.3"
                                       << "10.1.2.3";
    QTest::newRow("leading zeros are decimal, not octal") << "010.001.002.010"
                                                          << "10.1.2.10";
    QTest::newRow("spaces and plus inside parts") << "+10. 1.2 .3"
                                                  << "10.1.2.3";
    QTest::newRow("not an address") << "10.1.2"
                                    << "";
    QTest::newRow("part too large") << "10.1.2.256"
                                    << "";
    QTest::newRow("surrounding blanks") << " 10.0.0.1 "
                                        << "10.0.0.1";
    QTest::newRow("letters") << "10.0.0.a"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestIpv4Rules::canonical() {
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QCOMPARE(QString::fromStdString(canonicalIpv4(text.toStdString())), canonical);
}

QTEST_GUILESS_MAIN(TestIpv4Rules)
#include "tst_ipv4rules.moc"
