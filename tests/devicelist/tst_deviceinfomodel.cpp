#include <memory>

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "TestRecords.h"
#include "common/XmlNode.h"
#include "devicelist/CIpStandardItem.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"

using testrecords::device;
using testrecords::onvifDevice;
using VexaTool::DeviceFilterProxyModel;
using VexaTool::DeviceInfoModel;

class TestDeviceInfoModel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void idsFollowRowsAcrossRemovals();
    void cellTexts_data();
    void cellTexts();
    void capabilityLevelOnAddAndUpdate_data();
    void capabilityLevelOnAddAndUpdate();
    void movedColumnIsReadBackAtNextStart();
    void columnFileOfOneColumnLessKeepsItsOrder();
    void unusableColumnFileFallsBackToKinds_data();
    void unusableColumnFileFallsBackToKinds();
    void ipSortKeys_data();
    void ipSortKeys();
    void addressesSortByTheirNumbers();
    void idsSortByValuePast999();
    void sortGivesQtOrderAndKeepsTheIndexes_data();
    void sortGivesQtOrderAndKeepsTheIndexes();
    void sharedAddressIsMarkedLive();
    void unverifiedIdentityIsMarked();
    void header();
    void onvifCellsBeforeAndAfterDetails_data();
    void onvifCellsBeforeAndAfterDetails();
    void onvifRowIsRekeyedInPlace();
    void onvifRowsWithoutDetailsStayApart();
    void onvifStateMarks_data();
    void onvifStateMarks();
    void loginOutsideItsScopeIsNeverRefused();
    void claimsAgainstADeviceAreShown_data();
    void claimsAgainstADeviceAreShown();
    void ourDeviceAlsoAnsweringOnvifIsMarked();
    void restartingDeviceSaysSoUntilItEnds_data();
    void restartingDeviceSaysSoUntilItEnds();
    void quickFilterMatchesOnvif_data();
    void quickFilterMatchesOnvif();

private:
    QString text(int row, int kind) const { return m_model->item(row, m_model->columnOf(kind))->text(); }
    void writeConfig(const QList<int>& positions) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_configPath;
    std::unique_ptr<DeviceInfoModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestDeviceInfoModel::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_configPath = m_dir->filePath(QStringLiteral("ColumnConfig.xml"));
    QList<int> identity;
    for (int i = 0; i < DeviceInfoModel::KindCount; ++i)
        identity << i;
    writeConfig(identity);
    m_model = std::make_unique<DeviceInfoModel>(nullptr, m_configPath);
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestDeviceInfoModel::cleanup() {
    m_tester.reset();
    m_model.reset();
    m_dir.reset();
}

void TestDeviceInfoModel::writeConfig(const QList<int>& positions) const {
    QByteArray xml("<?xml version=\"1.0\"?>\n<Config>");
    for (int p : positions)
        xml += "<Item><IndexValue>" + QByteArray::number(p) + "</IndexValue></Item>";
    xml += "</Config>\n";
    QFile file(m_configPath);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(xml);
}

void TestDeviceInfoModel::idsFollowRowsAcrossRemovals() {
    const auto a = device("SA", "02-00-00-00-00-01", "192.168.1.2");
    const auto b = device("SB", "02-00-00-00-00-02", "192.168.1.3");
    const auto c = device("SC", "02-00-00-00-00-03", "192.168.1.4");
    m_model->addDevice(a);
    m_model->addDevice(b);
    m_model->addDevice(c);
    QCOMPARE(text(0, DeviceInfoModel::KindId), QStringLiteral("001"));
    QCOMPARE(text(2, DeviceInfoModel::KindId), QStringLiteral("003"));
    QCOMPARE(m_model->rowOf(QStringLiteral("SC"), QStringLiteral("02-00-00-00-00-03")), 2);

    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_model->removeDevice(b);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(text(1, DeviceInfoModel::KindSerialNumber), QStringLiteral("SC"));
    QCOMPARE(text(1, DeviceInfoModel::KindId), QStringLiteral("002"));
    QVERIFY(!changed.isEmpty()); // views learn of the new numbers
    QCOMPARE(m_model->rowOf(QStringLiteral("SC"), QStringLiteral("02-00-00-00-00-03")), 1);
    QCOMPARE(m_model->rowOf(QStringLiteral("SB"), QStringLiteral("02-00-00-00-00-02")), -1);

    // Same serial number, other MAC: not this device. Nothing goes, every row is renumbered from the top.
    m_model->item(0, m_model->columnOf(DeviceInfoModel::KindId))->setText(QStringLiteral("777"));
    m_model->removeDevice(device("SA", "02-00-00-00-00-99", "192.168.1.2"));
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(text(0, DeviceInfoModel::KindId), QStringLiteral("001"));
}

void TestDeviceInfoModel::cellTexts_data() {
    QTest::addColumn<int>("httpPort");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("activation");
    QTest::addColumn<QString>("httpText");
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("stateText");
    QTest::addColumn<bool>("red");
    QTest::newRow("no http port") << 0 << 80 << 0 << "N/A"
                                  << "   80"
                                  << "Activated" << false;
    QTest::newRow("http 8000") << 8000 << 8000 << 1 << "8000"
                               << " 8000"
                               << "Not activated" << true;
    QTest::newRow("beyond 16 bits") << 65536 << 65535 << 2 << "N/A"
                                    << "65535"
                                    << "Not activated" << true;
}

