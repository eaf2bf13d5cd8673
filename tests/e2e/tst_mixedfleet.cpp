// The whole program on a mixed site: ours beside ONVIF cameras of other makes, one list, one batch, one plan, one
// export. The simulator's saved state (FILE for ours, FILE.onvif for the cameras) is the judge after every step.
#include <algorithm>
#include <functional>

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogDriver.h"
#include "ProgramDriver.h"
#include "XlsReader.h"
#include "app/VEXAToolMainPage.h"
#include "aptui/BatchProgressCover.h"
#include "aptui/MultiStateLineEdit.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "export/DevicesInfoSavePage.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "plan/PlanPreviewModel.h"
#include "plan/PlanPreviewPage.h"
#include "support/SimulatorProcess.h"
#include "vexa.h"

using e2e::child;
using VexaTool::DeviceInfoModel;
using VexaTool::VEXAToolMainPage;

namespace {

using Device = QMap<QString, QString>;

constexpr int kOurs = 3;
constexpr int kCameras = 3;
const QString kOurPassword = QStringLiteral("Install-2024");
const QString kCameraPassword = QStringLiteral("Camera-2024"); // the simulator's test account

QString ourDevice(int index) {
    const QString n = QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
    return e2e::deviceLine({QStringLiteral("VXMIX") + n, QStringLiteral("02-56-e4-00-00-") + n,
                            QStringLiteral("127.72.0.%1").arg(index + 10), QStringLiteral("Ours ") + n,
                            QStringLiteral("ST") + n});
}

} // namespace

class TestMixedFleet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void camerasAreListedAndFillInAfterSignIn();
    void oneCameraChangedAloneGetsResultsAndAReceipt();
    void threeCamerasTakeConsecutiveAddresses();
    void aPlanOverBothProtocolsApplies();
    void theExportListsBoth();

private:
    QMap<QString, Device> ours() const {
        return testsupport::readSavedState(m_dir.filePath(QStringLiteral("state.txt")));
    }
    QMap<QString, Device> cameras() const {
        return testsupport::readSavedState(m_dir.filePath(QStringLiteral("state.txt.onvif")));
    }
    QString cell(const QString& serial, const QString& mac, int kind) const;
    int rowAt(const QString& address) const;
    int cameraRows(int role, const QVariant& value) const;
    void tickOnly(const QStringList& serials);
    // Opens a modal step and hands its dialog to answer, which must close it.
    bool throughDialog(const std::function<void()>& step, const std::function<void(QDialog*)>& answer);

    QTemporaryDir m_dir;
    testsupport::SimulatorProcess m_simulator;
    std::unique_ptr<VEXAToolMainPage> m_window;
    testutil::DialogDriver* m_driver = nullptr;
};

void TestMixedFleet::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    QVERIFY(m_dir.isValid());
    QVERIFY2(xlsreader::available(), "python3-xlrd is needed");
    QVERIFY(testsupport::trustTestManufacturer());
    qputenv("VEXA_SIM_CHEAP_HASH", "1");
    qputenv("VEXA_ONVIF_REBOOT_WAIT_MS", "30000");
    const QString wsd = qEnvironmentVariable("VEXA_WSD_PORT");
    QVERIFY(!wsd.isEmpty());

    QString devices;
    for (int i = 0; i < kOurs; ++i)
        devices += ourDevice(i);
    QFile file(m_dir.filePath(QStringLiteral("devices.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(devices.toUtf8());
    file.close();

    // The cameras tell nothing but their address before sign-in; every address change restarts them.
    QVERIFY(m_simulator.start(
        {QStringLiteral("--devices"), file.fileName(), QStringLiteral("--onvif"), QString::number(kCameras),
         QStringLiteral("--onvif-base"), QStringLiteral("127.70.2.1"), QStringLiteral("--wsd-port"), wsd,
         QStringLiteral("--onvif-quirks"), QStringLiteral("no-anonymous"), QStringLiteral("--onvif-reboot-delay"),
         QStringLiteral("800"), QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state.txt"))}));
    QTRY_COMPARE_WITH_TIMEOUT(cameras().size(), kCameras, 10000);
    VEXA::OnvifLogin::instance().clear();
    m_driver = new testutil::DialogDriver;
    m_driver->setParent(this);
}

void TestMixedFleet::cleanupTestCase() {
    m_window.reset();
    VEXA::VexaHandler::instance()->stop();
    m_simulator.stop();
}

QString TestMixedFleet::cell(const QString& serial, const QString& mac, int kind) const {
    DeviceInfoModel* model = m_window->listPage()->model();
    const int row = model->rowOf(serial, mac);
    return row < 0 ? QString() : model->item(row, model->columnOf(kind))->text();
}

int TestMixedFleet::rowAt(const QString& address) const {
    return e2e::rowWith(m_window->listPage()->model(), DeviceInfoModel::KindIpv4Address, address);
}

int TestMixedFleet::cameraRows(int role, const QVariant& value) const {
    const DeviceInfoModel* model = m_window->listPage()->model();
    int n = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex id = model->index(row, model->columnOf(DeviceInfoModel::KindId));
        if (id.data(DeviceInfoModel::ProtocolRole).toInt() == VEXA_PROTOCOL_ONVIF && id.data(role) == value)
            ++n;
    }
    return n;
}

void TestMixedFleet::tickOnly(const QStringList& serials) {
    e2e::tickOnly(m_window->listPage()->model(), serials);
}

bool TestMixedFleet::throughDialog(const std::function<void()>& step, const std::function<void(QDialog*)>& answer) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || seen || qobject_cast<VexaTool::WarningDialog*>(dialog))
            return;
        seen = true;
        answer(dialog);
    });
    poll.start();
    step();
    return QTest::qWaitFor([&] { return seen && QApplication::activeModalWidget() == nullptr; }, 90000);
}

