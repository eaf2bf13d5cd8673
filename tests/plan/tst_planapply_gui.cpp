// A deployment plan applied from the list page against the simulator on loopback: each device gets its own
// name and address, the simulator's saved state matches the plan row by row; a plan with a device or an
// address twice is refused at the preview with its rows marked, and nothing reaches the devices.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceModifyResultPage.h"
#include "plan/PlanBatch.h"
#include "plan/PlanPreviewModel.h"
#include "plan/PlanPreviewPage.h"
#include "support/SimulatorProcess.h"

using VexaTool::DeviceDisplayPage;
using VexaTool::DeviceModifyResultPage;
using VexaTool::PlanPreviewModel;
using VexaTool::PlanPreviewPage;

namespace {

constexpr const char* kPassword = "Install-2024";

struct SavedDevice {
    QByteArray ipv4, mask, gateway, name;
};

// The simulator's state file: one device a line, tab-separated key=value fields, texts as raw bytes.
QHash<QByteArray, SavedDevice> savedState(const QString& path) {
    QFile file(path);
    QHash<QByteArray, SavedDevice> devices;
    if (!file.open(QIODevice::ReadOnly))
        return devices;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QHash<QByteArray, QByteArray> fields;
        for (const QByteArray& field : line.split('\t')) {
            const qsizetype eq = field.indexOf('=');
            if (eq > 0)
                fields.insert(field.left(eq), field.mid(eq + 1));
        }
        devices.insert(fields.value("serial"),
                       {fields.value("ipv4"), fields.value("mask"), fields.value("gateway"), fields.value("name")});
    }
    return devices;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const std::string& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(data.data(), static_cast<qint64>(data.size())) == static_cast<qint64>(data.size());
}

const std::vector<std::string> kHeader = {"Serial Number", "MAC",         "IP Address", "Subnet Mask",
                                          "Gateway",       "Device Name", "Port",       "DHCP"};

} // namespace

class TestPlanApplyGui : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void hundredDevicesTakeTheirOwnRows();
    void duplicatesAreRefusedAtThePreview_data();
    void duplicatesAreRefusedAtThePreview();

private:
    QVector<VEXA_DEVICE_MY_INFO> activatedDevices(int count) const;

    QTemporaryDir m_dir;
    QProcess m_simulator;
    std::unique_ptr<DeviceDisplayPage> m_page;
};

void TestPlanApplyGui::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    QVERIFY(testsupport::trustTestManufacturer());
    qputenv("VEXA_SIM_CHEAP_HASH", "1");

    m_simulator.setProgram(qEnvironmentVariable("VEXA_BIN_DIR") + QStringLiteral("/vexa-devsim"));
    m_simulator.setArguments({QStringLiteral("--count"), QStringLiteral("170"), QStringLiteral("--seed"),
                              QStringLiteral("33"), QStringLiteral("--state"),
                              m_dir.filePath(QStringLiteral("state.txt")), QStringLiteral("--dump"),
                              m_dir.filePath(QStringLiteral("dump.txt"))});
    m_simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator.start();
    QVERIFY(m_simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.filePath(QStringLiteral("dump.txt"))), 20000);

    m_page = std::make_unique<DeviceDisplayPage>(nullptr, m_dir.filePath(QStringLiteral("ColumnConfig.xml")));
    m_page->resize(1000, 600);
    m_page->show();
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    connect(handler, &VEXA::VexaHandler::signalDeviceOnline, m_page.get(), &DeviceDisplayPage::onDeviceLogin);
    connect(handler, &VEXA::VexaHandler::signalDeviceOffline, m_page.get(), &DeviceDisplayPage::onDeviceLogout);
    connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, m_page.get(), &DeviceDisplayPage::onDeviceUpdate);
    QVERIFY(handler->setFilterRule(false));
    QVERIFY(handler->start());
    // Every device of the fleet that the list shows has answered once the count stands still.
    QTRY_VERIFY_WITH_TIMEOUT(m_page->model()->rowCount() >= 150, 30000);
    int listed = 0;
    do {
        listed = m_page->model()->rowCount();
        QTest::qWait(1000);
    } while (listed != m_page->model()->rowCount());
}

void TestPlanApplyGui::cleanupTestCase() {
    m_page.reset();
    VEXA::VexaHandler::instance()->stop();
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.kill();
        m_simulator.waitForFinished();
    }
}

