#include <algorithm>
#include <cstring>

#include <QCheckBox>
#include <QTest>

#include "ModifyTestSupport.h"
#include "aptui/MultiStateLineEdit.h"
#include "modify/DeviceNetParaPage.h"
#include "vexa.h"

using namespace modifytest;
using VexaTool::DeviceNetParaPage;

using Edits = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Edits)

// The parameter form on its own: what it shows for a stored device, what it lets through, and the record
// it builds.
class TestDeviceNetParaPage : public QObject {
    Q_OBJECT

private slots:
    void init();
    void validateSingle_data();
    void validateSingle();
    void validateBatch_data();
    void validateBatch();
    void ipv6Editors_data();
    void ipv6Editors();
    void batchGatewayGoesOnlyWhereItIsTaken_data();
    void batchGatewayGoesOnlyWhereItIsTaken();
    void batchFillFlags_data();
    void batchFillFlags();
    void oddReportedValuesAreKeptUnlessChanged_data();
    void oddReportedValuesAreKeptUnlessChanged();
    void singleKeepsWhatTheFormDoesNotChange_data();
    void singleKeepsWhatTheFormDoesNotChange();
    void typedNamesGoOutAsUtf8_data();
    void typedNamesGoOutAsUtf8();
    void httpPortZeroIsSentAs80();
    void addressesGoOutCanonical();
    void deviceWithoutDhcpSupport();
    void batchDhcpOffRestoresWhatTheSelectionAllows();
    void pressIntoMarkedEditorClearsItsMark();

private:
    aptui::MultiStateLineEdit* edit(const char* name) const { return m_form->editor(QString::fromLatin1(name)); }
    QStringList markedEditors() const;

    std::unique_ptr<DeviceNetParaPage> m_form;
};

void TestDeviceNetParaPage::init() {
    VEXA::DeviceStore::instance()->clear();
    m_form = std::make_unique<DeviceNetParaPage>();
}

QStringList TestDeviceNetParaPage::markedEditors() const {
    QStringList names;
    for (auto* e : m_form->findChildren<aptui::MultiStateLineEdit*>())
        if (e->lineEditState() == aptui::MultiStateLineEdit::ERROR)
            names << e->objectName();
    return names;
}

