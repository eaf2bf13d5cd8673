// The Qt-free address rules of the plan core must say exactly what the program's address checks say.

#include <QRandomGenerator>
#include <QtTest>

#include "common/AddressValidation.h"
#include "plan/core/Ipv4Rules.h"

namespace core = VexaTool::plan;

class TestIpv4Rules : public QObject {
    Q_OBJECT

private slots:
    void agreesWithTheForm_data();
    void agreesWithTheForm();
    void agreesOnRandomTexts();
    void canonical_data();
    void canonical();
};

void TestIpv4Rules::agreesWithTheForm_data() {
    QTest::addColumn<QByteArray>("text");
    for (const char* text : {"192.168.1.64",
                             "192.168.1.255",
                             "192.168.1.0",
                             "001.002.003.004",
                             "1.2.3",
                             "1.2.3.4.",
                             "256.1.1.1",
                             "1..3.4",
                             "1.2.3.a",
                             "1.2.-3.4",
                             "0.0.0.0",
                             "",
                             " 1.2.3.4",
                             "1.2.3.4 ",
                             "1. 2.3.4",
                             "+1.2.3.4",
                             "1.2.3.+4",
                             "1.2.3.++4",
                             "1.2.3.4\t",
                             "1.2.3.0x4",
                             "4294967296.1.1.1",
                             "4294967295.1.1.1",
                             "255.255.255.0",
                             "255.255.254.0",
                             "255.255.255.255",
                             "255.0.255.0",
                             "255.255.253.0",
                             "0255.255.255.0",
                             "255.255.255.00",
                             "128.0.0.0",
                             "255.255.255.254",
                             "10.0.0.255",
                             "10.0.0.254",
                             "0.0.0.1",
                             "１.2.3.4",
                             "1.2.3.4\xC2\xA0",
                             "...",
                             "1.2.3.4.5",
                             "\v1.2.3.4"}) {
        QTest::newRow(text) << QByteArray(text);
    }
}

void TestIpv4Rules::agreesWithTheForm() {
    QFETCH(QByteArray, text);
    const std::string bytes = text.toStdString();
    const QString qtext = QString::fromUtf8(text);
    QCOMPARE(core::isValidIpv4(bytes), isValidIpv4(qtext));
    QCOMPARE(core::isValidSubnetMask(bytes), isValidSubnetMask(qtext));
    QCOMPARE(core::isValidGateway(bytes), isValidGateway(qtext));
}

void TestIpv4Rules::agreesOnRandomTexts() {
    // Texts near the rules' edges: digits, dots, signs and white space, and the mask octets.
    static const char* const pieces[] = {"0", "1", "2", "5", "9", "25", "255", "254", "128", "00",
                                         ".", ".", ".", "+", " ", "\t", "-",   "a",   "256", "192"};
    QRandomGenerator random(1234);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int length = random.bounded(1, 10);
        for (int k = 0; k < length; ++k)
            text += pieces[random.bounded(static_cast<int>(std::size(pieces)))];
        const QString qtext = QString::fromStdString(text);
        if (core::isValidIpv4(text) != isValidIpv4(qtext) ||
            core::isValidSubnetMask(text) != isValidSubnetMask(qtext) ||
            core::isValidGateway(text) != isValidGateway(qtext))
            QFAIL(qPrintable(QStringLiteral("rules differ on \"%1\"").arg(qtext)));
    }
}

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
}

void TestIpv4Rules::canonical() {
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QCOMPARE(QString::fromStdString(core::canonicalIpv4(text.toStdString())), canonical);
}

QTEST_GUILESS_MAIN(TestIpv4Rules)
#include "tst_ipv4rules.moc"