void TestDeviceInfoModel::cellTexts() {
    QFETCH(int, httpPort);
    QFETCH(int, port);
    QFETCH(int, activation);
    auto r = device("S1", "02-00-00-00-00-01", "192.168.1.2", static_cast<uint8_t>(activation));
    r.httpPort = httpPort;
    r.port = port;
    r.channelCount = 4;
    m_model->addDevice(r);
    QTEST(text(0, DeviceInfoModel::KindHttpPort), "httpText");
    QTEST(text(0, DeviceInfoModel::KindPort), "portText");
    QTEST(text(0, DeviceInfoModel::KindActivationState), "stateText");
    QCOMPARE(text(0, DeviceInfoModel::KindChannelNo), QStringLiteral(" 4"));
    QCOMPARE(text(0, DeviceInfoModel::KindIpv6PrefixLength), QStringLiteral("64"));
    QCOMPARE(text(0, DeviceInfoModel::KindSupportDhcp), QStringLiteral("Yes"));
    QCOMPARE(text(0, DeviceInfoModel::KindIpv4Dhcp), QStringLiteral("OFF"));
    QCOMPARE(text(0, DeviceInfoModel::KindActivate), QStringLiteral("Camera 1"));
    QVERIFY(m_model->item(0, m_model->columnOf(DeviceInfoModel::KindCheck))->isCheckable());

    const auto stateColour = [this](int kind) {
        return m_model->index(0, m_model->columnOf(kind)).data(Qt::ForegroundRole).value<QBrush>().color();
    };
    QFETCH(bool, red);
    QCOMPARE(stateColour(DeviceInfoModel::KindActivationState), red ? QColor(Qt::red) : QColor(0x66, 0x66, 0x66));
    QCOMPARE(stateColour(DeviceInfoModel::KindMac), QColor(0x66, 0x66, 0x66));

    // An activation flips the text and the colour of the same row.
    r.activationState = red ? 0 : 1;
    m_model->updateDevice(r);
    QCOMPARE(stateColour(DeviceInfoModel::KindActivationState), red ? QColor(0x66, 0x66, 0x66) : QColor(Qt::red));
}

void TestDeviceInfoModel::capabilityLevelOnAddAndUpdate_data() {
    QTest::addColumn<int>("addLevel");
    QTest::addColumn<int>("updateLevel");
    QTest::addColumn<QString>("gatewayOnAdd");
    QTest::addColumn<QString>("ipv6OnAdd");
    QTest::addColumn<QString>("gatewayAfterUpdate");
    QTest::addColumn<QString>("ipv6AfterUpdate");
    QTest::addColumn<QString>("ipv6SupportAfterUpdate");
    QTest::addColumn<bool>("readBack"); // the update is what the device reported after a change
    QTest::newRow("level 0 shows nothing") << 0 << 0 << ""
                                           << ""
                                           << ""
                                           << ""
                                           << "No" << false;
    QTest::newRow("level 2 keeps arrival values") << 2 << 2 << "192.168.1.1"
                                                  << "fd00::64"
                                                  << "192.168.1.1"
                                                  << "fd00::64"
                                                  << "Yes" << false;
    QTest::newRow("level 2 read back after a change") << 2 << 2 << "192.168.1.1"
                                                      << "fd00::64"
                                                      << "10.0.0.1"
                                                      << "fd00::99"
                                                      << "Yes" << true;
    QTest::newRow("level 1 takes new values") << 1 << 1 << "192.168.1.1"
                                              << "fd00::64"
                                              << "10.0.0.1"
                                              << "fd00::99"
                                              << "Yes" << false;
    QTest::newRow("level 0 empties") << 2 << 0 << "192.168.1.1"
                                     << "fd00::64"
                                     << ""
                                     << ""
                                     << "Yes" << false;
}

void TestDeviceInfoModel::capabilityLevelOnAddAndUpdate() {
    QFETCH(int, addLevel);
    QFETCH(int, updateLevel);
    auto r = device("S1", "02-00-00-00-00-01", "192.168.1.2", 0, static_cast<uint8_t>(addLevel));
    r.supportFlags = updateLevel == 0 && addLevel == 0 ? 0x00 : 0x01;
    m_model->addDevice(r);
    QTEST(text(0, DeviceInfoModel::KindIpv4Gateway), "gatewayOnAdd");
    QTEST(text(0, DeviceInfoModel::KindIpv6Address), "ipv6OnAdd");
    const bool ipItem =
        dynamic_cast<aptui::CIpStandardItem*>(m_model->item(0, m_model->columnOf(DeviceInfoModel::KindIpv4Gateway)));
    QCOMPARE(ipItem, addLevel == 1 || addLevel == 2);

    r.capabilityLevel = static_cast<uint8_t>(updateLevel);
    setRecordText(r.ipv4Gateway, "10.0.0.1");
    setRecordText(r.ipv6Address, "fd00::99");
    QFETCH(bool, readBack);
    if (readBack)
        m_model->showReadBack(r);
    else
        m_model->updateDevice(r);
    QTEST(text(0, DeviceInfoModel::KindIpv4Gateway), "gatewayAfterUpdate");
    QTEST(text(0, DeviceInfoModel::KindIpv6Address), "ipv6AfterUpdate");
    QTEST(text(0, DeviceInfoModel::KindSupportIpv6), "ipv6SupportAfterUpdate");
    QCOMPARE(text(0, DeviceInfoModel::KindId), QStringLiteral("001"));
}

