#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "../devicelist/TestRecords.h"
#include "XlsReader.h"
#include "devicelist/DeviceInfoModel.h"
#include "export/ExcelManager.h"
#include "export/XlsWriter.h"

using VexaTool::DeviceInfoModel;
using VexaTool::ExcelManager;
using VexaTool::XlsWriter;

namespace {

// Chinese for the few texts these tests look at.
class ChineseTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* disambiguation = nullptr,
                      int n = -1) const override {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        const QByteArray key = QByteArray(context) + '|' + source;
        if (key == "VexaTool::DeviceInfoModel|Serial Number" || key == "VexaTool::ExcelManager|Serial Number")
            return QString::fromUtf8("序列号");
        if (key == "VexaTool::ExcelManager|Device Serial Number")
            return QString::fromUtf8("设备序列号");
        if (key == "VexaTool::DeviceInfoModel|Device Type")
            return QString::fromUtf8("设备类型");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

QStringList texts(const QJsonArray& array) {
    QStringList result;
    for (const QJsonValue& value : array)
        result << value.toString();
    return result;
}

} // namespace

class TestExcelManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void statements_data();
    void statements();
    void connectionString();
    void workbookReadBack_data();
    void workbookReadBack();
    void tableWithoutColumnsFails();
    void existingWorkbookIsNotTouched();
    void unwritableFolderLeavesNoFile();
    void longStringsCrossRecordBoundaries();
    void largeStreamNeedsExtraFatSectors();
    void sheetNames_data();
    void sheetNames();

private:
    QTemporaryDir m_dir;
};

void TestExcelManager::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY2(xlsreader::available(), "python3-xlrd is needed");
}

void TestExcelManager::statements_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("create");
    QTest::addColumn<QString>("insert");
    const QStringList example{QStringLiteral("ID"), QStringLiteral("Device Type"),
                              QStringLiteral("Device Serial Number")};
    QTest::newRow("example") << "devices" << example
                             << "CREATE TABLE [devices] ([ID] char(64),[Device Type] char(64),"
                                "[Device Serial Number] char(64))"
                             << "INSERT INTO [devices] (\"ID\",\"Device Type\",\"Device Serial Number\")"
                                "VALUES(:2,:3,:4)";
    QTest::newRow("closing bracket in the name") << "site]; DROP TABLE [x" << QStringList{QStringLiteral("a\"b")}
                                                 << "CREATE TABLE [site]]; DROP TABLE [x] ([a\"b] char(64))"
                                                 << "INSERT INTO [site]]; DROP TABLE [x] (\"a\"\"b\")VALUES(:2)";
    QTest::newRow("no columns") << "d" << QStringList() << "CREATE TABLE [d] ()"
                                << "INSERT INTO [d] ()VALUES()";
}

void TestExcelManager::statements() {
    QFETCH(QString, name);
    QFETCH(QStringList, columns);
    QTEST(ExcelManager::tableStatement(name, columns), "create");
    QTEST(ExcelManager::insertStatement(name, columns), "insert");
}

void TestExcelManager::connectionString() {
    QCOMPARE(ExcelManager::connectionString(QStringLiteral("devices"), QStringLiteral("C:\\out\\/")),
             QStringLiteral("DRIVER={Microsoft Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;"
                            "CREATE_DB=\"devices.xls\";DBQ=C:\\out\\/devices.xls"));
}

void TestExcelManager::workbookReadBack_data() {
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("english, list order") << false << QList<int>{2, 0};
    QTest::newRow("chinese headers") << true << QList<int>{0, 1, 2};
    QTest::newRow("nothing ticked") << false << QList<int>{};
}

