// The whole program on a site of ONVIF cameras, one of them hours off and one that answers "OK" to a new password
// and keeps its old one: "Set time…" brings every clock in line, "Change ONVIF password…" reports the one that did
// not take it, the others sign in with the new one, and no receipt holds a password.
#include <functional>
#include <sys/stat.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogDriver.h"
#include "ProgramDriver.h"
#include "app/VEXAToolMainPage.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "fleet/ClockOffset.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "siteops/OnvifPasswordDialog.h"
#include "siteops/SetTimeDialog.h"
#include "support/SimulatorProcess.h"
#include "vexa.h"

using e2e::child;
using VexaTool::DeviceInfoModel;
using VexaTool::VEXAToolMainPage;

namespace {

using Device = QMap<QString, QString>;

constexpr int kPlain = 4; // of them the second is 3 h ahead
constexpr int kCameras = kPlain + 1;
const QString kCameraPassword = QStringLiteral("Camera-2024"); // the simulator's test account
const QString kNewPassword = QStringLiteral("Site-Day-2026!");

} // namespace

class TestSiteDay : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void clocksAreShownWithTheirMarks();
    void setTimeBringsEveryClockWithinTwoSeconds();
    void passwordBatchReportsTheDeviceThatKeptItsOldOne();
    void generatedPasswordsGoToTheirFileFirst();

private:
    QMap<QString, Device> cameras() const {
        QMap<QString, Device> all = testsupport::readSavedState(m_dir.filePath(QStringLiteral("plain.txt.onvif")));
        all.insert(testsupport::readSavedState(m_dir.filePath(QStringLiteral("keeper.txt.onvif"))));
        return all;
    }
    QStringList clockCells() const;
    // Clicks the button, answers the dialog it opens, then hands over the results page; false when either is
    // missing or the results stay open.
    bool runBatch(const char* button, const std::function<void(QDialog*)>& answer,
                  const std::function<void(VexaTool::DeviceModifyResultPage*)>& results);
    void shoot(QWidget* widget, const char* name) const;

    QTemporaryDir m_dir;
    testsupport::SimulatorProcess m_plain;
    testsupport::SimulatorProcess m_keeper;
    std::unique_ptr<VEXAToolMainPage> m_window;
    testutil::DialogDriver* m_driver = nullptr;
};

void TestSiteDay::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    QVERIFY(m_dir.isValid());
    const QString wsd = qEnvironmentVariable("VEXA_WSD_PORT");
    QVERIFY(!wsd.isEmpty());
    // Two simulators on one WS-Discovery port: the quirk of the second is its whole fleet's.
    QVERIFY(m_plain.start({QStringLiteral("--count"), QStringLiteral("0"), QStringLiteral("--onvif"),
                           QString::number(kPlain), QStringLiteral("--onvif-base"), QStringLiteral("127.82.0.1"),
                           QStringLiteral("--wsd-port"), wsd, QStringLiteral("--onvif-clock-offset"),
                           QStringLiteral("0,10800,-2,1"), QStringLiteral("--seed"), QStringLiteral("821"),
                           QStringLiteral("--state"), m_dir.filePath(QStringLiteral("plain.txt"))}));
    QVERIFY(m_keeper.start({QStringLiteral("--count"), QStringLiteral("0"), QStringLiteral("--onvif"),
                            QStringLiteral("1"), QStringLiteral("--onvif-base"), QStringLiteral("127.82.1.1"),
                            QStringLiteral("--wsd-port"), wsd, QStringLiteral("--onvif-quirks"),
                            QStringLiteral("keeps-password"), QStringLiteral("--seed"), QStringLiteral("822"),
                            QStringLiteral("--state"), m_dir.filePath(QStringLiteral("keeper.txt"))}));
    QTRY_COMPARE_WITH_TIMEOUT(cameras().size(), kCameras, 10000);
    VEXA::OnvifLogin::instance().clear();
    m_driver = new testutil::DialogDriver;
    m_driver->setParent(this);
}

void TestSiteDay::cleanupTestCase() {
    m_window.reset();
    VEXA::VexaHandler::instance()->stop();
    m_plain.stop();
    m_keeper.stop();
}

QStringList TestSiteDay::clockCells() const {
    const DeviceInfoModel* model = m_window->listPage()->model();
    QStringList cells;
    for (int row = 0; row < model->rowCount(); ++row)
        cells << model->item(row, model->columnOf(DeviceInfoModel::KindClock))->text();
    return cells;
}

void TestSiteDay::shoot(QWidget* widget, const char* name) const {
    const QString shots = qEnvironmentVariable("VEXA_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        widget->grab().save(shots + QLatin1Char('/') + QLatin1String(name));
}

bool TestSiteDay::runBatch(const char* button, const std::function<void(QDialog*)>& answer,
                           const std::function<void(VexaTool::DeviceModifyResultPage*)>& results) {
    bool asked = false;
    bool shown = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || qobject_cast<VexaTool::WarningDialog*>(dialog))
            return;
        if (auto* page = qobject_cast<VexaTool::DeviceModifyResultPage*>(dialog)) {
            if (!shown) {
                shown = true;
                results(page);
                page->accept();
            }
        } else if (!asked) {
            asked = true;
            answer(dialog);
        }
    });
    poll.start();
    QTest::mouseClick(child<QPushButton>(m_window->modifyPage(), button), Qt::LeftButton);
    return QTest::qWaitFor([&] { return shown && QApplication::activeModalWidget() == nullptr; }, 90000) && asked;
}

