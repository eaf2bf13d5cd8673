// The quick filter: rows come and go with their texts while devices arrive, leave and change, and ticking
// acts on what is shown.

#include <QAbstractItemModelTester>
#include <QStandardItemModel>
#include <QtTest>

#include "devicelist/DeviceFilterProxyModel.h"
#include "support/ListRows.h"

using namespace Qt::StringLiterals;

using VexaTool::DeviceFilterProxyModel;

namespace {

// Columns as the device table shows them: check box and index, type, address, serial, MAC, name.
enum Column { Check, Type, Address, Serial, Mac, Name, Columns };

QList<QStandardItem*> deviceRow(const QString& type, const QString& address, const QString& serial, const QString& mac,
                                const QString& name) {
    QList<QStandardItem*> items;
    auto* check = new QStandardItem(QString());
    check->setCheckable(true);
    check->setCheckState(Qt::Unchecked);
    items << check << new QStandardItem(type) << new QStandardItem(address) << new QStandardItem(serial)
          << new QStandardItem(mac) << new QStandardItem(name);
    return items;
}

QStringList shownSerials(const QAbstractItemModel& model) {
    return testsupport::columnTexts(model, Serial);
}

} // namespace

class TestDeviceFilterProxyModel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void words_data();
    void words();
    void rowsArriveAndLeaveWhileFiltered();
    void onlyTheFilterColumnsAreSearched();
    void tickingActsOnWhatIsShown();
    void clearingRestoresEverything();