void TestDeviceNetParaPage::validateSingle_data() {
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("message"); // empty: passes
    QTest::addColumn<QString>("marked");
    // Each row breaks the field under test and also a later one, so that the order shows.
    QTest::newRow("RTSP before name") << Edits{{u"m_lineEditRTSP"_qs, {}}, {u"m_lineEditDeviceName"_qs, {}}}
                                      << u"RTSP port ranges from 0 to 65535."_qs << u"m_lineEditRTSP"_qs;
    QTest::newRow("name before address") << Edits{{u"m_lineEditDeviceName"_qs, u"  "_qs},
                                                  {u"m_lineEditIpAddress"_qs, {}}}
                                         << u"Device name cannot be empty."_qs << u"m_lineEditDeviceName"_qs;
    QTest::newRow("name with a control character")
        << Edits{{u"m_lineEditDeviceName"_qs, u"Gate\u0007"_qs}} << u"Device name is too long for the device."_qs
        << u"m_lineEditDeviceName"_qs;
    // The device's field holds 32 bytes of UTF-8: 11 Chinese characters are 33.
    QTest::newRow("name beyond the device's 32 bytes")
        << Edits{{u"m_lineEditDeviceName"_qs, QString(11, QChar(0x5927))}}
        << u"Device name is too long for the device."_qs << u"m_lineEditDeviceName"_qs;
    QTest::newRow("Chinese name that fits")
        << Edits{{u"m_lineEditDeviceName"_qs, QString(10, QChar(0x5927))}} << QString() << QString();
    QTest::newRow("32 letters fit") << Edits{{u"m_lineEditDeviceName"_qs, QString(32, u'n')}} << QString() << QString();
    QTest::newRow("address before port") << Edits{{u"m_lineEditIpAddress"_qs, {}}, {u"m_lineEditPort"_qs, u"1"_qs}}
                                         << u"Please input IP Address."_qs << u"m_lineEditIpAddress"_qs;
    QTest::newRow("address out of range") << Edits{{u"m_lineEditIpAddress"_qs, u"192.168.1.300"_qs}}
                                          << u"IP Address not correct."_qs << u"m_lineEditIpAddress"_qs;
    QTest::newRow("port 1999 before mask")
        << Edits{{u"m_lineEditPort"_qs, u"1999"_qs}, {u"m_lineEditSubnetMask"_qs, {}}}
        << u"Device port ranges from 2000 to 65535."_qs << u"m_lineEditPort"_qs;
    QTest::newRow("empty port is 0") << Edits{{u"m_lineEditPort"_qs, {}}}
                                     << u"Device port ranges from 2000 to 65535."_qs << u"m_lineEditPort"_qs;
    QTest::newRow("mask empty before gateway") << Edits{{u"m_lineEditSubnetMask"_qs, {}}, {u"m_lineEditGateway"_qs, {}}}
                                               << u"Subnet mask can not be empty."_qs << u"m_lineEditSubnetMask"_qs;
    QTest::newRow("mask not contiguous") << Edits{{u"m_lineEditSubnetMask"_qs, u"255.0.255.0"_qs}}
                                         << u"Subnet Mask not correct."_qs << u"m_lineEditSubnetMask"_qs;
    QTest::newRow("gateway empty before IPv6")
        << Edits{{u"m_lineEditGateway"_qs, {}}, {u"m_lineEditIPV6Address"_qs, {}}} << u"Gateway can not be empty"_qs
        << u"m_lineEditGateway"_qs;
    QTest::newRow("gateway broadcast") << Edits{{u"m_lineEditGateway"_qs, u"192.168.1.255"_qs}}
                                       << u"Gateway not correct."_qs << u"m_lineEditGateway"_qs;
    QTest::newRow("IPv6 address before IPv6 gateway")
        << Edits{{u"m_lineEditIPV6Address"_qs, u"fe80::zz"_qs}, {u"m_lineEditIPV6Gateway"_qs, {}}}
        << u"IPv6 Address not correct."_qs << u"m_lineEditIPV6Address"_qs;
    QTest::newRow("IPv6 gateway empty") << Edits{{u"m_lineEditIPV6Gateway"_qs, {}}} << u"IPv6 gateway not correct."_qs
                                        << u"m_lineEditIPV6Gateway"_qs;
    QTest::newRow("prefix empty before HTTP")
        << Edits{{u"m_lineEditIPV6SubnetMaskLen"_qs, {}}, {u"m_lineEditHttpPort"_qs, u"0"_qs}}
        << u"IPv6 prefix length ranges from 0 to 127."_qs << u"m_lineEditIPV6SubnetMaskLen"_qs;
    QTest::newRow("HTTP port 0 while enabled") << Edits{{u"m_lineEditHttpPort"_qs, u"0"_qs}}
                                               << u"Http port ranges from 1 to 65535."_qs << u"m_lineEditHttpPort"_qs;
    QTest::newRow("port 2000 passes") << Edits{{u"m_lineEditPort"_qs, u"2000"_qs}} << QString() << QString();
    QTest::newRow("leading zeros pass") << Edits{{u"m_lineEditIpAddress"_qs, u"192.168.001.010"_qs}} << QString()
                                        << QString();
}

