// Plan files and their checks against the listed devices: every refusal is found before anything is sent.

#include <cstring>

#include <QtTest>

#include "deployment/DeploymentPlan.h"
#include "deployment/PlanApply.h"
#include "deployment/PlanValidator.h"
#include "deployment/Receipt.h"
#include "plan/PlanDevices.h"
#include "support/PlanTestDevices.h"
#include "vexa.h"

using namespace Qt::StringLiterals;

using namespace VexaTool::plan;

namespace {

const char* const kHeader =
    "Serial Number,MAC,IP Address,Subnet Mask,Gateway,Device Name,Port,HTTP Port,RTSP Port,DHCP\n";

PlanDevice device(const char* serial, const char* mac, const char* ipv4, bool activated = true, bool dhcp = true,
                  uint32_t httpPort = 80, uint32_t rtspPort = 554) {
    PlanDevice d = testsupport::planDevice(serial, mac, ipv4, "255.255.0.0", "127.17.0.254");
    d.httpPort = httpPort;
    d.rtspPort = rtspPort;
    d.activated = activated;
    d.supportsDhcp = dhcp;
    return d;
}

std::vector<PlanDevice> fleet() {
    return {
        device("VX100", "02-56-01-00-00-01", "127.17.0.1"),
        device("VX101", "02-56-01-00-00-02", "127.17.0.2", true, false, 0, 0),
        device("VX102", "02-56-01-00-00-03", "127.17.0.3", false),
        device("VX103", "02-56-01-00-00-04", "127.17.0.4"),
        device("VX104", "02-56-01-00-00-05", "127.17.0.5"),
        device("VXDUP", "02-56-01-00-00-06", "127.17.0.6"),
        device("VXDUP", "02-56-01-00-00-07", "127.17.0.7"),
        [] {
            PlanDevice d = device("VX105", "02-56-01-00-00-08", "127.17.0.8");
            d.gateway.clear(); // lists no gateway
            return d;
        }(),
    };
}

// Ours beside ONVIF devices: two whose settings are read (service ports 8080 and 80), one before sign-in (address
// only), and one of ours sharing an ONVIF device's address.
std::vector<PlanDevice> mixedFleet() {
    std::vector<PlanDevice> devices{
        device("VX100", "02-56-01-00-00-01", "127.70.0.1"), device("CAM1", "0a-00-00-00-00-01", "127.70.1.1"),
        device("CAM2", "0a-00-00-00-00-02", "127.70.1.2"),  device("", "", "127.70.1.3"),
        device("VX105", "02-56-01-00-00-09", "127.70.1.4"), device("CAM4", "0a-00-00-00-00-04", "127.70.1.4")};
    for (size_t i = 1; i < devices.size(); ++i)
        devices[i].capabilities = i != 4 ? uint32_t(VEXA_SIGNS_IN_AS_USER) : uint32_t(VEXA_CAN_SET_PORT);
    devices[1].port = 8080;
    devices[2].port = 80;
    devices[3].detailsRead = false;
    devices[5].port = 8080;
    return devices;
}

const char* codeName(IssueCode code) {
    static const char* const names[] = {
        "RaggedRow",       "NoIdentity",     "InvalidMac",         "IdentityMismatch",    "NoSuchDevice",
        "AmbiguousDevice", "NotActivated",   "DevicePlannedTwice", "AddressPlannedTwice", "AddressInUse",
        "AddressEmpty",    "AddressInvalid", "MaskEmpty",          "MaskInvalid",         "GatewayEmpty",
        "GatewayInvalid",  "PortInvalid",    "HttpPortInvalid",    "HttpPortUnsupported", "RtspPortInvalid",
        "NameEmpty",       "NameTooLong",    "NameControl",        "DhcpInvalid",         "DhcpUnsupported",
        "AddressCycle",    "NameNotUtf8",    "NoDeviceAtAddress",  "AmbiguousAddress",    "AddressMismatch",
        "PortUnsupported", "DetailsNotRead", "AddressAnswers"};
    return names[static_cast<int>(code)];
}

// An issue as "line field code" with what it refers to: "3 Serial DevicePlannedTwice 2".
QStringList describe(const DeploymentPlan& plan, const PlanCheck& check) {
    QStringList out;
    for (const PlanIssue& issue : check.issues) {
        QString text =
            QStringLiteral("%1 %2 %3")
                .arg(plan.rows().at(static_cast<size_t>(issue.row)).line)
                .arg(QString::fromUtf8(DeploymentPlan::columnName(issue.field).data(),
                                       static_cast<qsizetype>(DeploymentPlan::columnName(issue.field).size())))
                .arg(QLatin1String(codeName(issue.code)));
        if (issue.otherLine)
            text += QStringLiteral(" %1").arg(issue.otherLine);
        if (!issue.other.empty())
            text += QLatin1Char(' ') + QString::fromStdString(issue.other);
        if (issue.code == IssueCode::RaggedRow)
            text += QStringLiteral(" %1/%2").arg(issue.count).arg(issue.expected);
        out << text;
    }
    return out;
}

DeploymentPlan parse(const QByteArray& text) {
    return DeploymentPlan::parse(std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

} // namespace

Q_DECLARE_METATYPE(DeploymentPlan::FileError)

class TestPlanValidator : public QObject {
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void file_data();
    void file();
    void headerNames_data();
    void headerNames();
    void deviceOfRow();
    void mixedFleet_data();
    void mixedFleet();
    void netParams_data();
    void netParams();
    void fromDeviceRecord();
    void changesOnlyFromACleanCheck();
    void sendingOrder_data();
    void sendingOrder();
    void applyingKeepsAddressesApart();
    void englishTextsForEveryCode();
};

void TestPlanValidator::rows_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("issues");
    // Lines: the header is line 1, so the first row is line 2.
    QTest::newRow("a clean plan") << QByteArray(
                                         "VX100,,127.17.1.1,255.255.255.0,127.17.1.254,Gate,,,,\n"
                                         ",02-56-01-00-00-02,127.17.1.2,255.255.255.0,127.17.1.254,Hall,2000,,1,no\n")
                                  << QStringList();
    QTest::newRow("two rows for one device, the second by MAC")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,\n"
                      ",02:56:01:00:00:01,127.17.1.2,255.255.255.0,0.0.0.0,B,,,,\n")
        << QStringList{u"2 Serial Number DevicePlannedTwice 3"_s, u"3 Serial Number DevicePlannedTwice 2"_s};
    QTest::newRow("two devices for one address, written differently")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,\n"
                      "VX101,,127.017.001.001,255.255.255.0,0.0.0.0,B,,,,\n"
                      "VX104,,127.17.1.3,255.255.255.0,0.0.0.0,C,,,,\n")
        << QStringList{u"2 IPv4 Address AddressPlannedTwice 3"_s, u"3 IPv4 Address AddressPlannedTwice 2"_s};
    QTest::newRow("address of a listed device the plan leaves alone")
        << QByteArray("VX100,,127.17.0.4,255.255.255.0,0.0.0.0,A,,,,\n")
        << QStringList{u"2 IPv4 Address AddressInUse VX103"_s};
    QTest::newRow("address of a device the plan moves away, or the device's own")
        << QByteArray("VX100,,127.17.0.5,255.255.255.0,0.0.0.0,A,,,,\n"
                      "VX104,,127.17.0.9,255.255.255.0,0.0.0.0,B,,,,\n"
                      "VX101,,127.17.0.2,255.255.255.0,0.0.0.0,C,,,,\n")
        << QStringList();
    QTest::newRow("DHCP rows claim no address") << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,yes\n"
                                                              "VX104,,127.17.1.1,255.255.255.0,0.0.0.0,B,,,,\n"
                                                              "VXDUP,02-56-01-00-00-06,,,,C,,,,on\n")
                                                << QStringList();
    QTest::newRow("who the row names") << QByteArray("VX999,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,\n"
                                                     "VX100,02-56-01-00-00-02,127.17.1.2,255.255.255.0,0.0.0.0,B,,,,\n"
                                                     ",02-56-01-00-00,127.17.1.3,255.255.255.0,0.0.0.0,C,,,,\n"
                                                     ",,127.17.1.4,255.255.255.0,0.0.0.0,D,,,,\n"
                                                     "VXDUP,,127.17.1.5,255.255.255.0,0.0.0.0,E,,,,\n"
                                                     "VXDUP,02-56-01-00-00-07,127.17.1.6,255.255.255.0,0.0.0.0,F,,,,\n"
                                                     "VX102,,127.17.1.7,255.255.255.0,0.0.0.0,G,,,,\n"
                                                     "VX100,02-56-01-00-99-99,127.17.1.8,255.255.255.0,0.0.0.0,H,,,,\n")
                                       << QStringList{u"2 Serial Number NoSuchDevice"_s,
                                                      u"3 MAC IdentityMismatch"_s,
                                                      u"4 MAC InvalidMac"_s,
                                                      u"5 Serial Number NoIdentity"_s,
                                                      u"6 Serial Number AmbiguousDevice"_s,
                                                      u"8 Serial Number NotActivated"_s,
                                                      u"9 MAC NoSuchDevice"_s};
    QTest::newRow("addresses the form refuses")
        << QByteArray("VX100,,127.17.1.0,255.255.255.255,10.0.0.255,A,,,,\n"
                      "VX101,,,,,B,,,,\n"
                      "VX104,,1.2.3,255.255.253.0,1.2.3.0,C,,,,\n")
        << QStringList{
               u"2 IPv4 Address AddressInvalid"_s, u"2 Subnet Mask MaskInvalid"_s, u"2 Gateway GatewayInvalid"_s,
               u"3 IPv4 Address AddressEmpty"_s,   u"3 Subnet Mask MaskEmpty"_s,   u"3 Gateway GatewayEmpty"_s,
               u"4 IPv4 Address AddressInvalid"_s, u"4 Subnet Mask MaskInvalid"_s, u"4 Gateway GatewayInvalid"_s};
    QTest::newRow("an empty gateway as listed: kept on a device without one, refused on one with one")
        << QByteArray("VX105,,127.17.1.8,255.255.255.0,,H,,,,no\n"
                      "VX100,,127.17.1.1,255.255.255.0,,A,,,,no\n")
        << QStringList{u"3 Gateway GatewayEmpty"_s};
    QTest::newRow("ports at their edges")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A,1999,0,0,\n"
                      "VX104,,127.17.1.2,255.255.255.0,0.0.0.0,B,2000,1,1,\n"
                      "VX103,,127.17.1.3,255.255.255.0,0.0.0.0,C,65536,65536,65536,\n"
                      "VXDUP,02-56-01-00-00-06,127.17.1.4,255.255.255.0,0.0.0.0,D,65535,65535,65535,\n"
                      "VX101,,127.17.1.5,255.255.255.0,0.0.0.0,E,80x,8080,-1,\n")
        << QStringList{u"2 Port PortInvalid"_s, u"2 HTTP Port HttpPortInvalid"_s,     u"2 RTSP Port RtspPortInvalid"_s,
                       u"4 Port PortInvalid"_s, u"4 HTTP Port HttpPortInvalid"_s,     u"4 RTSP Port RtspPortInvalid"_s,
                       u"6 Port PortInvalid"_s, u"6 HTTP Port HttpPortUnsupported"_s, u"6 RTSP Port RtspPortInvalid"_s};
    QTest::newRow("the zeros a device without web server or RTSP exports change nothing")
        << QByteArray("VX101,,127.17.1.5,255.255.255.0,0.0.0.0,E,,0,0,\n"
                      "VX100,,127.17.1.6,255.255.255.0,0.0.0.0,F,,0,0,\n")
        << QStringList{u"3 HTTP Port HttpPortInvalid"_s, u"3 RTSP Port RtspPortInvalid"_s};
    QTest::newRow("names: empty, 32 and 33 bytes, Chinese characters, control characters")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,,,,,\n"
                      "VX101,,127.17.1.2,255.255.255.0,0.0.0.0,abcdefghijklmnopqrstuvwxyz012345,,,,\n"
                      "VX103,,127.17.1.3,255.255.255.0,0.0.0.0,abcdefghijklmnopqrstuvwxyz0123456,,,,\n"
                      "VX104,,127.17.1.4,255.255.255.0,0.0.0.0,东门大厅一号二号三号四,,,,\n"
                      "VXDUP,02-56-01-00-00-06,127.17.1.5,255.255.255.0,0.0.0.0,\"tab\there\",,,,\n"
                      "VXDUP,02-56-01-00-00-07,127.17.1.6,255.255.255.0,0.0.0.0,东门大厅一号二号三号,,,,\n")
        << QStringList{u"2 Device Name NameEmpty"_s, u"4 Device Name NameTooLong"_s, u"5 Device Name NameTooLong"_s,
                       u"6 Device Name NameControl"_s};
    // Devices keep names as UTF-8: ten Chinese characters (30 bytes) fit, 26 accented letters do not.
    QTest::newRow("names are counted in their UTF-8 bytes")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,Caf\xc3\xa9 \xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                      "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                      "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9,,,,\n"
                      "VX101,,127.17.1.2,255.255.255.0,0.0.0.0,Stra\xc3\x9f"
                      "e \xe2\x82\xac,,,,\n"
                      "VX103,,127.17.1.3,255.255.255.0,0.0.0.0,bell\xc2\x85,,,,\n")
        << QStringList{u"2 Device Name NameTooLong"_s, u"4 Device Name NameControl"_s};
    QTest::newRow("DHCP values and support")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,maybe\n"
                      "VX101,,,,,B,,,,Yes\n"
                      "VX104,,,,,C,,,,是\n"
                      "VX103,,127.17.1.4,255.255.255.0,0.0.0.0,D,,,,OFF\n")
        << QStringList{u"2 DHCP DhcpInvalid"_s, u"3 IPv4 Address AddressEmpty"_s, u"3 Subnet Mask MaskEmpty"_s,
                       u"3 Gateway GatewayEmpty"_s, u"3 DHCP DhcpUnsupported"_s};
    QTest::newRow("rows out of step with the header")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,,extra\n"
                      "VX104,,127.17.1.2,255.255.255.0,0.0.0.0,B\n"
                      "VX103,,127.17.1.3,255.255.255.0,0.0.0.0,C,,,,,,,\n")
        << QStringList{u"2 Row RaggedRow 11/10"_s, u"3 Row RaggedRow 6/10"_s};
    QTest::newRow("blank rows are skipped, line numbers stay true")
        << QByteArray("\n,,,,,,,,,\nVX100,,127.17.1.1,255.255.255.0,0.0.0.0,,,,,\n")
        << QStringList{u"4 Device Name NameEmpty"_s};
}