QVector<VEXA_DEVICE_MY_INFO> TestPlanApplyGui::activatedDevices(int count) const {
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    QVector<VEXA_DEVICE_MY_INFO> chosen;
    for (const VEXA_DEVICE_MY_INFO& record : records) {
        if (record.activationState == 0 && chosen.size() < count)
            chosen.append(record);
    }
    return chosen;
}

void TestPlanApplyGui::hundredDevicesTakeTheirOwnRows() {
    const QVector<VEXA_DEVICE_MY_INFO> chosen = activatedDevices(100);
    QCOMPARE(chosen.size(), 100);
    VexaTool::plan::CsvWriter plan;
    plan.addRow(kHeader);
    std::vector<std::vector<std::string>> rows;
    QVector<QByteArray> storedNames;
    for (int i = 0; i < chosen.size(); ++i) {
        const VEXA_DEVICE_MY_INFO& d = chosen.at(i);
        std::string name = "Site B cam " + std::to_string(i);
        QByteArray stored = QByteArray::fromStdString(name);
        if (i % 10 == 4) { // quoted, with a comma and a letter beyond ASCII; devices keep UTF-8
            name = "Gate, s\xc3\xbc"
                   "d \"" +
                   std::to_string(i) + "\"";
            stored = QByteArray::fromStdString(name);
        }
        if (i % 10 == 6) { // 大门
            name = "\xe5\xa4\xa7\xe9\x97\xa8 " + std::to_string(i);
            stored = QByteArray::fromStdString(name);
        }
        storedNames.append(stored);
        // Devices named by serial, by MAC or both; every address moves.
        const std::string serial = recordText(d.serialNo).toStdString();
        const std::string mac = recordText(d.mac).toStdString();
        rows.push_back({i % 3 == 1 ? "" : serial, i % 3 == 0 ? "" : mac,
                        "127.62." + std::to_string(1 + i / 50) + "." + std::to_string(1 + i % 50), "255.255.0.0",
                        "127.62.0.254", name, i % 4 == 0 ? std::to_string(9000 + i) : "", "no"});
        plan.addRow(rows.back());
    }
    const QString planPath = m_dir.filePath(QStringLiteral("site.csv"));
    QVERIFY(writeFile(planPath, plan.data()));

    // "Apply plan…" asks for the file, then shows the preview; nothing is sent before Apply.
    const QByteArray stateBefore = readAll(m_dir.filePath(QStringLiteral("state.txt")));
    m_page->setPlanFileChooser([planPath] { return planPath; });
    m_page->applyPlanButton()->click();
    PlanPreviewPage* preview = m_page->planPreview();
    QVERIFY(preview);
    QCOMPARE(preview->model()->rowCount(), 100);
    QCOMPARE(preview->model()->markedRowCount(), 0);
    QVERIFY(!preview->applyEnabled());
    QCOMPARE(readAll(m_dir.filePath(QStringLiteral("state.txt"))), stateBefore);
    preview->findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->setText(QLatin1String(kPassword));
    QVERIFY(preview->applyEnabled());

    // The results page is modal: read it, save its receipt and close it when it comes.
    int resultRows = -1;
    int failures = -1;
    const QString receiptPath = m_dir.filePath(QStringLiteral("receipt.csv"));
    bool receiptSaved = false;
    QTimer watcher;
    watcher.setInterval(50);
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* results = qobject_cast<DeviceModifyResultPage*>(QApplication::activeModalWidget());
        if (!results)
            return;
        resultRows = results->model()->rowCount();
        failures = results->failureCount();
        receiptSaved = results->saveReceipt(receiptPath);
        results->reject();
    });
    watcher.start();
    preview->findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(resultRows >= 0, 120000);
    watcher.stop();
    QCOMPARE(resultRows, 100);
    QCOMPARE(failures, 0);
    QVERIFY(receiptSaved);

    // The simulator's saved state, row by row; the list and the store show the same.
    const QHash<QByteArray, SavedDevice> state = savedState(m_dir.filePath(QStringLiteral("state.txt")));
    VexaTool::DeviceInfoModel* model = m_page->model();
    for (int i = 0; i < chosen.size(); ++i) {
        const QByteArray serial = recordText(chosen.at(i).serialNo).toLatin1();
        const SavedDevice saved = state.value(serial);
        QCOMPARE(saved.ipv4, QByteArray::fromStdString(rows[static_cast<std::size_t>(i)][2]));
        QCOMPARE(saved.mask, QByteArray("255.255.0.0"));
        QCOMPARE(saved.gateway, QByteArray("127.62.0.254"));
        QCOMPARE(saved.name, storedNames.at(i));
        const int row = model->rowOf(recordText(chosen.at(i).serialNo), recordText(chosen.at(i).mac));
        QVERIFY(row >= 0);
        QCOMPARE(model->item(row, model->columnOf(VexaTool::DeviceInfoModel::KindIpv4Address))->text(),
                 QString::fromStdString(rows[static_cast<std::size_t>(i)][2]));
        QCOMPARE(model->item(row, model->columnOf(VexaTool::DeviceInfoModel::KindActivate))->text(),
                 QString::fromUtf8(storedNames.at(i)));
    }
    // The receipt: a line per device, the name as the plan wrote it, each done with code 0 beside its sentence.
    const std::string receipt = readAll(receiptPath).toStdString();
    const auto parsed = VexaTool::plan::CsvReader::parse(VexaTool::plan::CsvReader::skipByteOrderMark(receipt));
    QCOMPARE(parsed.records.size(), std::size_t(101));
    int withUmlaut = 0;
    // Every line as wide as the header (which now also stores each outcome's kind and code).
    QVERIFY(parsed.records.front().fields.size() >= std::size_t(7));
    for (std::size_t r = 1; r < parsed.records.size(); ++r) {
        QCOMPARE(parsed.records[r].fields.size(), parsed.records.front().fields.size());
        QCOMPARE(parsed.records[r].fields[7], std::string("done"));
        QCOMPARE(parsed.records[r].fields[8], std::string("0"));
        if (parsed.records[r].fields[5].find("s\xc3\xbc"
                                             "d") != std::string::npos)
            ++withUmlaut;
    }
    QCOMPARE(withUmlaut, 10);
}

