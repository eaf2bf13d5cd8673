#include <QtTest>

#include "guitoolkit/CIntValidator.h"

using OrvisGUIToolkit::CIntValidator;

class TestCIntValidator : public QObject {
    Q_OBJECT

private slots:
    void validate_data() {
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("top");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("state");
        const int ok = QValidator::Acceptable;
        const int mid = QValidator::Intermediate;
        const int bad = QValidator::Invalid;
        QTest::newRow("port low edge") << 0 << 65535 << "0" << ok;
        QTest::newRow("port high edge") << 0 << 65535 << "65535" << ok;
        QTest::newRow("port above") << 0 << 65535 << "65536" << bad;
        QTest::newRow("leading zeros") << 0 << 65535 << "0080" << ok;
        QTest::newRow("empty") << 0 << 65535 << "" << mid;
        QTest::newRow("letter") << 0 << 65535 << "8a" << bad;
        QTest::newRow("sign on unsigned range") << 0 << 65535 << "-1" << bad;
        QTest::newRow("plus sign") << 0 << 65535 << "+1" << bad;
        QTest::newRow("space") << 0 << 65535 << " 1" << bad;
        QTest::newRow("group separator") << 0 << 65535 << "1,000" << bad;
        QTest::newRow("arabic-indic digit") << 0 << 65535 << QString(QChar(0x0661)) << bad;
        QTest::newRow("huge") << 0 << 65535 << "99999999999999999999999" << bad;
        QTest::newRow("rtsp zero may grow") << 1 << 65535 << "0" << mid;
        QTest::newRow("rtsp one") << 1 << 65535 << "1" << ok;
        QTest::newRow("prefix 127") << 0 << 127 << "127" << ok;
        QTest::newRow("prefix 128") << 0 << 127 << "128" << bad;
        QTest::newRow("below bottom may grow") << 10 << 20 << "1" << mid;
        QTest::newRow("negative range inside") << -50 << -10 << "-20" << ok;
        QTest::newRow("negative lone sign") << -50 << -10 << "-" << mid;
        QTest::newRow("negative too low") << -50 << -10 << "-60" << bad;
        QTest::newRow("negative may grow") << -50 << -10 << "-3" << mid;
    }
    void validate() {
        QFETCH(int, bottom);
        QFETCH(int, top);
        QFETCH(QString, input);
        QFETCH(int, state);
        CIntValidator v(bottom, top);
        int pos = input.size();
        QCOMPARE(static_cast<int>(v.validate(input, pos)), state);
    }
};

QTEST_GUILESS_MAIN(TestCIntValidator)
#include "tst_cintvalidator.moc"
