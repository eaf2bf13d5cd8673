// What the site operations check before anything is sent: the NTP servers typed, and the generated passwords and
// the file that keeps them.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "passwordrule/PasswordLevel.h"
#include "siteops/NtpServerList.h"
#include "siteops/PasswordSheet.h"

using VexaTool::NtpServerList;
using VexaTool::PasswordSheet;

class TestSiteOps : public QObject {
    Q_OBJECT

private slots:
    void ntpServers_data();
    void ntpServers();
    void generatedPasswords();
    void passwordFile_data();
    void passwordFile();
};

void TestSiteOps::ntpServers_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent"); // empty: refused
    QTest::newRow("one address") << "192.168.1.1"
                                 << "192.168.1.1";
    QTest::newRow("names and addresses") << " ntp1.example.org, 10.0.0.5  time-b.lan "
                                         << "ntp1.example.org,10.0.0.5,time-b.lan";
    QTest::newRow("four") << "a.lan,b.lan,c.lan,d.lan"
                          << "a.lan,b.lan,c.lan,d.lan";
    QTest::newRow("five") << "a.lan,b.lan,c.lan,d.lan,e.lan"
                          << "";
    QTest::newRow("none") << " , "
                          << "";
    QTest::newRow("address out of range") << "10.0.0.300"
                                          << "";
    QTest::newRow("label with underscore") << "ntp_1.lan"
                                           << "";
    QTest::newRow("hyphen at the end") << "ntp-.lan"
                                       << "";
    QTest::newRow("injection") << "pool.ntp.org;reboot"
                               << "";
    QTest::newRow("markup") << "<b>x</b>"
                            << "";
    QTest::newRow("too long together") << QString(60, u'a') + u',' + QString(60, u'b') + u',' + QString(20, u'c') << "";
}

void TestSiteOps::ntpServers() {
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QString error;
    const QStringList servers = NtpServerList::parse(typed, &error);
    QCOMPARE(QString::fromLatin1(NtpServerList::join(servers)), sent);
    // Every refusal says why; an accepted list leaves no reason behind.
    QCOMPARE(error.isEmpty(), !sent.isEmpty());
}

void TestSiteOps::generatedPasswords() {
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString password = PasswordSheet::generate();
        QCOMPARE(password.size(), PasswordSheet::kGeneratedLength);
        QVERIFY2(!seen.contains(password), qPrintable(password));
        seen.insert(password);
        // Strong by the program's own rule, printable, nothing that needs quoting in XML, CSV or a shell.
        QCOMPARE(passwordLevel(std::string("admin"), password.toStdString()), 3);
        for (const QChar c : password) {
            QVERIFY(c.unicode() > 0x20 && c.unicode() < 0x7f);
            QVERIFY2(!QStringLiteral("\"'`\\<>&,; ").contains(c), qPrintable(password));
        }
        QVERIFY(password.front().isLetterOrNumber());
    }
}

void TestSiteOps::passwordFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("written");
    QTest::newRow("new file") << "passwords.csv" << true;
    QTest::newRow("exists already") << "existing.csv" << false;
    QTest::newRow("a link to another file") << "link.csv" << false;
    QTest::newRow("no such folder") << "missing/passwords.csv" << false;
}

void TestSiteOps::passwordFile() {
    QFETCH(QString, name);
    QFETCH(bool, written);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("existing.csv")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("kept\n");
    existing.close();
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("target.csv")), dir.filePath(QStringLiteral("link.csv"))));
    const QString path = dir.filePath(name);
    const QString password = PasswordSheet::generate();
    QString error;
    const bool ok = PasswordSheet::write(path,
                                         {{QStringLiteral("OC1"), QStringLiteral("0a:00:00:00:00:01"),
                                           QStringLiteral("192.168.1.70"), QStringLiteral("admin"), password}},
                                         &error);
    QCOMPARE(ok, written);
    QCOMPARE(error.isEmpty(), written);
    // What was there before stays, and nothing is created through a link.
    QFile check(dir.filePath(QStringLiteral("existing.csv")));
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("kept\n"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("target.csv"))));
    if (!written)
        return;
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("OC1,0a:00:00:00:00:01,192.168.1.70,admin," + password.toLatin1() + "\r\n") ||
            text.contains("OC1,0a:00:00:00:00:01,192.168.1.70,admin," + password.toLatin1() + "\n"));
}

QTEST_GUILESS_MAIN(TestSiteOps)
#include "tst_siteops.moc"