void TestMixedFleet::camerasAreListedAndFillInAfterSignIn() {
    m_window = VEXAToolMainPage::showOnPrimaryScreen();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // Before sign-in: every camera is a row with the address WS-Discovery gave, its serial number unknown.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->listPage()->model()->rowCount(), kOurs + kCameras, 20000);
    const auto saved = cameras();
    for (const Device& camera : saved) {
        QVERIFY2(rowAt(camera.value(QStringLiteral("ipv4"))) >= 0, qPrintable(camera.value(QStringLiteral("ipv4"))));
        QVERIFY(cell(camera.value(QStringLiteral("serial")), camera.value(QStringLiteral("mac")).replace(u':', u'-'),
                     DeviceInfoModel::KindSerialNumber)
                    .isEmpty());
    }
    QTRY_COMPARE_WITH_TIMEOUT(cameraRows(DeviceInfoModel::DetailsStateRole, VEXA_DETAILS_NEED_LOGIN), kCameras, 15000);
    // A wrong password: every camera is marked as refusing it, nothing is filled in.
    // Signed in as the window does it: to the cameras listed now.
    const QStringList listed = m_window->listPage()->listedOnvifDevices();
    QCOMPARE(listed.size(), kCameras);
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), QStringLiteral("Wrong-Pass1"), listed, false);
    QTRY_COMPARE_WITH_TIMEOUT(cameraRows(DeviceInfoModel::SignInRefusedRole, true), kCameras, 15000);
    QCOMPARE(cameraRows(DeviceInfoModel::DetailsStateRole, VEXA_DETAILS_READ), 0);
    // After sign-in the rows fill in with what the device service gives.
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), kCameraPassword, listed, false);
    QTRY_COMPARE_WITH_TIMEOUT(cameraRows(DeviceInfoModel::DetailsStateRole, VEXA_DETAILS_READ), kCameras, 15000);
    QCOMPARE(cameraRows(DeviceInfoModel::SignInRefusedRole, true), 0);
    for (const Device& camera : saved) {
        const QString mac = camera.value(QStringLiteral("mac")).replace(u':', u'-');
        QTRY_COMPARE_WITH_TIMEOUT(cell(camera.value(QStringLiteral("serial")), mac, DeviceInfoModel::KindIpv4Address),
                                  camera.value(QStringLiteral("ipv4")), 20000);
    }
    QCOMPARE(m_window->listPage()->model()->rowCount(), kOurs + kCameras);
}

