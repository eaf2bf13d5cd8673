// The whole program as an installer uses it: the main window on the real library against a simulated fleet on
// loopback, driven through its own buttons and dialogs. After every step the simulator's saved state must agree.
#include <algorithm>
#include <functional>

#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogDriver.h"
#include "ProgramDriver.h"
#include "XlsReader.h"
#include "app/VEXAToolMainPage.h"
#include "aptui/CoverWidget.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/TipDialog.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/VexaHandler.h"
#include "export/DevicesInfoSavePage.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "password/ResetPasswordDialog.h"
#include "password/RestorePasswordDialog.h"
#include "support/SimulatorProcess.h"

using e2e::child;
using VexaTool::DeviceInfoModel;
using VexaTool::VEXAToolMainPage;

namespace {

using Device = QMap<QString, QString>;

constexpr int kNew = 6;    // not activated, activated and then changed as one batch
constexpr int kOthers = 8; // activated, left alone
constexpr int kFleet = kNew + kOthers + 3;
const QString kFactoryPassword = QStringLiteral("Install-2024"); // the simulator's activated devices
const QString kBatchPassword = QStringLiteral("Batch-Pass-77");
const QString kKeyDevice = QStringLiteral("VXE2EKEY00");
const QString kCodeDevice = QStringLiteral("VXE2ECOD00");
// Reports IPv6 but takes no change of it, and has a name longer than 16 characters, in UTF-8.
const QString kSingleDevice = QStringLiteral("VXE2ESGL00");
const QString kSingleName = QStringLiteral("Parking level 2 north 大门");

QString deviceLine(const QString& serial, int index, int activation, int support) {
    return e2e::deviceLine({serial, QStringLiteral("02-56-e3-00-00-%1").arg(index, 2, 16, QLatin1Char('0')),
                            QStringLiteral("127.31.0.%1").arg(index + 10), QStringLiteral("Camera %1").arg(index),
                            QStringLiteral("ST%1").arg(index), activation, support});
}

} // namespace

class TestWholeProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void devicesArrive();
    void activateABatch();
    void changeTheBatchsNetwork();
    void modifyOneKeepsWhatItDoesNotChange();
    void exportTheList();
    void resetAPasswordWithAKey();
    void restoreAPasswordWithACode();
    void refresh();
    void closeWithTheExitQuestion();

private:
    QMap<QString, Device> state() const;
    int rowOf(const QString& serial) const;
    QString cell(const QString& serial, int kind) const;
    void tickOnly(const QStringList& serials);
    // Runs step, which opens a page's dialog; answer gets that dialog once it is up, sees the window covered
    // and must close it. False when no dialog came or the window was not covered around it.
    bool throughDialog(const std::function<void()>& step, const std::function<void(QDialog*)>& answer);
    bool covered() const;

    QTemporaryDir m_dir;
    testsupport::SimulatorProcess m_simulator;
    std::unique_ptr<VEXAToolMainPage> m_window;
    QStringList m_new;
    QStringList m_changedAddresses;
    testutil::DialogDriver* m_driver = nullptr;
};