void TestPlanApplyGui::duplicatesAreRefusedAtThePreview_data() {
    QTest::addColumn<bool>("sameDevice");
    QTest::newRow("two rows for one device") << true;
    QTest::newRow("two devices for one address") << false;
}

void TestPlanApplyGui::duplicatesAreRefusedAtThePreview() {
    QFETCH(bool, sameDevice);
    const QVector<VEXA_DEVICE_MY_INFO> chosen = activatedDevices(3);
    QCOMPARE(chosen.size(), 3);
    VexaTool::plan::CsvWriter plan;
    plan.addRow(kHeader);
    const auto row = [](const VEXA_DEVICE_MY_INFO& d, const std::string& address, const std::string& name) {
        return std::vector<std::string>{
            recordText(d.serialNo).toStdString(), "", address, "255.255.0.0", "127.63.0.254", name, "", "no"};
    };
    plan.addRow(row(chosen[0], "127.63.1.1", "a"));
    plan.addRow(row(chosen[1], "127.63.1.2", "b"));
    plan.addRow(sameDevice ? row(chosen[0], "127.63.1.3", "c") : row(chosen[2], "127.063.1.001", "c"));
    const QString planPath = m_dir.filePath(QStringLiteral("refused.csv"));
    QVERIFY(writeFile(planPath, plan.data()));
    const QByteArray stateBefore = readAll(m_dir.filePath(QStringLiteral("state.txt")));

    PlanPreviewPage* preview = m_page->openPlan(planPath);
    QVERIFY(preview);
    PlanPreviewModel* model = preview->model();
    QCOMPARE(model->rowCount(), 3);
    // The first and third rows are marked, each naming the other; the second is ready.
    const auto marked = [model](int r) {
        return model->index(r, PlanPreviewModel::ColumnLine).data(PlanPreviewModel::RowMarkedRole).toBool();
    };
    QVERIFY(marked(0));
    QVERIFY(!marked(1));
    QVERIFY(marked(2));
    const int column = sameDevice ? PlanPreviewModel::ColumnSerial : PlanPreviewModel::ColumnNewAddress;
    QVERIFY(model->index(0, column).data(PlanPreviewModel::CellMarkedRole).toBool());
    QVERIFY(model->index(2, column).data(PlanPreviewModel::CellMarkedRole).toBool());

    // Refused: a password does not enable Apply, and clicking it sends nothing.
    preview->findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->setText(QLatin1String(kPassword));
    QVERIFY(!preview->applyEnabled());
    preview->findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"))->click();
    QVERIFY(!m_page->planBatch()->isRunning());
    QTest::qWait(1500);
    QCOMPARE(readAll(m_dir.filePath(QStringLiteral("state.txt"))), stateBefore);
    preview->findChild<QPushButton*>(QStringLiteral("m_btnCancelPlan"))->click();
}

QTEST_MAIN(TestPlanApplyGui)
#include "tst_planapply_gui.moc"
