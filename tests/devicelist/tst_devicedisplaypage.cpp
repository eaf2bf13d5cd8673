#include <cstdio>
#include <cstring>
#include <memory>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "TestRecords.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "devicelist/DeviceListHeader.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "fleet/DeviceFleet.h"
#include "guitoolkit/CTableView.h"
#include "plan/PlanBatch.h"
#include "plan/PlanPreviewModel.h"
#include "plan/PlanPreviewPage.h"
#include "support/FakeLibrary.h"
#include "support/ListRows.h"

using namespace Qt::StringLiterals;
using testrecords::device;
using testrecords::onvifDevice;
using VexaTool::DeviceDisplayPage;
using VexaTool::DeviceInfoModel;

class TestDeviceDisplayPage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sameMacListedOnce_data();
    void sameMacListedOnce();
    void tickingReportsKindAndEntriesInRowOrder();
    void sortReportsTheTickedSetInItsNewOrder();
    void selectionAlwaysFollowsTheTickedRows_data();
    void selectionAlwaysFollowsTheTickedRows();
    void tickedDeviceGoingOfflineShrinksTheSet();
    void tickedDeviceRestartingAfterAChangeKeepsItsRow();
    void activationResultsSwitchTheKind();
    void refreshEmptiesEverythingAndAsksAgain();
    void webAddress_data();
    void webAddress();
    void conflictMarksFollowArrivalsAndDepartures();
    void headerMovesOntoFirstColumnsSnapBack();
    void burstIsWorkedThroughInOrder();
    void headerClickSortsOnce();
    void pointingHandOverAddresses();
    void filterFollowsArrivalsDeparturesAndChanges();
    void tickedSetFollowsWhatIsShown();
    void sortingWhileFilteredKeepsAddressOrder();
    void planIsCheckedAgainOnApply();
    void deviceOnBothProtocolsIsOneRow_data();
    void deviceOnBothProtocolsIsOneRow();
    void tickedOnvifDeviceKeepsItsPlaceWhenItsKeyChanges();
    void refusedSignInShowsTheDevicesWords();
    void signInButtonAsksForTheLogin();
    void tickAllBoxActsOnTheListedRows_data();
    void tickAllBoxActsOnTheListedRows();
    void devicesHiddenByMakerAreCounted();
    void defaultColumnsFitTheirHeaders();

private:
    void tick(int row, bool on);
    ModifyPage lastKind() const { return m_spy->last().at(0).value<ModifyPage>(); }
    QVector<DeviceInfo> lastEntries() const { return m_spy->last().at(1).value<QVector<DeviceInfo>>(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DeviceDisplayPage> m_page;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<QSignalSpy> m_spy;
};

void TestDeviceDisplayPage::initTestCase() {
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<DeviceInfo>("DeviceInfo");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    fakelib::install();
    fakelib::refusals.insert("urn:uuid:r1", "Sender not authorized");
}

void TestDeviceDisplayPage::init() {
    VEXA::DeviceStore::instance()->clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_page = std::make_unique<DeviceDisplayPage>(nullptr, m_dir->filePath(QStringLiteral("ColumnConfig.xml")));
    m_page->resize(900, 500);
    m_page->setEventSlice(0); // every report at once; burstIsWorkedThroughInOrder covers the slices
    m_tester = std::make_unique<QAbstractItemModelTester>(m_page->model(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_spy = std::make_unique<QSignalSpy>(m_page.get(), &DeviceDisplayPage::signalCurrentSelectionModelChange);
}

void TestDeviceDisplayPage::cleanup() {
    m_spy.reset();
    m_tester.reset();
    m_page.reset();
    m_dir.reset();
}

void TestDeviceDisplayPage::tick(int row, bool on) {
    DeviceInfoModel* model = m_page->model();
    model->item(row, model->columnOf(DeviceInfoModel::KindCheck))->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TestDeviceDisplayPage::sameMacListedOnce_data() {
    QTest::addColumn<QByteArray>("secondSerial");
    QTest::addColumn<QByteArray>("secondAddress");
    QTest::newRow("same device twice") << QByteArray("SA") << QByteArray("192.168.1.2");
    QTest::newRow("new serial, listed MAC") << QByteArray("SZ") << QByteArray("192.168.1.9");
}

void TestDeviceDisplayPage::sameMacListedOnce() {
    QFETCH(QByteArray, secondSerial);
    QFETCH(QByteArray, secondAddress);
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_page->onDeviceLogin(device(secondSerial, "02-00-00-00-00-01", secondAddress));
    QCOMPARE(m_page->model()->rowCount(), 1);
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 1);
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("1"));

    // The store emptied behind the page's back: the device is listed again when it reports.
    VEXA::DeviceStore::instance()->clear();
    m_page->model()->removeRows(0, m_page->model()->rowCount());
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    QCOMPARE(m_page->model()->rowCount(), 1);
    m_page->onDeviceLogin(device(secondSerial, "02-00-00-00-00-01", secondAddress));
    QCOMPARE(m_page->model()->rowCount(), 1);

    // Once it is gone, the MAC may come again.
    m_page->onDeviceLogout(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("0"));
    m_page->onDeviceLogin(device(secondSerial, "02-00-00-00-00-01", secondAddress));
    QCOMPARE(m_page->model()->rowCount(), 1);
}

// The batch takes its addresses in the order the table shows: a sort after ticking must reach the modify page.
void TestDeviceDisplayPage::sortReportsTheTickedSetInItsNewOrder() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.9"));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "192.168.1.5"));
    for (int row = 0; row < 3; ++row)
        tick(row, true);
    QCOMPARE(lastKind(), MODIFY_BATCH);
    const auto serials = [this] {
        QStringList list;
        for (const DeviceInfo& entry : lastEntries())
            list << entry.serialNo;
        return list;
    };
    QCOMPARE(serials(), (QStringList{u"SA"_s, u"SB"_s, u"SC"_s}));
    DeviceInfoModel* model = m_page->model();
    m_page->filterModel()->sort(model->columnOf(DeviceInfoModel::KindIpv4Address), Qt::AscendingOrder);
    QCOMPARE(serials(), (QStringList{u"SB"_s, u"SC"_s, u"SA"_s}));
    m_page->filterModel()->sort(model->columnOf(DeviceInfoModel::KindIpv4Address), Qt::DescendingOrder);
    QCOMPARE(serials(), (QStringList{u"SA"_s, u"SC"_s, u"SB"_s}));
}

void TestDeviceDisplayPage::selectionAlwaysFollowsTheTickedRows_data() {
    QTest::addColumn<int>("remainingState");
    QTest::addColumn<int>("kind");
    QTest::newRow("activated") << 0 << int(MODIFY_SINGLE);
    QTest::newRow("not activated") << 1 << int(ACTIVE_SINGLE);
    // No operation is known for it, but the page must not go on acting on the batch unticked before.
    QTest::newRow("state unknown to the page") << 2 << int(ACTIVE_MIXED);
}

void TestDeviceDisplayPage::selectionAlwaysFollowsTheTickedRows() {
    QFETCH(int, remainingState);
    QFETCH(int, kind);
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2", 0));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3", 0));
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "192.168.1.4", static_cast<uint8_t>(remainingState)));
    for (int row = 0; row < 3; ++row)
        tick(row, true);
    tick(0, false);
    tick(1, false);
    QCOMPARE(int(lastKind()), kind);
    QCOMPARE(lastEntries().size(), 1);
    QCOMPARE(lastEntries().first().serialNo, u"SC"_s);
}