void TestDeviceInfoModel::movedColumnIsReadBackAtNextStart() {
    m_model->addDevice(device("S1", "02-00-00-00-00-01", "192.168.1.2"));
    QVERIFY(m_model->moveColumn(5, 2));
    // The table in memory stays as it is.
    QCOMPARE(m_model->columnOf(DeviceInfoModel::KindPort), 5);

    XmlNode root;
    QVERIFY(root.load(m_configPath));
    QList<int> written;
    for (int i = 0; i < root.childElementCount(); ++i)
        written << root.childElement(i).firstElementByTag(QStringLiteral("IndexValue")).text().toInt();
    QCOMPARE(written.mid(0, 7), (QList<int>{0, 1, 3, 4, 5, 2, 6}));
    QCOMPARE(written.mid(7), (QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}));

    DeviceInfoModel next(nullptr, m_configPath);
    QAbstractItemModelTester tester(&next, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(next.columnOf(DeviceInfoModel::KindPort), 2);
    QCOMPARE(next.columnOf(DeviceInfoModel::KindDeviceType), 3);
    QCOMPARE(next.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Port"));
    next.addDevice(device("S1", "02-00-00-00-00-01", "192.168.1.2"));
    QCOMPARE(next.item(0, 2)->text(), QStringLiteral(" 8000"));
    QCOMPARE(next.item(0, 3)->text(), QStringLiteral("VX-IPC-B120"));
}

void TestDeviceInfoModel::columnFileOfOneColumnLessKeepsItsOrder() {
    // Written before the Clock column came: the user's order stays, the new column goes last.
    QByteArray content("<C>");
    for (int i = 0; i < DeviceInfoModel::KindCount - 1; ++i)
        content += "<I><IndexValue>" + QByteArray::number(i == 2 ? 5 : i == 5 ? 2 : i) + "</IndexValue></I>";
    const QString path = m_dir->filePath(QStringLiteral("older.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content + "</C>");
    file.close();
    DeviceInfoModel model(nullptr, path);
    QCOMPARE(model.columnOf(DeviceInfoModel::KindPort), 2);
    QCOMPARE(model.columnOf(DeviceInfoModel::KindDeviceType), 5);
    QCOMPARE(model.columnOf(DeviceInfoModel::KindClock), DeviceInfoModel::KindCount - 1);
    QCOMPARE(model.headerData(DeviceInfoModel::KindCount - 1, Qt::Horizontal).toString(), QStringLiteral("Clock"));
}

void TestDeviceInfoModel::unusableColumnFileFallsBackToKinds_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("short") << QByteArray("<C><I><IndexValue>3</IndexValue></I><I><IndexValue>0</IndexValue></I></C>");
    QByteArray duplicate("<C>");
    for (int i = 0; i < DeviceInfoModel::KindCount; ++i)
        duplicate += "<I><IndexValue>" + QByteArray::number(i == 4 ? 3 : i) + "</IndexValue></I>";
    QTest::newRow("two kinds in one column") << duplicate + "</C>";
    QTest::newRow("not xml") << QByteArray("garbage <<<");
}

void TestDeviceInfoModel::unusableColumnFileFallsBackToKinds() {
    QFETCH(QByteArray, content);
    const QString path = m_dir->filePath(QStringLiteral("other.xml"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    DeviceInfoModel model(nullptr, path);
    for (int kind = 0; kind < DeviceInfoModel::KindCount; ++kind)
        QCOMPARE(model.columnOf(kind), kind);
    QCOMPARE(model.columnOf(DeviceInfoModel::KindCount), -1);
    QCOMPARE(model.columnOf(-1), -1);
    // A move still lands in a complete file.
    QVERIFY(model.moveColumn(6, 3));
    DeviceInfoModel next(nullptr, path);
    QCOMPARE(next.columnOf(6), 3);
    QCOMPARE(next.columnOf(3), 4);
}

void TestDeviceInfoModel::ipSortKeys_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("address") << "10.0.0.9"
                             << "010000000009";
    QTest::newRow("junk after numbers") << "7.x1.2a"
                                        << "007000002000";
    QTest::newRow("empty") << ""
                           << "000000000000";
    QTest::newRow("five parts") << "1.2.3.4.5"
                                << "001002003004";
    QTest::newRow("wide part") << "1234.5"
                               << "1234005000000";
    QTest::newRow("beyond int") << "99999999999.1"
                                << "000001000000";
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0663.1") << "000001000000";
}

void TestDeviceInfoModel::ipSortKeys() {
    QFETCH(QString, text);
    QTEST(aptui::CIpStandardItem::sortKey(text), "key");
    // The ordering is the keys' text order.
    const aptui::CIpStandardItem item(text);
    for (const char* other : {"10.0.0.10", "1234.5", "", "9.255.255.255"}) {
        const aptui::CIpStandardItem peer{QString::fromLatin1(other)};
        QCOMPARE(item < peer, aptui::CIpStandardItem::sortKey(text) < aptui::CIpStandardItem::sortKey(peer.text()));
    }
}

void TestDeviceInfoModel::addressesSortByTheirNumbers() {
    int n = 0;
    for (const char* address : {"192.168.1.100", "192.168.1.2", "192.168.1.10"}) {
        ++n;
        m_model->addDevice(device("S" + QByteArray::number(n), "02-00-00-00-00-0" + QByteArray::number(n), address));
    }
    const int column = m_model->columnOf(DeviceInfoModel::KindIpv4Address);
    m_model->sort(column, Qt::AscendingOrder);
    QCOMPARE(text(0, DeviceInfoModel::KindIpv4Address), QStringLiteral("192.168.1.2"));
    QCOMPARE(text(1, DeviceInfoModel::KindIpv4Address), QStringLiteral("192.168.1.10"));
    QCOMPARE(text(2, DeviceInfoModel::KindIpv4Address), QStringLiteral("192.168.1.100"));
    // The device index follows the rows through the sort.
    QCOMPARE(m_model->rowOf(QStringLiteral("S1"), QStringLiteral("02-00-00-00-00-01")), 2);
}

void TestDeviceInfoModel::idsSortByValuePast999() {
    m_tester.reset(); // checking each of a thousand insertions adds nothing here
    for (int i = 0; i < 1001; ++i)
        m_model->addDevice(device("S" + QByteArray::number(i), "M" + QByteArray::number(i), "10.0.0.1"));
    m_model->sort(m_model->columnOf(DeviceInfoModel::KindId), Qt::DescendingOrder);
    QCOMPARE(text(0, DeviceInfoModel::KindId), QStringLiteral("1001"));
    QCOMPARE(text(1, DeviceInfoModel::KindId), QStringLiteral("1000"));
    QCOMPARE(text(2, DeviceInfoModel::KindId), QStringLiteral("999"));
}

void TestDeviceInfoModel::sortGivesQtOrderAndKeepsTheIndexes_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("ascending");
    for (int kind : {DeviceInfoModel::KindId, DeviceInfoModel::KindIpv4Address, DeviceInfoModel::KindIpv4Gateway,
                     DeviceInfoModel::KindSerialNumber, DeviceInfoModel::KindActivate, DeviceInfoModel::KindPort}) {
        for (bool ascending : {true, false})
            QTest::addRow("kind %d %s", kind, ascending ? "up" : "down") << kind << ascending;
    }
}

// The model sorts by taking its rows out and back in; QStandardItemModel's own sort, run on a twin of it, is what the
// rows must read afterwards, and the model's indexes (device to row, ticks, shared addresses) must follow.
void TestDeviceInfoModel::sortGivesQtOrderAndKeepsTheIndexes() {
    QFETCH(int, kind);
    QFETCH(bool, ascending);
    DeviceInfoModel twin(nullptr, m_configPath);
    QList<VEXA_DEVICE_MY_INFO> fleet;
    for (int i = 0; i < 40; ++i) {
        // Addresses repeat (every seventh device shares one), both kinds of gateway cell, both activation states.
        const QByteArray address = "10.0." + QByteArray::number(i % 7 == 0 ? 1 : i % 3) + "." +
                                   QByteArray::number(i % 7 == 0 ? 9 : (i * 37) % 250);
        fleet << device("SN" + QByteArray::number((i * 13) % 40), "02-00-00-00-00-" + QByteArray::number(10 + i),
                        address, static_cast<uint8_t>(i % 2), static_cast<uint8_t>(i % 3 == 0 ? 3 : 1));
        fleet.last().port = 8000 + (i * 7) % 5;
    }
    fleet << onvifDevice("urn:uuid:cam-a", "10.0.2.30", VEXA_DETAILS_NEED_LOGIN)
          << onvifDevice("urn:uuid:cam-b", "10.0.1.9", VEXA_DETAILS_READ, "OV1", "02-00-00-00-01-01");
    for (const VEXA_DEVICE_MY_INFO& record : std::as_const(fleet)) {
        m_model->addDevice(record);
        twin.addDevice(record);
    }
    // A removed row leaves the cells behind it out of place before the sort; some rows are ticked.
    for (DeviceInfoModel* model : {m_model.get(), static_cast<DeviceInfoModel*>(&twin)}) {
        model->removeDevice(fleet.at(5));
        for (int row : {0, 3, 17, 40})
            model->item(row, model->columnOf(DeviceInfoModel::KindCheck))->setCheckState(Qt::Checked);
    }
    const QString shared = QStringLiteral("10.0.1.9");
    const int sharing = m_model->addressUsers(shared);
    QCOMPARE(sharing, 7);

    const int column = m_model->columnOf(kind);
    const Qt::SortOrder order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    QSignalSpy layouts(m_model.get(), &QAbstractItemModel::layoutChanged);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    m_model->sort(column, order);
    twin.QStandardItemModel::sort(column, order);
    QCOMPARE(layouts.count(), 1);
    QCOMPARE(removed.count(), 0);

    QCOMPARE(m_model->rowCount(), twin.rowCount());
    QList<int> ticked;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        for (int c = 0; c < m_model->columnCount(); ++c)
            QCOMPARE(m_model->item(row, c)->text(), twin.item(row, c)->text());
        const QStandardItem* check = m_model->item(row, m_model->columnOf(DeviceInfoModel::KindCheck));
        QCOMPARE(check->checkState(), twin.item(row, twin.columnOf(DeviceInfoModel::KindCheck))->checkState());
        if (check->checkState() == Qt::Checked)
            ticked << row;
        const DeviceKey key = m_model->keyOf(row);
        if (!key.serialNo.isEmpty())
            QCOMPARE(m_model->rowOf(key), row);
    }
    QCOMPARE(ticked.size(), 4);
    QCOMPARE(m_model->checkedRows(), ticked);
    QCOMPARE(m_model->rowOfEndpoint(QStringLiteral("urn:uuid:cam-a")),
             twin.rowOfEndpoint(QStringLiteral("urn:uuid:cam-a")));
    QCOMPARE(m_model->addressUsers(shared), sharing);

    // A device removed after the sort takes its own row and nothing else.
    const int row = m_model->rowOf(QStringLiteral("SN0"), QStringLiteral("02-00-00-00-00-10"));
    QVERIFY(row >= 0);
    m_model->removeDevice(fleet.at(0));
    QCOMPARE(m_model->rowOf(QStringLiteral("SN0"), QStringLiteral("02-00-00-00-00-10")), -1);
    QCOMPARE(m_model->rowCount(), twin.rowCount() - 1);
    QCOMPARE(m_model->addressUsers(shared), sharing - 1);
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const DeviceKey key = m_model->keyOf(r);
        if (!key.serialNo.isEmpty())
            QCOMPARE(m_model->rowOf(key), r);
    }
}