void TestPlanValidator::rows() {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, issues);
    const DeploymentPlan plan = parse(QByteArray(kHeader) + body);
    QCOMPARE(plan.error(), DeploymentPlan::FileError::None);
    const PlanCheck check = validatePlan(plan, fleet());
    QCOMPARE(describe(plan, check), issues);
    QCOMPARE(check.ok(), issues.isEmpty());
}

void TestPlanValidator::mixedFleet_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("issues");
    QTest::addColumn<QList<int>>("devices");
    const auto row = [](const char* identity, const char* address, const char* port = "") {
        return QByteArray(identity) + ',' + address + ",255.255.0.0,127.70.0.254,N," + port + ",,,\n";
    };
    QTest::newRow("ONVIF devices by serial, MAC and current address, ours beside them")
        << row("CAM1,,", "127.70.2.1") + row(",0a:00:00:00:00:02,", "127.70.2.2") + row(",,127.70.0.1", "127.70.2.3")
        << QStringList() << QList<int>{1, 2, 0};
    QTest::newRow("all three given and agreeing")
        << row("CAM2,0a-00-00-00-00-02,127.70.1.2", "127.70.2.2") << QStringList() << QList<int>{2};
    QTest::newRow("current address written differently")
        << row(",,127.070.001.001", "127.70.2.1") << QStringList() << QList<int>{1};
    QTest::newRow("the service port repeated as exported, whatever its number")
        << row("CAM1,,", "127.70.2.1", "8080") + row("CAM2,,", "127.70.2.2", "80") << QStringList() << QList<int>{1, 2};
    QTest::newRow("the service port of an ONVIF device moved, ours still by the old rule")
        << row("CAM1,,", "127.70.2.1", "8081") + row("CAM2,,", "127.70.2.2", "abc") + row("VX100,,", "127.70.2.3", "80")
        << QStringList{u"2 Port PortUnsupported"_s, u"3 Port PortUnsupported"_s, u"4 Port PortInvalid"_s}
        << QList<int>{1, 2, 0};
    QTest::newRow("an ONVIF device before sign-in is named but cannot be planned")
        << row(",,127.70.1.3", "127.70.2.1") << QStringList{u"2 Serial Number DetailsNotRead"_s} << QList<int>{3};
    QTest::newRow("an address of an ONVIF device left alone is taken, read or not")
        << row("VX100,,", "127.70.1.3") + row("CAM1,,", "127.70.1.2")
        << QStringList{u"2 IPv4 Address AddressInUse"_s, u"3 IPv4 Address AddressInUse CAM2"_s} << QList<int>{0, 1};
    QTest::newRow("current address that nobody has, or that is no address")
        << row(",,127.70.9.9", "127.70.2.1") + row(",,127.70.1", "127.70.2.2")
        << QStringList{u"2 Current Address NoDeviceAtAddress"_s, u"3 Current Address AddressInvalid"_s}
        << QList<int>{-1, -1};
    QTest::newRow("a shared current address needs the serial number or MAC")
        << row(",,127.70.1.4", "127.70.2.1") + row("CAM4,,127.70.1.4", "127.70.2.2") +
               row(",02-56-01-00-00-09,127.70.1.4", "127.70.2.3")
        << QStringList{u"2 Current Address AmbiguousAddress"_s} << QList<int>{-1, 5, 4};
    QTest::newRow("current address and serial number of different devices")
        << row("CAM1,,127.70.1.2", "127.70.2.1") + row("CAM9,,127.70.1.2", "127.70.2.2") +
               row(",0a-00-00-00-00-01,127.70.1.2", "127.70.2.3")
        << QStringList{u"2 Current Address AddressMismatch"_s, u"3 Serial Number NoSuchDevice"_s,
                       u"4 Current Address AddressMismatch"_s}
        << QList<int>{-1, -1, -1};
    QTest::newRow("one device named twice, by serial number and by address")
        << row("CAM1,,", "127.70.2.1") + row(",,127.70.1.1", "127.70.2.2")
        << QStringList{u"2 Serial Number DevicePlannedTwice 3"_s, u"3 Serial Number DevicePlannedTwice 2"_s}
        << QList<int>{1, 1};
}