void TestDeviceDisplayPage::tickingReportsKindAndEntriesInRowOrder() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2", 0));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3", 1));
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "192.168.1.4", 0));
    QVERIFY(!m_page->exportButton()->isEnabled());

    tick(0, true);
    QCOMPARE(lastKind(), MODIFY_SINGLE);
    const DeviceInfo a{QStringLiteral("001"), QStringLiteral("VX-IPC-B120"),       QStringLiteral("192.168.1.2"),
                       QStringLiteral("SA"),  QStringLiteral("02-00-00-00-00-01"), QStringLiteral("0")};
    QCOMPARE(lastEntries(), QVector<DeviceInfo>{a});
    QVERIFY(m_page->exportButton()->isEnabled());

    tick(2, true);
    QCOMPARE(lastKind(), MODIFY_BATCH);
    tick(1, true);
    QCOMPARE(lastKind(), ACTIVE_MIXED);
    QStringList serials;
    for (const DeviceInfo& entry : lastEntries())
        serials << entry.serialNo;
    QCOMPARE(serials, (QStringList{QStringLiteral("SA"), QStringLiteral("SB"), QStringLiteral("SC")}));

    tick(0, false);
    tick(2, false);
    QCOMPARE(lastKind(), ACTIVE_SINGLE);
    QCOMPARE(lastEntries().first().serialNo, QStringLiteral("SB"));

    const int reports = static_cast<int>(m_spy->count());
    tick(1, false);
    QCOMPARE(m_spy->count(), reports + 1);
    QCOMPARE(lastKind(), MODIFY_SINGLE);
    QVERIFY(lastEntries().isEmpty());
    QVERIFY(!m_page->exportButton()->isEnabled());
}

void TestDeviceDisplayPage::tickedDeviceGoingOfflineShrinksTheSet() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2", 1));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3", 1));
    tick(0, true);
    tick(1, true);
    QCOMPARE(lastKind(), ACTIVE_BATCH);
    m_spy->clear();
    m_page->onDeviceLogout(device("SA", "02-00-00-00-00-01", "192.168.1.2", 1));
    QCOMPARE(m_spy->count(), 1);
    QCOMPARE(lastKind(), ACTIVE_SINGLE);
    QCOMPARE(lastEntries().size(), 1);
    QCOMPARE(lastEntries().first().serialNo, QStringLiteral("SB"));
    QCOMPARE(lastEntries().first().index, QStringLiteral("001"));
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("1"));
}

