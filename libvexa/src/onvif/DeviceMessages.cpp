#include "DeviceMessages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "UsernameToken.h"
#include "WsDiscovery.h"
#include "Xml.h"
#include "vexa.h"

namespace vexa::onvif {

namespace {

constexpr const char* kDeviceNs = "http://www.onvif.org/ver10/device/wsdl";
constexpr const char* kMedia1Ns = "http://www.onvif.org/ver10/media/wsdl";
constexpr const char* kMedia2Ns = "http://www.onvif.org/ver20/media/wsdl";

int number(const pugi::xml_node& node, int fallback = -1) {
    const std::string value = text(node);
    if (value.empty() || value.size() > 9)
        return fallback;
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    return *end == '\0' ? static_cast<int>(n) : fallback;
}

// Days since 1970-01-01 of a proleptic Gregorian date (no time zone involved, unlike mktime).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Address {
    std::string address;
    int prefix = 0;
};

std::optional<Address> firstAddress(const pugi::xml_node& config, const char* kind) {
    for (const pugi::xml_node& entry : children(config, kind)) {
        Address a{text(child(entry, "Address")), number(child(entry, "PrefixLength"), 0)};
        if (!a.address.empty())
            return a;
    }
    return std::nullopt;
}

} // namespace

bool parseAnswer(const char* data, size_t size, Answer& out) {
    if (!parseXml(*out.doc, data, size))
        return false;
    const pugi::xml_node body = soapBody(*out.doc);
    if (!body)
        return false;
    out.response = firstElement(body);
    if (isNamed(out.response, "Fault")) {
        Fault fault;
        if (const pugi::xml_node code = child(out.response, "Code")) { // SOAP 1.2
            fault.code = localName(text(child(code, "Value")).c_str());
            for (pugi::xml_node sub = child(code, "Subcode"); sub; sub = child(sub, "Subcode"))
                fault.subcodes.push_back(localName(text(child(sub, "Value")).c_str()));
            fault.reason = text(child(child(out.response, "Reason"), "Text"));
        } else { // SOAP 1.1
            fault.code = localName(text(child(out.response, "faultcode")).c_str());
            fault.reason = text(child(out.response, "faultstring"));
        }
        // Some devices put the ONVIF subcode in a SOAP 1.1 faultcode or detail.
        if (fault.code == "NotAuthorized" || fault.code == "NotAuthorised")
            fault.subcodes.push_back("NotAuthorized");
        out.fault = std::move(fault);
    }
    return true;
}

bool isNotAuthorized(const Fault& fault) {
    // Devices say "not authorized" under many codes (OperationProhibited, Sender alone, their own): the words
    // decide, in either spelling.
    const auto mentions = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s.find("authoriz") != std::string::npos || s.find("authoris") != std::string::npos;
    };
    return mentions(fault.code) || mentions(fault.reason) ||
           std::any_of(fault.subcodes.begin(), fault.subcodes.end(), mentions);
}

uint32_t faultToCode(const Fault& fault) {
    if (isNotAuthorized(fault))
        return VEXA_ERR_DEVICE_REFUSED;
    const bool unsupported = std::any_of(fault.subcodes.begin(), fault.subcodes.end(), [](const std::string& s) {
        return s == "ActionNotSupported" || s == "NotSupported";
    });
    if (unsupported)
        return VEXA_ERR_NOT_SUPPORTED;
    if (fault.code == "Sender" || fault.code == "Client")
        return VEXA_ERR_VALUE_REFUSED;
    return VEXA_ERR_DEVICE_FAULT;
}

// A media operation is named with its service's prefix ("trt:GetProfiles"); the device service's go bare.
std::string soapAction(const char* operation) {
    const std::string name = operation;
    if (name.rfind("trt:", 0) == 0)
        return std::string(kMedia1Ns) + "/" + name.substr(4);
    if (name.rfind("tr2:", 0) == 0)
        return std::string(kMedia2Ns) + "/" + name.substr(4);
    return std::string(kDeviceNs) + "/" + name;
}

std::string buildRequest(const char* operation, const std::function<void(pugi::xml_node)>& fill, const Token* token) {
    pugi::xml_document doc;
    pugi::xml_node envelope = doc.append_child("s:Envelope");
    envelope.append_attribute("xmlns:s") = "http://www.w3.org/2003/05/soap-envelope";
    envelope.append_attribute("xmlns:tds") = kDeviceNs;
    envelope.append_attribute("xmlns:tt") = "http://www.onvif.org/ver10/schema";
    const bool prefixed = std::strchr(operation, ':') != nullptr;
    if (prefixed) {
        envelope.append_attribute("xmlns:trt") = kMedia1Ns;
        envelope.append_attribute("xmlns:tr2") = kMedia2Ns;
    }
    pugi::xml_node header = envelope.append_child("s:Header");
    if (token && !addUsernameToken(header, token->user, token->password, token->deviceNow))
        return {};
    pugi::xml_node request =
        envelope.append_child("s:Body").append_child((std::string(prefixed ? "" : "tds:") + operation).c_str());
    if (fill)
        fill(request);
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw);
    return out.str();
}