void TestDeviceNetParaPage::validateSingle() {
    QFETCH(Edits, edits);
    QFETCH(QString, message);
    QFETCH(QString, marked);
    const DeviceInfo entry = addDevice(DeviceSample{});
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    for (const auto& [name, text] : edits)
        m_form->editor(name)->setText(text);
    ModalWatcher watcher;
    QCOMPARE(m_form->validateSingle(QPoint()), message.isEmpty());
    QCOMPARE(watcher.warnings, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(markedEditors(), marked.isEmpty() ? QStringList() : QStringList{marked});
}

void TestDeviceNetParaPage::validateBatch_data() {
    QTest::addColumn<bool>("mixedPorts");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QStringList>("messages"); // all in one box, in the form's order; empty: passes
    QTest::addColumn<QStringList>("marked");
    QTest::addColumn<QString>("name"); // what readBatch gives the third device; empty: each keeps its own
    const Edits valid{{u"m_lineEditRTSP"_qs, u"554"_qs},         {u"m_lineEditStartIp"_qs, u"10.0.0.10"_qs},
                      {u"m_lineEditPort"_qs, u"8000"_qs},        {u"m_lineEditSubnetMask"_qs, u"255.0.0.0"_qs},
                      {u"m_lineEditGateway"_qs, u"10.0.0.1"_qs}, {u"m_lineEditHttpPort"_qs, u"80"_qs}};
    auto with = [&valid](const Edits& changes) {
        Edits all = valid;
        all += changes;
        return all;
    };
    QTest::newRow("all given, names kept") << false << valid << QStringList() << QStringList() << QString();
    QTest::newRow("one name for all") << false << with({{u"m_lineEditDeviceName"_qs, u"Gate"_qs}}) << QStringList()
                                      << QStringList() << u"Gate"_qs;
    QTest::newRow("a numbered name") << false << with({{u"m_lineEditDeviceName"_qs, u"Lobby-{n}"_qs}}) << QStringList()
                                     << QStringList() << u"Lobby-3"_qs;
    QTest::newRow("a pattern judged by its longest name")
        << false << with({{u"m_lineEditDeviceName"_qs, QString(10, QChar(0x5927)) + u"--{n}"_qs}})
        << QStringList{u"Device name is too long for the device."_qs} << QStringList{u"m_lineEditDeviceName"_qs}
        << QString();
    QTest::newRow("every fault at once, each marked")
        << false
        << with({{u"m_lineEditRTSP"_qs, {}},
                 {u"m_lineEditStartIp"_qs, {}},
                 {u"m_lineEditPort"_qs, u"80"_qs},
                 {u"m_lineEditSubnetMask"_qs, {}},
                 {u"m_lineEditGateway"_qs, u"10.255.255.255"_qs},
                 {u"m_lineEditHttpPort"_qs, {}}})
        << QStringList{u"RTSP port ranges from 0 to 65535."_qs,
                       u"Please input IP Address."_qs,
                       u"Device port ranges from 2000 to 65535."_qs,
                       u"Subnet mask can not be empty."_qs,
                       u"Gateway not correct."_qs,
                       u"Http port ranges from 1 to 65535."_qs}
        << QStringList{u"m_lineEditRTSP"_qs,       u"m_lineEditStartIp"_qs, u"m_lineEditPort"_qs,
                       u"m_lineEditSubnetMask"_qs, u"m_lineEditGateway"_qs, u"m_lineEditHttpPort"_qs}
        << QString();
    QTest::newRow("start wrong") << false << with({{u"m_lineEditStartIp"_qs, u"10.0.0.0"_qs}})
                                 << QStringList{u"IP Address not correct."_qs} << QStringList{u"m_lineEditStartIp"_qs}
                                 << QString();
    QTest::newRow("mixed ports: port not checked")
        << true << with({{u"m_lineEditPort"_qs, {}}}) << QStringList() << QStringList() << QString();
}

void TestDeviceNetParaPage::validateBatch() {
    QFETCH(bool, mixedPorts);
    QFETCH(Edits, edits);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, marked);
    QFETCH(QString, name);
    DeviceSample sample;
    sample.capability = 1; // gateway editor on
    QVector<DeviceInfo> entries{addDevice(numbered(1, sample), 1)};
    sample.port = mixedPorts ? 9000 : sample.port;
    entries << addDevice(numbered(2, sample), 2) << addDevice(numbered(3, sample), 3);
    m_form->setBatchLayout();
    m_form->batchFill(entries);
    auto* keep = m_form->findChild<QCheckBox*>(u"m_checkBoxKeepNames"_qs);
    QVERIFY(keep && keep->isChecked()); // the default: each device keeps its name
    for (const auto& [editor, text] : edits)
        m_form->editor(editor)->setText(text);
    ModalWatcher watcher;
    QCOMPARE(m_form->validateBatch(QPoint()), messages.isEmpty());
    QCOMPARE(watcher.warnings, messages.isEmpty() ? QStringList() : QStringList{messages.join(QLatin1Char('\n'))});
    QStringList shownMarks = markedEditors();
    std::sort(shownMarks.begin(), shownMarks.end());
    std::sort(marked.begin(), marked.end());
    QCOMPARE(shownMarks, marked);
    if (messages.isEmpty()) {
        const DeviceNetParaPage::BatchValues values = m_form->readBatch();
        QCOMPARE(values.keepNames, name.isEmpty());
        QCOMPARE(values.keepNames ? QString() : DeviceNetParaPage::batchName(values.deviceName, 3), name);
    }
}