void TestDeviceInfoModel::sharedAddressIsMarkedLive() {
    const int column = m_model->columnOf(DeviceInfoModel::KindIpv4Address);
    const auto marked = [this, column](int row) {
        return m_model->index(row, column).data(Qt::DecorationRole).isValid() &&
               m_model->index(row, column).data(Qt::ForegroundRole).value<QBrush>().color() != QColor(0x66, 0x66, 0x66);
    };
    auto a = device("SA", "02-00-00-00-00-01", "192.168.1.64");
    auto b = device("SB", "02-00-00-00-00-02", "192.168.1.65");
    auto c = device("SC", "02-00-00-00-00-03", "192.168.1.64");
    m_model->addDevice(a);
    m_model->addDevice(b);
    QVERIFY(!marked(0));

    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_model->addDevice(c);
    QVERIFY(marked(0));
    QVERIFY(marked(2));
    QVERIFY(!marked(1));
    QCOMPARE(m_model->index(2, column).data(Qt::ToolTipRole).toString(), QStringLiteral("Address used by 2 devices"));
    QVERIFY(std::any_of(changed.cbegin(), changed.cend(),
                        [](const QList<QVariant>& args) { return args.at(0).toModelIndex().row() == 0; }));

    // B takes the address too: three users.
    setRecordText(b.ipv4Address, "192.168.1.64");
    m_model->updateDevice(b);
    QCOMPARE(m_model->addressUsers(QStringLiteral("192.168.1.64")), 3);
    QCOMPARE(m_model->index(0, column).data(Qt::ToolTipRole).toString(), QStringLiteral("Address used by 3 devices"));

    // A gets its own address, C goes: B is alone again and unmarked.
    setRecordText(a.ipv4Address, "192.168.1.10");
    m_model->updateDevice(a);
    changed.clear();
    m_model->removeDevice(c);
    QCOMPARE(m_model->addressUsers(QStringLiteral("192.168.1.64")), 1);
    QVERIFY(!marked(0));
    QVERIFY(!marked(1));
    QVERIFY(std::any_of(changed.cbegin(), changed.cend(), [column](const QList<QVariant>& args) {
        return args.at(0).toModelIndex().row() == 1 && args.at(0).toModelIndex().column() == column;
    }));

    // Cleared all at once, nothing is left in the index.
    m_model->removeRows(0, m_model->rowCount());
    QCOMPARE(m_model->addressUsers(QStringLiteral("192.168.1.64")), 0);
    QCOMPARE(m_model->addressUsers(QStringLiteral("192.168.1.10")), 0);
}

