// Receipts on disk: what a spreadsheet opens, and a failed save that leaves the earlier receipt whole.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "plan/PlanText.h"
#include "plan/ReceiptFile.h"

using namespace VexaTool;

class TestReceiptFile : public QObject {
    Q_OBJECT

private slots:
    void savesWhatItReadsBack();
    void failedSaveKeepsTheOldFile();
    void entryFromResults();
    void sameWordsAsTheCommandLine();
    void resultTexts_data();
    void resultTexts();
};

void TestReceiptFile::savesWhatItReadsBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("receipt.csv"));
    const std::vector<plan::ReceiptEntry> entries = {
        {"2026-12-08 09:15:02", "VX100", "02-56-01-00-00-01", "127.17.0.1", "127.60.1.1", "门厅, 东 \"1\"", "成功",
         Outcome::done(), ""},
        {"2026-12-08 09:15:03", "VX101", "02-56-01-00-00-02", "127.17.0.2", "127.60.1.2", "=HYPERLINK(\"x\")",
         "Error2011:time out", Outcome::ofCode(2011), "=cmd: no such address"},
    };
    QString error;
    QVERIFY2(ReceiptFile::save(path, entries, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.startsWith("\xEF\xBB\xBF")); // spreadsheets read it as UTF-8
    const auto parsed = plan::CsvReader::parse(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    QCOMPARE(parsed.error, plan::CsvReader::Error::None);
    QCOMPARE(parsed.records.size(), size_t(3));
    QCOMPARE(parsed.records[0].fields,
             (std::vector<std::string>{"Time", "Serial Number", "MAC", "Old Address", "New Address", "Name", "Result",
                                       "Outcome", "Code", "Device Says"}));
    // Beside the sentence, in whatever language it is, the outcome in fixed words a script can read.
    QCOMPARE(parsed.records[1].fields[7], std::string("done"));
    QCOMPARE(parsed.records[1].fields[8], std::string("0"));
    QCOMPARE(parsed.records[2].fields[7], std::string("failed"));
    QCOMPARE(parsed.records[2].fields[8], std::string("2011"));
    QCOMPARE(parsed.records[1].fields[5], entries[0].name);
    // A device's name never becomes a formula in the spreadsheet.
    QCOMPARE(parsed.records[2].fields[5], "'" + entries[1].name);
    QCOMPARE(std::string(plan::CsvWriter::unguard(parsed.records[2].fields[5])), entries[1].name);
    QCOMPARE(parsed.records[2].fields[6], std::string("Error2011:time out"));
    // The device's own words have a column of their own, as inert as a name.
    QCOMPARE(std::string(plan::CsvWriter::unguard(parsed.records[2].fields[9])), entries[1].detail);
    QCOMPARE(parsed.records[1].fields[9], std::string());
}

void TestReceiptFile::failedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    QString missing;
    QVERIFY(!ReceiptFile::save(dir.filePath(QStringLiteral("no/such/folder/receipt.csv")), {}, &missing));
    QVERIFY(!missing.isEmpty());

    const QString path = dir.filePath(QStringLiteral("receipt.csv"));
    QVERIFY(ReceiptFile::save(path, {{"t", "VX1", "m", "a", "b", "n", "Succeed", {}, {}}}));
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();
    // The folder is read-only now: the new receipt cannot be written beside the old one.
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    QString error;
    const bool saved = ReceiptFile::save(path, {{"t", "VX2", "m", "a", "b", "n", "Succeed", {}, {}}}, &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (saved)
        QSKIP("the folder stayed writable (running with privileges that ignore permissions)");
    QVERIFY(!error.isEmpty());
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), old);
}

void TestReceiptFile::entryFromResults() {
    const DeviceInfo before{QStringLiteral("3"),
                            QStringLiteral("IPC"),
                            QStringLiteral("127.17.0.1"),
                            QStringLiteral("VX100"),
                            QStringLiteral("02-56-01-00-00-01"),
                            QString()};
    DeviceInfo after = before;
    after.ipv4Address = QStringLiteral("127.60.1.1");
    after.result = QStringLiteral("成功");
    after.outcome = Outcome::done();
    const plan::ReceiptEntry e =
        ReceiptFile::entry(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)), before, after, QStringLiteral("门厅"));
    QCOMPARE(e.time, std::string("2026-12-08 09:05:07"));
    QCOMPARE(e.oldAddress, std::string("127.17.0.1"));
    QCOMPARE(e.newAddress, std::string("127.60.1.1"));
    QCOMPARE(QString::fromStdString(e.name), QStringLiteral("门厅"));
    QCOMPARE(QString::fromStdString(e.result), QStringLiteral("成功"));
    QCOMPARE(e.outcome, Outcome::done());
}

void TestReceiptFile::sameWordsAsTheCommandLine() {
    // The command line prints the core's English; the program translates its own copy, which must say the same.
    for (int code = 0; code <= static_cast<int>(plan::IssueCode::AddressCycle); ++code) {
        plan::PlanIssue issue;
        issue.code = static_cast<plan::IssueCode>(code);
        issue.otherLine = 7;
        issue.other = "VX1";
        issue.count = 3;
        issue.expected = 5;
        QCOMPARE(PlanText::issue(issue), QString::fromStdString(plan::issueText(issue)));
    }
    using E = plan::DeploymentPlan;
    for (const char* text : {"", "\xFF\xFEx", "a,b\n\xC0\xAF", "serial,ip\n", "serial,ip,ip\n", "\"open", "\"a\"b\n"}) {
        const E parsed = E::parse(text);
        QCOMPARE(PlanText::fileError(parsed), QString::fromStdString(plan::fileErrorText(parsed)));
    }
    QCOMPARE(PlanText::notSent(QStringLiteral("VX1")), QString::fromStdString(plan::notSentText("VX1")));
    QCOMPARE(PlanText::stopped(), QStringLiteral("Not sent: stopped."));
}

void TestReceiptFile::resultTexts_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("success") << 0u << "Succeed";
    QTest::newRow("refused") << 2009u << "Error2009:device deny";
    QTest::newRow("time-out") << 2011u << "Error2011:time out";
    QTest::newRow("any other") << 2014u << "Error2014:others";
}

void TestReceiptFile::resultTexts() {
    // The command line writes the same result texts into its receipts as the program.
    QFETCH(uint, code);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(plan::batchResultText(code)), text);
    QCOMPARE(PlanText::result(code), text);
}

QTEST_GUILESS_MAIN(TestReceiptFile)
#include "tst_receiptfile.moc"