bool readSystemDateAndTime(const pugi::xml_node& response, std::chrono::system_clock::time_point& deviceUtc) {
    const pugi::xml_node all = child(response, "SystemDateAndTime");
    pugi::xml_node when = child(all, "UTCDateTime");
    if (!when)
        when = child(all, "LocalDateTime"); // off by the zone at worst, better than nothing
    const pugi::xml_node date = child(when, "Date");
    const pugi::xml_node time = child(when, "Time");
    const int year = number(child(date, "Year")), month = number(child(date, "Month")),
              day = number(child(date, "Day"));
    const int hour = number(child(time, "Hour")), minute = number(child(time, "Minute")),
              second = number(child(time, "Second"));
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60)
        return false;
    const int64_t seconds = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                            hour * 3600 + minute * 60 + second;
    deviceUtc = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    return true;
}

bool readDeviceInformation(const pugi::xml_node& response, DeviceDetails& out) {
    if (!isNamed(response, "GetDeviceInformationResponse"))
        return false;
    out.manufacturer = text(child(response, "Manufacturer"));
    out.model = text(child(response, "Model"));
    out.firmware = text(child(response, "FirmwareVersion"));
    out.serial = text(child(response, "SerialNumber"));
    out.hardwareId = text(child(response, "HardwareId"));
    return true;
}

bool readNetworkInterfaces(const pugi::xml_node& response, const std::string& preferredAddress, DeviceDetails& out) {
    if (!isNamed(response, "GetNetworkInterfacesResponse"))
        return false;
    pugi::xml_node chosen;
    for (const pugi::xml_node& nic : children(response, "NetworkInterfaces")) {
        if (!chosen && isTrue(child(nic, "Enabled")) && child(nic, "IPv4"))
            chosen = nic;
        const pugi::xml_node config = path(nic, {"IPv4", "Config"});
        for (const char* kind : {"Manual", "FromDHCP", "LinkLocal"}) {
            const auto a = firstAddress(config, kind);
            if (a && a->address == preferredAddress) {
                chosen = nic;
                break;
            }
        }
    }
    if (!chosen)
        chosen = child(response, "NetworkInterfaces");
    out.interfaceToken.clear();
    out.mac.clear();
    out.ipv4.clear();
    out.ipv6.clear();
    out.dhcp = false;
    out.prefixLength = out.ipv6PrefixLength = 0;
    if (!chosen)
        return true;
    out.interfaceToken = chosen.attribute("token").value();
    out.mac = text(path(chosen, {"Info", "HwAddress"}));
    const pugi::xml_node v4 = path(chosen, {"IPv4", "Config"});
    out.dhcp = isTrue(child(v4, "DHCP"));
    // A device on DHCP reports what it was given; on a fixed address, the manual one.
    auto a = out.dhcp ? firstAddress(v4, "FromDHCP") : firstAddress(v4, "Manual");
    if (!a)
        a = out.dhcp ? firstAddress(v4, "Manual") : firstAddress(v4, "FromDHCP");
    if (!a)
        a = firstAddress(v4, "LinkLocal");
    out.ipv4 = a ? a->address : std::string();
    out.prefixLength = a ? a->prefix : 0;
    const pugi::xml_node v6 = path(chosen, {"IPv6", "Config"});
    std::optional<Address> b;
    for (const char* kind : {"Manual", "FromDHCP", "FromRA"}) {
        if ((b = firstAddress(v6, kind)))
            break;
    }
    out.ipv6 = b ? b->address : std::string();
    out.ipv6PrefixLength = b ? b->prefix : 0;
    return true;
}

std::string interfaceGap(const DeviceDetails& read) {
    if (read.interfaceToken.empty() && read.mac.empty() && read.ipv4.empty())
        return "no interface reported";
    if (read.mac.empty())
        return "no MAC address reported";
    if (read.ipv4.empty())
        return "no IPv4 address reported";
    if (read.interfaceToken.empty())
        return "no interface token reported";
    return {};
}

bool readDefaultGateway(const pugi::xml_node& response, DeviceDetails& out) {
    if (!isNamed(response, "GetNetworkDefaultGatewayResponse"))
        return false;
    const pugi::xml_node gateway = child(response, "NetworkGateway");
    out.gateway = text(child(gateway, "IPv4Address"));
    out.ipv6Gateway = text(child(gateway, "IPv6Address"));
    return true;
}