void TestDeviceNetParaPage::ipv6Editors_data() {
    QTest::addColumn<int>("capability");
    QTest::addColumn<int>("support");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("shown");
    QTest::newRow("level 2, IPv6 modifiable")
        << 2 << int(VEXA_SUPPORT_IPV6 | VEXA_SUPPORT_MODIFY_IPV6) << true << u"fe80::64"_qs;
    QTest::newRow("level 1, IPv6 read-only") << 1 << int(VEXA_SUPPORT_IPV6) << false << u"fe80::64"_qs;
    QTest::newRow("level 2, no IPv6") << 2 << 0 << false << QString();
    QTest::newRow("level 2, modify bit without IPv6") << 2 << int(VEXA_SUPPORT_MODIFY_IPV6) << false << QString();
    QTest::newRow("level 0 reports no IPv6")
        << 0 << int(VEXA_SUPPORT_IPV6 | VEXA_SUPPORT_MODIFY_IPV6) << false << QString();
}

void TestDeviceNetParaPage::ipv6Editors() {
    QFETCH(int, capability);
    QFETCH(int, support);
    QFETCH(bool, enabled);
    QFETCH(QString, shown);
    DeviceSample sample;
    sample.capability = static_cast<uint8_t>(capability);
    sample.support = static_cast<uint8_t>(support);
    const DeviceInfo entry = addDevice(sample);
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    for (const char* name : {"m_lineEditIPV6Address", "m_lineEditIPV6Gateway", "m_lineEditIPV6SubnetMaskLen"})
        QCOMPARE(edit(name)->isEnabled(), enabled);
    QCOMPARE(edit("m_lineEditIPV6Address")->text(), shown);
    // Locked editors send nothing of their own: the device's values go back as it has them.
    const VEXA_NET_PARAM params = m_form->readSingle();
    QCOMPARE(QByteArray(params.ipv6Address), QByteArray("fe80::64"));
}

void TestDeviceNetParaPage::batchGatewayGoesOnlyWhereItIsTaken_data() {
    QTest::addColumn<QString>("selection"); // per device: 0 or 1 ours at that capability level, o an ONVIF device
    QTest::addColumn<bool>("fieldOpen");
    QTest::addColumn<QString>("gateways"); // what each device is sent: n the batch's gateway, k its own
    QTest::addColumn<int>("keeping");      // devices the field's tool tip says keep their own
    QTest::newRow("ours alone at level 0: locked, each keeps its own") << u"00"_qs << false << u"kk"_qs << 2;
    QTest::newRow("ours at level 1 take it") << u"11"_qs << true << u"nn"_qs << 0;
    QTest::newRow("a mix: ours at level 0 keep theirs beside ONVIF") << u"0o1"_qs << true << u"knn"_qs << 1;
    QTest::newRow("ONVIF alone") << u"oo"_qs << true << u"nn"_qs << 0;
}