void TestWholeProgram::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    QVERIFY(m_dir.isValid());
    QVERIFY2(xlsreader::available(), "python3-xlrd is needed");
    QVERIFY(testsupport::trustTestManufacturer());
    qputenv("VEXA_SIM_CHEAP_HASH", "1");

    QString devices;
    int index = 0;
    for (int i = 0; i < kNew; ++i, ++index) {
        m_new << QStringLiteral("VXE2ENEW%1").arg(i, 2, 10, QLatin1Char('0'));
        devices += deviceLine(m_new.last(), index, 1, 4);
    }
    for (int i = 0; i < kOthers; ++i, ++index)
        devices += deviceLine(QStringLiteral("VXE2EOLD%1").arg(i, 2, 10, QLatin1Char('0')), index, 0, 4);
    devices += deviceLine(kKeyDevice, index++, 0, 0x44);
    devices += deviceLine(kCodeDevice, index++, 0, 4);
    devices +=
        deviceLine(kSingleDevice, index++, 0, 0x05)
            .replace(QStringLiteral("ipv6=\tipv6Gateway=\tipv6Prefix=0"),
                     QStringLiteral("ipv6=fd00::31:7\tipv6Gateway=fd00::1\tipv6Prefix=64"))
            .replace(QRegularExpression(QStringLiteral("name=Camera [0-9]+")), QStringLiteral("name=") + kSingleName);
    QFile file(m_dir.filePath(QStringLiteral("devices.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(devices.toUtf8());
    file.close();

    QVERIFY(m_simulator.start({QStringLiteral("--devices"), file.fileName(), QStringLiteral("--state"),
                               m_dir.filePath(QStringLiteral("state.txt"))}));
    m_driver = new testutil::DialogDriver;
    m_driver->setParent(this);
}

void TestWholeProgram::cleanupTestCase() {
    m_window.reset();
    VEXA::VexaHandler::instance()->stop();
    m_simulator.stop();
}

QMap<QString, Device> TestWholeProgram::state() const {
    return testsupport::readSavedState(m_dir.filePath(QStringLiteral("state.txt")));
}

int TestWholeProgram::rowOf(const QString& serial) const {
    return e2e::rowWith(m_window->listPage()->model(), DeviceInfoModel::KindSerialNumber, serial);
}

QString TestWholeProgram::cell(const QString& serial, int kind) const {
    const int row = rowOf(serial);
    DeviceInfoModel* model = m_window->listPage()->model();
    return row < 0 ? QString() : model->item(row, model->columnOf(kind))->text();
}

void TestWholeProgram::tickOnly(const QStringList& serials) {
    e2e::tickOnly(m_window->listPage()->model(), serials);
}

bool TestWholeProgram::covered() const {
    // The window's own cover; the batch progress cover is one too, but a page's.
    const auto covers = m_window->findChildren<aptui::CoverWidget*>(Qt::FindDirectChildrenOnly);
    const auto own = std::find_if(covers.cbegin(), covers.cend(), [](const aptui::CoverWidget* cover) {
        return cover->metaObject() == &aptui::CoverWidget::staticMetaObject;
    });
    return m_window->isCovering() && own != covers.cend() && (*own)->isVisible();
}

bool TestWholeProgram::throughDialog(const std::function<void()>& step, const std::function<void(QDialog*)>& answer) {
    bool seen = false;
    bool coveredWhileOpen = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        // Warnings belong to the dialog driver; the exit question and the pages' dialogs come here.
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || seen || qobject_cast<VexaTool::WarningDialog*>(dialog))
            return;
        seen = true;
        coveredWhileOpen = covered();
        answer(dialog);
    });
    poll.start();
    step();
    if (!QTest::qWaitFor([&] { return seen && QApplication::activeModalWidget() == nullptr; }, 60000))
        return false;
    return coveredWhileOpen && !covered();
}

void TestWholeProgram::devicesArrive() {
    m_window = VEXAToolMainPage::showOnPrimaryScreen();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(VEXA::VexaHandler::instance()->isStarted());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->listPage()->countLabel()->text(), QString::number(kFleet), 20000);
    QCOMPARE(m_window->listPage()->model()->rowCount(), kFleet);
    const auto devices = state();
    QCOMPARE(devices.size(), kFleet);
    for (const QString& serial : devices.keys())
        QCOMPARE(cell(serial, DeviceInfoModel::KindIpv4Address), devices[serial].value(QStringLiteral("ipv4")));
    QCOMPARE(cell(m_new.first(), DeviceInfoModel::KindActivationState), QStringLiteral("Not activated"));
    QCOMPARE(cell(kKeyDevice, DeviceInfoModel::KindActivationState), QStringLiteral("Activated"));
}

void TestWholeProgram::activateABatch() {
    tickOnly(m_new);
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), kNew);
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditNewPassword")->setText(kBatchPassword);
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditConfirmPassword")->setText(kBatchPassword);
    QStringList results;
    QVERIFY(throughDialog([&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnActive"), Qt::LeftButton); },
                          [&](QDialog* dialog) {
                              auto* page = qobject_cast<VexaTool::DeviceModifyResultPage*>(dialog);
                              for (int row = 0; page != nullptr && row < page->model()->rowCount(); ++row)
                                  results << page->model()->item(row, 3)->text();
                              dialog->accept();
                          }));
    QStringList sorted = results;
    sorted.sort();
    QCOMPARE(sorted, m_new);
    const auto devices = state();
    for (const QString& serial : m_new) {
        QCOMPARE(devices[serial].value(QStringLiteral("activation")), QStringLiteral("0"));
        QCOMPARE(cell(serial, DeviceInfoModel::KindActivationState), QStringLiteral("Activated"));
    }
    // Still ticked, and activated now: the modify page offers the batch change.
    QTRY_VERIFY(child<QWidget>(modify, "m_lineEditStartIp")->isVisible());
}