void TestExcelManager::workbookReadBack() {
    QFETCH(bool, chinese);
    QFETCH(QList<int>, rows);
    ChineseTranslator translator;
    if (chinese)
        QCoreApplication::installTranslator(&translator);
    QTemporaryDir dir;
    DeviceInfoModel model(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
    model.addDevice(testrecords::device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    model.addDevice(testrecords::device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    model.addDevice(testrecords::device("SC", "02-00-00-00-00-03", "192.168.1.4"));
    const QString name = chinese ? QString::fromUtf8("设备列表") : QStringLiteral("devices");
    ExcelManager excel;
    QVERIFY(excel.exportRows(name, dir.path() + QLatin1Char('/'), &model, rows));
    QCoreApplication::removeTranslator(&translator);

    const QJsonObject book = xlsreader::read(dir.filePath(name + QStringLiteral(".xls")));
    QCOMPARE(book.value(QStringLiteral("biff")).toInt(), 80);
    const QJsonArray sheets = book.value(QStringLiteral("sheets")).toArray();
    QCOMPARE(sheets.size(), 1);
    const QJsonObject sheet = sheets.at(0).toObject();
    QCOMPARE(sheet.value(QStringLiteral("name")).toString(), name);
    const QJsonArray table = sheet.value(QStringLiteral("rows")).toArray();
    QCOMPARE(table.size(), rows.size() + 1);
    const QStringList header = texts(table.at(0).toArray());
    QCOMPARE(header.size(), DeviceInfoModel::KindCount - 1);
    QCOMPARE(header.at(0), QStringLiteral("ID"));
    QCOMPARE(header.at(1), chinese ? QString::fromUtf8("设备类型") : QStringLiteral("Device Type"));
    QCOMPARE(header.at(8), chinese ? QString::fromUtf8("设备序列号") : QStringLiteral("Device Serial Number"));
    // Ports and counts are numbers (xlrd's type 2), without the padding the table sorts by; the rest is text
    // (type 1), the ID's leading zeros too.
    QList<int> numbers;
    for (const int kind : {DeviceInfoModel::KindPort, DeviceInfoModel::KindHttpPort, DeviceInfoModel::KindRtspPort,
                           DeviceInfoModel::KindChannelNo, DeviceInfoModel::KindIpv6PrefixLength})
        numbers << model.columnOf(kind);
    for (int i = 0; i < rows.size(); ++i) {
        const QJsonArray cells = table.at(i + 1).toArray();
        for (int column = 1; column < model.columnCount(); ++column) {
            const QString shown = model.index(rows.at(i), column).data().toString();
            const QJsonValue cell = cells.at(column - 1);
            if (numbers.contains(column))
                QCOMPARE(cell.toDouble(-1), shown.trimmed().toDouble());
            else
                QCOMPARE(cell.toString(), shown);
        }
    }
    QCOMPARE(sheet.value(QStringLiteral("types")).toArray(), rows.isEmpty() ? QJsonArray{1} : (QJsonArray{1, 2}));
}

void TestExcelManager::tableWithoutColumnsFails() {
    QStandardItemModel model(2, 1);
    ExcelManager excel;
    QVERIFY(!excel.exportRows(QStringLiteral("empty"), m_dir.path() + QLatin1Char('/'), &model, {0, 1}));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("empty.xls"))));
}

