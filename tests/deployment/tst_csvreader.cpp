// The CSV reader and writer: what spreadsheets write must come back field for field.

#include <QtTest>

#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"

using namespace Qt::StringLiterals;

using VexaTool::plan::CsvReader;
using VexaTool::plan::CsvWriter;

Q_DECLARE_METATYPE(CsvReader::Error)

namespace {

// A record as "line:field|field|...".
QString record(int line, const QStringList& fields) {
    return QString::number(line) + QLatin1Char(':') + fields.join(QLatin1Char('|'));
}

// Fields written as UTF-8 literals in the tables below.
QString record(int line, std::initializer_list<const char*> fields) {
    QStringList list;
    for (const char* f : fields)
        list << QString::fromUtf8(f);
    return record(line, list);
}

QStringList flatten(const CsvReader::Result& result) {
    QStringList out;
    for (const auto& r : result.records) {
        QStringList fields;
        for (const auto& f : r.fields)
            fields << QString::fromStdString(f);
        out << record(r.line, fields);
    }
    return out;
}

} // namespace

class TestCsvReader : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void separator_data();
    void separator();
    void roundTrip_data();
    void roundTrip();
    void formulaGuard_data();
    void formulaGuard();
};

void TestCsvReader::parse_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<CsvReader::Error>("error");
    QTest::addColumn<int>("errorLine");
    const auto none = CsvReader::Error::None;

    QTest::newRow("empty file") << QByteArray() << QStringList() << none << 0;
    QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF") << QStringList() << none << 0;
    QTest::newRow("plain, LF") << QByteArray("a,b\nc,d\n") << QStringList{record(1, {"a", "b"}), record(2, {"c", "d"})}
                               << none << 0;
    QTest::newRow("CRLF, no final line end")
        << QByteArray("a,b\r\nc,d") << QStringList{record(1, {"a", "b"}), record(2, {"c", "d"})} << none << 0;
    QTest::newRow("lone CR line ends") << QByteArray("a\rb\r") << QStringList{record(1, {"a"}), record(2, {"b"})}
                                       << none << 0;
    QTest::newRow("byte-order mark is not part of the first field")
        << QByteArray("\xEF\xBB\xBFserial,ip\r\n") << QStringList{record(1, {"serial", "ip"})} << none << 0;
    QTest::newRow("quoted comma") << QByteArray("\"a,b\",c\n") << QStringList{record(1, {"a,b", "c"})} << none << 0;
    QTest::newRow("doubled quotes") << QByteArray("\"say \"\"hi\"\"\",x\n")
                                    << QStringList{record(1, {"say \"hi\"", "x"})} << none << 0;
    QTest::newRow("only a doubled quote") << QByteArray("\"\"\"\"\n") << QStringList{record(1, {"\""})} << none << 0;
    QTest::newRow("line break inside quotes keeps later line numbers right")
        << QByteArray("\"two\r\nlines\",b\r\nc,d\r\n")
        << QStringList{record(1, {"two\r\nlines", "b"}), record(3, {"c", "d"})} << none << 0;
    QTest::newRow("empty fields") << QByteArray(",,\n") << QStringList{record(1, {"", "", ""})} << none << 0;
    QTest::newRow("empty quoted field") << QByteArray("\"\",x\n") << QStringList{record(1, {"", "x"})} << none << 0;
    QTest::newRow("blank line is a record of one empty field")
        << QByteArray("a\n\nb\n") << QStringList{record(1, {"a"}), record(2, {""}), record(3, {"b"})} << none << 0;
    QTest::newRow("quote inside an unquoted field is text")
        << QByteArray("5\" screen,b\n") << QStringList{record(1, {"5\" screen", "b"})} << none << 0;
    QTest::newRow("spaces are kept") << QByteArray(" a , b \n") << QStringList{record(1, {" a ", " b "})} << none << 0;
    QTest::newRow("UTF-8 passes through")
        << QByteArray("大厅-01,é\n") << QStringList{record(1, {"大厅-01", "é"})} << none << 0;
    QTest::newRow("ragged rows are kept as they are")
        << QByteArray("a,b,c\nd\ne,f,g,h\n")
        << QStringList{record(1, {"a", "b", "c"}), record(2, {"d"}), record(3, {"e", "f", "g", "h"})} << none << 0;
    QTest::newRow("unterminated quote: records before it kept, its line named")
        << QByteArray("a,b\nc,\"open\nmore\n") << QStringList{record(1, {"a", "b"})}
        << CsvReader::Error::UnterminatedQuote << 2;
    QTest::newRow("text after closing quote")
        << QByteArray("a\n\"x\"y,b\n") << QStringList{record(1, {"a"})} << CsvReader::Error::TextAfterQuote << 2;
    QTest::newRow("quote opened on a later line of a multi-line record")
        << QByteArray("\"a\nb\",\"c\n") << QStringList() << CsvReader::Error::UnterminatedQuote << 2;
}