bool readNetworkProtocols(const pugi::xml_node& response, DeviceDetails& out) {
    if (!isNamed(response, "GetNetworkProtocolsResponse"))
        return false;
    out.httpPort = out.httpsPort = out.rtspPort = 0;
    for (const pugi::xml_node& protocol : children(response, "NetworkProtocols")) {
        if (!isTrue(child(protocol, "Enabled")))
            continue;
        const std::string name = text(child(protocol, "Name"));
        const int port = number(child(protocol, "Port"), 0);
        if (port < 1 || port > 65535)
            continue;
        const auto p = static_cast<uint16_t>(port);
        if (name == "HTTP")
            out.httpPort = p;
        else if (name == "HTTPS")
            out.httpsPort = p;
        else if (name == "RTSP")
            out.rtspPort = p;
    }
    return true;
}

bool readScopes(const pugi::xml_node& response, DeviceDetails& out) {
    if (!isNamed(response, "GetScopesResponse"))
        return false;
    out.configurableScopes.clear();
    out.fixedScopes.clear();
    std::vector<std::string> all;
    for (const pugi::xml_node& scope : children(response, "Scopes")) {
        const std::string item = text(child(scope, "ScopeItem"));
        if (item.empty())
            continue;
        all.push_back(item);
        if (text(child(scope, "ScopeDef")) == "Configurable")
            out.configurableScopes.push_back(item);
        else
            out.fixedScopes.push_back(item);
    }
    const ScopeFacts facts = onvif::readScopes(all);
    out.name = facts.name;
    out.location = facts.location;
    out.hardware = facts.hardware;
    return true;
}

bool readRebootNeeded(const pugi::xml_node& response) {
    return isTrue(child(response, "RebootNeeded"));
}

void fillSetInterface(pugi::xml_node request, const std::string& token, bool dhcp, const std::string& address,
                      int prefixLength) {
    request.append_child("tds:InterfaceToken").text() = token.c_str();
    pugi::xml_node nic = request.append_child("tds:NetworkInterface");
    nic.append_child("tt:Enabled").text() = "true";
    pugi::xml_node v4 = nic.append_child("tt:IPv4");
    v4.append_child("tt:Enabled").text() = "true";
    if (!dhcp) {
        pugi::xml_node manual = v4.append_child("tt:Manual");
        manual.append_child("tt:Address").text() = address.c_str();
        manual.append_child("tt:PrefixLength").text() = prefixLength;
    }
    v4.append_child("tt:DHCP").text() = dhcp ? "true" : "false";
}

void fillSetGateway(pugi::xml_node request, const std::string& gateway) {
    if (!gateway.empty())
        request.append_child("tds:IPv4Address").text() = gateway.c_str();
}

void fillSetProtocols(pugi::xml_node request, const DeviceDetails& current, uint16_t httpPort, uint16_t rtspPort) {
    // Only the protocols that change: HTTPS, and whatever the device has that we do not show, stay as they are.
    auto add = [&request](const char* name, uint16_t port) {
        pugi::xml_node p = request.append_child("tds:NetworkProtocols");
        p.append_child("tt:Name").text() = name;
        p.append_child("tt:Enabled").text() = "true";
        p.append_child("tt:Port").text() = port;
    };
    if (httpPort && httpPort != current.httpPort)
        add("HTTP", httpPort);
    if (rtspPort && rtspPort != current.rtspPort)
        add("RTSP", rtspPort);
}

std::vector<std::string> scopesWithName(const std::vector<std::string>& configurable, const std::string& name) {
    std::vector<std::string> out;
    for (const std::string& scope : configurable) {
        std::string head = scope.substr(0, 27);
        std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
        if (head != "onvif://www.onvif.org/name/")
            out.push_back(scope);
    }
    if (!name.empty())
        out.push_back("onvif://www.onvif.org/name/" + percentEncode(name));
    return out;
}

void fillSetScopes(pugi::xml_node request, const std::vector<std::string>& scopes) {
    for (const std::string& scope : scopes)
        request.append_child("tds:Scopes").text() = scope.c_str();
}

std::string prefixToMask(int prefixLength) {
    if (prefixLength < 0 || prefixLength > 32)
        return {};
    const uint32_t mask = prefixLength == 0 ? 0 : ~uint32_t{0} << (32 - prefixLength);
    char out[16];
    std::snprintf(out, sizeof out, "%u.%u.%u.%u", mask >> 24, (mask >> 16) & 255, (mask >> 8) & 255, mask & 255);
    return out;
}

int maskToPrefix(const std::string& mask) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(mask.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255)
        return -1;
    const uint32_t m = (a << 24) | (b << 16) | (c << 8) | d;
    int prefix = 0;
    while (prefix < 32 && (m & (uint32_t{1} << (31 - prefix))))
        ++prefix;
    const uint32_t expected = prefix == 0 ? 0 : ~uint32_t{0} << (32 - prefix);
    return m == expected ? prefix : -1;
}

} // namespace vexa::onvif
