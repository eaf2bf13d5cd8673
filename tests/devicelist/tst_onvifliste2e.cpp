// The list against a simulated mixed fleet on loopback, through the real handler and library: ONVIF devices are
// listed from what discovery tells before any sign-in, a refused sign-in is marked on each of them, the right one
// fills their rows in place, and a device that answers on both protocols ends as one row, ours.

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "support/ListRows.h"
#include "support/LiveListPage.h"
#include "support/SimulatorProcess.h"
#include "vexa.h"

using VexaTool::DeviceDisplayPage;
using VexaTool::DeviceInfoModel;

class TestOnvifListE2e : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void mixedFleetBeforeAndAfterSignIn();

private:
    int onvifRows(int role, const QVariant& value) const;

    QTemporaryDir m_dir;
    testsupport::SimulatorProcess m_simulator;
    DeviceDisplayPage* m_page = nullptr;
};

void TestOnvifListE2e::initTestCase() {
    QCOMPARE(qEnvironmentVariable("VEXA_IFACE"), QStringLiteral("127.0.0.1"));
    QVERIFY(!qEnvironmentVariable("VEXA_WSD_PORT").isEmpty());
    QVERIFY(testsupport::prepareLiveList());
}

void TestOnvifListE2e::cleanupTestCase() {
    VEXA::VexaHandler::instance()->stop();
    m_simulator.stop();
    delete m_page;
}

int TestOnvifListE2e::onvifRows(int role, const QVariant& value) const {
    const DeviceInfoModel* model = m_page->model();
    return testsupport::countRows(*model, model->columnOf(DeviceInfoModel::KindId), [&](const QModelIndex& id) {
        return id.data(DeviceInfoModel::ProtocolRole).toInt() == VEXA_PROTOCOL_ONVIF && id.data(role) == value;
    });
}

void TestOnvifListE2e::mixedFleetBeforeAndAfterSignIn() {
    // Three of ours and four ONVIF devices that tell nothing without a login; the first ONVIF device is also our
    // first one.
    QVERIFY(m_simulator.start({QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--onvif"),
                               QStringLiteral("4"), QStringLiteral("--onvif-twins"), QStringLiteral("1"),
                               QStringLiteral("--onvif-base"), QStringLiteral("127.68.0.1"),
                               QStringLiteral("--wsd-port"), qEnvironmentVariable("VEXA_WSD_PORT"),
                               QStringLiteral("--onvif-quirks"), QStringLiteral("no-anonymous"),
                               QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state.txt"))}));
    m_page = new DeviceDisplayPage(nullptr, m_dir.filePath(QStringLiteral("ColumnConfig.xml")));
    QVERIFY(testsupport::startDiscoveryInto(m_page));

    const DeviceInfoModel* model = m_page->model();
    // Until it tells its serial number and MAC, the twin's ONVIF side is a row of its own. (Of ours, the program
    // lists those of its OEM: the first always is one.)
    QTRY_COMPARE_WITH_TIMEOUT(onvifRows(DeviceInfoModel::DetailsStateRole, VEXA_DETAILS_NEED_LOGIN), 4, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(model->rowCount() > 4, 15000);
    QTest::qWait(2500); // the rest of the inquiry round
    const int ours = model->rowCount() - 4;
    QCOMPARE(m_page->countLabel()->text(), QString::number(ours + 4));
    for (int n = 1; n <= 4; ++n) {
        // Found by the address discovery gave; no serial number or MAC yet.
        const int row = testsupport::rowShowing(*model, model->columnOf(DeviceInfoModel::KindIpv4Address),
                                                QStringLiteral("127.68.0.%1").arg(n));
        QVERIFY2(row >= 0, qPrintable(QString::number(n)));
        QCOMPARE(model->index(row, model->columnOf(DeviceInfoModel::KindSerialNumber)).data().toString(),
                 QStringLiteral("N/A"));
        QCOMPARE(model->keyOf(row).mac, QString());
        QCOMPARE(model->index(row, model->columnOf(DeviceInfoModel::KindActivationState)).data().toString(),
                 QStringLiteral("Sign-in needed"));
    }
    m_page->filterEdit()->setText(QStringLiteral("onvif"));
    QCOMPARE(m_page->filterModel()->rowCount(), 4);
    m_page->filterEdit()->clear();

    // A wrong password: every ONVIF row says the device refused it, in the device's words.
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), QStringLiteral("Wrong-Pass1"),
                                        m_page->listedOnvifDevices(), false);
    QTRY_COMPARE_WITH_TIMEOUT(onvifRows(DeviceInfoModel::SignInRefusedRole, true), 4, 15000);
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex id = model->index(row, model->columnOf(DeviceInfoModel::KindId));
        if (id.data(DeviceInfoModel::SignInRefusedRole).toBool())
            QVERIFY(id.data(Qt::ToolTipRole).toString().contains(QStringLiteral("Sign-in refused")));
    }

    // The right one: the same rows fill in, keyed anew by serial number and MAC; nothing duplicated or lost, and
    // the twin's ONVIF row gives way to ours, which says it also answers as an ONVIF device.
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), QStringLiteral("Camera-2024"),
                                        m_page->listedOnvifDevices(), false);
    QTRY_COMPARE_WITH_TIMEOUT(onvifRows(DeviceInfoModel::DetailsStateRole, VEXA_DETAILS_READ), 3, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), ours + 3, 15000);
    QCOMPARE(m_page->countLabel()->text(), QString::number(ours + 3));
    QCOMPARE(VEXA::DeviceStore::instance()->count(), ours + 3);
    QCOMPARE(
        testsupport::countRows(*model, model->columnOf(DeviceInfoModel::KindId),
                               [](const QModelIndex& id) { return id.data(DeviceInfoModel::AlsoOnvifRole).toBool(); }),
        1);
    m_page->filterEdit()->setText(QStringLiteral("onvif"));
    QCOMPARE(m_page->filterModel()->rowCount(), 4);
    m_page->filterEdit()->clear();
    QCOMPARE(onvifRows(DeviceInfoModel::SignInRefusedRole, true), 0);
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex id = model->index(row, model->columnOf(DeviceInfoModel::KindId));
        if (id.data(DeviceInfoModel::ProtocolRole).toInt() != VEXA_PROTOCOL_ONVIF)
            continue;
        const DeviceKey key = model->keyOf(row);
        QVERIFY(!key.mac.isEmpty());
        QCOMPARE(model->index(row, model->columnOf(DeviceInfoModel::KindSerialNumber)).data().toString(), key.serialNo);
        QVERIFY(model->index(row, model->columnOf(DeviceInfoModel::KindDeviceType)).data().toString() !=
                QStringLiteral("N/A"));
        VEXA_DEVICE_MY_INFO stored;
        QVERIFY(VEXA::DeviceStore::instance()->get(key, stored));
        QCOMPARE(stored.detailsState, uint8_t(VEXA_DETAILS_READ));
    }
    VEXA::OnvifLogin::instance().clear();
}

QTEST_MAIN(TestOnvifListE2e)
#include "tst_onvifliste2e.moc"