void TestDeviceInfoModel::unverifiedIdentityIsMarked() {
    auto r = device("S1", "02-00-00-00-00-01", "192.168.1.2");
    r.certified = 0;
    m_model->addDevice(r);
    const QModelIndex id = m_model->index(0, m_model->columnOf(DeviceInfoModel::KindId));
    QVERIFY(id.data(DeviceInfoModel::UnverifiedRole).toBool());
    QVERIFY(id.data(Qt::ToolTipRole).toString().contains(QStringLiteral("not verified")));
    r.certified = 1;
    m_model->updateDevice(r);
    QVERIFY(!id.data(DeviceInfoModel::UnverifiedRole).toBool());
    QVERIFY(!id.data(Qt::ToolTipRole).isValid());
}

void TestDeviceInfoModel::header() {
    for (int kind = 0; kind < DeviceInfoModel::KindCount; ++kind) {
        const QVariant alignment = m_model->headerData(kind, Qt::Horizontal, Qt::TextAlignmentRole);
        QCOMPARE(alignment.toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    QCOMPARE(m_model->headerData(0, Qt::Horizontal, DeviceInfoModel::kHeaderFlagRole).toBool(), true);
    QCOMPARE(m_model->headerData(9, Qt::Horizontal).toString(), QStringLiteral("Serial Number"));
    QCOMPARE(m_model->headerData(24, Qt::Horizontal).toString(), QStringLiteral("isActivatd"));
}

void TestDeviceInfoModel::onvifCellsBeforeAndAfterDetails_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<QString>("read");
    const QString na = QStringLiteral("N/A");
    QTest::newRow("type from the model") << int(DeviceInfoModel::KindDeviceType) << na << QStringLiteral("OC-2041");
    QTest::newRow("name") << int(DeviceInfoModel::KindActivate) << QStringLiteral("Gate camera")
                          << QStringLiteral("Gate camera");
    QTest::newRow("address from discovery")
        << int(DeviceInfoModel::KindIpv4Address) << QStringLiteral("192.168.1.70") << QStringLiteral("192.168.1.71");
    QTest::newRow("service port") << int(DeviceInfoModel::KindPort) << QStringLiteral(" 8080")
                                  << QStringLiteral(" 8080");
    QTest::newRow("firmware") << int(DeviceInfoModel::KindSoftVersion) << na << QStringLiteral("2.4.1");
    QTest::newRow("serial") << int(DeviceInfoModel::KindSerialNumber) << na << QStringLiteral("OC1");
    QTest::newRow("mac") << int(DeviceInfoModel::KindMac) << na << QStringLiteral("0a-00-00-00-00-01");
    QTest::newRow("mask") << int(DeviceInfoModel::KindIpv4Mask) << na << QStringLiteral("255.255.255.0");
    QTest::newRow("gateway") << int(DeviceInfoModel::KindIpv4Gateway) << na << QStringLiteral("192.168.1.1");
    QTest::newRow("http port") << int(DeviceInfoModel::KindHttpPort) << na << QStringLiteral("80");
    QTest::newRow("rtsp port") << int(DeviceInfoModel::KindRtspPort) << na << QStringLiteral("554");
    QTest::newRow("dhcp") << int(DeviceInfoModel::KindIpv4Dhcp) << na << QStringLiteral("ON");
    QTest::newRow("no ipv6 given") << int(DeviceInfoModel::KindIpv6Address) << na << na;
    QTest::newRow("never given") << int(DeviceInfoModel::KindDspVersion) << na << na;
    QTest::newRow("state") << int(DeviceInfoModel::KindActivationState) << QStringLiteral("Reading details")
                           << QStringLiteral("Activated");
}

void TestDeviceInfoModel::onvifCellsBeforeAndAfterDetails() {
    QFETCH(int, kind);
    QFETCH(QString, pending);
    QFETCH(QString, read);
    m_model->addDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_PENDING));
    QCOMPARE(text(0, kind), pending);
    m_model->updateDevice(onvifDevice("urn:uuid:e1", "192.168.1.71", VEXA_DETAILS_READ, "OC1", "0a-00-00-00-00-01"));
    QCOMPARE(m_model->rowCount(), 1);
    QCOMPARE(text(0, kind), read);
    const QModelIndex id = m_model->index(0, m_model->columnOf(DeviceInfoModel::KindId));
    QCOMPARE(id.data(DeviceInfoModel::ProtocolRole).toInt(), int(VEXA_PROTOCOL_ONVIF));
    QVERIFY(id.data(Qt::DecorationRole).isValid());
    QVERIFY(id.data(Qt::ToolTipRole).toString().contains(QStringLiteral("ONVIF device made by Othermake")));
    // An ONVIF device is never taken for an unverified one of ours.
    QVERIFY(!id.data(DeviceInfoModel::UnverifiedRole).toBool());
}

