// The address-scan dialog's logic below the network: what a range the library refuses reads as, the recent ranges
// it keeps, and the tally of a scan with its table and CSV file. The library is never started here, so nothing is
// sent: a range that reads gets only "not started".

#include <cstring>

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "deployment/CsvReader.h"
#include "outcome/ErrorText.h"
#include "scan/RecentRanges.h"
#include "scan/ScanRangesDialog.h"
#include "scan/ScanResultModel.h"
#include "scan/ScanRunner.h"
#include "scan/ScanTally.h"
#include "support/ModalAnswer.h"
#include "vexa.h"

using VexaTool::RecentRanges;
using VexaTool::ScanTally;

class TestScanLogic : public QObject {
    Q_OBJECT

private slots:
    void rangeMessages_data();
    void rangeMessages();
    void recentRanges_data();
    void recentRanges();
    void tally_data();
    void tally();

private:
    QTemporaryDir m_dir;
};

void TestScanLogic::rangeMessages_data() {
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<QString>("answer"); // the button clicked when asked to scan public addresses
    QTest::addColumn<QString>("message");
    const QString form = QStringLiteral("“%1” is not an address range.");
    QTest::newRow("nothing typed") << QStringLiteral("  ") << QString() << QStringLiteral("Type the ranges to scan");
    QTest::newRow("prefix too long") << QStringLiteral("10.0.0.0/33") << QString()
                                     << form.arg(QLatin1String("10.0.0.0/33"));
    QTest::newRow("bad piece among good")
        << QStringLiteral("10.1.0.1, 10.1.2.3-10.1") << QString() << form.arg(QLatin1String("10.1.2.3-10.1"));
    QTest::newRow("public, declined") << QStringLiteral("8.8.8.0/30") << QStringLiteral("m_btnCancelPublic")
                                      << QStringLiteral("Not scanned: the ranges hold public addresses.");
    QTest::newRow("public, confirmed") << QStringLiteral("10.0.0.1 8.8.8.8") << QStringLiteral("m_btnScanPublic")
                                       << VexaTool::errorText(VEXA_ERR_NOT_STARTED);
}

void TestScanLogic::rangeMessages() {
    QFETCH(QString, ranges);
    QFETCH(QString, answer);
    QFETCH(QString, message);
    VexaTool::ScanRangesDialog dialog(nullptr, m_dir.filePath(QStringLiteral("messages.txt")));
    dialog.rangesEdit()->setText(ranges);
    if (!answer.isEmpty())
        testsupport::clickInNextModal(answer);
    dialog.startScan();
    QTRY_VERIFY(!dialog.runner()->isRunning() && !dialog.errorLabel()->text().isEmpty());
    QVERIFY2(dialog.errorLabel()->text().contains(message), qPrintable(dialog.errorLabel()->text()));
    QVERIFY(dialog.recentRanges().list().isEmpty()); // what did not scan is not remembered
}

void TestScanLogic::recentRanges_data() {
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("written one way") << QStringList{QStringLiteral(" 10.2.0.0/24 ,10.3.0.1;10.4.0.1  10.5.0.1 ")}
                                     << QStringList{QStringLiteral("10.2.0.0/24, 10.3.0.1, 10.4.0.1, 10.5.0.1")};
    QTest::newRow("newest first, a repeat moves up")
        << QStringList{QStringLiteral("10.1.0.0/24"), QStringLiteral("10.2.0.0/24"), QStringLiteral("10.1.0.0/24,")}
        << QStringList{QStringLiteral("10.1.0.0/24"), QStringLiteral("10.2.0.0/24")};
    QStringList many;
    QStringList newest;
    for (int n = 1; n <= RecentRanges::kMax + 2; ++n)
        many << QStringLiteral("10.0.0.%1").arg(n);
    for (int n = RecentRanges::kMax + 2; n > 2; --n)
        newest << QStringLiteral("10.0.0.%1").arg(n);
    QTest::newRow("the oldest go") << many << newest;
    QTest::newRow("blank and overlong are not kept")
        << QStringList{QStringLiteral(" ; "), QString(RecentRanges::kMaxLength + 1, QLatin1Char('1'))} << QStringList{};
}

void TestScanLogic::recentRanges() {
    QFETCH(QStringList, added);
    QFETCH(QStringList, kept);
    const QString path =
        m_dir.filePath(QStringLiteral("deep/folder/%1.txt").arg(QLatin1String(QTest::currentDataTag())));
    RecentRanges recent(path);
    recent.load();
    QVERIFY(recent.list().isEmpty());
    for (const QString& ranges : added)
        recent.add(ranges);
    QCOMPARE(recent.list(), kept);
    QVERIFY(recent.save());
    RecentRanges again(path);
    again.load();
    QCOMPARE(again.list(), kept);
}

