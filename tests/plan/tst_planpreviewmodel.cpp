// The plan preview: each refused value marked in its own cell, the row's faults in the check column, and the
// page's apply button only for a plan without marks.

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "plan/PlanDevices.h"
#include "plan/PlanPreviewModel.h"
#include "plan/PlanPreviewPage.h"
#include "support/PlanTestDevices.h"

using namespace VexaTool;
using plan::DeploymentPlan;

namespace {

using testsupport::planDevice;

const std::vector<plan::PlanDevice> kDevices = {planDevice("VX100", "02-56-01-00-00-01", "127.17.0.1"),
                                                planDevice("VX101", "02-56-01-00-00-02", "127.17.0.2"),
                                                planDevice("VX102", "02-56-01-00-00-03", "127.17.0.3")};

DeploymentPlan parse(const char* text) {
    return DeploymentPlan::parse(text);
}

const char* const kMarked = "Serial Number,MAC,IP,Mask,Gateway,Name,Port\n"
                            "VX100,,127.17.1.1,255.255.255.0,0.0.0.0,Gate,\n"
                            ",02-56-01-00-00-02,127.17.1.1,255.255.255.0,0.0.0.0,Hall,1999\n"
                            "VX999,,127.17.1.3,255.255.255.255,0.0.0.0,Yard,\n";
const char* const kClean = "Serial Number,IP,Mask,Gateway,Name\n"
                           "VX100,127.017.1.1,255.255.255.0,0.0.0.0,Gate\n"
                           "VX101,127.17.1.2,255.255.255.0,0.0.0.0,Hall\n";

} // namespace

class TestPlanPreviewModel : public QObject {
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void replacingThePlan();
    void pageApplyOnlyWithoutMarks();
    void passwordOnlyForOurDevices_data();
    void passwordOnlyForOurDevices();
    void pagePasswordWithinTheDeviceBytes_data();
    void pagePasswordWithinTheDeviceBytes();
    void pageShowsMarkedRowsOnly();
    void pageReportsAnUnreadableFile();
    void selectionForTheBatch();
};

void TestPlanPreviewModel::cells_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QString>("tip");
    using M = PlanPreviewModel;
    QTest::newRow("device found: current address shown")
        << 0 << int(M::ColumnCurrentAddress) << "127.17.0.1" << false << "";
    QTest::newRow("MAC from the device when the row names only the serial")
        << 0 << int(M::ColumnMac) << "02-56-01-00-00-01" << false << "";
    QTest::newRow("serial from the device when the row names only the MAC")
        << 1 << int(M::ColumnSerial) << "VX101" << false << "";
    QTest::newRow("address twice: marked in both rows")
        << 1 << int(M::ColumnNewAddress) << "127.17.1.1" << true << "The address is planned twice (also in line 2).";
    QTest::newRow("port refused") << 1 << int(M::ColumnPort) << "1999" << true
                                  << "Device port ranges from 2000 to 65535.";
    QTest::newRow("no such device: serial marked, no current address")
        << 2 << int(M::ColumnSerial) << "VX999" << true << "No listed device has this serial number or MAC address.";
    QTest::newRow("mask refused") << 2 << int(M::ColumnMask) << "255.255.255.255" << true << "Subnet Mask not correct.";
    QTest::newRow("unmarked cell of a marked row") << 2 << int(M::ColumnName) << "Yard" << false << "";
    QTest::newRow("check column lists every fault")
        << 2 << int(M::ColumnCheck)
        << "No listed device has this serial number or MAC address.; Subnet Mask not correct." << true
        << "No listed device has this serial number or MAC address.\nSubnet Mask not correct.";
}

void TestPlanPreviewModel::cells() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, marked);
    QFETCH(QString, tip);
    PlanPreviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const DeploymentPlan plan = parse(kMarked);
    model.setPlan(plan, plan::validatePlan(plan, kDevices), kDevices);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.markedRowCount(), 3);
    QVERIFY(!model.isReady());
    const QModelIndex index = model.index(row, column);
    QCOMPARE(index.data().toString(), text);
    QCOMPARE(index.data(PlanPreviewModel::CellMarkedRole).toBool(), marked);
    QCOMPARE(index.data(Qt::ToolTipRole).toString(), tip);
    QVERIFY(index.data(PlanPreviewModel::RowMarkedRole).toBool());
}

void TestPlanPreviewModel::replacingThePlan() {
    PlanPreviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const DeploymentPlan marked = parse(kMarked);
    model.setPlan(marked, plan::validatePlan(marked, kDevices), kDevices);
    const DeploymentPlan clean = parse(kClean);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setPlan(clean, plan::validatePlan(clean, kDevices), kDevices);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.markedRowCount(), 0);
    QVERIFY(model.isReady());
    // The address that will be sent, written plainly.
    QCOMPARE(model.index(0, PlanPreviewModel::ColumnNewAddress).data().toString(), QStringLiteral("127.17.1.1"));
    QCOMPARE(model.index(1, PlanPreviewModel::ColumnCheck).data().toString(), QStringLiteral("Ready"));
    QCOMPARE(model.headerData(PlanPreviewModel::ColumnNewAddress, Qt::Horizontal).toString(),
             QStringLiteral("New Address"));
    model.setPlan(DeploymentPlan::parse({}), plan::PlanCheck(), kDevices);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.isReady());
}