void TestWholeProgram::changeTheBatchsNetwork() {
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QCOMPARE(modify->entries().size(), kNew);
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditAdminPassword")->setText(kBatchPassword);
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditStartIp")->setText(QStringLiteral("192.168.7.250"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditSubnetMask")->setText(QStringLiteral("255.255.0.0"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditPort")->setText(QStringLiteral("8000"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditHttpPort")->setText(QStringLiteral("80"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditRTSP")->setText(QStringLiteral("554"));
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditDeviceName")->setText(QStringLiteral("Yard"));
    // Sorted after ticking: the addresses follow the table as it is now.
    DeviceInfoModel* model = m_window->listPage()->model();
    m_window->listPage()->filterModel()->sort(model->columnOf(DeviceInfoModel::KindSerialNumber), Qt::DescendingOrder);
    QSignalSpy modified(modify, &VexaTool::DeviceModifyPage::signalModifyResult);
    QString historyPath;
    QVERIFY2(throughDialog([&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnModify"), Qt::LeftButton); },
                           [&historyPath](QDialog* dialog) {
                               if (auto* history =
                                       dialog->findChild<QPushButton*>(QStringLiteral("m_btnReceiptHistory"));
                                   history && !history->isHidden())
                                   historyPath = history->toolTip();
                               dialog->accept();
                           }),
             qPrintable(m_driver->texts().join(QLatin1Char('|'))));
    QCOMPARE(modified.count(), 1);
    const auto rows = modified.first().first().value<QVector<DeviceInfo>>();
    QCOMPARE(rows.size(), kNew);
    QStringList descending = m_new;
    std::sort(descending.begin(), descending.end(), std::greater<QString>());
    for (int i = 0; i < kNew; ++i)
        QCOMPARE(rows[i].serialNo, descending[i]);
    // The batch wrote its own receipt into the user's receipts folder: a header and a row per device.
    QFile history(historyPath);
    QVERIFY2(history.open(QIODevice::ReadOnly), qPrintable(historyPath));
    const QList<QByteArray> lines = history.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), kNew + 1);
    const QStringList expected{QStringLiteral("192.168.7.250"), QStringLiteral("192.168.7.251"),
                               QStringLiteral("192.168.7.252"), QStringLiteral("192.168.7.253"),
                               QStringLiteral("192.168.7.254"), QStringLiteral("192.168.7.255")};
    const auto devices = state();
    for (int i = 0; i < kNew; ++i) {
        // Consecutive in the order of the selection, and so on the device, in the list and in the store.
        QCOMPARE(rows[i].ipv4Address, expected[i]);
        QCOMPARE(devices[rows[i].serialNo].value(QStringLiteral("ipv4")), expected[i]);
        QCOMPARE(devices[rows[i].serialNo].value(QStringLiteral("mask")), QStringLiteral("255.255.0.0"));
        QCOMPARE(devices[rows[i].serialNo].value(QStringLiteral("name")), QStringLiteral("Yard"));
        // The row takes the address when the device itself reports it, not when the change was sent.
        QTRY_COMPARE_WITH_TIMEOUT(cell(rows[i].serialNo, DeviceInfoModel::KindIpv4Address), expected[i], 10000);
        m_changedAddresses << expected[i];
    }
    // The devices left alone kept everything.
    QCOMPARE(devices[QStringLiteral("VXE2EOLD00")].value(QStringLiteral("ipv4")), QStringLiteral("127.31.0.16"));
}

// One device, one change: ticking DHCP must leave its IPv6 address (which it cannot change) and its long
// UTF-8 name as the device has them.
void TestWholeProgram::modifyOneKeepsWhatItDoesNotChange() {
    tickOnly({kSingleDevice});
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), 1);
    QCOMPARE(child<aptui::MultiStateLineEdit>(modify, "m_lineEditDeviceName")->text(), kSingleName);
    QVERIFY(!child<aptui::MultiStateLineEdit>(modify, "m_lineEditIPV6Address")->isEnabled());
    child<aptui::MultiStateLineEdit>(modify, "m_lineEditAdminPassword")->setText(kFactoryPassword);
    child<QCheckBox>(modify, "m_checkBoxDHCP")->click();
    // One device ends on the results page, as a batch does.
    int failures = -1;
    QVERIFY(throughDialog([&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnModify"), Qt::LeftButton); },
                          [&failures](QDialog* dialog) {
                              if (auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(dialog))
                                  failures = results->failureCount();
                              dialog->accept();
                          }));
    QCOMPARE(failures, 0);
    const Device device = state().value(kSingleDevice);
    QCOMPARE(device.value(QStringLiteral("dhcp")), QStringLiteral("1"));
    QCOMPARE(device.value(QStringLiteral("ipv6")), QStringLiteral("fd00::31:7"));
    QCOMPARE(device.value(QStringLiteral("name")), kSingleName);
    QTRY_COMPARE_WITH_TIMEOUT(cell(kSingleDevice, DeviceInfoModel::KindIpv4Address),
                              device.value(QStringLiteral("ipv4")), 10000);
}