void TestSiteDay::clocksAreShownWithTheirMarks() {
    m_window = VEXAToolMainPage::showOnPrimaryScreen();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    DeviceInfoModel* model = m_window->listPage()->model();
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), kCameras, 20000);
    // Read without a sign-in, as soon as each is listed.
    QTRY_VERIFY_WITH_TIMEOUT(!clockCells().contains(QString()), 15000);
    const QStringList listed = m_window->listPage()->listedOnvifDevices();
    QCOMPARE(listed.size(), kCameras);
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), kCameraPassword, listed, false);
    QTRY_COMPARE_WITH_TIMEOUT(e2e::rowWith(model, DeviceInfoModel::KindSerialNumber, QString()), -1, 20000);
    // The one 3 h ahead (a second less, as read) is red, the others unmarked; the tip gives its zone.
    QStringList far;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex cell = model->index(row, model->columnOf(DeviceInfoModel::KindClock));
        if (cell.data(Qt::ForegroundRole).value<QBrush>() == model->clockFarBrush()) {
            far << cell.data().toString();
            QVERIFY(cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("UTC0")));
        }
    }
    QVERIFY2(far == QStringList{QStringLiteral("+3 h")} || far == QStringList{QStringLiteral("+2 h 59 min")},
             qPrintable(clockCells().join(QLatin1Char('|'))));
    shoot(m_window.get(), "clock_column.png");
}