private:
    std::unique_ptr<QStandardItemModel> m_source;
    std::unique_ptr<DeviceFilterProxyModel> m_proxy;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestDeviceFilterProxyModel::init() {
    m_source = std::make_unique<QStandardItemModel>(0, Columns);
    m_source->appendRow(
        deviceRow(u"IPC-D200"_s, u"127.17.0.10"_s, u"VX100"_s, u"02-56-01-00-00-0a"_s, u"Lobby east"_s));
    m_source->appendRow(
        deviceRow(u"NVR-800"_s, u"127.17.0.11"_s, u"VX101"_s, u"02-56-01-00-00-0b"_s, u"Server room"_s));
    m_source->appendRow(deviceRow(u"IPC-D200"_s, u"127.17.1.10"_s, u"VX102"_s, u"02-56-01-00-00-0c"_s, u"Gate"_s));
    m_source->appendRow(deviceRow(u"IPC-B410"_s, u"127.17.1.11"_s, u"VX103"_s, u"02-56-01-00-00-0d"_s, u"大厅 东"_s));
    m_proxy = std::make_unique<DeviceFilterProxyModel>();
    m_proxy->setSourceModel(m_source.get());
    m_proxy->setFilterColumns({Type, Address, Serial, Mac, Name});
    m_tester = std::make_unique<QAbstractItemModelTester>(m_proxy.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestDeviceFilterProxyModel::cleanup() {
    m_tester.reset();
    m_proxy.reset();
    m_source.reset();
}

void TestDeviceFilterProxyModel::words_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("nothing typed") << u""_s << QStringList{u"VX100"_s, u"VX101"_s, u"VX102"_s, u"VX103"_s};
    QTest::newRow("only spaces") << u"   "_s << QStringList{u"VX100"_s, u"VX101"_s, u"VX102"_s, u"VX103"_s};
    QTest::newRow("part of an address") << u"17.1."_s << QStringList{u"VX102"_s, u"VX103"_s};
    QTest::newRow("any case") << u"ipc-d"_s << QStringList{u"VX100"_s, u"VX102"_s};
    QTest::newRow("all words, in different columns") << u"ipc-d200 gate"_s << QStringList{u"VX102"_s};
    QTest::newRow("word order does not matter") << u"gate ipc-d200"_s << QStringList{u"VX102"_s};
    QTest::newRow("one word missing hides the row") << "ipc-d200 nvr" << QStringList();
    QTest::newRow("MAC part") << u"00-0b"_s << QStringList{u"VX101"_s};
    QTest::newRow("Chinese") << u"大厅"_s << QStringList{u"VX103"_s};
    QTest::newRow("words are not a phrase") << u"east lobby"_s << QStringList{u"VX100"_s};
}

void TestDeviceFilterProxyModel::words() {
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    QSignalSpy changed(m_proxy.get(), &DeviceFilterProxyModel::signalFilterChanged);
    m_proxy->setFilterWords(typed);
    QCOMPARE(shownSerials(*m_proxy), shown);
    QCOMPARE(m_proxy->isFiltering(), !typed.trimmed().isEmpty());
    // Typing the same words again is not a change.
    m_proxy->setFilterWords(typed + QLatin1Char(' '));
    QCOMPARE(changed.count(), typed.trimmed().isEmpty() ? 0 : 1);
}

void TestDeviceFilterProxyModel::rowsArriveAndLeaveWhileFiltered() {
    m_proxy->setFilterWords(QStringLiteral("ipc"));
    QCOMPARE(m_proxy->rowCount(), 3);
    // A matching device arrives, one that does not match arrives, a shown one leaves.
    m_source->appendRow(deviceRow(u"IPC-C100"_s, u"127.17.2.1"_s, u"VX104"_s, u"02-56-01-00-00-0e"_s, u"Yard"_s));
    m_source->appendRow(deviceRow(u"DVR-16"_s, u"127.17.2.2"_s, u"VX105"_s, u"02-56-01-00-00-0f"_s, u"Office"_s));
    QCOMPARE(shownSerials(*m_proxy), (QStringList{u"VX100"_s, u"VX102"_s, u"VX103"_s, u"VX104"_s}));
    m_source->removeRow(2);
    QCOMPARE(shownSerials(*m_proxy), (QStringList{u"VX100"_s, u"VX103"_s, u"VX104"_s}));
    // A device whose text changes moves in or out of view.
    m_source->item(1, Type)->setText(QStringLiteral("IPC-NVR"));
    m_source->item(0, Type)->setText(QStringLiteral("Recorder"));
    QCOMPARE(shownSerials(*m_proxy), (QStringList{u"VX101"_s, u"VX103"_s, u"VX104"_s}));
    // The list clears and refills.
    m_source->removeRows(0, m_source->rowCount());
    QCOMPARE(m_proxy->rowCount(), 0);
    m_source->appendRow(
        deviceRow(u"IPC-D200"_s, u"127.17.0.10"_s, u"VX100"_s, u"02-56-01-00-00-0a"_s, u"Lobby east"_s));
    QCOMPARE(shownSerials(*m_proxy), QStringList{u"VX100"_s});
}

void TestDeviceFilterProxyModel::onlyTheFilterColumnsAreSearched() {
    m_source->item(0, Check)->setText(QStringLiteral("zzz"));
    m_proxy->setFilterWords(QStringLiteral("zzz"));
    QCOMPARE(m_proxy->rowCount(), 0);
    m_proxy->setFilterColumns({});
    QCOMPARE(shownSerials(*m_proxy), QStringList{u"VX100"_s});
    m_proxy->setFilterColumns({Name});
    m_proxy->setFilterWords(QStringLiteral("VX10"));
    QCOMPARE(m_proxy->rowCount(), 0);
    m_proxy->setFilterColumns({Serial, 99, -1}); // columns the model does not have are skipped
    QCOMPARE(m_proxy->rowCount(), 4);
}

void TestDeviceFilterProxyModel::tickingActsOnWhatIsShown() {
    m_source->item(1, Check)->setCheckState(Qt::Checked); // VX101, an NVR
    m_proxy->setFilterWords(QStringLiteral("ipc"));
    QCOMPARE(m_proxy->shownCheckedSourceRows(), QList<int>());
    m_proxy->setShownCheckState(Qt::Checked);
    QCOMPARE(m_proxy->shownCheckedSourceRows(), (QList<int>{0, 2, 3}));
    // The hidden tick is kept, not sent: it returns with the filter cleared.
    QCOMPARE(m_source->item(1, Check)->checkState(), Qt::Checked);
    m_proxy->setFilterWords(QStringLiteral("gate"));
    QCOMPARE(m_proxy->shownCheckedSourceRows(), QList<int>{2});
    m_proxy->setShownCheckState(Qt::Unchecked);
    QCOMPARE(m_source->item(2, Check)->checkState(), Qt::Unchecked);
    QCOMPARE(m_source->item(0, Check)->checkState(), Qt::Checked);
    m_proxy->setFilterWords(QString());
    QCOMPARE(m_proxy->shownCheckedSourceRows(), (QList<int>{0, 1, 3}));
    // Sorted through the proxy, the selection still goes out in the list's own order.
    m_proxy->sort(Address, Qt::DescendingOrder);
    QCOMPARE(m_proxy->shownCheckedSourceRows(), (QList<int>{0, 1, 3}));
}

void TestDeviceFilterProxyModel::clearingRestoresEverything() {
    m_proxy->setFilterWords(QStringLiteral("nothing matches this"));
    QCOMPARE(m_proxy->rowCount(), 0);
    m_source->appendRow(deviceRow(u"IPC-C100"_s, u"127.17.2.1"_s, u"VX104"_s, u"02-56-01-00-00-0e"_s, u"Yard"_s));
    QCOMPARE(m_proxy->rowCount(), 0);
    m_proxy->setFilterWords(QString());
    QCOMPARE(shownSerials(*m_proxy), (QStringList{u"VX100"_s, u"VX101"_s, u"VX102"_s, u"VX103"_s, u"VX104"_s}));
}

QTEST_GUILESS_MAIN(TestDeviceFilterProxyModel)
#include "tst_devicefilterproxymodel.moc"
