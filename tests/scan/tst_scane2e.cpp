// "Scan addresses…" against the simulator at 127.84.0.x, through the real handler and library: the range field
// has focus when the dialog opens, Return scans, the devices found join the list saying in their tool tips that a
// scan found them, the summary counts the silent addresses of the /28 as "no answer", and the range is remembered.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "scan/ScanRangesDialog.h"
#include "scan/ScanResultModel.h"
#include "scan/ScanRunner.h"
#include "scan/ScanSummaryDialog.h"
#include "support/ListRows.h"
#include "support/LiveListPage.h"
#include "support/SimulatorProcess.h"
#include "vexa.h"

using VexaTool::DeviceDisplayPage;
using VexaTool::DeviceInfoModel;

class TestScanE2e : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void scanFromTheDialog();

private:
    QTemporaryDir m_dir;
    testsupport::SimulatorProcess m_simulator;
    DeviceDisplayPage* m_page = nullptr;
};

void TestScanE2e::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    QVERIFY(!qEnvironmentVariable("VEXA_WSD_PORT").isEmpty());
    QVERIFY(testsupport::prepareLiveList());
}

void TestScanE2e::cleanupTestCase() {
    VEXA::VexaHandler::instance()->stop();
    m_simulator.stop();
    delete m_page;
}

void TestScanE2e::scanFromTheDialog() {
    m_page = new DeviceDisplayPage(nullptr, m_dir.filePath(QStringLiteral("ColumnConfig.xml")));
    m_page->setEventSlice(0);
    QVERIFY(testsupport::startDiscoveryInto(m_page));
    // Loopback carries multicast, a router does not: the devices start once the discovery rounds of the start
    // have ended (ours at most 12 inquiries 300 ms apart, ONVIF 8 probes 600 ms apart), and announce nothing, so
    // that only the scan can find them.
    QTest::qWait(6000);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VEXA_SIM_ANNOUNCE_MS"), QStringLiteral("600000"));
    m_simulator.process().setProcessEnvironment(environment);
    // Three of ours at .1-.3, two ONVIF devices at .5-.6.
    QVERIFY(m_simulator.start(
        {QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--bind-base"), QStringLiteral("127.84.0.1"),
         QStringLiteral("--onvif"), QStringLiteral("2"), QStringLiteral("--onvif-base"), QStringLiteral("127.84.0.5"),
         QStringLiteral("--wsd-port"), qEnvironmentVariable("VEXA_WSD_PORT"), QStringLiteral("--no-boot-announce")}));
    QTest::qWait(500);
    QCOMPARE(m_page->model()->rowCount(), 0);

    VexaTool::ScanRangesDialog dialog(nullptr, m_dir.filePath(QStringLiteral("recent.txt")));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.rangesEdit());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("127.84.0.0/28"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.summary() != nullptr, 30000);
    VexaTool::ScanSummaryDialog* summary = dialog.summary();
    QCOMPARE(summary->countText(VEXA_SCAN_FOUND), QStringLiteral("5"));
    // The simulator listens on every loopback address: the other nine take the probes and stay silent.
    QCOMPARE(summary->countText(VEXA_SCAN_NO_ANSWER), QStringLiteral("9"));
    QCOMPARE(summary->model()->rowCount(), 14);
    QCOMPARE(dialog.recentList()->count(), 1);
    QCOMPARE(dialog.recentList()->item(0)->text(), QStringLiteral("127.84.0.0/28"));

    const DeviceInfoModel* model = m_page->model();
    const int addressColumn = model->columnOf(DeviceInfoModel::KindIpv4Address);
    // The devices found are listed, and each says in every cell's tool tip that the scan found it.
    for (const int host : {5, 6}) {
        const QString address = QStringLiteral("127.84.0.%1").arg(host);
        QTRY_VERIFY2_WITH_TIMEOUT(testsupport::rowShowing(*model, addressColumn, address) >= 0, qPrintable(address),
                                  15000);
    }
    // Ours arrive at once too: nothing else may ever reach the library's socket behind a router.
    QTRY_VERIFY_WITH_TIMEOUT(testsupport::rowShowing(*model, addressColumn, QStringLiteral("127.84.0.1")) >= 0, 3000);
    for (int row = 0; row < model->rowCount(); ++row) {
        for (const int kind :
             {DeviceInfoModel::KindId, DeviceInfoModel::KindIpv4Address, DeviceInfoModel::KindSerialNumber}) {
            const QString tip = model->index(row, model->columnOf(kind)).data(Qt::ToolTipRole).toString();
            QVERIFY2(tip.contains(QStringLiteral("Found by scanning addresses")), qPrintable(tip));
        }
    }

    // Stop right after Scan, before the library has begun: the scan still ends at once, and says so.
    dialog.findChild<QSpinBox*>(QStringLiteral("m_spinRate"))->setValue(10);
    dialog.rangesEdit()->setText(QStringLiteral("127.84.1.0/24"));
    const QPointer<VexaTool::ScanSummaryDialog> first = summary;
    dialog.scanButton()->click();
    dialog.stopButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.summary() && dialog.summary() != first, 5000);
    QVERIFY(dialog.summary()
                ->findChild<QLabel*>(QStringLiteral("m_labelNote"))
                ->text()
                .startsWith(QStringLiteral("Stopped:")));
    QVERIFY(dialog.runner()->done() < dialog.runner()->total() || dialog.runner()->total() == 0);
}

QTEST_MAIN(TestScanE2e)
#include "tst_scane2e.moc"