void TestMixedFleet::oneCameraChangedAloneGetsResultsAndAReceipt() {
    const Device camera = cameras().first();
    const QString serial = camera.value(QStringLiteral("serial"));
    tickOnly({serial});
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), 1);
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditIpAddress")->setText(QStringLiteral("127.70.4.1"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditSubnetMask")->setText(QStringLiteral("255.255.255.0"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditGateway")->setText(QStringLiteral("127.70.4.254"));
    // A single change has what a batch has: a Stop while the camera restarts, then a results page that stays.
    bool stopOffered = false;
    QTimer watchCover;
    connect(&watchCover, &QTimer::timeout, this, [&] {
        if (modify->progressCover() && modify->progressCover()->isVisible() && modify->progressCover()->stopOffered())
            stopOffered = true;
    });
    watchCover.start(20);
    QStringList row;
    QString receiptPath;
    QVERIFY2(throughDialog([&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnModify"), Qt::LeftButton); },
                           [&](QDialog* dialog) {
                               auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(dialog);
                               if (results != nullptr) {
                                   for (int column = 0; column < results->model()->columnCount(); ++column)
                                       row << results->model()->item(0, column)->text();
                                   receiptPath = child<QLabel>(results, "m_labelReceiptPath")->text();
                                   // The picture of it for the manual, when asked for.
                                   const QString shots = qEnvironmentVariable("VEXA_SCREENSHOT_DIR");
                                   if (!shots.isEmpty())
                                       results->grab().save(shots + QStringLiteral("/single_onvif_change_results.png"));
                               }
                               dialog->accept();
                           }),
             qPrintable(m_driver->texts().join(QLatin1Char('|'))));
    watchCover.stop();
    QVERIFY(stopOffered);
    // Named by serial number and address, with no warning toast in place of the results.
    QVERIFY2(row.contains(serial), qPrintable(row.join(QLatin1Char('|'))));
    QVERIFY2(row.contains(QStringLiteral("127.70.4.1")), qPrintable(row.join(QLatin1Char('|'))));
    QVERIFY2(receiptPath.contains(QStringLiteral("receipts")), qPrintable(receiptPath));
    QCOMPARE(cameras().value(serial).value(QStringLiteral("ipv4")), QStringLiteral("127.70.4.1"));
}

void TestMixedFleet::threeCamerasTakeConsecutiveAddresses() {
    const QStringList serials = cameras().keys();
    tickOnly(serials);
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), kCameras);
    // The sign-in's login is offered, and nothing of ours is asked for.
    QVERIFY(child<QWidget>(modify, "m_lineEditOnvifUser")->isVisible());
    QCOMPARE(child<aptui::MultiStateLineEdit>(modify, "m_lineEditOnvifUser")->text(), QStringLiteral("admin"));
    QCOMPARE(child<aptui::MultiStateLineEdit>(modify, "m_lineEditOnvifPassword")->text(), kCameraPassword);
    QVERIFY(!child<QWidget>(modify, "m_lineEditAdminPassword")->isVisible());
    QVERIFY(!child<QWidget>(modify, "m_lineEditPort")->isEnabled());
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditStartIp")->setText(QStringLiteral("127.70.3.1"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditSubnetMask")->setText(QStringLiteral("255.255.255.0"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditGateway")->setText(QStringLiteral("127.70.3.254"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditRTSP")->setText(QStringLiteral("554"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditDeviceName")->setText(QStringLiteral("Gate"));
    bool restartingShown = false;
    QTimer watchCover;
    connect(&watchCover, &QTimer::timeout, this, [&] {
        if (modify->progressCover() && modify->progressCover()->isVisible() &&
            modify->progressCover()->text().contains(QStringLiteral("Restarting")))
            restartingShown = true;
    });
    watchCover.start(20);
    QSignalSpy modified(modify, &VexaTool::DeviceModifyPage::signalModifyResult);
    int failures = -1;
    QVERIFY2(throughDialog([&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnModify"), Qt::LeftButton); },
                           [&failures](QDialog* dialog) {
                               if (auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(dialog))
                                   failures = results->failureCount();
                               dialog->accept();
                           }),
             qPrintable(m_driver->texts().join(QLatin1Char('|'))));
    watchCover.stop();
    QCOMPARE(failures, 0);
    QVERIFY(restartingShown);
    QCOMPARE(modified.count(), 1);
    const auto rows = modified.first().first().value<QVector<DeviceInfo>>();
    QCOMPARE(rows.size(), kCameras);
    // Consecutive addresses in the order of the table, each camera back and saved at its own.
    const auto saved = cameras();
    for (int i = 0; i < kCameras; ++i) {
        const QString address = QStringLiteral("127.70.3.%1").arg(i + 1);
        QCOMPARE(rows[i].ipv4Address, address);
        QCOMPARE(saved.value(rows[i].serialNo).value(QStringLiteral("ipv4")), address);
        QCOMPARE(saved.value(rows[i].serialNo).value(QStringLiteral("gateway")), QStringLiteral("127.70.3.254"));
        QVERIFY(saved.value(rows[i].serialNo).value(QStringLiteral("scopes")).contains(QStringLiteral("name/Gate")));
        QTRY_COMPARE_WITH_TIMEOUT(cell(rows[i].serialNo, rows[i].mac, DeviceInfoModel::KindIpv4Address), address,
                                  20000);
    }
    // Ours were not touched.
    for (const Device& device : ours())
        QVERIFY(device.value(QStringLiteral("ipv4")).startsWith(QStringLiteral("127.72.0.")));
}

void TestMixedFleet::aPlanOverBothProtocolsApplies() {
    tickOnly({});
    const auto ourBefore = ours();
    const auto camerasBefore = cameras();
    const QString ourSerial = ourBefore.firstKey();
    const Device camera = camerasBefore.first();
    // One of ours by serial number, one camera by its current address: both renamed, ours moved.
    const QByteArray plan = "Serial Number,MAC,Current Address,IPv4 Address,Subnet Mask,Gateway,Device Name\n" +
                            ourSerial.toUtf8() + ",,,127.72.5.5,255.255.0.0,127.72.0.1,Plan ours\n,," +
                            camera.value(QStringLiteral("ipv4")).toUtf8() + "," +
                            camera.value(QStringLiteral("ipv4")).toUtf8() + ",255.255.255.0,127.70.3.254,Plan camera\n";
    const QString planPath = m_dir.filePath(QStringLiteral("mixed.csv"));
    QFile file(planPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(plan);
    file.close();

    VexaTool::DeviceDisplayPage* list = m_window->listPage();
    list->setPlanFileChooser([planPath] { return planPath; });
    list->applyPlanButton()->click();
    VexaTool::PlanPreviewPage* preview = list->planPreview();
    QVERIFY(preview);
    QCOMPARE(preview->model()->rowCount(), 2);
    QCOMPARE(preview->model()->markedRowCount(), 0);
    preview->findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->setText(kOurPassword);
    QVERIFY(preview->applyEnabled());
    // The results page is modal and comes once both devices answered: read and close it from a timer.
    int failures = -1;
    QStringList results;
    QTimer watcher;
    watcher.setInterval(50);
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* page = qobject_cast<VexaTool::DeviceModifyResultPage*>(QApplication::activeModalWidget());
        if (page == nullptr)
            return;
        failures = page->failureCount();
        for (int row = 0; row < page->model()->rowCount(); ++row)
            results << page->model()->item(row, 3)->text();
        page->accept();
    });
    watcher.start();
    preview->findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(failures >= 0, 60000);
    watcher.stop();
    QCOMPARE(failures, 0);
    QCOMPARE(results.size(), 2);

    const Device ourAfter = ours().value(ourSerial);
    QCOMPARE(ourAfter.value(QStringLiteral("ipv4")), QStringLiteral("127.72.5.5"));
    QCOMPARE(ourAfter.value(QStringLiteral("name")), QStringLiteral("Plan ours"));
    const Device cameraAfter = cameras().value(camera.value(QStringLiteral("serial")));
    QCOMPARE(cameraAfter.value(QStringLiteral("ipv4")), camera.value(QStringLiteral("ipv4")));
    QVERIFY2(cameraAfter.value(QStringLiteral("scopes")).contains(QStringLiteral("name/Plan%20camera")),
             qPrintable(cameraAfter.value(QStringLiteral("scopes"))));
}

void TestMixedFleet::theExportListsBoth() {
    QStringList all = ours().keys() + cameras().keys();
    tickOnly(all);
    QTRY_VERIFY(m_window->listPage()->exportButton()->isEnabled());
    const QString folder = m_dir.filePath(QStringLiteral("export"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(throughDialog(
        [&] { QTest::mouseClick(m_window->listPage()->exportButton(), Qt::LeftButton); },
        [&](QDialog* dialog) {
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilename")->setText(QStringLiteral("mixed"));
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilepath")->setText(folder);
            child<QPushButton>(dialog, "btnConfirm")->click();
        }));
    QTRY_VERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("mixed.xls"))));
    const QJsonObject book = xlsreader::read(QDir(folder).filePath(QStringLiteral("mixed.xls")));
    const QJsonArray rows =
        book.value(QStringLiteral("sheets")).toArray().at(0).toObject().value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), kOurs + kCameras + 1);
    QStringList cells;
    for (const QJsonValue& row : rows) {
        for (const QJsonValue& value : row.toArray())
            cells << value.toString();
    }
    for (const QString& serial : std::as_const(all))
        QVERIFY2(cells.contains(serial), qPrintable(serial));
    for (const Device& camera : cameras())
        QVERIFY2(cells.contains(camera.value(QStringLiteral("ipv4"))),
                 qPrintable(camera.value(QStringLiteral("ipv4"))));
}

QTEST_MAIN(TestMixedFleet)
#include "tst_mixedfleet.moc"