void TestDeviceDisplayPage::tickedDeviceRestartingAfterAChangeKeepsItsRow() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    tick(0, true);
    tick(1, true);
    DeviceInfoModel* model = m_page->model();
    const DeviceKey key{QStringLiteral("SA"), QStringLiteral("02-00-00-00-00-01")};
    const QModelIndex state = model->index(0, model->columnOf(DeviceInfoModel::KindActivationState));
    m_page->fleet()->changeStarted(key);
    QCOMPARE(state.data().toString(), QStringLiteral("Restarting…"));
    // Gone quiet, then back at its new address: the same row, ID and tick, and the modify page keeps both devices.
    m_page->onDeviceLogout(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.66"));
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->rowOf(key), 0);
    QCOMPARE(model->index(0, model->columnOf(DeviceInfoModel::KindId)).data().toString(), QStringLiteral("001"));
    QCOMPARE(model->checkedRows(), (QList<int>{0, 1}));
    QCOMPARE(lastEntries().size(), 2);
    QCOMPARE(model->index(0, model->columnOf(DeviceInfoModel::KindIpv4Address)).data().toString(),
             QStringLiteral("192.168.1.66"));
    QCOMPARE(state.data().toString(), QStringLiteral("Activated"));
}

void TestDeviceDisplayPage::activationResultsSwitchTheKind() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2", 1));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3", 1));
    tick(0, true);
    tick(1, true);
    QCOMPARE(lastKind(), ACTIVE_BATCH);

    // The modify page marks what it activated in the store and reports; only rows done are rewritten, whatever
    // their words say.
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    QVERIFY(store->setActivationState(QStringLiteral("SA"), QStringLiteral("02-00-00-00-00-01"), 0));
    QVERIFY(store->setActivationState(QStringLiteral("SB"), QStringLiteral("02-00-00-00-00-02"), 0));
    QVector<DeviceInfo> results = lastEntries();
    results[0].result = QStringLiteral("Error2009:device deny");
    results[0].outcome = VexaTool::Outcome::done();
    results[1].result = QStringLiteral("Succeed");
    results[1].outcome = VexaTool::Outcome::ofCode(2009);
    m_page->onDevicesActiveResult(results);
    DeviceInfoModel* model = m_page->model();
    const int state = model->columnOf(DeviceInfoModel::KindActivationState);
    QCOMPARE(model->item(0, state)->text(), QStringLiteral("Activated"));
    QCOMPARE(model->item(1, state)->text(), QStringLiteral("Not activated"));
    // The store says both are activated now, so the ticked pair is a batch to modify.
    QCOMPARE(lastKind(), MODIFY_BATCH);
}

void TestDeviceDisplayPage::refreshEmptiesEverythingAndAsksAgain() {
    m_page->setRefreshDelay(50);
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    tick(1, true);
    const int clearUps = fakelib::snapshot().clearUps;
    const int inquiries = fakelib::snapshot().inquiries;
    m_page->onManualUpdate();
    QCOMPARE(m_page->model()->rowCount(), 0);
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 0);
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("0"));
    QCOMPARE(lastKind(), MODIFY_SINGLE);
    QVERIFY(lastEntries().isEmpty());
    QVERIFY(!m_page->exportButton()->isEnabled());
    QCOMPARE(fakelib::snapshot().clearUps, clearUps + 1);
    QCOMPARE(fakelib::snapshot().inquiries, inquiries); // not before the pause
    QTRY_COMPARE(fakelib::snapshot().inquiries, inquiries + 1);

    // The devices come again as new ones.
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    QCOMPARE(m_page->model()->rowCount(), 1);
    tick(0, true);
    QCOMPARE(lastEntries().size(), 1);
}

void TestDeviceDisplayPage::webAddress_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("httpPort");
    QTest::addColumn<QString>("url");
    QTest::newRow("no http port") << QByteArray("192.168.1.64") << 0 << "http://192.168.1.64:80";
    QTest::newRow("8080") << QByteArray("192.168.1.64") << 8080 << "http://192.168.1.64:8080";
    QTest::newRow("address with a path in it") << QByteArray("1.2.3.4/x@y") << 80 << "";
}

void TestDeviceDisplayPage::webAddress() {
    QFETCH(QByteArray, address);
    QFETCH(int, httpPort);
    QFETCH(QString, url);
    auto r = device("SA", "02-00-00-00-00-01", address);
    r.httpPort = httpPort;
    m_page->onDeviceLogin(r);
    QCOMPARE(m_page->webAddress(0).toString(), url);

    QList<QUrl> opened;
    m_page->setUrlOpener([&opened](const QUrl& u) {
        opened << u;
        return true;
    });
    DeviceInfoModel* model = m_page->model();
    m_page->onDoubleClickAction(model->index(0, model->columnOf(DeviceInfoModel::KindSerialNumber)));
    QVERIFY(opened.isEmpty());
    m_page->onDoubleClickAction(model->index(0, model->columnOf(DeviceInfoModel::KindIpv4Address)));
    QCOMPARE(opened.size(), url.isEmpty() ? 0 : 1);
}