void TestDeviceInfoModel::onvifRowIsRekeyedInPlace() {
    m_model->addDevice(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_model->addDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_PENDING));
    m_model->addDevice(device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    const DeviceKey pendingKey{QStringLiteral("urn:uuid:e1"), QString()};
    QCOMPARE(m_model->keyOf(1), pendingKey);
    QCOMPARE(m_model->rowOf(pendingKey), 1);
    m_model->item(1, m_model->columnOf(DeviceInfoModel::KindCheck))->setCheckState(Qt::Checked);

    const auto read = onvifDevice("urn:uuid:e1", "192.168.1.2", VEXA_DETAILS_READ, "OC1", "0a-00-00-00-00-01");
    m_model->updateDevice(read);
    const DeviceKey readKey{QStringLiteral("OC1"), QStringLiteral("0a-00-00-00-00-01")};
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(m_model->keyOf(1), readKey);
    QCOMPARE(m_model->rowOf(readKey), 1);
    QCOMPARE(m_model->rowOf(pendingKey), -1);
    QCOMPARE(m_model->rowOfEndpoint(QStringLiteral("urn:uuid:e1")), 1);
    QCOMPARE(m_model->checkedRows(), QList<int>{1});
    QCOMPARE(text(1, DeviceInfoModel::KindId), QStringLiteral("002"));
    // Its new address is one of ours: both are marked as sharing it.
    QCOMPARE(m_model->addressUsers(QStringLiteral("192.168.1.2")), 2);
    QCOMPARE(m_model->addressUsers(QStringLiteral("192.168.1.70")), 0);

    // Gone, by the record the library reports at the end.
    m_model->removeDevice(read);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->rowOfEndpoint(QStringLiteral("urn:uuid:e1")), -1);
    QCOMPARE(m_model->rowOf(QStringLiteral("SB"), QStringLiteral("02-00-00-00-00-02")), 1);
    QCOMPARE(m_model->onvifCount(), 0);
}

void TestDeviceInfoModel::onvifRowsWithoutDetailsStayApart() {
    for (int i = 1; i <= 3; ++i)
        m_model->addDevice(onvifDevice("urn:uuid:e" + QByteArray::number(i), "192.168.1.7" + QByteArray::number(i),
                                       VEXA_DETAILS_NEED_LOGIN));
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(m_model->onvifCount(), 3);
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(m_model->rowOfEndpoint(QStringLiteral("urn:uuid:e%1").arg(i)), i - 1);
    m_model->removeDevice(onvifDevice("urn:uuid:e2", "192.168.1.72", VEXA_DETAILS_NEED_LOGIN));
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->rowOfEndpoint(QStringLiteral("urn:uuid:e3")), 1);
}

void TestDeviceInfoModel::onvifStateMarks_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("credentials");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("tip");
    QTest::newRow("asks, none set") << int(VEXA_DETAILS_NEED_LOGIN) << false << QString()
                                    << QStringLiteral("Sign-in needed") << false << QStringLiteral("Sign in to ONVIF");
    QTest::newRow("refused with words") << int(VEXA_DETAILS_NEED_LOGIN) << true
                                        << QStringLiteral("Sender not authorized") << QStringLiteral("Sign-in refused")
                                        << true << QStringLiteral("Sign-in refused: Sender not authorized");
    QTest::newRow("refused, words are data")
        << int(VEXA_DETAILS_NEED_LOGIN) << true << QStringLiteral("<b>bad</b>") << QStringLiteral("Sign-in refused")
        << true << QStringLiteral("&lt;b&gt;bad&lt;/b&gt;");
    QTest::newRow("refused without words")
        << int(VEXA_DETAILS_NEED_LOGIN) << true << QString() << QStringLiteral("Sign-in refused") << true
        << QStringLiteral("did not accept the user name or password");
    QTest::newRow("unreachable") << int(VEXA_DETAILS_UNREACHABLE) << true << QString()
                                 << QStringLiteral("Not reachable") << false << QStringLiteral("did not answer");
    QTest::newRow("partly read, words are data")
        << int(VEXA_DETAILS_PARTIAL) << true << QStringLiteral("GetScopes: <b>bad</b>")
        << QStringLiteral("Details partly read") << false
        << QStringLiteral("Details partly read: GetScopes: &lt;b&gt;bad&lt;/b&gt;");
}

