#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "outcome/ErrorText.h"
#include "password/PasswordRecovery.h"

class TestPasswordRecovery : public QObject {
    Q_OBJECT

private slots:
    void keyRequestFileName_data();
    void keyRequestFileName();
    void keyRequestData_data();
    void keyRequestData();
    void keyRequestTextStopsAtZero();
    void keyCopy_data();
    void keyCopy();
    void keyCopyOfItself();
    void unreadableKeyFileLeavesNoStaleCopy();
    void resetRecord_data();
    void resetRecord();
    void rememberedLocationsStartAtHome();
    void librarySentences_data();
    void librarySentences();
};

void TestPasswordRecovery::keyRequestFileName_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("name");
    const QDateTime afternoon(QDate(2026, 3, 9), QTime(15, 7, 59));
    QTest::newRow("24-hour time") << QStringLiteral("VX9D01-0007") << afternoon
                                  << QStringLiteral("VX9D01-0007-202603091507.xml");
    QTest::newRow("slashes replaced") << QStringLiteral("A/B\\C//") << afternoon
                                      << QStringLiteral("A_B_C__-202603091507.xml");
    QTest::newRow("just after midnight") << QStringLiteral("S") << QDateTime(QDate(2026, 12, 31), QTime(0, 5))
                                         << QStringLiteral("S-202612310005.xml");
}

void TestPasswordRecovery::keyRequestFileName() {
    QFETCH(QString, serial);
    QFETCH(QDateTime, when);
    QFETCH(QString, name);
    QCOMPARE(VexaTool::keyRequestFileName(serial, when), name);
}

void TestPasswordRecovery::keyRequestData_data() {
    QTest::addColumn<uint>("length");
    QTest::addColumn<uint>("capacity");
    QTest::addColumn<bool>("ok");
    QTest::newRow("empty") << 0u << 256u << true;
    QTest::newRow("full command 1") << 256u << 256u << true;
    QTest::newRow("one beyond command 1") << 257u << 256u << false;
    QTest::newRow("full command 2") << 384u << 384u << true;
    QTest::newRow("huge") << 0xFFFFFFFFu << 384u << false;
}

void TestPasswordRecovery::keyRequestData() {
    QFETCH(uint, length);
    QFETCH(uint, capacity);
    QFETCH(bool, ok);
    QByteArray area(static_cast<qsizetype>(capacity), 'd');
    QByteArray out("untouched");
    QCOMPARE(VexaTool::keyRequestData(length, area.constData(), capacity, out), ok);
    QCOMPARE(out, ok ? area.left(length) : QByteArray("untouched"));
}

void TestPasswordRecovery::keyRequestTextStopsAtZero() {
    QCOMPARE(VexaTool::keyRequestText(QByteArray("<a>\xe9</a>\0tail", 13)), QStringLiteral("<a>\u00e9</a>"));
    QCOMPARE(VexaTool::keyRequestText(QByteArray("whole")), QStringLiteral("whole"));
}

void TestPasswordRecovery::keyCopy_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("copied");
    QTest::newRow("trailing LF lines") << QByteArray("KEY\n\n\n") << int(VexaTool::KeyCopy::Written)
                                       << QByteArray("KEY");
    QTest::newRow("trailing CR LF lines")
        << QByteArray("KEY\r\n\r\n") << int(VexaTool::KeyCopy::Written) << QByteArray("KEY");
    QTest::newRow("only line ends") << QByteArray("\n\r\n\n") << int(VexaTool::KeyCopy::Written) << QByteArray();
    QTest::newRow("empty") << QByteArray() << int(VexaTool::KeyCopy::Written) << QByteArray();
    QTest::newRow("trailing spaces are the key's")
        << QByteArray("KEY  \n") << int(VexaTool::KeyCopy::Written) << QByteArray("KEY  ");
    QTest::newRow("255 bytes fit") << QByteArray(255, 'k') + "\n"
                                   << int(VexaTool::KeyCopy::Written) << QByteArray(255, 'k');
    QTest::newRow("256 bytes refused") << QByteArray(256, 'k') << int(VexaTool::KeyCopy::TooLong) << QByteArray();
    QTest::newRow("a large wrong file") << QByteArray(1 << 20, 'x') << int(VexaTool::KeyCopy::TooLong) << QByteArray();
}

void TestPasswordRecovery::keyCopy() {
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QByteArray, copied);
    QTemporaryDir dir;
    const QString keyPath = dir.filePath(QStringLiteral("key.txt"));
    const QString copyPath = dir.filePath(QStringLiteral("copy.xml"));
    QFile key(keyPath);
    QVERIFY(key.open(QIODevice::WriteOnly));
    key.write(content);
    key.close();
    QFile old(copyPath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("OLD KEY");
    old.close();

    const VexaTool::KeyCopy result = VexaTool::copyKeyFile(keyPath, copyPath, VexaTool::kMaxKeyBytes);
    QCOMPARE(int(result.status), status);
    if (status == VexaTool::KeyCopy::Written) {
        QCOMPARE(result.path, copyPath);
        QFile copy(copyPath);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), copied);
    } else {
        QVERIFY(result.path.isEmpty());
    }
}