using Results = QList<QByteArray>; // "address reason protocols"

QStringList texts(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* text : list)
        out << QString::fromUtf8(text);
    return out;
}

void TestScanLogic::tally_data() {
    QTest::addColumn<Results>("results");
    QTest::addColumn<QList<int>>("counts");  // per reason, then dropped
    QTest::addColumn<QStringList>("rows");   // the CSV file after its header
    QTest::addColumn<QStringList>("sorted"); // the table's addresses sorted by result, descending
    QTest::newRow("each reason") << Results{"10.0.0.1 0 1", "10.0.0.2 0 2", "10.0.0.3 0 3", "10.0.0.4 1 0",
                                            "10.0.0.5 2 0", "10.0.0.6 3 0", "10.0.0.7 4 0", "10.0.0.8 1 0"}
                                 << QList<int>{3, 2, 1, 1, 1, 0}
                                 << texts({"10.0.0.1,Found", "10.0.0.2,Found (ONVIF)",
                                           "10.0.0.3,Found (both protocols)", "10.0.0.4,No answer",
                                           "10.0.0.5,Port closed", "10.0.0.6,\"Answered, but not a camera\"",
                                           "10.0.0.7,Refused sign-in", "10.0.0.8,No answer"})
                                 << texts({"10.0.0.7", "10.0.0.6", "10.0.0.5", "10.0.0.4", "10.0.0.8", "10.0.0.3",
                                           "10.0.0.2", "10.0.0.1"});
    QTest::newRow("what does not read is dropped")
        << Results{"10.0.0.256 1 0", "10.0.0.9x 1 0",        "10.0.0.1 7 0",
                   "1.2.3 1 0",      "255.255.255.2551 1 0", "192.168.0.10 1 4"}
        << QList<int>{0, 1, 0, 0, 0, 5} << texts({"192.168.0.10,No answer"}) << texts({"192.168.0.10"});
}

void TestScanLogic::tally() {
    QFETCH(Results, results);
    QFETCH(QList<int>, counts);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, sorted);
    ScanTally tally;
    for (const QByteArray& line : results) {
        const QList<QByteArray> parts = line.split(' ');
        VEXA_SCAN_RESULT result{};
        // The whole width, no terminator when the text fills it: as the library's field may arrive.
        std::memcpy(result.ipv4Address, parts[0].constData(),
                    std::min<size_t>(sizeof result.ipv4Address, static_cast<size_t>(parts[0].size())));
        result.reason = parts[1].toUInt();
        result.protocols = static_cast<uint8_t>(parts[2].toUInt());
        tally.add(result);
    }
    for (int reason = 0; reason < ScanTally::kReasons; ++reason)
        QCOMPARE(tally.count(reason), counts[reason]);
    QCOMPARE(tally.dropped(), counts.last());

    // The file reads back field for field; the guard against formulas leaves the results as they are.
    const std::string csv = tally.csv();
    const auto parsed = VexaTool::plan::CsvReader::parse(csv);
    QCOMPARE(int(parsed.error), int(VexaTool::plan::CsvReader::Error::None));
    QCOMPARE(int(parsed.records.size()), rows.size() + 1);
    QCOMPARE(parsed.records[0].fields, (std::vector<std::string>{"Address", "Result"}));
    QStringList lines = QString::fromStdString(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1);
    QCOMPARE(lines, rows);
    for (int row = 0; row < rows.size(); ++row) {
        const auto& fields = parsed.records[static_cast<size_t>(row) + 1].fields;
        const ScanTally::Entry& entry = tally.at(row);
        QCOMPARE(QString::fromStdString(fields.at(0)), ScanTally::addressText(entry.address));
        QCOMPARE(QString::fromStdString(fields.at(1)), ScanTally::reasonText(entry.reason, entry.protocols));
    }

    // The table shows the same rows; sorted by result, those not found come first, each reason's in address order.
    VexaTool::ScanResultModel model(tally);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), rows.size());
    model.sort(VexaTool::ScanResultModel::ColumnResult, Qt::DescendingOrder);
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.index(row, VexaTool::ScanResultModel::ColumnAddress).data().toString();
    QCOMPARE(shown, sorted);
}

QTEST_MAIN(TestScanLogic)
#include "tst_scanlogic.moc"