void TestDeviceInfoModel::onvifStateMarks() {
    QFETCH(int, state);
    QFETCH(bool, credentials);
    QFETCH(QString, reason);
    QFETCH(QString, status);
    QFETCH(bool, refused);
    QFETCH(QString, tip);
    m_model->setCredentialsSet(credentials);
    m_model->addDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_PENDING));
    if (state == VEXA_DETAILS_PARTIAL)
        m_model->setDetailsNote(QStringLiteral("urn:uuid:e1"), reason);
    else
        m_model->setRefusalReason(QStringLiteral("urn:uuid:e1"), reason);
    m_model->updateDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", static_cast<uint8_t>(state)));
    const QModelIndex id = m_model->index(0, m_model->columnOf(DeviceInfoModel::KindId));
    QCOMPARE(text(0, DeviceInfoModel::KindActivationState), status);
    QCOMPARE(id.data(DeviceInfoModel::SignInRefusedRole).toBool(), refused);
    QVERIFY2(id.data(Qt::ToolTipRole).toString().contains(tip), qPrintable(id.data(Qt::ToolTipRole).toString()));
    QVERIFY(!id.data(Qt::ToolTipRole).toString().contains(QStringLiteral("<b>")));
    const QString stateTip =
        m_model->index(0, m_model->columnOf(DeviceInfoModel::KindActivationState)).data(Qt::ToolTipRole).toString();
    QCOMPARE(stateTip.contains(tip), refused || state == VEXA_DETAILS_PARTIAL);
    if (state == VEXA_DETAILS_NEED_LOGIN) {
        // Another login: the device is read again, and nothing claims it refused the new one.
        m_model->setCredentialsSet(!credentials);
        QCOMPARE(text(0, DeviceInfoModel::KindActivationState), QStringLiteral("Reading details"));
        QVERIFY(!id.data(DeviceInfoModel::SignInRefusedRole).toBool());
    }
    // Details read after a sign-in clear the mark.
    m_model->updateDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_READ, "OC1", "0a-00-00-00-00-01"));
    QVERIFY(!id.data(DeviceInfoModel::SignInRefusedRole).toBool());
    QCOMPARE(text(0, DeviceInfoModel::KindActivationState), QStringLiteral("Activated"));
    // What the table (and the export) shows: a dash, as activation is not an ONVIF step, and a tip that says so.
    const QModelIndex shown = m_model->index(0, m_model->columnOf(DeviceInfoModel::KindActivationState));
    QCOMPARE(shown.data().toString(), QStringLiteral("\u2014"));
    QVERIFY(shown.data(Qt::ToolTipRole).toString().contains(QStringLiteral("no activation step")));
}

void TestDeviceInfoModel::loginOutsideItsScopeIsNeverRefused() {
    // Signed in to e1 only: e2, heard later, was given no login and says so; signed in to it too, it is read again.
    m_model->setCredentialsSet(true);
    m_model->setLoginScope(false, {QStringLiteral("urn:uuid:e1")});
    m_model->addDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_NEED_LOGIN));
    m_model->addDevice(onvifDevice("urn:uuid:e2", "192.168.1.71", VEXA_DETAILS_NEED_LOGIN));
    QCOMPARE(text(0, DeviceInfoModel::KindActivationState), QStringLiteral("Sign-in refused"));
    QCOMPARE(text(1, DeviceInfoModel::KindActivationState), QStringLiteral("Sign-in needed"));
    m_model->setLoginScope(false, {QStringLiteral("urn:uuid:e1"), QStringLiteral("urn:uuid:e2")});
    QCOMPARE(text(0, DeviceInfoModel::KindActivationState), QStringLiteral("Sign-in refused"));
    QCOMPARE(text(1, DeviceInfoModel::KindActivationState), QStringLiteral("Reading details"));
}

void TestDeviceInfoModel::claimsAgainstADeviceAreShown_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("tip");
    QTest::newRow("login given only") << int(VEXA_ONVIF_LOGIN_GIVEN) << QStringLiteral("Activated")
                                      << QStringLiteral("no activation step");
    QTest::newRow("said goodbye") << int(VEXA_ONVIF_SAID_BYE) << QStringLiteral("Said goodbye; checking")
                                  << QStringLiteral("until its address stops answering");
    QTest::newRow("certificate changed") << int(VEXA_ONVIF_CERTIFICATE_CHANGED | VEXA_ONVIF_SAID_BYE)
                                         << QStringLiteral("Certificate changed")
                                         << QStringLiteral("accept the new certificate");
    QTest::newRow("address claimed") << int(VEXA_ONVIF_ADDRESS_CLAIMED) << QStringLiteral("Activated")
                                     << QStringLiteral("named another address");
}

// What the library holds against a message about a device is said on its row, in the state cell's tool tip too.
void TestDeviceInfoModel::claimsAgainstADeviceAreShown() {
    QFETCH(int, flags);
    QFETCH(QString, status);
    QFETCH(QString, tip);
    VEXA_DEVICE_MY_INFO record =
        onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_READ, "OC1", "0a-00-00-00-00-01");
    record.onvifFlags = static_cast<uint8_t>(flags);
    m_model->addDevice(record);
    QCOMPARE(text(0, DeviceInfoModel::KindActivationState), status);
    const QModelIndex state = m_model->index(0, m_model->columnOf(DeviceInfoModel::KindActivationState));
    const QString shown = state.data(Qt::ToolTipRole).toString();
    QVERIFY2(shown.contains(tip), qPrintable(shown));
    record.onvifFlags = 0;
    m_model->updateDevice(record);
    QCOMPARE(text(0, DeviceInfoModel::KindActivationState), QStringLiteral("Activated"));
}