void TestDeviceDisplayPage::conflictMarksFollowArrivalsAndDepartures() {
    m_page->setConflictColor(QColor(0x12, 0x34, 0x56));
    DeviceInfoModel* model = m_page->model();
    const int column = model->columnOf(DeviceInfoModel::KindIpv4Address);
    const auto mark = [model, column](int row) {
        const QVariant colour = model->index(row, column).data(Qt::ForegroundRole);
        return colour.value<QBrush>().color() == QColor(0x66, 0x66, 0x66) ? QVariant() : colour;
    };
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.64"));
    QVERIFY(!mark(0).isValid());
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "192.168.1.64"));
    QCOMPARE(mark(0).value<QBrush>().color(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(mark(1).value<QBrush>().color(), QColor(0x12, 0x34, 0x56));
    m_page->onDeviceLogout(device("SB", "02-00-00-00-00-02", "192.168.1.64"));
    QVERIFY(!mark(0).isValid());
    // A changed address comes through an update report.
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "192.168.1.70"));
    m_page->onDeviceUpdate(device("SC", "02-00-00-00-00-03", "192.168.1.64"));
    QVERIFY(mark(0).isValid());
    QCOMPARE(model->addressUsers(QStringLiteral("192.168.1.64")), 2);
}

void TestDeviceDisplayPage::headerMovesOntoFirstColumnsSnapBack() {
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    QHeaderView* header = m_page->tableView()->header();
    const QString config = m_page->model()->columnConfigPath();

    m_page->onHeaderPress(1);
    QVERIFY(!header->sectionsMovable());
    m_page->onHeaderPress(6);
    QVERIFY(header->sectionsMovable());
    header->moveSection(6, 1);
    QCOMPARE(header->visualIndex(6), 6);
    QCOMPARE(header->visualIndex(1), 1);
    QVERIFY(!QFile::exists(config));

    m_page->onHeaderPress(6);
    header->moveSection(6, 3);
    QVERIFY(QFile::exists(config));
    DeviceInfoModel next(nullptr, config);
    QCOMPARE(next.columnOf(6), 3);
    QCOMPARE(next.columnOf(3), 4);
}

void TestDeviceDisplayPage::burstIsWorkedThroughInOrder() {
    m_tester.reset(); // checking thousands of insertions one by one would be the whole test's time
    m_page->setEventSlice(2);
    const auto nth = [](int i) {
        return device("S" + QByteArray::number(i), "02-00-00-00-" + QByteArray::number(i).rightJustified(5, '0'),
                      "10.0." + QByteArray::number(i / 200) + '.' + QByteArray::number(i % 200 + 1));
    };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 3000; ++i)
        m_page->onDeviceLogin(nth(i));
    for (int i = 0; i < 1000; ++i)
        m_page->onDeviceLogout(nth(i));
    auto moved = nth(2999);
    setRecordText(moved.ipv4Address, "10.0.0.1");
    m_page->onDeviceUpdate(moved);
    // Far more than a millisecond of work: the rest waits for the event loop, in order.
    QVERIFY(clock.elapsed() >= 1);
    QVERIFY(m_page->pendingDeviceEvents() > 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_page->pendingDeviceEvents(), 0, 60000);
    DeviceInfoModel* model = m_page->model();
    QCOMPARE(model->rowCount(), 2000);
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("2000"));
    QCOMPARE(model->item(0, model->columnOf(DeviceInfoModel::KindSerialNumber))->text(), QStringLiteral("S1000"));
    QCOMPARE(model->item(0, model->columnOf(DeviceInfoModel::KindId))->text(), QStringLiteral("001"));
    QCOMPARE(model->addressUsers(QStringLiteral("10.0.0.1")), 1); // S0 left it, S2999 took it
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 2000);

    // A refresh drops what still waits: nothing from before it comes back.
    for (int i = 3000; i < 6000; ++i)
        m_page->onDeviceLogin(nth(i));
    m_page->onManualUpdate();
    QCOMPARE(m_page->pendingDeviceEvents(), 0);
    QTest::qWait(50);
    QCOMPARE(model->rowCount(), 0);
}

void TestDeviceDisplayPage::headerClickSortsOnce() {
    for (const char* address : {"192.168.1.100", "192.168.1.2", "192.168.1.10"})
        m_page->onDeviceLogin(device(address, QByteArray("M-") + address, address));
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    DeviceInfoModel* model = m_page->model();
    QHeaderView* header = m_page->tableView()->header();
    const int column = model->columnOf(DeviceInfoModel::KindIpv4Address);
    QSignalSpy sorts(model, &QAbstractItemModel::layoutChanged);
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(sorts.count(), 1);
    QCOMPARE(model->item(0, column)->text(), QStringLiteral("192.168.1.2"));
    QCOMPARE(model->item(2, column)->text(), QStringLiteral("192.168.1.100"));

    // Asked directly, the page sorts by itself, in the header's order.
    QTest::qWait(10);
    header->setSortIndicator(column, Qt::DescendingOrder);
    QTest::qWait(10);
    sorts.clear();
    m_page->onSortTable(column);
    QCOMPARE(sorts.count(), 1);
    QCOMPARE(model->item(0, column)->text(), QStringLiteral("192.168.1.100"));
}