void TestPlanPreviewModel::pageApplyOnlyWithoutMarks() {
    PlanPreviewPage page;
    auto* apply = page.findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"));
    auto* cancel = page.findChild<QPushButton*>(QStringLiteral("m_btnCancelPlan"));
    QVERIFY(apply && cancel);
    QVERIFY(!apply->isEnabled());
    QSignalSpy applied(&page, &PlanPreviewPage::signalApplyPlan);
    QSignalSpy cancelled(&page, &PlanPreviewPage::signalCancelPlan);

    const DeploymentPlan marked = parse(kMarked);
    page.setPlan(QStringLiteral("/site/plan.csv"), marked, plan::validatePlan(marked, kDevices), kDevices);
    page.findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->setText(QStringLiteral("Abc12345"));
    QVERIFY(!apply->isEnabled());
    QCOMPARE(page.summaryText(), QStringLiteral("3 rows, 3 marked. Correct the marked rows in the file and open it "
                                                "again; nothing has been sent."));
    apply->click();
    QCOMPARE(applied.count(), 0);
    page.findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->clear();

    const DeploymentPlan clean = parse(kClean);
    page.setPlan(QStringLiteral("/site/plan.csv"), clean, plan::validatePlan(clean, kDevices), kDevices);
    // A clean plan still waits for the administrator password.
    auto* password = page.findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"));
    QVERIFY(password && password->isEnabled());
    QVERIFY(!apply->isEnabled());
    password->setText(QStringLiteral("Abc12345"));
    QVERIFY(apply->isEnabled());
    QCOMPARE(page.adminPassword(), QStringLiteral("Abc12345"));
    QCOMPARE(page.summaryText(), QStringLiteral("2 rows, all ready. Nothing has been sent yet."));
    apply->click();
    cancel->click();
    QCOMPARE(applied.count(), 1);
    QCOMPARE(cancelled.count(), 1);
}

void TestPlanPreviewModel::passwordOnlyForOurDevices_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<bool>("needsPassword");
    QTest::newRow("ONVIF cameras only: the sign-in's login, no admin password")
        << "Serial Number,IP,Mask,Gateway,Name\nCAM1,127.17.1.1,255.255.255.0,0.0.0.0,Gate\n"
        << false;
    QTest::newRow("ours only") << "Serial Number,IP,Mask,Gateway,Name\nVX100,127.17.1.1,255.255.255.0,0.0.0.0,Gate\n"
                               << true;
    QTest::newRow("both protocols") << "Serial Number,IP,Mask,Gateway,Name\n"
                                       "CAM1,127.17.1.1,255.255.255.0,0.0.0.0,Gate\n"
                                       "VX100,127.17.1.2,255.255.255.0,0.0.0.0,Hall\n"
                                    << true;
}

// A plan that changes ONVIF cameras only is applied without the admin password, which only our devices take;
// one our device is in still waits for it.
void TestPlanPreviewModel::passwordOnlyForOurDevices() {
    QFETCH(QString, rows);
    QFETCH(bool, needsPassword);
    std::vector<plan::PlanDevice> devices = kDevices;
    plan::PlanDevice camera = planDevice("CAM1", "02-56-01-00-00-09", "127.17.0.9");
    camera.capabilities = VEXA_SIGNS_IN_AS_USER;
    camera.port = 80;
    devices.push_back(camera);
    PlanPreviewPage page;
    auto* apply = page.findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"));
    auto* password = page.findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"));
    const DeploymentPlan plan = parse(rows.toUtf8().constData());
    const plan::PlanCheck check = plan::validatePlan(plan, devices);
    QVERIFY(check.ok());
    page.setPlan(QStringLiteral("/site/plan.csv"), plan, check, devices);
    QCOMPARE(page.needsPassword(), needsPassword);
    QCOMPARE(password->isEnabled(), needsPassword);
    QCOMPARE(apply->isEnabled(), !needsPassword);
    password->setText(QStringLiteral("Abc12345"));
    QVERIFY(apply->isEnabled());
}

void TestPlanPreviewModel::pagePasswordWithinTheDeviceBytes_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("16 ASCII") << QString(16, u'a') << true;
    QTest::newRow("17 ASCII") << QString(17, u'a') << false;
    QTest::newRow("8 accented letters are 16 bytes") << QString(8, QChar(0xE4)) << true;
    QTest::newRow("9 accented letters are 18 bytes") << QString(9, QChar(0xE4)) << false;
    QTest::newRow("6 Chinese characters are 18 bytes") << QString(6, QChar(0x5BC6)) << false;
}