void TestPlanValidator::mixedFleet() {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, issues);
    QFETCH(QList<int>, devices);
    const DeploymentPlan plan =
        parse("Serial Number,MAC,Current Address,IPv4 Address,Subnet Mask,Gateway,Device Name,Port,HTTP Port,RTSP "
              "Port,DHCP\n" +
              body);
    QCOMPARE(plan.error(), DeploymentPlan::FileError::None);
    const PlanCheck check = validatePlan(plan, ::mixedFleet());
    QCOMPARE(describe(plan, check), issues);
    QCOMPARE(QList<int>(check.deviceOfRow.begin(), check.deviceOfRow.end()), devices);
    if (check.ok()) {
        // What is sent keeps the ONVIF device's service port, so the library never refuses it as a port change.
        for (const PlannedChange& change : plannedChanges(plan, check, ::mixedFleet()))
            QCOMPARE(uint32_t(change.params.port), ::mixedFleet()[static_cast<size_t>(change.device)].port);
    }
}

void TestPlanValidator::file_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<DeploymentPlan::FileError>("error");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<int>("rows");
    using E = DeploymentPlan::FileError;
    QTest::newRow("empty file") << QByteArray() << E::Empty << 0 << "" << 0;
    QTest::newRow("only blank lines and a byte-order mark")
        << QByteArray("\xEF\xBB\xBF\r\n ,\r\n") << E::Empty << 0 << "" << 0;
    QTest::newRow("header only") << QByteArray(kHeader) << E::None << 0 << "" << 0;
    QTest::newRow("missing gateway column") << QByteArray("serial,ip,mask,name\nVX100,127.17.1.1,255.255.255.0,A\n")
                                            << E::MissingColumn << 1 << "Gateway" << 0;
    QTest::newRow("neither serial nor MAC column")
        << QByteArray("ip,mask,gateway,name\n") << E::MissingColumn << 1 << "Serial Number / MAC" << 0;
    QTest::newRow("one column twice under two names")
        << QByteArray("serial,IP,mask,gateway,name,IPv4 Address\n") << E::DuplicateColumn << 1 << "IPv4 Address" << 0;
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEs\0e\0", 6) << E::Utf16 << 0 << "" << 0;
    QTest::newRow("a local code page, not UTF-8")
        << QByteArray(kHeader) + "VX100,,127.17.1.1,255.255.255.0,0.0.0.0,A\n" +
               "VX101,,127.17.1.2,255.255.255.0,0.0.0.0,\xB4\xF3\xCC\xFC\n"
        << E::NotUtf8 << 3 << "" << 0;
    QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("serial,\xC0\xAF\n") << E::NotUtf8 << 1 << "" << 0;
    QTest::newRow("unterminated quote") << QByteArray(kHeader) + "VX100,\"open\n"
                                        << E::UnterminatedQuote << 2 << "" << 0;
    QTest::newRow("quoted fields with commas and line breaks, CRLF")
        << QByteArray("\xEF\xBB\xBF\"Serial Number\",MAC,IP,Mask,Gateway,\"Device Name\"\r\n"
                      "VX100,,127.17.1.1,255.255.255.0,0.0.0.0,\"Gate, north\"\r\n"
                      "VX104,,127.17.1.2,255.255.255.0,0.0.0.0,\"two\r\nlines\"\r\n"
                      "VX103,,127.17.1.3,255.255.255.0,0.0.0.0,last\r\n")
        << E::None << 0 << "" << 3;
}