void TestDeviceDisplayPage::pointingHandOverAddresses() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    OrvisGUIToolkit::CTableView* table = m_page->tableView();
    DeviceInfoModel* model = m_page->model();
    const auto hover = [table, model](int kind) {
        const QRect cell = table->visualRect(table->model()->index(0, model->columnOf(kind)));
        QMouseEvent move(QEvent::MouseMove, QPointF(cell.center()), table->viewport()->mapToGlobal(cell.center()),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table->viewport(), &move);
    };
    hover(DeviceInfoModel::KindIpv4Address);
    QCOMPARE(m_page->cursor().shape(), Qt::PointingHandCursor);
    hover(DeviceInfoModel::KindDeviceType);
    QCOMPARE(m_page->cursor().shape(), Qt::ArrowCursor);
}

namespace {

QStringList shownTexts(const DeviceDisplayPage& page, int kind) {
    return testsupport::columnTexts(*page.tableView()->model(), page.model()->columnOf(kind));
}

QStringList serialsOf(const QVector<DeviceInfo>& entries) {
    QStringList serials;
    for (const DeviceInfo& entry : entries)
        serials << entry.serialNo;
    return serials;
}

} // namespace

void TestDeviceDisplayPage::filterFollowsArrivalsDeparturesAndChanges() {
    QCOMPARE(m_page->tableView()->model(), m_page->filterModel());
    QAbstractItemModelTester shownTester(m_page->filterModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "10.1.0.2"));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "10.2.0.3"));
    m_page->filterEdit()->setText(QStringLiteral(" 10.1. "));
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindSerialNumber), QStringList{QStringLiteral("SA")});
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("1 of 2"));

    // Arrivals: a match shows at once, the rest only counts.
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "10.1.0.9"));
    m_page->onDeviceLogin(device("SD", "02-00-00-00-00-04", "10.3.0.9"));
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindSerialNumber), (QStringList{"SA"_L1, "SC"_L1}));
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("2 of 4"));
    // A device that moves out of the words leaves the view, one that moves in joins it.
    m_page->onDeviceUpdate(device("SA", "02-00-00-00-00-01", "10.9.0.2"));
    m_page->onDeviceUpdate(device("SD", "02-00-00-00-00-04", "10.1.0.44"));
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindSerialNumber), (QStringList{"SC"_L1, "SD"_L1}));
    m_page->onDeviceLogout(device("SC", "02-00-00-00-00-03", "10.1.0.9"));
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindSerialNumber), QStringList{QStringLiteral("SD")});
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("1 of 3"));
    // Words narrow across columns (address and MAC), without case.
    m_page->filterEdit()->setText(QStringLiteral("10.1 00-04"));
    QCOMPARE(m_page->filterModel()->rowCount(), 1);
    m_page->filterEdit()->setText(QStringLiteral("sd 00-01"));
    QCOMPARE(m_page->filterModel()->rowCount(), 0);
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("0 of 3"));

    m_page->filterEdit()->clear();
    QCOMPARE(m_page->filterModel()->rowCount(), 3);
    QCOMPARE(m_page->countLabel()->text(), QStringLiteral("3"));
}

void TestDeviceDisplayPage::tickedSetFollowsWhatIsShown() {
    QAbstractItemModelTester shownTester(m_page->filterModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "10.1.0.2", 0));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "10.2.0.3", 0));
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "10.1.0.4", 0));
    tick(0, true);
    tick(1, true);
    QCOMPARE(serialsOf(lastEntries()), (QStringList{"SA"_L1, "SB"_L1}));

    // Hiding a ticked row takes it out of what the modify page and export receive; it stays ticked.
    m_page->filterEdit()->setText(QStringLiteral("10.1."));
    QCOMPARE(lastKind(), MODIFY_SINGLE);
    QCOMPARE(serialsOf(lastEntries()), QStringList{QStringLiteral("SA")});
    QVERIFY(m_page->exportButton()->isEnabled());
    // Ticking all acts on the shown rows only.
    m_page->filterModel()->setShownCheckState(Qt::Checked);
    QCOMPARE(lastKind(), MODIFY_BATCH);
    QCOMPARE(serialsOf(lastEntries()), (QStringList{"SA"_L1, "SC"_L1}));
    m_page->filterModel()->setShownCheckState(Qt::Unchecked);
    QVERIFY(lastEntries().isEmpty());
    QVERIFY(!m_page->exportButton()->isEnabled());
    // A ticked device whose update moves it out of the filter leaves the selection.
    m_page->filterModel()->setShownCheckState(Qt::Checked);
    m_page->onDeviceUpdate(device("SC", "02-00-00-00-00-03", "10.7.0.4", 0));
    QCOMPARE(serialsOf(lastEntries()), QStringList{QStringLiteral("SA")});
    // And rejoins it, still ticked, when it matches again, even when nothing else shown is ticked.
    tick(0, false);
    QVERIFY(lastEntries().isEmpty());
    m_page->onDeviceUpdate(device("SC", "02-00-00-00-00-03", "10.1.0.4", 0));
    QCOMPARE(serialsOf(lastEntries()), QStringList{QStringLiteral("SC")});
    tick(0, true);

    m_page->filterEdit()->clear();
    QCOMPARE(serialsOf(lastEntries()), (QStringList{"SA"_L1, "SB"_L1, "SC"_L1}));
}