void TestExcelManager::existingWorkbookIsNotTouched() {
    const QString path = m_dir.filePath(QStringLiteral("taken.xls"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("mine");
    file.close();
    QStandardItemModel model(1, 3);
    ExcelManager excel;
    QVERIFY(!excel.exportRows(QStringLiteral("taken"), m_dir.path() + QLatin1Char('/'), &model, {0}));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("mine"));
}

void TestExcelManager::unwritableFolderLeavesNoFile() {
    const QString notAFolder = m_dir.filePath(QStringLiteral("plain.txt"));
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QStandardItemModel model(1, 3);
    ExcelManager excel;
    QVERIFY(!excel.exportRows(QStringLiteral("out"), notAFolder + QLatin1Char('/'), &model, {0}));
    QVERIFY(!excel.exportRows(QStringLiteral("out"), m_dir.filePath(QStringLiteral("missing/")), &model, {0}));
    const QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(left.filter(QStringLiteral("out")).isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
}

void TestExcelManager::longStringsCrossRecordBoundaries() {
    // Strings long enough to spill the shared-string table over several continuation records, with
    // characters outside Latin-1 so every byte counts twice.
    QVector<QStringList> rows;
    for (int r = 0; r < 40; ++r) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells << QString(997 + r * 13 + c, QChar(0x4E00 + r * 3 + c)) + QString::number(r);
        rows << cells;
    }
    rows << QStringList{QString(), QStringLiteral("short"), QString(32767, QLatin1Char('x'))};
    const QString path = m_dir.filePath(QStringLiteral("long.xls"));
    QVERIFY(XlsWriter::write(path, QStringLiteral("long"), rows));

    // The string index after the table points at the start of every eighth string and into its record.
    const QByteArray stream = XlsWriter::workbookStream(QStringLiteral("long"), rows);
    const auto u16 = [&stream](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(stream.at(at)) | static_cast<quint8>(stream.at(at + 1)) << 8);
    };
    QStringList strings;
    for (const QStringList& row : rows) {
        for (const QString& cell : row) {
            if (!strings.contains(cell))
                strings << cell;
        }
    }
    QList<quint16> types;
    qsizetype indexAt = -1;
    for (qsizetype at = 0; at + 4 <= stream.size() && (types.isEmpty() || types.last() != 0x000A);
         at += 4 + u16(at + 2)) {
        types << u16(at);
        if (types.last() == 0x00FF)
            indexAt = at + 4;
    }
    QVERIFY(types.count(0x003C) >= 3);
    QCOMPARE(types.at(types.size() - 2), quint16(0x00FF));
    const quint16 perBucket = u16(indexAt);
    QCOMPARE(perBucket, quint16(8));
    for (qsizetype k = 0; k * perBucket < strings.size(); ++k) {
        const qsizetype entry = indexAt + 2 + k * 8;
        const qsizetype ib = u16(entry) | qsizetype(u16(entry + 2)) << 16;
        QCOMPARE(u16(ib), quint16(strings.at(k * perBucket).size()));
        const quint16 recordType = u16(ib - u16(entry + 4));
        QVERIFY(recordType == 0x00FC || recordType == 0x003C);
    }
    const QJsonArray table = xlsreader::read(path)
                                 .value(QStringLiteral("sheets"))
                                 .toArray()
                                 .at(0)
                                 .toObject()
                                 .value(QStringLiteral("rows"))
                                 .toArray();
    QCOMPARE(table.size(), rows.size());
    for (int r = 0; r < rows.size(); ++r)
        QCOMPARE(texts(table.at(r).toArray()), rows.at(r));
}

void TestExcelManager::largeStreamNeedsExtraFatSectors() {
    // Beyond 109 allocation sectors (about 7 MB) the compound file needs its extension sectors.
    QByteArray stream(8 * 1024 * 1024 + 333, '\0');
    for (int i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<char>((i * 2654435761u) >> 24);
    const QString path = m_dir.filePath(QStringLiteral("big.cfb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(XlsWriter::compoundFile(stream));
    file.close();
    const QJsonObject read = xlsreader::stream(path);
    QCOMPARE(read.value(QStringLiteral("size")).toInt(), stream.size());
    QCOMPARE(read.value(QStringLiteral("md5")).toString(),
             QString::fromLatin1(QCryptographicHash::hash(stream, QCryptographicHash::Md5).toHex()));
}

void TestExcelManager::sheetNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("plain") << "devices"
                           << "devices";
    QTest::newRow("refused characters") << "a:b/c\\d?e*f[g]h"
                                        << "a_b_c_d_e_f_g_h";
    QTest::newRow("32 characters") << QString(32, QLatin1Char('n')) << QString(31, QLatin1Char('n'));
    QTest::newRow("apostrophes") << "'quoted'"
                                 << "_quoted_";
    QTest::newRow("blank") << "   "
                           << "Sheet1";
}

void TestExcelManager::sheetNames() {
    QFETCH(QString, name);
    QTEST(XlsWriter::sheetName(name), "sheet");
}

QTEST_MAIN(TestExcelManager)
#include "tst_excelmanager.moc"