void TestPlanValidator::file() {
    QFETCH(QByteArray, text);
    QFETCH(DeploymentPlan::FileError, error);
    QFETCH(int, line);
    QFETCH(QString, detail);
    QFETCH(int, rows);
    const DeploymentPlan plan = parse(text);
    QCOMPARE(plan.error(), error);
    QCOMPARE(plan.errorLine(), line);
    QCOMPARE(QString::fromStdString(plan.errorDetail()), detail);
    QCOMPARE(static_cast<int>(plan.rows().size()), rows);
    QCOMPARE(fileErrorText(plan).empty(), error == DeploymentPlan::FileError::None);
    if (rows == 3) {
        QCOMPARE(plan.rows().at(0).name, std::string("Gate, north"));
        QCOMPARE(plan.rows().at(1).name, std::string("two\r\nlines"));
        QCOMPARE(plan.rows().at(2).line, 5);
        // A line break is a control character: the device would refuse the name.
        const PlanCheck check = validatePlan(plan, fleet());
        QCOMPARE(describe(plan, check), QStringList{u"3 Device Name NameControl"_s});
    }
}

void TestPlanValidator::headerNames_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("short names, semicolons")
        << QByteArray("sn;ip;netmask;default gateway;name\nVX100;127.17.1.1;255.255.255.0;0.0.0.0;A\n");
    QTest::newRow("form labels with colons")
        << QByteArray("Device Serial:,IP Address:,Subnet Mask:,Gateway:,Device Name:\n"
                      "VX100,127.17.1.1,255.255.255.0,0.0.0.0,A\n");
    QTest::newRow("snake case, any case") << QByteArray("SERIAL_NO,ipv4_address,SUBNET_MASK,ipv4-gateway,device_name\n"
                                                        "VX100,127.17.1.1,255.255.255.0,0.0.0.0,A\n");
    QTest::newRow("Chinese") << QByteArray(
        "序列号,IP地址,子网掩码,网关,设备名称：\nVX100,127.17.1.1,255.255.255.0,0.0.0.0,A\n");
    QTest::newRow("MAC only, extra columns ignored") << QByteArray(
        "Device Type,MAC "
        "Address,IP,Mask,Gateway,Name,Comment\nCam,02-56-01-00-00-01,127.17.1.1,255.255.255.0,0.0.0.0,A,ok\n");
    QTest::newRow("a guarded name from an exported list")
        << QByteArray("serial,ip,mask,gateway,name\nVX100,127.17.1.1,255.255.255.0,0.0.0.0,'-A\n");
}