void TestDeviceInfoModel::restartingDeviceSaysSoUntilItEnds_data() {
    QTest::addColumn<VEXA_DEVICE_MY_INFO>("record");
    QTest::addColumn<QString>("stateAfter");
    QTest::newRow("ours") << device("S1", "02-00-00-00-00-01", "192.168.1.2") << QStringLiteral("Activated");
    QTest::newRow("ONVIF, details read") << onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_READ, "OC1",
                                                        "0a-00-00-00-00-01")
                                         << QStringLiteral("\u2014");
}

void TestDeviceInfoModel::restartingDeviceSaysSoUntilItEnds() {
    QFETCH(VEXA_DEVICE_MY_INFO, record);
    m_model->addDevice(device("S0", "02-00-00-00-00-00", "192.168.1.1"));
    m_model->addDevice(record);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_model->setRestarting(deviceKeyOf(record), true);
    QVERIFY(!changed.isEmpty());
    const QModelIndex state = m_model->index(1, m_model->columnOf(DeviceInfoModel::KindActivationState));
    QCOMPARE(state.data().toString(), QStringLiteral("Restarting…"));
    QVERIFY(!state.data(Qt::ToolTipRole).toString().isEmpty());
    // Its reports meanwhile change its cells, not what its state says; the other row is untouched.
    setRecordText(record.ipv4Address, "192.168.1.99");
    m_model->updateDevice(record);
    QCOMPARE(text(1, DeviceInfoModel::KindIpv4Address), QStringLiteral("192.168.1.99"));
    QCOMPARE(state.data().toString(), QStringLiteral("Restarting…"));
    QCOMPARE(m_model->index(0, state.column()).data().toString(), QStringLiteral("Activated"));
    m_model->setRestarting(deviceKeyOf(record), false);
    QTEST(state.data().toString(), "stateAfter");
}

void TestDeviceInfoModel::ourDeviceAlsoAnsweringOnvifIsMarked() {
    const auto ours = device("SA", "02-00-00-00-00-01", "192.168.1.2");
    const DeviceKey key{QStringLiteral("SA"), QStringLiteral("02-00-00-00-00-01")};
    // Marked before its row exists (the ONVIF side answered first) and after.
    m_model->setAlsoOnvif(key, true);
    m_model->addDevice(ours);
    const QModelIndex id = m_model->index(0, m_model->columnOf(DeviceInfoModel::KindId));
    QVERIFY(id.data(DeviceInfoModel::AlsoOnvifRole).toBool());
    QVERIFY(id.data(Qt::ToolTipRole).toString().contains(QStringLiteral("also answers as an ONVIF device")));
    QCOMPARE(m_model->onvifCount(), 1);
    // A later report of ours keeps the mark.
    m_model->updateDevice(ours);
    QVERIFY(id.data(Qt::DecorationRole).isValid());
    QVERIFY(id.data(Qt::ToolTipRole).toString().contains(QStringLiteral("ONVIF")));
    m_model->setAlsoOnvif(key, false);
    QVERIFY(!id.data(DeviceInfoModel::AlsoOnvifRole).toBool());
    QVERIFY(!id.data(Qt::ToolTipRole).isValid());
    QCOMPARE(m_model->onvifCount(), 0);
}

void TestDeviceInfoModel::quickFilterMatchesOnvif_data() {
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("onvif") << QStringLiteral("onvif")
                           << QStringList{QStringLiteral("urn:uuid:e1"), QStringLiteral("SB"), QStringLiteral("OC1")};
    QTest::newRow("onvif and address") << QStringLiteral("ONVIF 192.168.1.70")
                                       << QStringList{QStringLiteral("urn:uuid:e1")};
    QTest::newRow("ours only") << QStringLiteral("SA") << QStringList{QStringLiteral("SA")};
}

void TestDeviceInfoModel::quickFilterMatchesOnvif() {
    QFETCH(QString, words);
    QFETCH(QStringList, shown);
    m_model->addDevice(onvifDevice("urn:uuid:e1", "192.168.1.70", VEXA_DETAILS_PENDING));
    m_model->addDevice(device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_model->addDevice(device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    m_model->addDevice(onvifDevice("urn:uuid:e2", "192.168.1.71", VEXA_DETAILS_READ, "OC1", "0a-00-00-00-00-01"));
    m_model->setAlsoOnvif({QStringLiteral("SB"), QStringLiteral("02-00-00-00-00-02")}, true);
    DeviceFilterProxyModel filter;
    filter.setSourceModel(m_model.get());
    filter.setCheckColumn(m_model->columnOf(DeviceInfoModel::KindCheck));
    filter.setKeywordRole(DeviceInfoModel::KeywordsRole);
    filter.setFilterColumns(
        {m_model->columnOf(DeviceInfoModel::KindIpv4Address), m_model->columnOf(DeviceInfoModel::KindSerialNumber)});
    filter.setFilterWords(words);
    QStringList keys;
    for (int r = 0; r < filter.rowCount(); ++r)
        keys << m_model->keyOf(filter.mapToSource(filter.index(r, 0)).row()).serialNo;
    QCOMPARE(keys, shown);
}

QTEST_MAIN(TestDeviceInfoModel)
#include "tst_deviceinfomodel.moc"