void TestDeviceNetParaPage::batchGatewayGoesOnlyWhereItIsTaken() {
    QFETCH(QString, selection);
    QFETCH(bool, fieldOpen);
    QFETCH(QString, gateways);
    QFETCH(int, keeping);
    QVector<DeviceInfo> entries;
    QVector<VEXA_DEVICE_MY_INFO> records;
    for (int i = 0; i < selection.size(); ++i) {
        DeviceSample sample = numbered(i);
        sample.typeCode = 0x1000; // outside the ranges: the start address is open
        sample.capability = static_cast<uint8_t>(selection.at(i) == u'1' ? 1 : 0);
        VEXA_DEVICE_MY_INFO record = makeRecord(sample);
        if (selection.at(i) == u'o')
            record.protocol = VEXA_PROTOCOL_ONVIF;
        VEXA::DeviceStore::instance()->add(record);
        records << record;
        entries << DeviceInfo{QString::number(i + 1), sample.typeName, sample.ipv4, sample.serial, sample.mac, {}};
    }
    m_form->setBatchLayout();
    m_form->batchFill(entries);
    QCOMPARE(edit("m_lineEditGateway")->isEnabled(), fieldOpen);
    // The rule is on the form: the tool tip counts the devices that keep their own.
    QCOMPARE(edit("m_lineEditGateway")->toolTip().isEmpty(), keeping == 0);
    if (keeping > 0 && fieldOpen)
        QVERIFY(edit("m_lineEditGateway")->toolTip().contains(QString::number(keeping)));
    DeviceNetParaPage::BatchValues values;
    values.startEnabled = true;
    values.gatewayEnabled = fieldOpen;
    values.mask = u"255.255.0.0"_qs;
    values.gateway = fieldOpen ? u"127.70.0.254"_qs : QString();
    for (int i = 0; i < records.size(); ++i) {
        VEXA_NET_PARAM current;
        std::memset(&current, 0, sizeof current);
        VEXA::DeviceStore::instance()->readNetParams(entries[i].serialNo, entries[i].mac, current);
        const VEXA_NET_PARAM sent = DeviceNetParaPage::batchParams(records[i], current, values, true,
                                                                   QStringLiteral("127.70.9.%1").arg(i + 1), {});
        QCOMPARE(QString::fromLatin1(sent.ipv4Address), QStringLiteral("127.70.9.%1").arg(i + 1));
        QCOMPARE(QString::fromLatin1(sent.ipv4Gateway),
                 gateways.at(i) == u'n' ? u"127.70.0.254"_qs : recordText(records[i].ipv4Gateway));
    }
}

void TestDeviceNetParaPage::batchFillFlags_data() {
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<QList<int>>("capabilities");
    QTest::addColumn<QList<int>>("httpPorts");
    QTest::addColumn<QList<bool>>("enabled"); // start, mask, port, gateway, HTTP
    QTest::newRow("all inside the ranges")
        << QList<int>{0x9D01, 0x9EFF, 0x9F00} << QList<int>{8000, 8000, 8000} << QList<int>{2, 2, 2}
        << QList<int>{80, 80, 80} << QList<bool>{false, false, true, false, true};
    QTest::newRow("one type outside") << QList<int>{0x9D01, 0xA000} << QList<int>{8000, 8000} << QList<int>{2, 2}
                                      << QList<int>{80, 80} << QList<bool>{true, true, true, false, true};
    QTest::newRow("mixed ports") << QList<int>{0x1000, 0x1000} << QList<int>{8000, 8001} << QList<int>{2, 2}
                                 << QList<int>{80, 80} << QList<bool>{true, true, false, false, true};
    QTest::newRow("one level 1 enables gateway")
        << QList<int>{0x1000, 0x1000} << QList<int>{8000, 8000} << QList<int>{2, 1} << QList<int>{80, 80}
        << QList<bool>{true, true, true, true, true};
    QTest::newRow("one without HTTP") << QList<int>{0x1000, 0x1000} << QList<int>{8000, 8000} << QList<int>{0, 0}
                                      << QList<int>{80, 0} << QList<bool>{true, true, true, false, false};
}

