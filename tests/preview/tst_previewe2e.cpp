// The list page against simulated cameras on loopback, through the real handler and library: the pane shows the
// current camera's own picture (a late one for another row is dropped), and the inventory of a mixed fleet, read
// back by an independent reader, lists every profile's stream address, rewritten where the camera names a host
// behind a NAT, and never the password.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "../export/XlsReader.h"
#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "guitoolkit/CTableView.h"
#include "preview/InventoryDialog.h"
#include "preview/SnapshotPane.h"
#include "support/LiveListPage.h"
#include "support/SimulatorProcess.h"
#include "vexa.h"

using VexaTool::DeviceDisplayPage;
using VexaTool::DeviceInfoModel;
using VexaTool::InventoryDialog;
using VexaTool::SnapshotPane;

namespace {

const QString kPassword = QStringLiteral("Camera-2024");

QString address(const DeviceInfoModel& model, int row) {
    return model.index(row, model.columnOf(DeviceInfoModel::KindIpv4Address)).data().toString();
}

} // namespace

class TestPreviewE2e : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pictureOfEachCamera();
    void inventory_data();
    void inventory();

private:
    void select(int modelRow);
    QList<QStringList> exportInventory(InventoryDialog::Format format, bool userColumn, QByteArray* bytes);

    QTemporaryDir m_dir;
    // Cameras that name a host behind a NAT, and cameras that give no snapshot address.
    testsupport::SimulatorProcess m_natted;
    testsupport::SimulatorProcess m_plain;
    DeviceDisplayPage* m_page = nullptr;
};

void TestPreviewE2e::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    QVERIFY(testsupport::prepareLiveList());
    const QString wsd = qEnvironmentVariable("VEXA_WSD_PORT");
    QVERIFY(
        m_natted.start({QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--onvif"), QStringLiteral("2"),
                        QStringLiteral("--onvif-base"), QStringLiteral("127.83.0.1"), QStringLiteral("--wsd-port"), wsd,
                        QStringLiteral("--onvif-quirks"), QStringLiteral("internal-uri"), QStringLiteral("--state"),
                        m_dir.filePath(QStringLiteral("natted.txt"))}));
    QVERIFY(m_plain.start({QStringLiteral("--count"), QStringLiteral("0"), QStringLiteral("--seed"),
                           QStringLiteral("2"), QStringLiteral("--onvif"), QStringLiteral("2"),
                           QStringLiteral("--onvif-base"), QStringLiteral("127.83.1.1"), QStringLiteral("--wsd-port"),
                           wsd, QStringLiteral("--onvif-quirks"), QStringLiteral("no-snapshot"),
                           QStringLiteral("--state"), m_dir.filePath(QStringLiteral("plain.txt"))}));
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), kPassword, {}, true);
    m_page = new DeviceDisplayPage(nullptr, m_dir.filePath(QStringLiteral("ColumnConfig.xml")));
    m_page->resize(1200, 600);
    m_page->show();
    QVERIFY(testsupport::startDiscoveryInto(m_page));
    const DeviceInfoModel* model = m_page->model();
    const auto readCameras = [model] {
        int read = 0;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex id = model->index(row, model->columnOf(DeviceInfoModel::KindId));
            read += id.data(DeviceInfoModel::ProtocolRole).toInt() == VEXA_PROTOCOL_ONVIF &&
                    id.data(DeviceInfoModel::DetailsStateRole).toInt() == VEXA_DETAILS_READ;
        }
        return read;
    };
    QTRY_COMPARE_WITH_TIMEOUT(readCameras(), 4, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 5, 15000);
}

void TestPreviewE2e::cleanupTestCase() {
    VEXA::VexaHandler::instance()->stop();
    delete m_page;
    m_natted.stop();
    m_plain.stop();
    VEXA::OnvifLogin::instance().clear();
}

void TestPreviewE2e::select(int modelRow) {
    const DeviceInfoModel* model = m_page->model();
    const QModelIndex shown = m_page->filterModel()->mapFromSource(model->index(modelRow, 0));
    m_page->tableView()->setCurrentIndex(shown);
}

void TestPreviewE2e::pictureOfEachCamera() {
    const DeviceInfoModel* model = m_page->model();
    SnapshotPane* pane = m_page->snapshotPane();
    QHash<QString, QImage> pictures;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString at = address(*model, row);
        QSignalSpy shown(pane, &SnapshotPane::shown);
        select(row);
        QCOMPARE(pane->device(), model->keyOf(row));
        if (at.startsWith(QStringLiteral("127.83.0."))) {
            QTRY_VERIFY_WITH_TIMEOUT(!pane->image().isNull(), 15000);
            QVERIFY(pane->note().isEmpty());
            pictures.insert(at, pane->image());
        } else if (at.startsWith(QStringLiteral("127.83.1."))) {
            QTRY_VERIFY_WITH_TIMEOUT(pane->refreshButton()->isEnabled(), 15000);
            QVERIFY(pane->image().isNull());
            QVERIFY2(pane->note().startsWith(QStringLiteral("No picture: ")), qPrintable(pane->note()));
        } else {
            QVERIFY(pane->image().isNull()); // ours: nothing fetched
            QVERIFY(!pane->note().isEmpty());
        }
    }
    QCOMPARE(pictures.size(), 2);
    const QImage first = pictures.value(QStringLiteral("127.83.0.1"));
    const QImage second = pictures.value(QStringLiteral("127.83.0.2"));
    QCOMPARE(first.size(), second.size());
    QVERIFY(first != second);

    // Moving on before the first answer arrives: only the second camera's picture is shown.
    int firstRow = -1;
    int secondRow = -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (address(*model, row) == QStringLiteral("127.83.0.1"))
            firstRow = row;
        if (address(*model, row) == QStringLiteral("127.83.0.2"))
            secondRow = row;
    }
    select(firstRow);
    select(secondRow);
    QTRY_VERIFY_WITH_TIMEOUT(!pane->image().isNull(), 15000);
    QTest::qWait(500);
    QCOMPARE(pane->image(), second);
}