void TestCsvReader::parse() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, records);
    QFETCH(CsvReader::Error, error);
    QFETCH(int, errorLine);
    const CsvReader::Result result =
        CsvReader::parse(std::string_view(input.constData(), static_cast<size_t>(input.size())));
    QCOMPARE(flatten(result), records);
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorLine, errorLine);
}

void TestCsvReader::separator_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << QByteArray("serial,ip\n") << ',';
    QTest::newRow("semicolon") << QByteArray("serial;ip\n") << ';';
    QTest::newRow("comma wins") << QByteArray("a;b,c\n") << ',';
    QTest::newRow("semicolon inside quotes does not count") << QByteArray("\"a;b\"\n") << ',';
    QTest::newRow("comma inside quotes does not count") << QByteArray("\"a,b\";c\n") << ';';
    QTest::newRow("only the first line counts") << QByteArray("serial\na;b\n") << ',';
    QTest::newRow("after a byte-order mark") << QByteArray("\xEF\xBB\xBFserial;ip\n") << ';';
}

void TestCsvReader::separator() {
    QFETCH(QByteArray, input);
    QFETCH(char, separator);
    QCOMPARE(CsvReader::detectSeparator(std::string_view(input.constData(), static_cast<size_t>(input.size()))),
             separator);
}

void TestCsvReader::roundTrip_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << QStringList{u"VX1001"_s, u"127.17.0.5"_s, u"Lobby"_s};
    QTest::newRow("separators and quotes") << QStringList{u"a,b"_s, u"c;d"_s, u"say \"hi\""_s, u"\""_s};
    QTest::newRow("line breaks") << QStringList{u"one\ntwo"_s, u"three\r\nfour"_s, u"\r"_s};
    QTest::newRow("edges") << QStringList{u""_s, u" lead"_s, u"trail "_s, u""_s, u""_s};
    QTest::newRow("Chinese") << QStringList{u"大厅,东门"_s, u"摄像机"_s};
    QTest::newRow("one empty field") << QStringList{u""_s};
}

void TestCsvReader::roundTrip() {
    QFETCH(QStringList, fields);
    std::vector<std::string> row;
    for (const QString& f : fields)
        row.push_back(f.toStdString());
    CsvWriter writer;
    writer.addRow(row);
    writer.addRow(row);
    QVERIFY(writer.data().rfind("\xEF\xBB\xBF", 0) == 0);
    const CsvReader::Result result = CsvReader::parse(writer.data());
    QCOMPARE(result.error, CsvReader::Error::None);
    QCOMPARE(result.records.size(), size_t(2));
    for (const auto& r : result.records) {
        QCOMPARE(r.fields.size(), row.size());
        for (size_t i = 0; i < row.size(); ++i)
            QCOMPARE(std::string(CsvWriter::unguard(r.fields[i])), row[i]);
    }
}

void TestCsvReader::formulaGuard_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("equals") << "=HYPERLINK(\"x\")"
                            << "\"'=HYPERLINK(\"\"x\"\")\"";
    QTest::newRow("plus") << "+1"
                          << "'+1";
    QTest::newRow("minus") << "-cam"
                           << "'-cam";
    QTest::newRow("at") << "@sum"
                        << "'@sum";
    QTest::newRow("plain text untouched") << "cam=1"
                                          << "cam=1";
    QTest::newRow("apostrophe of its own kept") << "'quoted'"
                                                << "''quoted'";
}

void TestCsvReader::formulaGuard() {
    QFETCH(QString, text);
    QFETCH(QString, written);
    const std::string field = CsvWriter::field(text.toStdString(), true);
    QCOMPARE(QString::fromStdString(field), written);
    // The plan reader takes the guard off again, so an exported list can be edited into a plan.
    const CsvReader::Result back = CsvReader::parse(field);
    QCOMPARE(QString::fromStdString(std::string(CsvWriter::unguard(back.records.at(0).fields.at(0)))), text);
    QCOMPARE(QString::fromStdString(CsvWriter::field(text.toStdString(), false)).startsWith(QLatin1Char('\'')),
             text.startsWith(QLatin1Char('\'')));
}

QTEST_GUILESS_MAIN(TestCsvReader)
#include "tst_csvreader.moc"