void TestPlanValidator::headerNames() {
    QFETCH(QByteArray, text);
    const DeploymentPlan plan = parse(text);
    QCOMPARE(plan.error(), DeploymentPlan::FileError::None);
    QCOMPARE(plan.rows().size(), size_t(1));
    const PlanCheck check = validatePlan(plan, fleet());
    QCOMPARE(describe(plan, check), QStringList());
    QCOMPARE(check.deviceOfRow, std::vector<int>{0});
    QCOMPARE(plan.rows().at(0).ipv4, std::string("127.17.1.1"));
    QVERIFY(plan.rows().at(0).name == "A" || plan.rows().at(0).name == "-A");
}

void TestPlanValidator::deviceOfRow() {
    const DeploymentPlan plan =
        parse(QByteArray(kHeader) + "VX104,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,\n"
                                    "VX999,,127.17.1.2,255.255.255.0,0.0.0.0,B,,,,\n"
                                    ",02-56-01-00-00-07,127.17.1.3,255.255.255.0,0.0.0.0,C,,,,\n");
    const PlanCheck check = validatePlan(plan, fleet());
    QCOMPARE(check.deviceOfRow, (std::vector<int>{4, -1, 6}));
    QCOMPARE(check.issuesOf(1).size(), size_t(1));
    QVERIFY(check.issuesOf(0).empty());
}