void TestDeviceDisplayPage::sortingWhileFilteredKeepsAddressOrder() {
    for (const char* address : {"192.168.1.100", "192.168.1.2", "192.168.7.5", "192.168.1.10"})
        m_page->onDeviceLogin(device(address, QByteArray("M-") + address, address));
    m_page->filterEdit()->setText(QStringLiteral("192.168.1."));
    DeviceInfoModel* model = m_page->model();
    const int column = model->columnOf(DeviceInfoModel::KindIpv4Address);
    QSignalSpy sorts(model, &QAbstractItemModel::layoutChanged);
    m_page->tableView()->sortByColumn(column, Qt::AscendingOrder);
    // The model itself is sorted, by its address keys, not the shown texts.
    QVERIFY(!sorts.isEmpty());
    QCOMPARE(model->item(0, column)->text(), QStringLiteral("192.168.1.2"));
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindIpv4Address),
             (QStringList{"192.168.1.2"_L1, "192.168.1.10"_L1, "192.168.1.100"_L1}));
    m_page->tableView()->sortByColumn(column, Qt::DescendingOrder);
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindIpv4Address),
             (QStringList{"192.168.1.100"_L1, "192.168.1.10"_L1, "192.168.1.2"_L1}));
    m_page->filterEdit()->clear();
    QCOMPARE(shownTexts(*m_page, DeviceInfoModel::KindIpv4Address).first(), QStringLiteral("192.168.7.5"));
}

void TestDeviceDisplayPage::planIsCheckedAgainOnApply() {
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "10.1.0.2"));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "10.1.0.3"));
    const QString path = m_dir->filePath(QStringLiteral("plan.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Serial Number,IP Address,Subnet Mask,Gateway,Device Name\n"
               "SA,10.1.0.50,255.255.0.0,10.1.0.1,a\nSB,10.1.0.51,255.255.0.0,10.1.0.1,b\n");
    file.close();
    VexaTool::PlanPreviewPage* preview = m_page->openPlan(path);
    QVERIFY(preview);
    QCOMPARE(preview->model()->markedRowCount(), 0);
    preview->findChild<QLineEdit*>(QStringLiteral("m_lineEditPlanPassword"))->setText(QStringLiteral("pw"));
    QVERIFY(preview->applyEnabled());

    // A device that went away while the preview was open: the plan is shown again, marked, and not sent.
    bool sent = false;
    m_page->planBatch()->setSend([&sent](const VexaTool::plan::PlanDevice&, const std::string&, VEXA_NET_PARAM&) {
        sent = true;
        return VexaTool::plan::DeviceReply{};
    });
    m_page->onDeviceLogout(device("SB", "02-00-00-00-00-02", "10.1.0.3"));
    preview->findChild<QPushButton*>(QStringLiteral("m_btnApplyPlan"))->click();
    QVERIFY(!m_page->planBatch()->isRunning());
    QCOMPARE(preview->model()->markedRowCount(), 1);
    QVERIFY(!preview->applyEnabled());
    QTest::qWait(20);
    QVERIFY(!sent);
}

void TestDeviceDisplayPage::deviceOnBothProtocolsIsOneRow_data() {
    QTest::addColumn<QString>("order");
    QTest::newRow("ours first") << QStringLiteral("ours,read");
    QTest::newRow("onvif read first") << QStringLiteral("read,ours");
    QTest::newRow("onvif heard, ours, then its details") << QStringLiteral("pending,ours,read");
}

void TestDeviceDisplayPage::deviceOnBothProtocolsIsOneRow() {
    QFETCH(QString, order);
    // The same device: our protocol writes its MAC in upper case, ONVIF with colons.
    const auto ours = device("VX1", "02-AB-00-00-00-01", "192.168.1.2");
    const auto pending = onvifDevice("urn:uuid:t1", "192.168.1.2", VEXA_DETAILS_PENDING);
    const auto read = onvifDevice("urn:uuid:t1", "192.168.1.2", VEXA_DETAILS_READ, "OC1", "02:ab:00:00:00:01");
    m_page->onDeviceLogin(device("VX2", "02-AB-00-00-00-02", "192.168.1.3"));
    for (const QString& step : order.split(QLatin1Char(','))) {
        if (step == u"ours")
            m_page->onDeviceLogin(ours);
        else if (step == u"pending")
            m_page->onDeviceLogin(pending);
        else if (order.startsWith(u"read")) // heard with its details at once
            m_page->onDeviceLogin(read);
        else
            m_page->onDeviceUpdate(read);
    }
    DeviceInfoModel* model = m_page->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 2);
    QCOMPARE(m_page->countLabel()->text(), u"2"_s);
    const int row = model->rowOf(u"VX1"_s, u"02-AB-00-00-00-01"_s);
    QVERIFY(row >= 0);
    const QModelIndex id = model->index(row, model->columnOf(DeviceInfoModel::KindId));
    QVERIFY(id.data(DeviceInfoModel::AlsoOnvifRole).toBool());
    QCOMPARE(id.data(DeviceInfoModel::ProtocolRole).toInt(), int(VEXA_PROTOCOL_VEXA));
    // Ours wins for the data.
    QCOMPARE(model->index(row, model->columnOf(DeviceInfoModel::KindDeviceType)).data().toString(), u"VX-IPC-B120"_s);
    QCOMPARE(model->rowOfEndpoint(u"urn:uuid:t1"_s), -1);
    m_page->filterEdit()->setText(u"onvif"_s);
    QCOMPARE(m_page->filterModel()->rowCount(), 1);
    m_page->filterEdit()->clear();
    // Its ONVIF side changes: still one row.
    m_page->onDeviceUpdate(read);
    QCOMPARE(model->rowCount(), 2);

    // Ours goes quiet while the ONVIF side still answers: it is listed on its own again.
    m_page->onDeviceLogout(ours);
    QCOMPARE(model->rowCount(), 2);
    QVERIFY(model->rowOfEndpoint(u"urn:uuid:t1"_s) >= 0);
    QCOMPARE(VEXA::DeviceStore::instance()->count(), 2);
    // And back: one row again.
    m_page->onDeviceLogin(ours);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->rowOfEndpoint(u"urn:uuid:t1"_s), -1);
    // The ONVIF side says goodbye: ours stays, unmarked.
    m_page->onDeviceLogout(read);
    QCOMPARE(model->rowCount(), 2);
    QVERIFY(!model->index(model->rowOf(u"VX1"_s, u"02-AB-00-00-00-01"_s), model->columnOf(DeviceInfoModel::KindId))
                 .data(DeviceInfoModel::AlsoOnvifRole)
                 .toBool());
}

