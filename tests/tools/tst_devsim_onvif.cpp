// The simulated ONVIF device without sockets: who may do what, what each write leaves on the device, what a
// Probe matches and what the state file keeps. The loopback test drives the same through HTTP and UDP.

#include <ctime>
#include <gtest/gtest.h>
#include <set>

#include "CaseName.h"
#include "DeviceService.h"
#include "Discovery.h"
#include "OnvifDevice.h"
#include "OnvifSoap.h"

using namespace devsim::onvif;
using namespace onviftest;

namespace {

const char* const kPassword = "Camera-2024";

OnvifDevice oneDevice() {
    return generateOnvifFleet(1, 7, 0x7f2a0001, 8080).front();
}

Outcome call(DeviceService& service, OnvifDevice& device, const std::string& request, HttpAuth http = {},
             int64_t now = std::time(nullptr)) {
    return service.handle(device, request, http, now, [](uint32_t a) { return a == 0x7f2a0063; });
}

enum class Cred { None, Good, WrongPassword, WrongUser, Stale, Corrected, HttpGood, HttpBad };

struct AuthCase {
    const char* name;
    const char* body;
    Cred cred;
    const char* quirks;
    int64_t clockOffset;
    int status;
    const char* subcode; // "" when the call succeeds
    friend void PrintTo(const AuthCase& c, std::ostream* os) { *os << c.name; }
};

std::string header(Cred cred, int64_t offset) {
    const int64_t now = std::time(nullptr);
    switch (cred) {
    case Cred::Good:
        return usernameToken("admin", kPassword, now);
    case Cred::WrongPassword:
        return usernameToken("admin", "camera-2024", now + offset);
    case Cred::WrongUser:
        return usernameToken("operator", kPassword, now + offset);
    case Cred::Stale:
        return usernameToken("admin", kPassword, now - 2 * DeviceService::kCreatedWindow);
    case Cred::Corrected:
        return usernameToken("admin", kPassword, now + offset);
    default:
        return {};
    }
}

class Auth : public ::testing::TestWithParam<AuthCase> {};

} // namespace

TEST_P(Auth, AcceptsOrRefusesAsADeviceDoes) {
    const AuthCase& c = GetParam();
    ServiceOptions options;
    options.password = kPassword;
    options.clockOffset = c.clockOffset;
    std::string error;
    ASSERT_TRUE(parseQuirks(c.quirks, options.quirks, error)) << error;
    DeviceService service(options);
    OnvifDevice device = oneDevice();
    HttpAuth http;
    http.present = c.cred == Cred::HttpGood || c.cred == Cred::HttpBad;
    http.valid = c.cred == Cred::HttpGood;
    const Outcome out = call(service, device, envelope(c.body, header(c.cred, c.clockOffset)), http);
    EXPECT_EQ(out.status, c.status) << out.body;
    EXPECT_EQ(faultSubcode(out.body), c.subcode) << out.body;
    EXPECT_EQ(out.challenge, c.status == 401);
}

const char* const kRead = "<tds:GetDeviceInformation/>";
const char* const kWrite = "<tds:SetNetworkDefaultGateway><tds:IPv4Address>127.42.0.9</tds:IPv4Address>"
                           "</tds:SetNetworkDefaultGateway>";