void TestDeviceNetParaPage::batchFillFlags() {
    QFETCH(QList<int>, types);
    QFETCH(QList<int>, ports);
    QFETCH(QList<int>, capabilities);
    QFETCH(QList<int>, httpPorts);
    QFETCH(QList<bool>, enabled);
    QVector<DeviceInfo> entries;
    for (int i = 0; i < types.size(); ++i) {
        DeviceSample sample;
        sample.typeCode = types[i];
        sample.port = ports[i];
        sample.capability = static_cast<uint8_t>(capabilities[i]);
        sample.httpPort = httpPorts[i];
        entries << addDevice(numbered(i, sample), i + 1);
    }
    m_form->setBatchLayout();
    m_form->editor(u"m_lineEditRTSP"_qs)->setText(u"1"_qs);
    m_form->batchFill(entries);
    const QList<bool> actual{edit("m_lineEditStartIp")->isEnabled(), edit("m_lineEditSubnetMask")->isEnabled(),
                             edit("m_lineEditPort")->isEnabled(), edit("m_lineEditGateway")->isEnabled(),
                             edit("m_lineEditHttpPort")->isEnabled()};
    QCOMPARE(actual, enabled);
    QVERIFY(edit("m_lineEditRTSP")->isEnabled() && edit("m_lineEditRTSP")->text().isEmpty());
    QVERIFY(!edit("m_lineEditIPV6Address")->isEnabled());
    QCOMPARE(m_form->readBatch().port, 0u);
}

void TestDeviceNetParaPage::singleKeepsWhatTheFormDoesNotChange_data() {
    QTest::addColumn<int>("support");
    QTest::addColumn<QByteArray>("name"); // the device's bytes
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("tickDhcp");
    const int dhcpAndIpv6 = VEXA_SUPPORT_IPV6 | VEXA_SUPPORT_DHCP;
    // Changing IPv6 would be refused (2015); an empty IPv6 address is a change.
    QTest::newRow("IPv6 without its change, DHCP ticked") << dhcpAndIpv6 << QByteArray("Lobby") << u"Lobby"_qs << true;
    QTest::newRow("IPv6 without its change, address typed")
        << dhcpAndIpv6 << QByteArray("Lobby") << u"Lobby"_qs << false;
    // Ticking DHCP must not erase a static IPv6 address.
    QTest::newRow("IPv6 changeable, DHCP ticked")
        << (dhcpAndIpv6 | VEXA_SUPPORT_MODIFY_IPV6) << QByteArray("Lobby") << u"Lobby"_qs << true;
    QTest::newRow("name longer than the old editor")
        << dhcpAndIpv6 << QByteArray("Parking level 2, north gate") << u"Parking level 2, north gate"_qs << false;
    QTest::newRow("name of 32 bytes") << dhcpAndIpv6 << QByteArray(32, 'x') << QString(32, u'x') << false;
    QTest::newRow("UTF-8 name") << dhcpAndIpv6 << QByteArray("\xe5\xa4\xa7\xe9\x97\xa8") << u"大门"_qs << false;
    QTest::newRow("Latin-1 name of an older device")
        << dhcpAndIpv6 << QByteArray("Caf\xe9 Nord") << u"Café Nord"_qs << false;
}

void TestDeviceNetParaPage::singleKeepsWhatTheFormDoesNotChange() {
    QFETCH(int, support);
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(bool, tickDhcp);
    DeviceSample sample;
    sample.support = static_cast<uint8_t>(support);
    VEXA_DEVICE_MY_INFO record = makeRecord(sample);
    setRecordText(record.deviceName, name);
    VEXA::DeviceStore::instance()->add(record);
    m_form->setSingleLayout();
    m_form->fillFromDevice(sample.serial, sample.mac, false, 0);
    QCOMPARE(edit("m_lineEditDeviceName")->text(), shown);
    if (tickDhcp)
        m_form->fillFromDevice(sample.serial, sample.mac, true, 0);
    else
        edit("m_lineEditIpAddress")->setText(u"192.168.1.70"_qs);
    ModalWatcher watcher;
    QVERIFY(m_form->validateSingle(QPoint()));
    const VEXA_NET_PARAM params = m_form->readSingle();
    QCOMPARE(params.dhcpEnabled, tickDhcp ? 1 : 0);
    QCOMPARE(QByteArray(params.ipv4Address), tickDhcp ? QByteArray("192.168.1.64") : QByteArray("192.168.1.70"));
    QCOMPARE(QByteArray(params.ipv6Address), QByteArray("fe80::64"));
    QCOMPARE(QByteArray(params.ipv6Gateway), QByteArray("fe80::1"));
    QCOMPARE(params.ipv6PrefixLength, 64);
    QCOMPARE(QByteArray(params.deviceName, int(strnlen(params.deviceName, sizeof params.deviceName))), name);
}