// Devices keep 16 bytes of UTF-8; a longer password is refused before it is sent, never cut.
void TestPlanPreviewModel::pagePasswordWithinTheDeviceBytes() {
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    PlanPreviewPage page;
    const DeploymentPlan clean = parse(kClean);
    page.setPlan(QStringLiteral("/site/plan.csv"), clean, plan::validatePlan(clean, kDevices), kDevices);
    page.findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->setText(password);
    QCOMPARE(page.applyEnabled(), accepted);
    const QString summary = page.findChild<QLabel*>(QStringLiteral("m_labelPlanSummary"))->text();
    QCOMPARE(summary.startsWith(QStringLiteral("The password is too long")), !accepted);
    if (accepted)
        QCOMPARE(page.adminPassword(), password);
}

void TestPlanPreviewModel::pageShowsMarkedRowsOnly() {
    PlanPreviewPage page;
    const DeploymentPlan mixed = parse("Serial Number,IP,Mask,Gateway,Name\n"
                                       "VX100,127.17.1.1,255.255.255.0,0.0.0.0,Gate\n"
                                       "VX999,127.17.1.2,255.255.255.0,0.0.0.0,Hall\n"
                                       "VX102,127.17.1.3,255.255.255.0,0.0.0.0,Yard\n");
    page.setPlan(QStringLiteral("plan.csv"), mixed, plan::validatePlan(mixed, kDevices), kDevices);
    auto* view = page.findChild<QTableView*>(QStringLiteral("m_tableViewPlan"));
    auto* onlyMarked = page.findChild<QCheckBox*>(QStringLiteral("m_checkBoxOnlyMarked"));
    QVERIFY(view && onlyMarked);
    QAbstractItemModelTester tester(view->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(view->model()->rowCount(), 3);
    onlyMarked->setChecked(true);
    QCOMPARE(view->model()->rowCount(), 1);
    QCOMPARE(view->model()->index(0, PlanPreviewModel::ColumnLine).data().toString(), QStringLiteral("3"));
    onlyMarked->setChecked(false);
    QCOMPARE(view->model()->rowCount(), 3);
}

void TestPlanPreviewModel::pageReportsAnUnreadableFile() {
    PlanPreviewPage page;
    const DeploymentPlan broken = parse("Serial Number,IP,Mask,Name\nVX100,127.17.1.1,255.255.255.0,Gate\n");
    page.setPlan(QStringLiteral("plan.csv"), broken, plan::validatePlan(broken, kDevices), kDevices);
    auto* error = page.findChild<QLabel*>(QStringLiteral("m_labelPlanFileError"));
    QVERIFY(error);
    QCOMPARE(error->text(), QStringLiteral("The plan has no column \"Gateway\"."));
    QVERIFY(!error->isHidden());
    QVERIFY(!page.findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"))->isEnabled());
    QCOMPARE(page.summaryText(), QStringLiteral("The plan cannot be read; nothing has been sent."));
}

void TestPlanPreviewModel::selectionForTheBatch() {
    QVector<VEXA_DEVICE_MY_INFO> records(2);
    std::memcpy(records[0].serialNo, "VX100", 5);
    std::memcpy(records[0].mac, "02-56-01-00-00-01", 17);
    std::memcpy(records[0].ipv4Address, "127.17.0.1", 10);
    std::memcpy(records[0].deviceTypeName, "IPC-D200", 8);
    std::memcpy(records[1].serialNo, "VX101", 5);
    std::memcpy(records[1].mac, "02-56-01-00-00-02", 17);
    const DeploymentPlan clean = parse("Serial Number,IP,Mask,Gateway,Name\n\n"
                                       "VX101,127.17.1.2,255.255.255.0,0.0.0.0,Hall\n"
                                       "VX100,127.17.1.1,255.255.255.0,0.0.0.0,Gate\n");
    const auto check = checkPlan(clean, records);
    QVERIFY(check.ok());
    const QVector<DeviceInfo> entries = planSelection(clean, check, records);
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].serialNo, QStringLiteral("VX101"));
    QCOMPARE(entries[0].index, QStringLiteral("3"));
    QCOMPARE(entries[1].deviceType, QStringLiteral("IPC-D200"));
    QCOMPARE(entries[1].ipv4Address, QStringLiteral("127.17.0.1"));
    QVERIFY(entries[1].result.isEmpty());
    const DeploymentPlan twice = parse("Serial Number,IP,Mask,Gateway,Name\n"
                                       "VX100,127.17.1.2,255.255.255.0,0.0.0.0,Hall\n"
                                       "VX100,127.17.1.1,255.255.255.0,0.0.0.0,Gate\n");
    QVERIFY(planSelection(twice, checkPlan(twice, records), records).isEmpty());
}

QTEST_MAIN(TestPlanPreviewModel)
#include "tst_planpreviewmodel.moc"