void TestPasswordRecovery::keyCopyOfItself() {
    QTemporaryDir dir;
    const QString copyPath = dir.filePath(QStringLiteral("copy.xml"));
    QFile file(copyPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("SELF\n\n");
    file.close();
    const VexaTool::KeyCopy result = VexaTool::copyKeyFile(copyPath, copyPath, VexaTool::kMaxKeyBytes);
    QCOMPARE(int(result.status), int(VexaTool::KeyCopy::Written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("SELF"));
}

void TestPasswordRecovery::unreadableKeyFileLeavesNoStaleCopy() {
    QTemporaryDir dir;
    const QString copyPath = dir.filePath(QStringLiteral("copy.xml"));
    QFile old(copyPath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("STALE KEY");
    old.close();
    const VexaTool::KeyCopy result = VexaTool::copyKeyFile(dir.filePath(QStringLiteral("missing.txt")), copyPath, 255);
    QCOMPARE(int(result.status), int(VexaTool::KeyCopy::Unreadable));
    QCOMPARE(result.path, copyPath);
    QVERIFY(!QFile::exists(copyPath));

    // A folder in place of the copy cannot be written.
    const QString keyPath = dir.filePath(QStringLiteral("key.txt"));
    QFile key(keyPath);
    QVERIFY(key.open(QIODevice::WriteOnly));
    key.write("KEY");
    key.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("blocked")));
    const VexaTool::KeyCopy blocked =
        VexaTool::copyKeyFile(keyPath, dir.filePath(QStringLiteral("blocked/x/copy.xml")), 255);
    QCOMPARE(int(blocked.status), int(VexaTool::KeyCopy::CopyFailed));
    QVERIFY(blocked.path.isEmpty());
}

void TestPasswordRecovery::resetRecord_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("fit");
    QTest::newRow("typed key") << QByteArray("KEY") << QByteArray() << QByteArray("Abcdef12")
                               << int(VexaTool::RecordFit::Ok);
    QTest::newRow("key file") << QByteArray() << QByteArray("/opt/vexa/copy.xml") << QByteArray("Abcdef12")
                              << int(VexaTool::RecordFit::Ok);
    QTest::newRow("255-byte key, 16-byte password")
        << QByteArray(255, 'k') << QByteArray() << QByteArray("Abcdefgh12345678") << int(VexaTool::RecordFit::Ok);
    QTest::newRow("256-byte key") << QByteArray(256, 'k') << QByteArray() << QByteArray("Abcdef12")
                                  << int(VexaTool::RecordFit::KeyTooLong);
    QTest::newRow("259-byte path") << QByteArray() << QByteArray(259, 'p') << QByteArray("Abcdef12")
                                   << int(VexaTool::RecordFit::Ok);
    QTest::newRow("260-byte path") << QByteArray() << QByteArray(260, 'p') << QByteArray("Abcdef12")
                                   << int(VexaTool::RecordFit::PathTooLong);
    QTest::newRow("17-byte password") << QByteArray("KEY") << QByteArray() << QByteArray("Abcdefgh1234567\xc3\xa9")
                                      << int(VexaTool::RecordFit::PasswordTooLong);
}

void TestPasswordRecovery::resetRecord() {
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, password);
    QFETCH(int, fit);
    VEXA_RESET_PARAM record;
    std::memset(&record, 0xAB, sizeof record);
    QCOMPARE(int(VexaTool::fillResetRecord(record, key, path, password, true)), fit);
    const auto* bytes = reinterpret_cast<const char*>(&record);
    if (fit != int(VexaTool::RecordFit::Ok)) {
        // Refused: nothing half-built is left behind.
        QVERIFY(std::all_of(bytes, bytes + sizeof record, [](char c) { return c == 0; }));
        return;
    }
    QCOMPARE(QByteArray(bytes, 256), key.leftJustified(256, '\0'));
    QCOMPARE(QByteArray(bytes + 256, 260), path.leftJustified(260, '\0'));
    QCOMPARE(QByteArray(bytes + 516, 16), password.leftJustified(16, '\0'));
    QCOMPARE(bytes[532], '\1');
    QVERIFY(std::all_of(bytes + 533, bytes + 1044, [](char c) { return c == 0; }));
}

void TestPasswordRecovery::rememberedLocationsStartAtHome() {
#ifdef Q_OS_WIN
    QCOMPARE(VexaTool::defaultLocation(), QStringLiteral("C:\\"));
#else
    QCOMPARE(VexaTool::defaultLocation(), QDir::homePath());
#endif
    QCOMPARE(VexaTool::keyFolder(), VexaTool::defaultLocation());
    QCOMPARE(VexaTool::keyFile(), VexaTool::defaultLocation());
}

void TestPasswordRecovery::librarySentences_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("gone") << uint(VEXA_ERR_UNKNOWN_DEVICE)
                          << QStringLiteral("The device is no longer on the network. Refresh the list and try again.");
    QTest::newRow("file") << uint(VEXA_ERR_FILE) << QStringLiteral("The file could not be read.");
    QTest::newRow("timeout") << uint(VEXA_ERR_TIMEOUT) << QStringLiteral("Time out.");
    QTest::newRow("weak") << uint(VEXA_ERR_WEAK_PASSWORD)
                          << QStringLiteral("The device refused the password as too weak.");
    // The dialogs' own failure text stands alone for these.
    QTest::newRow("refused") << uint(VEXA_ERR_DEVICE_REFUSED) << QString();
    QTest::newRow("undefined") << 0x7777u << QString();
}

void TestPasswordRecovery::librarySentences() {
    QFETCH(uint, code);
    QFETCH(QString, sentence);
    QCOMPARE(VexaTool::libraryErrorSentence(code), sentence);
    if (!sentence.isEmpty())
        QCOMPARE(VexaTool::libraryErrorSentence(code), VexaTool::ErrorText::sentence(code));
}

QTEST_GUILESS_MAIN(TestPasswordRecovery)
#include "tst_passwordrecovery.moc"