void TestDeviceNetParaPage::oddReportedValuesAreKeptUnlessChanged_data() {
    QTest::addColumn<QString>("mask"); // as the device reports them
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("address");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QByteArrayList>("sent"); // address, mask, gateway
    QTest::newRow("a mask of all ones, only the gateway typed")
        << u"255.255.255.255"_qs << u"192.168.1.1"_qs << u"192.168.1.64"_qs
        << Edits{{u"m_lineEditGateway"_qs, u"192.168.1.254"_qs}}
        << QByteArrayList{"192.168.1.64", "255.255.255.255", "192.168.1.254"};
    QTest::newRow("no gateway, only the name typed")
        << u"255.255.255.0"_qs << QString() << u"192.168.1.64"_qs << Edits{{u"m_lineEditDeviceName"_qs, u"Hall"_qs}}
        << QByteArrayList{"192.168.1.64", "255.255.255.0", ""};
    QTest::newRow("an address with leading zeros, only the RTSP port typed")
        << u"255.255.255.0"_qs << u"192.168.1.1"_qs << u"192.168.001.064"_qs
        << Edits{{u"m_lineEditRTSP"_qs, u"10554"_qs}}
        << QByteArrayList{"192.168.001.064", "255.255.255.0", "192.168.1.1"};
}

void TestDeviceNetParaPage::oddReportedValuesAreKeptUnlessChanged() {
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(QString, address);
    QFETCH(Edits, edits);
    QFETCH(QByteArrayList, sent);
    DeviceSample sample;
    sample.mask = mask;
    sample.gateway = gateway;
    sample.ipv4 = address;
    const DeviceInfo entry = addDevice(sample);
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    QCOMPARE(edit("m_lineEditSubnetMask")->text(), mask); // shown as it is
    for (const auto& [name, text] : edits)
        m_form->editor(name)->setText(text);
    ModalWatcher watcher;
    QVERIFY(m_form->validateSingle(QPoint()));
    QVERIFY(watcher.warnings.isEmpty());
    const VEXA_NET_PARAM params = m_form->readSingle();
    QCOMPARE((QByteArrayList{params.ipv4Address, params.ipv4SubnetMask, params.ipv4Gateway}), sent);
}

void TestDeviceNetParaPage::typedNamesGoOutAsUtf8_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("accent") << u"Café"_qs << QByteArray("Caf\xc3\xa9");
    QTest::newRow("Chinese") << u"大门"_qs << QByteArray("\xe5\xa4\xa7\xe9\x97\xa8");
    QTest::newRow("spaces around") << u"  Gate 2 "_qs << QByteArray("Gate 2");
}

void TestDeviceNetParaPage::typedNamesGoOutAsUtf8() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);
    const DeviceInfo entry = addDevice(DeviceSample{});
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    edit("m_lineEditDeviceName")->setText(typed);
    ModalWatcher watcher;
    QVERIFY(m_form->validateSingle(QPoint()));
    const VEXA_NET_PARAM params = m_form->readSingle();
    QCOMPARE(QByteArray(params.deviceName, int(strnlen(params.deviceName, sizeof params.deviceName))), sent);
}

void TestDeviceNetParaPage::httpPortZeroIsSentAs80() {
    DeviceSample sample;
    sample.httpPort = 0;
    const DeviceInfo entry = addDevice(sample);
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    QCOMPARE(edit("m_lineEditHttpPort")->text(), u"0"_qs);
    QVERIFY(!edit("m_lineEditHttpPort")->isEnabled());
    ModalWatcher watcher;
    QVERIFY(m_form->validateSingle(QPoint()));
    QCOMPARE(m_form->readSingle().httpPort, 80);
}