void TestPlanValidator::netParams_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("httpPort");
    QTest::addColumn<int>("rtspPort");
    QTest::addColumn<int>("dhcp");
    QTest::addColumn<QString>("name");
    QTest::newRow("planned values, ports kept where empty")
        << QByteArray("VX100,,127.017.1.010,255.255.255.0,127.17.1.254,Gate,,,,") << "127.17.1.10"
        << "127.17.1.254" << 8000 << 80 << 554 << 0 << u"Gate"_s;
    QTest::newRow("ports planned") << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,Gate,8001,8080,10554,no")
                                   << "127.17.1.1"
                                   << "0.0.0.0" << 8001 << 8080 << 10554 << 0 << u"Gate"_s;
    QTest::newRow("DHCP without addresses keeps the device's") << QByteArray("VX100,,,,,Gate,,,,yes") << "127.17.0.1"
                                                               << "127.17.0.254" << 8000 << 80 << 554 << 1 << u"Gate"_s;
    QTest::newRow("a name goes out as the UTF-8 the plan wrote")
        << QByteArray("VX100,,127.17.1.1,255.255.255.0,0.0.0.0,Caf\xc3\xa9 Stra\xc3\x9f"
                      "e,,,,")
        << "127.17.1.1"
        << "0.0.0.0" << 8000 << 80 << 554 << 0 << u"Caf\u00e9 Stra\u00dfe"_s;
}

void TestPlanValidator::netParams() {
    QFETCH(QByteArray, row);
    QFETCH(QString, address);
    QFETCH(QString, gateway);
    QFETCH(int, port);
    QFETCH(int, httpPort);
    QFETCH(int, rtspPort);
    QFETCH(int, dhcp);
    QFETCH(QString, name);
    const DeploymentPlan plan = parse(QByteArray(kHeader) + row + '\n');
    const PlanCheck check = validatePlan(plan, fleet());
    QVERIFY(check.ok());
    PlanDevice target = fleet().at(0);
    target.ipv6Address = "fe80::1";
    target.ipv6PrefixLength = 64;
    VEXA_NET_PARAM p;
    std::memset(&p, 0x55, sizeof p);
    buildNetParam(plan.rows().at(0), target, p);
    QCOMPARE(QString::fromLatin1(p.ipv4Address), address);
    QCOMPARE(QString::fromLatin1(p.ipv4Gateway), gateway);
    QCOMPARE(QString::fromStdString(plannedAddress(plan.rows().at(0), target)), address);
    QCOMPARE(int(p.port), port);
    QCOMPARE(int(p.httpPort), httpPort);
    QCOMPARE(int(p.rtspPort), rtspPort);
    QCOMPARE(int(p.dhcpEnabled), dhcp);
    QCOMPARE(QString::fromUtf8(p.deviceName, qsizetype(strnlen(p.deviceName, sizeof p.deviceName))), name);
    // What the plan does not name stays as the device has it, and nothing of the old buffer leaks through.
    QCOMPARE(QString::fromLatin1(p.ipv6Address), QStringLiteral("fe80::1"));
    QCOMPARE(int(p.ipv6PrefixLength), 64);
    QCOMPARE(p.reserved2[0], uint8_t(0));
}