void TestDeviceDisplayPage::tickedOnvifDeviceKeepsItsPlaceWhenItsKeyChanges() {
    m_page->onDeviceLogin(device("VX1", "02-AB-00-00-00-01", "192.168.1.2"));
    m_page->onDeviceLogin(onvifDevice("urn:uuid:k1", "192.168.1.70", VEXA_DETAILS_NEED_LOGIN));
    m_page->onDeviceLogin(onvifDevice("urn:uuid:k2", "192.168.1.71", VEXA_DETAILS_NEED_LOGIN));
    QCOMPARE(m_page->model()->rowCount(), 3);
    tick(1, true);
    QCOMPARE(lastEntries().size(), 1);
    QCOMPARE(lastEntries().at(0).serialNo, u"urn:uuid:k1"_s);
    // An ONVIF device is never offered activation.
    QCOMPARE(lastKind(), MODIFY_SINGLE);
    m_page->onDeviceUpdate(onvifDevice("urn:uuid:k1", "192.168.1.70", VEXA_DETAILS_READ, "OC1", "0a:00:00:00:00:01"));
    QCOMPARE(m_page->model()->rowCount(), 3);
    QCOMPARE(m_page->model()->checkedRows(), QList<int>{1});
    QCOMPARE(lastEntries().size(), 1);
    QCOMPARE(lastEntries().at(0).serialNo, u"OC1"_s);
    QCOMPARE(lastEntries().at(0).mac, u"0a:00:00:00:00:01"_s);
    VEXA_DEVICE_MY_INFO stored;
    QVERIFY(VEXA::DeviceStore::instance()->get(DeviceKey{u"OC1"_s, u"0a:00:00:00:00:01"_s}, stored));
    QCOMPARE(stored.detailsState, uint8_t(VEXA_DETAILS_READ));
}

void TestDeviceDisplayPage::refusedSignInShowsTheDevicesWords() {
    m_page->onDeviceLogin(onvifDevice("urn:uuid:r1", "192.168.1.70", VEXA_DETAILS_PENDING));
    VEXA::OnvifLogin::instance().assign(u"admin"_s, u"Wrong-Pass1"_s, m_page->listedOnvifDevices(), false);
    m_page->onDeviceUpdate(onvifDevice("urn:uuid:r1", "192.168.1.70", VEXA_DETAILS_NEED_LOGIN));
    DeviceInfoModel* model = m_page->model();
    const QModelIndex id = model->index(0, model->columnOf(DeviceInfoModel::KindId));
    QVERIFY(id.data(DeviceInfoModel::SignInRefusedRole).toBool());
    QVERIFY(id.data(Qt::ToolTipRole).toString().contains(u"Sign-in refused: Sender not authorized"_s));
    QCOMPARE(model->index(0, model->columnOf(DeviceInfoModel::KindActivationState)).data().toString(),
             u"Sign-in refused"_s);
    // Forgetting the login: the device only asks for one.
    VEXA::OnvifLogin::instance().clear();
    m_page->onDeviceUpdate(onvifDevice("urn:uuid:r1", "192.168.1.70", VEXA_DETAILS_NEED_LOGIN));
    QVERIFY(!id.data(DeviceInfoModel::SignInRefusedRole).toBool());
    QCOMPARE(model->index(0, model->columnOf(DeviceInfoModel::KindActivationState)).data().toString(),
             u"Sign-in needed"_s);
}

void TestDeviceDisplayPage::signInButtonAsksForTheLogin() {
    QSignalSpy asked(m_page.get(), &DeviceDisplayPage::signalSignInRequested);
    QVERIFY(!m_page->signInButton()->accessibleName().isEmpty());
    m_page->signInButton()->click();
    QCOMPARE(asked.count(), 1);
}