void TestPreviewE2e::inventory_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("userColumn");
    QTest::newRow("workbook") << int(InventoryDialog::Workbook) << false;
    QTest::newRow("csv with the user column") << int(InventoryDialog::Csv) << true;
}

QList<QStringList> TestPreviewE2e::exportInventory(InventoryDialog::Format format, bool userColumn, QByteArray* bytes) {
    InventoryDialog* dialog = m_page->openInventory();
    const QString path = m_dir.filePath(format == InventoryDialog::Csv ? QStringLiteral("inventory.csv")
                                                                       : QStringLiteral("inventory.xls"));
    dialog->formatBox()->setCurrentIndex(dialog->formatBox()->findData(format));
    dialog->fileEdit()->setText(path);
    dialog->userColumnBox()->setChecked(userColumn);
    QSignalSpy done(dialog, &InventoryDialog::exportDone);
    dialog->exportButton()->click();
    if (!done.wait(60000) || !done.first().first().toBool())
        return {};
    dialog->close();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    *bytes = file.readAll();
    QList<QStringList> rows;
    if (format == InventoryDialog::Csv) {
        const auto parsed = VexaTool::plan::CsvReader::parse(bytes->toStdString());
        for (const auto& record : parsed.records) {
            QStringList cells;
            for (const std::string& field : record.fields)
                cells.append(QString::fromStdString(std::string(VexaTool::plan::CsvWriter::unguard(field))));
            rows.append(cells);
        }
        return rows;
    }
    const QJsonObject book = xlsreader::read(path);
    for (const QJsonValue& row :
         book.value(QStringLiteral("sheets")).toArray().at(0)[QStringLiteral("rows")].toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells.append(cell.isDouble() ? QString::number(cell.toDouble()) : cell.toString());
        rows.append(cells);
    }
    return rows;
}

void TestPreviewE2e::inventory() {
    QFETCH(int, format);
    QFETCH(bool, userColumn);
    if (format == InventoryDialog::Workbook && !xlsreader::available())
        QSKIP("python3-xlrd is not installed");
    QByteArray bytes;
    const QList<QStringList> rows = exportInventory(static_cast<InventoryDialog::Format>(format), userColumn, &bytes);
    QVERIFY(!bytes.contains(kPassword.toUtf8()));
    QCOMPARE(rows.size(), 1 + 1 + 4 * 2); // header, ours, two profiles of each camera
    const QStringList header = rows.first();
    const auto cell = [&header](const QStringList& row, const char* column) {
        return row.value(header.indexOf(QString::fromLatin1(column)));
    };
    QCOMPARE(header.contains(QStringLiteral("User")), userColumn);
    QSet<QString> streams;
    for (const QStringList& row : rows.mid(1)) {
        QCOMPARE(row.size(), header.size());
        const QString at = cell(row, "Address");
        if (userColumn)
            QCOMPARE(cell(row, "User"), QStringLiteral("admin"));
        if (cell(row, "Protocol") == QStringLiteral("vexa")) {
            QVERIFY(cell(row, "Stream URI").isEmpty());
            QVERIFY(!cell(row, "Serial Number").isEmpty());
            continue;
        }
        const QString stream = cell(row, "Stream URI");
        QVERIFY2(stream.startsWith(QStringLiteral("rtsp://%1:").arg(at)), qPrintable(stream));
        streams.insert(stream);
        QCOMPARE(cell(row, "Sign-in"), QStringLiteral("signed in"));
        QVERIFY(!cell(row, "MAC").isEmpty());
        QVERIFY(!cell(row, "Clock Offset").isEmpty());
        if (at.startsWith(QStringLiteral("127.83.0."))) {
            QVERIFY2(cell(row, "Stream URI Given").startsWith(QStringLiteral("rtsp://192.168.")),
                     qPrintable(cell(row, "Stream URI Given")));
            QVERIFY(cell(row, "Snapshot URI").startsWith(QStringLiteral("http://%1:").arg(at)));
        } else {
            QVERIFY(cell(row, "Stream URI Given").isEmpty());
            QVERIFY(cell(row, "Snapshot URI").isEmpty());
            QVERIFY(!cell(row, "Note").isEmpty());
        }
    }
    QCOMPARE(streams.size(), 8);
}

QTEST_MAIN(TestPreviewE2e)
#include "tst_previewe2e.moc"