void TestPlanValidator::fromDeviceRecord() {
    // Fields that fill their width have no terminator: the conversion must stop at the width.
    VEXA_DEVICE_MY_INFO record{};
    std::memset(record.serialNo, 'S', sizeof record.serialNo);
    std::memcpy(record.mac, "02-56-01-00-00-01", 17);
    std::memset(record.deviceName, 'N', sizeof record.deviceName);
    std::memcpy(record.ipv4Address, "127.17.0.1", 10);
    record.httpPort = 0;
    record.port = -5;
    record.supportFlags = VEXA_SUPPORT_DHCP;
    record.activationState = 1;
    const PlanDevice d = VexaTool::planDeviceFromRecord(record);
    QCOMPARE(d.serial, std::string(48, 'S'));
    QCOMPARE(d.name, std::string(32, 'N'));
    QCOMPARE(d.port, 0u);
    QVERIFY(d.supportsDhcp);
    QVERIFY(!d.activated);
    const DeploymentPlan plan =
        parse(QByteArray(kHeader) + ",02-56-01-00-00-01,127.17.1.1,255.255.255.0,0.0.0.0,A,,80,,\n");
    const PlanCheck check = VexaTool::checkPlan(plan, {record});
    QCOMPARE(describe(plan, check),
             (QStringList{u"2 Serial Number NotActivated"_s, u"2 HTTP Port HttpPortUnsupported"_s}));
}

void TestPlanValidator::changesOnlyFromACleanCheck() {
    const QByteArray rows = "VX104,,127.17.1.1,255.255.255.0,0.0.0.0,A,,,,\n"
                            ",02-56-01-00-00-07,127.17.1.2,255.255.255.0,0.0.0.0,B,,,,\n";
    const DeploymentPlan good = parse(QByteArray(kHeader) + rows);
    const auto changes = plannedChanges(good, validatePlan(good, fleet()), fleet());
    QCOMPARE(changes.size(), size_t(2));
    QCOMPARE(changes[0].device, 4);
    QCOMPARE(changes[1].device, 6);
    QCOMPARE(changes[1].oldAddress, std::string("127.17.0.7"));
    QCOMPARE(changes[1].newAddress, std::string("127.17.1.2"));
    QCOMPARE(QString::fromLatin1(changes[1].params.deviceName), QStringLiteral("B"));
    // One faulty row, and nothing at all is planned to be sent.
    const DeploymentPlan bad = parse(QByteArray(kHeader) + rows + "VX999,,127.17.1.3,255.255.255.0,0.0.0.0,C,,,,\n");
    QVERIFY(plannedChanges(bad, validatePlan(bad, fleet()), fleet()).empty());
}

void TestPlanValidator::sendingOrder_data() {
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QStringList>("issues");
    QTest::addColumn<QString>("order"); // serial numbers in sending order, each with the rows it waits for
    // Devices: VX100 127.17.0.1, VX101 .2, VX103 .4, VX104 .5.
    QTest::newRow("file order when nobody takes a planned device's address")
        << QByteArray("VX100,,127.17.1.1,255.255.0.0,0.0.0.0,A,,,,\n"
                      "VX101,,127.17.1.2,255.255.0.0,0.0.0.0,B,,,,\n")
        << QStringList() << "VX100 VX101";
    QTest::newRow("a device leaves its address before another takes it")
        << QByteArray("VX100,,127.17.0.2,255.255.0.0,0.0.0.0,A,,,,\n"
                      "VX101,,127.17.0.5,255.255.0.0,0.0.0.0,B,,,,\n"
                      "VX104,,127.17.1.5,255.255.0.0,0.0.0.0,C,,,,\n")
        << QStringList() << "VX104 VX101<4 VX100<3";
    QTest::newRow("leaving for DHCP frees the address too")
        << QByteArray("VX100,,127.17.0.2,255.255.0.0,0.0.0.0,A,,,,\n"
                      "VX101,,,,,B,,,,yes\n")
        << QStringList() << "VX101 VX100<3";
    QTest::newRow("two devices swapping addresses")
        << QByteArray("VX100,,127.17.0.2,255.255.0.0,0.0.0.0,A,,,,\n"
                      "VX101,,127.17.0.1,255.255.0.0,0.0.0.0,B,,,,\n"
                      "VX103,,127.17.1.4,255.255.0.0,0.0.0.0,C,,,,\n")
        << QStringList{u"2 IPv4 Address AddressCycle 3"_s, u"3 IPv4 Address AddressCycle 2"_s} << u""_s;
}

void TestPlanValidator::sendingOrder() {
    QFETCH(QByteArray, rows);
    QFETCH(QStringList, issues);
    QFETCH(QString, order);
    std::vector<PlanDevice> devices = fleet();
    devices[1].supportsDhcp = true;
    const DeploymentPlan plan = parse(QByteArray(kHeader) + rows);
    const PlanCheck check = validatePlan(plan, devices);
    QCOMPARE(describe(plan, check), issues);
    QCOMPARE(check.order.size(), plan.rows().size());
    QStringList sent;
    for (const PlannedChange& change : plannedChanges(plan, check, devices)) {
        QString item = QString::fromStdString(devices[static_cast<size_t>(change.device)].serial);
        for (const int waited : change.waitsFor)
            item += QStringLiteral("<%1").arg(plan.rows()[static_cast<size_t>(waited)].line);
        sent << item;
    }
    QCOMPARE(sent.join(QLatin1Char(' ')), order);
}