INSTANTIATE_TEST_SUITE_P(
    Onvif, Auth,
    ::testing::Values(
        AuthCase{"clockAlwaysOpen", "<tds:GetSystemDateAndTime/>", Cred::None, "no-anonymous", 0, 200, ""},
        AuthCase{"clockOpenEvenWithBadToken", "<tds:GetSystemDateAndTime/>", Cred::WrongPassword, "", 0, 200, ""},
        AuthCase{"anonymousRead", kRead, Cred::None, "", 0, 200, ""},
        AuthCase{"anonymousReadRefused", kRead, Cred::None, "no-anonymous", 0, 401, "NotAuthorized"},
        AuthCase{"readWithToken", kRead, Cred::Good, "no-anonymous", 0, 200, ""},
        AuthCase{"badTokenOnOpenRead", kRead, Cred::WrongPassword, "", 0, 400, "NotAuthorized"},
        AuthCase{"anonymousWrite", kWrite, Cred::None, "", 0, 401, "NotAuthorized"},
        AuthCase{"writeWithToken", kWrite, Cred::Good, "", 0, 200, ""},
        AuthCase{"wrongPassword", kWrite, Cred::WrongPassword, "", 0, 400, "NotAuthorized"},
        AuthCase{"wrongUser", kWrite, Cred::WrongUser, "", 0, 400, "NotAuthorized"},
        AuthCase{"createdTooOld", kWrite, Cred::Stale, "", 0, 400, "NotAuthorized"},
        AuthCase{"clockHourAheadUncorrected", kWrite, Cred::Good, "", 3600, 400, "NotAuthorized"},
        AuthCase{"clockHourAheadCorrected", kWrite, Cred::Corrected, "", 3600, 200, ""},
        AuthCase{"clockHourBehindUncorrected", kWrite, Cred::Good, "", -3600, 400, "NotAuthorized"},
        AuthCase{"clockHourBehindCorrected", kWrite, Cred::Corrected, "", -3600, 200, ""},
        AuthCase{"httpDigest", kWrite, Cred::HttpGood, "", 0, 200, ""},
        AuthCase{"httpDigestWrong", kWrite, Cred::HttpBad, "", 0, 401, "NotAuthorized"},
        AuthCase{"digestOnlyIgnoresToken", kWrite, Cred::Good, "digest-only", 0, 401, "NotAuthorized"},
        AuthCase{"digestOnlyTakesDigest", kWrite, Cred::HttpGood, "digest-only", 0, 200, ""}),
    testutil::CaseName());

TEST(OnvifService, ClockOffsetShowsInSystemDateAndTime) {
    for (int64_t offset : {int64_t{3600}, int64_t{-3600}, int64_t{0}}) {
        ServiceOptions options;
        options.clockOffset = offset;
        DeviceService service(options);
        OnvifDevice device = oneDevice();
        const int64_t now = 1767225600; // 2026-01-01T00:00:00Z
        const Outcome out = call(service, device, envelope("<tds:GetSystemDateAndTime/>"), {}, now);
        pugi::xml_document doc;
        doc.load_string(out.body.c_str());
        const pugi::xml_node utcTime = find(doc, "UTCDateTime");
        std::tm tm{};
        tm.tm_year = std::atoi(find(utcTime, "Year").text().get()) - 1900;
        tm.tm_mon = std::atoi(find(utcTime, "Month").text().get()) - 1;
        tm.tm_mday = std::atoi(find(utcTime, "Day").text().get());
        tm.tm_hour = std::atoi(find(utcTime, "Hour").text().get());
        tm.tm_min = std::atoi(find(utcTime, "Minute").text().get());
        tm.tm_sec = std::atoi(find(utcTime, "Second").text().get());
        EXPECT_EQ(static_cast<int64_t>(timegm(&tm)), now + offset);
    }
}

