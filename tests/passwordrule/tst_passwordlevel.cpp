#include <QTest>

#include "passwordrule/PasswordLevel.h"

class TestPasswordLevel : public QObject {
    Q_OBJECT

private slots:
    void rating_data();
    void rating();
    void charactersAsTyped_data();
    void charactersAsTyped();
};

void TestPasswordLevel::rating_data() {
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("level");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("seven characters of four kinds") << QByteArray("aB3$xY9") << 0;
    QTest::newRow("eight lower-case letters") << QByteArray("abcdefgh") << 0;
    QTest::newRow("eight digits") << QByteArray("12345678") << 0;
    QTest::newRow("eight symbols") << QByteArray("!@#$%^&*") << 0;
    QTest::newRow("lower and digits") << QByteArray("abcd1234") << 1;
    QTest::newRow("upper and digits") << QByteArray("ABCD1234") << 1;
    QTest::newRow("user name then digits") << QByteArray("admin123") << 1;
    QTest::newRow("upper and lower") << QByteArray("abcdEFGH") << 2;
    QTest::newRow("lower and punctuation") << QByteArray("abcd!@#$") << 2;
    QTest::newRow("digits and punctuation") << QByteArray("1234!@#$") << 2;
    QTest::newRow("space counts as other") << QByteArray("abcd efg") << 2;
    QTest::newRow("non-ASCII bytes count as other") << QByteArray("abcd\xc3\xa9\xc3\xa9") << 2;
    QTest::newRow("three kinds at eight") << QByteArray("abcD1234") << 3;
    QTest::newRow("four kinds") << QByteArray("aB3$xY9!") << 3;
    QTest::newRow("long, no upper limit") << QByteArray(64, 'a') + "Z9" << 3;
}

void TestPasswordLevel::rating() {
    QFETCH(QByteArray, password);
    QFETCH(int, level);
    QCOMPARE(passwordLevel("admin", password.toStdString()), level);
}

void TestPasswordLevel::charactersAsTyped_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("byteLevel");
    // Seven characters that take more than eight bytes in UTF-8: too short as typed.
    QTest::newRow("accented, seven characters") << QString::fromUtf8("P\u00e4sswo1") << 0 << 3;
    QTest::newRow("cjk, seven characters") << QString::fromUtf8("ab12\u5bc6\u7801\u5b57") << 0 << 3;
    QTest::newRow("emoji counts once") << QString::fromUtf8("abc123\U0001F511") << 0 << 3;
    QTest::newRow("accented, eight characters") << QString::fromUtf8("P\u00e4sswor1") << 3 << 3;
    QTest::newRow("ascii agrees with bytes") << QStringLiteral("abcd1234") << 1 << 1;
    QTest::newRow("accented letter is other") << QString::fromUtf8("\u00e9\u00e9\u00e9\u00e9abcd") << 2 << 2;
}

void TestPasswordLevel::charactersAsTyped() {
    QFETCH(QString, password);
    QFETCH(int, level);
    QFETCH(int, byteLevel);
    QCOMPARE(passwordLevel(U"admin", password.toStdU32String()), level);
    // The byte rule, as a device applies it to UTF-8, is what rated these before.
    QCOMPARE(passwordLevel("admin", password.toStdString()), byteLevel);
}

// The user name and its reverse are refused whatever their kinds; a longer name shows the check runs
// before the kinds are counted.
class TestPasswordUserName : public QObject {
    Q_OBJECT

private slots:
    void nameAndReverseRefused() {
        QCOMPARE(passwordLevel("Operator1", "Operator1"), 0);
        QCOMPARE(passwordLevel("Operator1", "1rotarepO"), 0);
        QCOMPARE(passwordLevel("Operator1", "Operator2"), 3);
        QCOMPARE(passwordLevel("Operator1", "operator1"), 1); // case-sensitive comparison
    }
};

int main(int argc, char** argv) {
    TestPasswordLevel level;
    TestPasswordUserName name;
    return QTest::qExec(&level, argc, argv) | QTest::qExec(&name, argc, argv);
}
#include "tst_passwordlevel.moc"