QTEST_MAIN(TestDeviceDisplayPage)
#include "tst_devicedisplaypage.moc"

void TestDeviceDisplayPage::tickAllBoxActsOnTheListedRows_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<int>("state"); // the box before the click
    QTest::addColumn<QStringList>("after");
    QTest::newRow("none ticked: ticks all")
        << QString() << QList<int>{} << int(Qt::Unchecked) << QStringList{"SA"_L1, "SB"_L1, "SC"_L1};
    QTest::newRow("some ticked: ticks the rest")
        << QString() << QList<int>{1} << int(Qt::PartiallyChecked) << QStringList{"SA"_L1, "SB"_L1, "SC"_L1};
    QTest::newRow("all ticked: unticks all") << QString() << QList<int>{0, 1, 2} << int(Qt::Checked) << QStringList{};
    QTest::newRow("filtered: the listed rows only")
        << u"10.1."_s << QList<int>{} << int(Qt::Unchecked) << QStringList{"SA"_L1, "SC"_L1};
    QTest::newRow("filtered, the hidden one ticked: the box counts the listed rows")
        << u"10.1."_s << QList<int>{1} << int(Qt::Unchecked) << QStringList{"SA"_L1, "SC"_L1};
    QTest::newRow("filtered, all listed ticked: unticks them")
        << u"10.1."_s << QList<int>{0, 2} << int(Qt::Checked) << QStringList{};
}

void TestDeviceDisplayPage::tickAllBoxActsOnTheListedRows() {
    QFETCH(QString, filter);
    QFETCH(QList<int>, ticked);
    QFETCH(int, state);
    QFETCH(QStringList, after);
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "10.1.0.2", 0));
    m_page->onDeviceLogin(device("SB", "02-00-00-00-00-02", "10.2.0.3", 0));
    m_page->onDeviceLogin(device("SC", "02-00-00-00-00-03", "10.1.0.4", 0));
    for (const int row : ticked)
        tick(row, true);
    m_page->filterEdit()->setText(filter);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    VexaTool::DeviceListHeader* header = m_page->listHeader();
    QCOMPARE(m_page->tableView()->header(), header);
    QCOMPARE(int(header->checkState()), state);

    QSignalSpy sorts(m_page->model(), &QAbstractItemModel::layoutChanged);
    QCheckBox* box = header->checkBox();
    QVERIFY(box->isVisible() && header->viewport()->rect().contains(box->geometry()));
    QVERIFY(!box->accessibleName().isEmpty());
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(sorts.count(), 0); // the tick column's header never sorts
    QCOMPARE(serialsOf(lastEntries()), after);
    QCOMPARE(header->checkState(), after.isEmpty() ? Qt::Unchecked : Qt::Checked);
    // A row hidden by the filter keeps its tick either way.
    const QStandardItem* hidden = m_page->model()->item(1, m_page->model()->columnOf(DeviceInfoModel::KindCheck));
    if (!filter.isEmpty())
        QCOMPARE(hidden->checkState(), ticked.contains(1) ? Qt::Checked : Qt::Unchecked);
}

void TestDeviceDisplayPage::devicesHiddenByMakerAreCounted() {
    QLabel* hidden = m_page->hiddenCountLabel();
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    QVERIFY(!hidden->isVisible());
    m_page->onDeviceHiddenByMaker(device("SX", "02-00-00-00-00-09", "10.1.0.9", 0));
    m_page->onDeviceHiddenByMaker(device("SX", "02-00-00-00-00-09", "10.1.0.9", 0)); // heard again: one device
    m_page->onDeviceHiddenByMaker(device("SY", "02-00-00-00-00-0a", "10.1.0.10", 0));
    m_page->onDeviceLogin(device("SA", "02-00-00-00-00-01", "10.1.0.2", 0));
    QCOMPARE(m_page->countLabel()->text(), u"1"_s);
    QVERIFY(hidden->isVisible());
    QCOMPARE(hidden->text(), u"(2 hidden)"_s);
    QVERIFY(hidden->toolTip().contains(u"another maker's mark"_s));
    QVERIFY(!hidden->accessibleName().isEmpty());
    m_page->onDeviceLogout(device("SY", "02-00-00-00-00-0a", "10.1.0.10", 0));
    QCOMPARE(hidden->text(), u"(1 hidden)"_s);
    QCOMPARE(m_page->model()->rowCount(), 1);
    m_page->onManualUpdate();
    QVERIFY(!hidden->isVisible());
}

void TestDeviceDisplayPage::defaultColumnsFitTheirHeaders() {
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    const QHeaderView* header = m_page->tableView()->header();
    DeviceInfoModel* model = m_page->model();
    for (int kind = DeviceInfoModel::KindId; kind < DeviceInfoModel::KindCount - 1; ++kind) {
        const int column = model->columnOf(kind);
        QVERIFY2(header->sectionSize(column) >= header->sectionSizeHint(column),
                 qPrintable(model->headerData(column, Qt::Horizontal).toString()));
    }
}