namespace {

struct WriteCase {
    const char* name;
    const char* body;
    const char* subcode;  // "" when accepted
    const char* readBack; // a Get... whose answer must then contain expect
    const char* expect;
    bool rebootNeeded;
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class Writes : public ::testing::TestWithParam<WriteCase> {};

} // namespace

TEST_P(Writes, AppliedOrRefusedAndReadBack) {
    const WriteCase& c = GetParam();
    ServiceOptions options;
    options.password = kPassword;
    DeviceService service(options);
    OnvifDevice device = oneDevice();
    const OnvifDevice before = device;
    const Outcome out = call(service, device, envelope(c.body, usernameToken("admin", kPassword, std::time(nullptr))));
    EXPECT_EQ(faultSubcode(out.body), c.subcode) << out.body;
    if (*c.subcode) {
        EXPECT_EQ(out.status, 400);
        EXPECT_FALSE(out.changed);
        EXPECT_EQ(formatOnvifFleet({device}), formatOnvifFleet({before})) << "a refused write changed the device";
        return;
    }
    EXPECT_TRUE(out.changed);
    if (std::string(c.body).find("SetNetworkInterfaces") != std::string::npos) {
        EXPECT_EQ(text(out.body, "RebootNeeded"), c.rebootNeeded ? "true" : "false");
    }
    const Outcome read = call(service, device, envelope(c.readBack));
    EXPECT_NE(read.body.find(c.expect), std::string::npos) << read.body;
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, Writes,
    ::testing::Values(
        WriteCase{"gateway",
                  "<tds:SetNetworkDefaultGateway><tds:IPv4Address>127.42.0.77</tds:IPv4Address>"
                  "</tds:SetNetworkDefaultGateway>",
                  "", "<tds:GetNetworkDefaultGateway/>", ">127.42.0.77<", false},
        WriteCase{"gatewayMalformed",
                  "<tds:SetNetworkDefaultGateway><tds:IPv4Address>127.42.0.300</tds:IPv4Address>"
                  "</tds:SetNetworkDefaultGateway>",
                  "InvalidGatewayAddress", "", "", false},
        WriteCase{"gatewayMulticast",
                  "<tds:SetNetworkDefaultGateway><tds:IPv4Address>239.1.1.1</tds:IPv4Address>"
                  "</tds:SetNetworkDefaultGateway>",
                  "InvalidGatewayAddress", "", "", false},
        WriteCase{"newAddressNeedsReboot",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Manual><tt:Address>127.42.0.50</tt:Address>"
                  "<tt:PrefixLength>24</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP></tt:IPv4>"
                  "</tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "", "<tds:GetNetworkInterfaces/>", ">127.42.0.50<", true},
        WriteCase{"dhcpNeedsReboot",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:DHCP>true</tt:DHCP></tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "", "<tds:GetNetworkInterfaces/>", "DHCP>true<", true},
        WriteCase{"prefixOnlyNoReboot",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:Manual><tt:Address>127.42.0.1</tt:Address><tt:PrefixLength>16</tt:PrefixLength>"
                  "</tt:Manual></tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "", "<tds:GetNetworkInterfaces/>", "PrefixLength>16<", false},
        WriteCase{"addressOffLoopback",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:Manual><tt:Address>192.168.1.20</tt:Address><tt:PrefixLength>24</tt:PrefixLength>"
                  "</tt:Manual></tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "InvalidIPv4Address", "", "", false},
        WriteCase{"addressIsNetwork",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:Manual><tt:Address>127.42.0.0</tt:Address><tt:PrefixLength>24</tt:PrefixLength>"
                  "</tt:Manual></tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "InvalidIPv4Address", "", "", false},
        WriteCase{"addressOfAnotherDevice",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:Manual><tt:Address>127.42.0.99</tt:Address><tt:PrefixLength>24</tt:PrefixLength>"
                  "</tt:Manual></tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "InvalidIPv4Address", "", "", false},
        WriteCase{"unknownInterface",
                  "<tds:SetNetworkInterfaces><tds:InterfaceToken>wlan9</tds:InterfaceToken><tds:NetworkInterface>"
                  "<tt:IPv4><tt:DHCP>true</tt:DHCP></tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                  "InvalidNetworkInterface", "", "", false},
        WriteCase{"ports",
                  "<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled>"
                  "<tt:Port>8554</tt:Port></tds:NetworkProtocols></tds:SetNetworkProtocols>",
                  "", "<tds:GetNetworkProtocols/>", "Port>8554<", false},
        WriteCase{"portsClash",
                  "<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled>"
                  "<tt:Port>8080</tt:Port></tds:NetworkProtocols></tds:SetNetworkProtocols>",
                  "PortAlreadyInUse", "", "", false},
        WriteCase{"httpOff",
                  "<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>HTTP</tt:Name><tt:Enabled>false"
                  "</tt:Enabled></tds:NetworkProtocols></tds:SetNetworkProtocols>",
                  "OperationProhibited", "", "", false},
        WriteCase{"name",
                  "<tds:SetScopes><tds:Scopes>onvif://www.onvif.org/name/Gate%20West</tds:Scopes>"
                  "<tds:Scopes>onvif://www.onvif.org/location/Site-A</tds:Scopes></tds:SetScopes>",
                  "", "<tds:GetScopes/>", "onvif://www.onvif.org/name/Gate%20West<", false},
        WriteCase{"fixedScope",
                  "<tds:SetScopes><tds:Scopes>onvif://www.onvif.org/hardware/Other</tds:Scopes></tds:SetScopes>",
                  "ScopeOverwrite", "", "", false},
        WriteCase{"scopeWithControl",
                  "<tds:SetScopes><tds:Scopes>onvif://www.onvif.org/name/a&#9;b</tds:Scopes></tds:SetScopes>",
                  "InvalidArgVal", "", "", false}),
    testutil::CaseName());

TEST(OnvifService, NameChangeRaisesMetadataVersionAndPortChangeMovesTheService) {
    ServiceOptions options;
    options.password = kPassword;
    DeviceService service(options);
    OnvifDevice device = oneDevice();
    const uint32_t version = device.metadataVersion;
    Outcome out =
        call(service, device,
             envelope("<tds:SetScopes><tds:Scopes>onvif://www.onvif.org/name/Dock</tds:Scopes></tds:SetScopes>",
                      usernameToken("admin", kPassword, std::time(nullptr))));
    EXPECT_TRUE(out.metadataChanged);
    EXPECT_EQ(device.metadataVersion, version + 1);
    EXPECT_EQ(scopeValue(device, "onvif://www.onvif.org/name/"), "Dock");
    out = call(service, device,
               envelope("<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>HTTP</tt:Name><tt:Enabled>true"
                        "</tt:Enabled><tt:Port>8081</tt:Port></tds:NetworkProtocols></tds:SetNetworkProtocols>",
                        usernameToken("admin", kPassword, std::time(nullptr))));
    EXPECT_TRUE(out.restart);
    EXPECT_EQ(device.httpPort, 8081);
    EXPECT_EQ(device.metadataVersion, version + 2);
}

TEST(OnvifService, FaultOnAnAppliedChange) {
    ServiceOptions options;
    options.password = kPassword;
    options.quirks.faultApplied = true;
    DeviceService service(options);
    OnvifDevice device = oneDevice();
    const Outcome out = call(service, device, envelope(kWrite, usernameToken("admin", kPassword, std::time(nullptr))));
    EXPECT_EQ(out.status, 500);
    EXPECT_NE(out.body.find("Receiver"), std::string::npos) << out.body;
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(formatAddress(device.gateway), "127.42.0.9");
}

namespace {

struct EnvelopeCase {
    const char* name;
    const char* quirks;
    bool requestSoap11;
    const char* envelopeNs;
    const char* contentType;
    bool commonPrefixes;
    friend void PrintTo(const EnvelopeCase& c, std::ostream* os) { *os << c.name; }
};

class Envelopes : public ::testing::TestWithParam<EnvelopeCase> {};

} // namespace

TEST_P(Envelopes, VersionAndPrefixesAsTheDeviceKindWrites) {
    const EnvelopeCase& c = GetParam();
    ServiceOptions options;
    std::string error;
    ASSERT_TRUE(parseQuirks(c.quirks, options.quirks, error));
    DeviceService service(options);
    OnvifDevice device = oneDevice();
    const Outcome out = call(service, device, envelope(kRead, "", c.requestSoap11));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(out.body.c_str()));
    const pugi::xml_node root = doc.document_element();
    const std::string rootName = root.name();
    const std::string prefix = rootName.substr(0, rootName.find(':'));
    EXPECT_EQ(std::string(root.attribute(("xmlns:" + prefix).c_str()).value()), c.envelopeNs);
    EXPECT_EQ(out.contentType.rfind(c.contentType, 0), 0u) << out.contentType;
    EXPECT_EQ(out.body.find("<tds:SerialNumber>") != std::string::npos, c.commonPrefixes) << out.body;
    EXPECT_EQ(text(out.body, "SerialNumber"), device.serial);
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, Envelopes,
    ::testing::Values(
        EnvelopeCase{"soap12", "", false, "http://www.w3.org/2003/05/soap-envelope", "application/soap+xml", true},
        EnvelopeCase{"soap11Request", "", true, "http://schemas.xmlsoap.org/soap/envelope/", "text/xml", true},
        EnvelopeCase{"soap11Device", "soap11", false, "http://schemas.xmlsoap.org/soap/envelope/", "text/xml", true},
        EnvelopeCase{"otherPrefixes", "prefixes", false, "http://www.w3.org/2003/05/soap-envelope",
                     "application/soap+xml", false}),
    testutil::CaseName());

TEST(OnvifService, MalformedRequestsGetSenderFaults) {
    DeviceService service(ServiceOptions{});
    OnvifDevice device = oneDevice();
    EXPECT_EQ(faultSubcode(call(service, device, "<e:Envelope").body), "WellFormed");
    const Outcome otherVersion = call(service, device, "<Envelope xmlns=\"urn:other\"><Body/></Envelope>");
    EXPECT_EQ(otherVersion.status, 400);
    EXPECT_NE(otherVersion.body.find(":VersionMismatch<"), std::string::npos) << otherVersion.body;
    const Outcome unknown = call(service, device, envelope("<tds:GetCertificates/>"));
    EXPECT_EQ(faultSubcode(unknown.body), "ActionNotSupported");
    EXPECT_EQ(call(service, device, envelope("<trt:GetProfile><trt:ProfileToken>x</trt:ProfileToken></trt:GetProfile>"))
                  .status,
              400);
}

namespace {

struct ProbeCase {
    const char* name;
    const char* types; // Types element with its own namespace declarations
    const char* scopes;
    bool matches;
    friend void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }
};

class Probes : public ::testing::TestWithParam<ProbeCase> {};

std::string probe(const std::string& types, const std::string& scopes) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
           "xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\"><s:Header>"
           "<a:MessageID>urn:uuid:0a0b0c0d-0000-4000-8000-000000000001</a:MessageID>"
           "<a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
           "<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action></s:Header><s:Body><d:Probe>" +
           types + scopes + "</d:Probe></s:Body></s:Envelope>";
}

} // namespace

TEST_P(Probes, MatchByTypeNamespaceAndScopePrefix) {
    const ProbeCase& c = GetParam();
    const std::string message = probe(c.types, c.scopes);
    Probe parsed;
    ASSERT_TRUE(parseProbe(message.data(), message.size(), parsed));
    EXPECT_EQ(parsed.messageId, "urn:uuid:0a0b0c0d-0000-4000-8000-000000000001");
    EXPECT_EQ(probeMatches(parsed, oneDevice()), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, Probes,
    ::testing::Values(
        ProbeCase{"noTypes", "", "", true},
        ProbeCase{"device", "<d:Types xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\">tds:Device</d:Types>", "",
                  true},
        ProbeCase{"transmitterOtherPrefix",
                  "<d:Types xmlns:x=\"http://www.onvif.org/ver10/network/wsdl\">x:NetworkVideoTransmitter</d:Types>",
                  "", true},
        ProbeCase{
            "bothTypes",
            "<d:Types xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\" "
            "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\">dn:NetworkVideoTransmitter tds:Device</d:Types>",
            "", true},
        ProbeCase{"deviceInWrongNamespace", "<d:Types xmlns:x=\"urn:printers\">x:Device</d:Types>", "", false},
        ProbeCase{"otherType", "<d:Types xmlns:p=\"urn:printers\">p:Printer</d:Types>", "", false},
        ProbeCase{"scopePrefix", "", "<d:Scopes>onvif://www.onvif.org/location</d:Scopes>", true},
        ProbeCase{"scopeExact", "", "<d:Scopes>onvif://www.onvif.org/location/Site-A</d:Scopes>", true},
        ProbeCase{"scopeHalfSegment", "", "<d:Scopes>onvif://www.onvif.org/location/Site</d:Scopes>", false},
        ProbeCase{"scopeOther", "", "<d:Scopes>onvif://www.onvif.org/location/Site-B</d:Scopes>", false},
        ProbeCase{"strcmp0Prefix", "",
                  "<d:Scopes MatchBy=\"http://schemas.xmlsoap.org/ws/2005/04/discovery/strcmp0\">"
                  "onvif://www.onvif.org/location</d:Scopes>",
                  false}),
    testutil::CaseName());

TEST(OnvifDiscovery, NotAProbeIsIgnored) {
    const OnvifDevice device = oneDevice();
    AppSequence sequence;
    Probe parsed;
    for (const std::string& m :
         {helloMessage(device, Quirks{}, "urn:uuid:1", sequence), byeMessage(device, Quirks{}, "urn:uuid:2", sequence),
          probeMatchMessage(device, Quirks{}, "urn:uuid:3", "urn:uuid:4", sequence), std::string("<<<")})
        EXPECT_FALSE(parseProbe(m.data(), m.size(), parsed)) << m;
}

TEST(OnvifDiscovery, ProbeMatchCarriesWhatAClientNeeds) {
    OnvifDevice device = oneDevice();
    AppSequence sequence;
    for (bool several : {false, true}) {
        Quirks quirks;
        quirks.severalXAddrs = several;
        const std::string m = probeMatchMessage(device, quirks, "urn:uuid:5", "urn:uuid:asked", sequence);
        EXPECT_EQ(text(m, "RelatesTo"), "urn:uuid:asked");
        EXPECT_EQ(text(m, "Address"), device.endpoint);
        EXPECT_EQ(text(m, "MetadataVersion"), std::to_string(device.metadataVersion));
        const std::string xaddrs = text(m, "XAddrs");
        EXPECT_NE(xaddrs.find("http://127.42.0.1:8080/onvif/device_service"), std::string::npos) << xaddrs;
        EXPECT_EQ(xaddrs.find(' ') != std::string::npos, several) << xaddrs;
        EXPECT_NE(text(m, "Scopes").find("onvif://www.onvif.org/name/Camera%201"), std::string::npos);
    }
    EXPECT_EQ(sequence.messageNumber, 2u);
}

TEST(OnvifFleetFile, RoundTripsAndRefusesDamage) {
    auto fleet = generateOnvifFleet(300, 11, 0x7f2b0001, 8081);
    std::set<std::string> endpoints, serials, macs;
    for (const auto& d : fleet) {
        endpoints.insert(d.endpoint);
        serials.insert(d.serial);
        macs.insert(d.mac);
    }
    EXPECT_EQ(endpoints.size(), 300u);
    EXPECT_EQ(serials.size(), 300u);
    EXPECT_EQ(macs.size(), 300u);
    fleet[3].pending = true;
    fleet[3].pendingAddress = 0x7f2b0f01;
    fleet[3].pendingPrefix = 16;
    fleet[3].pendingDhcp = true;
    fleet[4].dhcp = true;
    fleet[5].scopes.clear();
    const std::string text = formatOnvifFleet(fleet);
    std::vector<OnvifDevice> back;
    std::string error;
    ASSERT_TRUE(parseOnvifFleet(text, back, error)) << error;
    EXPECT_EQ(formatOnvifFleet(back), text);
    for (const std::string& damaged :
         {std::string("endpoint=urn:x\tipv4=10.0.0.1"), text.substr(0, text.size() / 2) + "\tprefix=40\n",
          std::string("no fields here\n")})
        EXPECT_FALSE(parseOnvifFleet(damaged, back, error)) << damaged;
}