void TestWholeProgram::exportTheList() {
    // The ticked devices are exported: all of them.
    tickOnly(state().keys());
    QTRY_VERIFY(m_window->listPage()->exportButton()->isEnabled());
    const QString folder = m_dir.filePath(QStringLiteral("export"));
    QVERIFY(QDir().mkpath(folder));
    const qsizetype before = m_driver->warnings.size();
    QVERIFY(throughDialog(
        [&] { QTest::mouseClick(m_window->listPage()->exportButton(), Qt::LeftButton); },
        [&](QDialog* dialog) {
            QVERIFY(qobject_cast<VexaTool::DevicesInfoSavePage*>(dialog));
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilename")->setText(QStringLiteral("fleet"));
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilepath")->setText(folder);
            child<QPushButton>(dialog, "btnConfirm")->click();
        }));
    QTRY_VERIFY(m_driver->warnings.size() > before);
    QCOMPARE(m_driver->warnings.at(before).text, QStringLiteral("Saving succeed."));
    const QJsonObject book = xlsreader::read(QDir(folder).filePath(QStringLiteral("fleet.xls")));
    const QJsonArray rows =
        book.value(QStringLiteral("sheets")).toArray().at(0).toObject().value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), kFleet + 1); // the header and every device
    QStringList cells;
    for (const QJsonValue& row : rows) {
        for (const QJsonValue& value : row.toArray())
            cells << value.toString();
    }
    for (const QString& serial : state().keys())
        QVERIFY2(cells.contains(serial), qPrintable(serial));
    for (const QString& address : std::as_const(m_changedAddresses))
        QVERIFY2(cells.contains(address), qPrintable(address));
}

void TestWholeProgram::resetAPasswordWithAKey() {
    const QString before = state()[kKeyDevice].value(QStringLiteral(".hash"));
    tickOnly({kKeyDevice});
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), 1);
    const QString requests = m_dir.filePath(QStringLiteral("requests"));
    QVERIFY(QDir().mkpath(requests));
    QString failure;
    QVERIFY(throughDialog(
        [&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnLostPassword"), Qt::LeftButton); },
        [&](QDialog* dialog) {
            auto* reset = qobject_cast<VexaTool::ResetPasswordDialog*>(dialog);
            if (reset == nullptr) {
                failure = QStringLiteral("not the reset dialog");
                dialog->reject();
                return;
            }
            if (!QTest::qWaitFor([&] { return !reset->isBusy(); }, 15000))
                failure = QStringLiteral("the key request never came");
            m_driver->chooserAnswers << requests;
            const qsizetype shown = m_driver->warnings.size();
            child<QPushButton>(dialog, "m_btnExport")->click();
            if (!QTest::qWaitFor([&] { return m_driver->warnings.size() > shown; }, 15000))
                failure = QStringLiteral("the export said nothing");
            const QStringList files = QDir(requests).entryList(QDir::Files);
            const QString key = files.size() == 1
                                    ? testsupport::runKeyTool({QStringLiteral("sign"), QStringLiteral("--test"),
                                                               QDir(requests).filePath(files.first())})
                                    : QString();
            if (key.isEmpty()) {
                failure = QStringLiteral("no key request or no key");
                dialog->reject();
                return;
            }
            QFile keyFile(m_dir.filePath(QStringLiteral("key.txt")));
            if (!keyFile.open(QIODevice::WriteOnly) || keyFile.write(key.toLatin1()) <= 0)
                failure = QStringLiteral("key file not written");
            keyFile.close();
            child<QRadioButton>(dialog, "m_radioBtnAutoInput")->setChecked(true);
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditFilePath")->setText(keyFile.fileName());
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditNewPassword")->setText(QStringLiteral("Key-Reset-42"));
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditConfirmPassword")
                ->setText(QStringLiteral("Key-Reset-42"));
            child<QPushButton>(dialog, "btnConfirm")->click();
            if (!QTest::qWaitFor([&] { return !dialog->isVisible(); }, 15000)) {
                failure = m_driver->texts().join(QLatin1Char('|'));
                dialog->reject();
            }
        }));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_driver->texts().contains(QStringLiteral("Reset password Succeed.")));
    QTRY_VERIFY(state()[kKeyDevice].value(QStringLiteral(".hash")) != before);
    QCOMPARE(state()[kKeyDevice].value(QStringLiteral("activation")), QStringLiteral("0"));
}