void TestDeviceNetParaPage::addressesGoOutCanonical() {
    const DeviceInfo entry = addDevice(DeviceSample{});
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    edit("m_lineEditIpAddress")->setText(u"192.168.001.010"_qs);
    edit("m_lineEditGateway")->setText(u" 192.168.1.001"_qs);
    edit("m_lineEditIPV6Address")->setText(u"FE80:0:0:0:0:0:0:0010%eth0"_qs);
    edit("m_lineEditPort")->setText(u"08000"_qs);
    ModalWatcher watcher;
    QVERIFY(m_form->validateSingle(QPoint()));
    const VEXA_NET_PARAM params = m_form->readSingle();
    QCOMPARE(QByteArray(params.ipv4Address), QByteArray("192.168.1.10"));
    QCOMPARE(QByteArray(params.ipv4Gateway), QByteArray("192.168.1.1"));
    QCOMPARE(QByteArray(params.ipv6Address), QByteArray("fe80::10"));
    QCOMPARE(params.port, 8000);
    QCOMPARE(params.rtspPort, 554);
    QCOMPARE(params.ipv6PrefixLength, 64);
    QCOMPARE(QByteArray(params.deviceName), QByteArray("Lobby"));
}

void TestDeviceNetParaPage::deviceWithoutDhcpSupport() {
    DeviceSample sample;
    sample.support = VEXA_SUPPORT_IPV6;
    sample.dhcp = 1; // a flag the device cannot act on
    const DeviceInfo entry = addDevice(sample);
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    auto* box = m_form->findChild<QCheckBox*>(u"m_checkBoxDHCP"_qs);
    QVERIFY(!box->isChecked());
    QVERIFY(!box->isEnabled());
    QVERIFY(edit("m_lineEditIpAddress")->isEnabled());
    QCOMPARE(m_form->readSingle().dhcpEnabled, 0);
}

void TestDeviceNetParaPage::batchDhcpOffRestoresWhatTheSelectionAllows() {
    DeviceSample sample;
    sample.typeCode = 0x9D10; // inside the ranges: no start address for this selection
    const QVector<DeviceInfo> entries{addDevice(numbered(1, sample), 1), addDevice(numbered(2, sample), 2)};
    m_form->setBatchLayout();
    m_form->batchFill(entries);
    auto* box = m_form->findChild<QCheckBox*>(u"m_checkBoxBatchDHCP"_qs);
    connect(m_form.get(), &DeviceNetParaPage::signalBatchDhcpStateChanged, m_form.get(),
            [this](int state) { m_form->batchDhcpChange(state != Qt::Checked); });
    box->setChecked(true);
    QVERIFY(!m_form->batchDhcpOff());
    box->setChecked(false);
    QVERIFY(m_form->batchDhcpOff());
    QVERIFY(!edit("m_lineEditStartIp")->isEnabled());
    QVERIFY(!edit("m_lineEditSubnetMask")->isEnabled());
}

void TestDeviceNetParaPage::pressIntoMarkedEditorClearsItsMark() {
    const DeviceInfo entry = addDevice(DeviceSample{});
    m_form->setSingleLayout();
    m_form->fillFromDevice(entry.serialNo, entry.mac, false, 0);
    edit("m_lineEditGateway")->clear();
    {
        ModalWatcher watcher;
        QVERIFY(!m_form->validateSingle(QPoint()));
    }
    QCOMPARE(markedEditors(), QStringList{u"m_lineEditGateway"_qs});
    auto* hint = m_form->findChild<QLabel*>(u"m_labelHintGateway"_qs);
    QVERIFY(!hint->pixmap().isNull() || hint->text().isEmpty());
    QTest::mouseClick(edit("m_lineEditGateway"), Qt::LeftButton);
    QVERIFY(markedEditors().isEmpty());
    QVERIFY(hint->pixmap().isNull());
}

QTEST_MAIN(TestDeviceNetParaPage)
#include "tst_devicenetparapage.moc"