void TestSiteDay::setTimeBringsEveryClockWithinTwoSeconds() {
    e2e::tickOnly(m_window->listPage()->model(), cameras().keys());
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QTRY_COMPARE(modify->entries().size(), kCameras);
    QVERIFY(child<QPushButton>(modify, "m_btnSetTime")->isVisible());
    shoot(modify, "modify_onvif_site.png");
    QStringList results;
    QVERIFY2(runBatch(
                 "m_btnSetTime",
                 [&](QDialog* dialog) {
                     QVERIFY(qobject_cast<VexaTool::SetTimeDialog*>(dialog));
                     shoot(dialog, "set_time_dialog.png");
                     child<QCheckBox>(dialog, "m_checkZone")->setChecked(true);
                     child<QLineEdit>(dialog, "m_lineEditZone")->setText(QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
                     static_cast<aptui::BaseDialog*>(dialog)->onConfirmBtnClicked();
                 },
                 [&](VexaTool::DeviceModifyResultPage* page) {
                     QCOMPARE(page->failureCount(), 0);
                     for (const auto& entry : page->receipt())
                         results << QString::fromStdString(entry.result);
                 }),
             qPrintable(m_driver->texts().join(QLatin1Char('|'))));
    QCOMPARE(results.size(), kCameras);
    // Read again afterwards: every clock within 2 s of this computer's, and the zone taken.
    const QStringList near{QStringLiteral("0 s"), QStringLiteral("+1 s"), QStringLiteral("\u22121 s"),
                           QStringLiteral("+2 s"), QStringLiteral("\u22122 s")};
    const auto allNear = [&] {
        const QStringList cells = clockCells();
        return std::all_of(cells.cbegin(), cells.cend(), [&](const QString& c) { return near.contains(c); });
    };
    QTRY_VERIFY2_WITH_TIMEOUT(allNear(), qPrintable(clockCells().join(QLatin1Char('|'))), 15000);
    for (const Device& camera : cameras())
        QCOMPARE(camera.value(QStringLiteral("timeZone")), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
}

void TestSiteDay::passwordBatchReportsTheDeviceThatKeptItsOldOne() {
    VexaTool::DeviceModifyPage* modify = m_window->modifyPage();
    QVERIFY(child<QPushButton>(modify, "m_btnOnvifPassword")->isVisible());
    const QString keeper = testsupport::readSavedState(m_dir.filePath(QStringLiteral("keeper.txt.onvif"))).firstKey();
    std::vector<VexaTool::plan::ReceiptEntry> receipt;
    QStringList failed;
    QVERIFY2(runBatch(
                 "m_btnOnvifPassword",
                 [&](QDialog* dialog) {
                     QVERIFY(qobject_cast<VexaTool::OnvifPasswordDialog*>(dialog));
                     child<QLineEdit>(dialog, "m_lineEditNewPassword")->setText(kNewPassword);
                     child<QLineEdit>(dialog, "m_lineEditConfirmPassword")->setText(kNewPassword);
                     shoot(dialog, "onvif_password_dialog.png");
                     static_cast<aptui::BaseDialog*>(dialog)->onConfirmBtnClicked();
                 },
                 [&](VexaTool::DeviceModifyResultPage* page) {
                     receipt = page->receipt();
                     for (int row = 0; row < page->model()->rowCount(); ++row)
                         for (int column = 0; column < page->model()->columnCount(); ++column)
                             if (page->model()->item(row, column)->text() == keeper)
                                 failed << page->model()->item(row, 4)->text();
                     shoot(page, "onvif_password_results.png");
                 }),
             qPrintable(m_driver->texts().join(QLatin1Char('|'))));
    // The one that kept its old password is not done, in words; the others are.
    QCOMPARE(receipt.size(), std::size_t(kCameras));
    for (const auto& entry : receipt) {
        const bool isKeeper = QString::fromStdString(entry.serial) == keeper;
        QCOMPARE(entry.outcome.isDone(), !isKeeper);
        if (isKeeper)
            QCOMPARE(entry.outcome.code, uint32_t(VEXA_ERR_PASSWORD_NOT_TAKEN));
        // Receipts name the device and the outcome, never a password.
        for (const std::string& field : VexaTool::plan::receiptRow(entry)) {
            QVERIFY(!QString::fromStdString(field).contains(kNewPassword));
            QVERIFY(!QString::fromStdString(field).contains(kCameraPassword));
        }
    }
    QCOMPARE(failed.size(), 1);
    QVERIFY2(failed.first().contains(QStringLiteral("does not work")), qPrintable(failed.first()));
    QFile history(modify->siteBatch()->batch()->historyPath());
    QVERIFY(history.open(QIODevice::ReadOnly));
    const QByteArray written = history.readAll();
    QVERIFY(written.contains(keeper.toUtf8()));
    QVERIFY(!written.contains(kNewPassword.toUtf8()) && !written.contains(kCameraPassword.toUtf8()));
    // The devices are the judge: the others hold the new one, the keeper its old one.
    for (const Device& camera : cameras()) {
        const QString serial = camera.value(QStringLiteral("serial"));
        QCOMPARE(camera.value(QStringLiteral("password")) == kNewPassword, serial != keeper);
    }
    // Not every device took it: the run's login keeps the old password, for the keeper.
    QCOMPARE(VEXA::OnvifLogin::instance().password(), kCameraPassword);
    // And each device still signs in through the library with what it has now: the time is set on all five.
    QVERIFY(runBatch(
        "m_btnSetTime", [](QDialog* dialog) { static_cast<aptui::BaseDialog*>(dialog)->onConfirmBtnClicked(); },
        [](VexaTool::DeviceModifyResultPage* page) { QCOMPARE(page->failureCount(), 0); }));
}

void TestSiteDay::generatedPasswordsGoToTheirFileFirst() {
    const auto generated = [](const QString& path) {
        return [path](QDialog* dialog) {
            child<QRadioButton>(dialog, "m_radioGenerated")->setChecked(true);
            child<QLineEdit>(dialog, "m_lineEditFile")->setText(path);
            static_cast<aptui::BaseDialog*>(dialog)->onConfirmBtnClicked();
        };
    };
    // A file that cannot be written stops the batch before anything is sent.
    const QMap<QString, Device> before = cameras();
    bool asked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<VexaTool::OnvifPasswordDialog*>(QApplication::activeModalWidget());
        if (dialog && !asked) {
            asked = true;
            generated(m_dir.filePath(QStringLiteral("missing/passwords.csv")))(dialog);
        }
    });
    poll.start(10);
    QTest::mouseClick(child<QPushButton>(m_window->modifyPage(), "m_btnOnvifPassword"), Qt::LeftButton);
    QTRY_VERIFY(m_driver->texts().join(QLatin1Char('|')).contains(QStringLiteral("Nothing was sent")));
    poll.stop();
    QVERIFY(!m_window->modifyPage()->isBusy());
    QCOMPARE(cameras(), before);

    // Written first, owner only; each device that takes its own then signs in with it.
    const QString path = m_dir.filePath(QStringLiteral("passwords.csv"));
    QVERIFY(runBatch("m_btnOnvifPassword", generated(path), [](VexaTool::DeviceModifyResultPage* page) {
        QCOMPARE(page->failureCount(), 1); // the keeper
    }));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString sheet = QString::fromUtf8(file.readAll());
    int taken = 0;
    for (const Device& camera : cameras()) {
        const QString password = camera.value(QStringLiteral("password"));
        if (password.isEmpty() || password == kNewPassword || password == kCameraPassword)
            continue;
        QVERIFY(sheet.contains(camera.value(QStringLiteral("serial")) + QLatin1Char(',')));
        QVERIFY2(sheet.contains(QLatin1Char(',') + password), qPrintable(password + QLatin1Char(' ') + sheet));
        ++taken;
    }
    QCOMPARE(taken, kPlain);
    // Not kept in the run's login, which the keeper still uses; every device still signs in for a time batch.
    QCOMPARE(VEXA::OnvifLogin::instance().password(), kCameraPassword);
    QVERIFY(runBatch(
        "m_btnSetTime", [](QDialog* dialog) { static_cast<aptui::BaseDialog*>(dialog)->onConfirmBtnClicked(); },
        [](VexaTool::DeviceModifyResultPage* page) { QCOMPARE(page->failureCount(), 0); }));
}

QTEST_MAIN(TestSiteDay)
#include "tst_siteday.moc"