void TestWholeProgram::restoreAPasswordWithACode() {
    tickOnly({kCodeDevice});
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), 1);
    QCOMPARE(modify->entries().first().serialNo, kCodeDevice);
    const QString code = testsupport::runKeyTool(
        {QStringLiteral("code"), QStringLiteral("--test"), QStringLiteral("--serial"), kCodeDevice});
    QVERIFY(!code.isEmpty());
    const QString before = state()[kCodeDevice].value(QStringLiteral(".hash"));
    bool restoreDialog = false;
    QString failure;
    QVERIFY(throughDialog(
        [&] { QTest::mouseClick(child<QPushButton>(modify, "m_btnLostPassword"), Qt::LeftButton); },
        [&](QDialog* dialog) {
            restoreDialog = qobject_cast<VexaTool::RestorePasswordDialog*>(dialog) != nullptr;
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditSecurityCode")->setText(code);
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditNewPassword")->setText(QStringLiteral("Owner-Pass7"));
            child<aptui::MultiStateLineEdit>(dialog, "m_lineEditConfirmPassword")
                ->setText(QStringLiteral("Owner-Pass7"));
            child<QPushButton>(dialog, "btnConfirm")->click();
            if (!QTest::qWaitFor([&] { return !dialog->isVisible(); }, 15000)) {
                failure = m_driver->texts().join(QLatin1Char('|'));
                dialog->reject();
            }
        }));
    QVERIFY(restoreDialog);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    // The code hands the device to whoever proved it, with the new password in the same step: it never waits
    // for activation, where someone else could take it first.
    QTRY_VERIFY_WITH_TIMEOUT(state()[kCodeDevice].value(QStringLiteral(".hash")) != before, 10000);
    QCOMPARE(state()[kCodeDevice].value(QStringLiteral("activation")), QStringLiteral("0"));
    QTRY_COMPARE_WITH_TIMEOUT(cell(kCodeDevice, DeviceInfoModel::KindActivationState), QStringLiteral("Activated"),
                              10000);
}

void TestWholeProgram::refresh() {
    m_window->listPage()->setRefreshDelay(50);
    QTest::mouseClick(child<QPushButton>(m_window->listPage(), "m_btnRefreshDeviceInfo"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->listPage()->countLabel()->text(), QString::number(kFleet), 20000);
    const auto devices = state();
    for (const QString& serial : devices.keys()) {
        QCOMPARE(cell(serial, DeviceInfoModel::KindIpv4Address), devices[serial].value(QStringLiteral("ipv4")));
        QCOMPARE(cell(serial, DeviceInfoModel::KindActivationState),
                 devices[serial].value(QStringLiteral("activation")) == QLatin1String("0")
                     ? QStringLiteral("Activated")
                     : QStringLiteral("Not activated"));
    }
}

void TestWholeProgram::closeWithTheExitQuestion() {
    QString question;
    QVERIFY(throughDialog([&] { m_window->close(); },
                          [&](QDialog* dialog) {
                              if (auto* tip = qobject_cast<VexaTool::TipDialog*>(dialog))
                                  question = tip->tipText();
                              dialog->accept();
                          }));
    QCOMPARE(question, QStringLiteral("Exit the VEXA software?"));
    QVERIFY(!m_window->isVisible());
    // Nothing the program did on the way out reached a device.
    QCOMPARE(state().size(), kFleet);
}

QTEST_MAIN(TestWholeProgram)
#include "tst_wholeprogram.moc"