void TestPlanValidator::applyingKeepsAddressesApart() {
    // VX100 takes VX101's address, VX101 moves on, VX104 is independent.
    const DeploymentPlan plan = parse(QByteArray(kHeader) + "VX100,,127.17.0.2,255.255.0.0,0.0.0.0,A,,,,\n"
                                                            "VX101,,127.17.1.2,255.255.0.0,0.0.0.0,B,,,,\n"
                                                            "VX104,,127.17.1.5,255.255.0.0,0.0.0.0,C,,,,\n");
    const std::vector<PlanDevice> devices = fleet();
    const PlanCheck check = validatePlan(plan, devices);
    QVERIFY(check.ok());
    const auto changes = plannedChanges(plan, check, devices);
    // Addresses nobody listed holds are asked before anything is sent; the one VX101 leaves, only once it left.
    QCOMPARE(changesToAskFirst(changes, devices), (std::vector<size_t>{0, 2}));
    PlanCheck refused = check;
    refuseAnsweredAddresses(refused, changes, {0, 2}, {"", "TCP port 80 accepted a connection"});
    QCOMPARE(describe(plan, refused),
             QStringList{u"4 IPv4 Address AddressAnswers TCP port 80 accepted a connection"_s});
    struct Case {
        const char* failing; // the device whose call fails with 2011
        bool stopAfterFirst;
        const char* answering; // what answers at VX101's old address once it has left
        const char* asked;     // the addresses asked just before sending
        const char* expected;
    };
    const Case cases[] = {
        {"", false, "", "127.17.0.2", "VX101 Succeed|VX100 Succeed|VX104 Succeed"},
        {"VX101", false, "", "",
         "VX101 Error2011:time out|VX100 Not sent: device VX101 still has the address.|VX104 Succeed"},
        {"VX100", false, "", "127.17.0.2", "VX101 Succeed|VX100 Error2011:time out|VX104 Succeed"},
        {"", true, "", "", "VX101 Succeed|VX100 Not sent: stopped.|VX104 Not sent: stopped."},
        {"", false, "TCP port 80 accepted a connection", "127.17.0.2",
         "VX101 Succeed|VX100 Not sent: something answers at the address: TCP port 80 accepted a connection.|VX104 "
         "Succeed"},
    };
    for (const Case& c : cases) {
        std::atomic<bool> stop{false};
        QStringList sent;
        QStringList outcomes;
        const auto send = [&](const PlanDevice& device, const std::string&, VEXA_NET_PARAM& params) {
            sent << QString::fromStdString(device.serial) + QLatin1Char('@') + QString::fromLatin1(params.ipv4Address);
            if (c.stopAfterFirst)
                stop = true;
            return DeviceReply{device.serial == c.failing ? 2011u : 0u, {}};
        };
        const auto report = [&](const PlannedChange& change, const ApplyOutcome& outcome) {
            outcomes << QString::fromStdString(devices[static_cast<size_t>(change.device)].serial + " " +
                                               resultText(outcome, outcome.holderSerial, outcome.answered));
            // The words follow from the value, never the other way round.
            QCOMPARE(outcome.isDone(), outcomes.last().endsWith(QStringLiteral("Succeed")));
            QCOMPARE(outcome.wasSent(), !outcomes.last().contains(QStringLiteral("Not sent")));
        };
        QStringList asked;
        const auto ask = [&](const std::string& address) {
            asked << QString::fromStdString(address);
            return std::string(c.answering);
        };
        const size_t notDone =
            applyPlannedChanges(changes, devices, check, NetworkChange(send, ask, true), Credentials{}, report, &stop);
        QCOMPARE(asked.join(QLatin1Char(' ')), QString::fromLatin1(c.asked));
        QCOMPARE(outcomes.join(QLatin1Char('|')), QString::fromLatin1(c.expected));
        QCOMPARE(notDone, static_cast<size_t>(3 - outcomes.filter(QStringLiteral("Succeed")).size()));
        // Nothing that is reported as not sent reached the device.
        QCOMPARE(sent.size(), 3 - outcomes.filter(QStringLiteral("Not sent")).size());
    }
}

void TestPlanValidator::englishTextsForEveryCode() {
    // The command line prints these; an empty text would leave a refusal without words.
    for (int code = 0; code <= static_cast<int>(IssueCode::AddressAnswers); ++code) {
        PlanIssue issue;
        issue.code = static_cast<IssueCode>(code);
        issue.otherLine = 7;
        issue.other = "VX1";
        const std::string text = issueText(issue);
        QVERIFY2(!text.empty() && text.find('%') == std::string::npos, codeName(issue.code));
    }
}

QTEST_GUILESS_MAIN(TestPlanValidator)
#include "tst_planvalidator.moc"
