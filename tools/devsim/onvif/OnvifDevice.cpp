#include "OnvifDevice.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "DeviceClock.h"
#include "SplitMix.h"

namespace devsim::onvif {

namespace {

// Made-up makers and models: a mixed site has several.
struct Make {
    const char* manufacturer;
    const char* model;
    const char* firmware;
};
const Make kMakes[] = {
    {"Kestrel Optics", "KO-D2140", "V5.6.3 build 240118"},
    {"Northfield Imaging", "NF-B8-IR", "2.14.0"},
    {"Larkspur Systems", "LS-PTZ-30X", "1.0.7-r2"},
    {"Kestrel Optics", "KO-NVR-16", "V4.1.0 build 231002"},
};

const char* const kFixedPrefixes[] = {"onvif://www.onvif.org/type/", "onvif://www.onvif.org/hardware/",
                                      "onvif://www.onvif.org/Profile/"};

std::string percentEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            out += buffer;
        }
    }
    return out;
}

bool parseInt(const std::string& text, long min, long max, long& out) {
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && out >= min && out <= max;
}

} // namespace

std::string formatAddress(uint32_t address) {
    char buffer[INET_ADDRSTRLEN];
    const uint32_t net = htonl(address);
    return inet_ntop(AF_INET, &net, buffer, sizeof buffer) ? buffer : "";
}

bool parseAddress(const std::string& text, uint32_t& out) {
    in_addr a{};
    if (text.size() > 15 || inet_pton(AF_INET, text.c_str(), &a) != 1)
        return false;
    out = ntohl(a.s_addr);
    return true;
}

std::vector<OnvifDevice> generateOnvifFleet(uint32_t count, uint64_t seed, uint32_t base, int httpPort) {
    std::vector<OnvifDevice> fleet;
    fleet.reserve(count);
    uint64_t state = seed ^ 0x6F6E7669665F7369ull;
    for (uint32_t i = 0; i < count; ++i) {
        OnvifDevice d;
        const uint64_t a = splitmix(state);
        const uint64_t b = splitmix(state);
        char text[64];
        std::snprintf(text, sizeof text, "urn:uuid:%08x-%04x-4%03x-8%03x-%012llx", static_cast<uint32_t>(a >> 32),
                      static_cast<uint32_t>(a >> 16) & 0xffff, static_cast<uint32_t>(a) & 0xfff,
                      static_cast<uint32_t>(b >> 52) & 0xfff, static_cast<unsigned long long>(b & 0xffffffffffffull));
        d.endpoint = text;
        const Make& make = kMakes[i % (sizeof kMakes / sizeof kMakes[0])];
        d.manufacturer = make.manufacturer;
        d.model = make.model;
        d.firmware = make.firmware;
        std::snprintf(text, sizeof text, "OV%02u%08llu", static_cast<unsigned>(i % 97),
                      static_cast<unsigned long long>(b % 100000000ull));
        d.serial = text;
        // Locally administered, unicast; the low bytes follow the index so MACs never repeat.
        std::snprintf(text, sizeof text, "02:4f:%02x:%02x:%02x:%02x", static_cast<unsigned>(a & 0xff), (i >> 16) & 0xff,
                      (i >> 8) & 0xff, i & 0xff);
        d.mac = text;
        std::snprintf(text, sizeof text, "HW-%04llX", static_cast<unsigned long long>(a >> 48));
        d.hardwareId = text;
        std::snprintf(text, sizeof text, "cam-%04u", i + 1);
        d.hostname = text;
        d.address = base + i;
        d.prefix = 24;
        d.gateway = (d.address & 0xffffff00u) | 254u;
        d.dns = (d.address & 0xffffff00u) | 253u;
        d.httpPort = httpPort;
        std::snprintf(text, sizeof text, "Camera %u", i + 1);
        d.scopes = {"onvif://www.onvif.org/name/" + percentEncode(text), "onvif://www.onvif.org/location/Site-A"};
        fleet.push_back(std::move(d));
    }
    return fleet;
}

std::vector<std::string> allScopes(const OnvifDevice& device) {
    std::vector<std::string> out = {
        "onvif://www.onvif.org/type/video_encoder", "onvif://www.onvif.org/type/Network_Video_Transmitter",
        "onvif://www.onvif.org/hardware/" + percentEncode(device.model), "onvif://www.onvif.org/Profile/Streaming"};
    out.insert(out.end(), device.scopes.begin(), device.scopes.end());
    return out;
}

std::string scopeValue(const OnvifDevice& device, const std::string& prefix) {
    for (const std::string& s : allScopes(device))
        if (s.compare(0, prefix.size(), prefix) == 0)
            return s.substr(prefix.size());
    return {};
}

bool isFixedScope(const std::string& scope) {
    for (const char* p : kFixedPrefixes)
        if (scope.rfind(p, 0) == 0)
            return true;
    return false;
}

std::string formatOnvifFleet(const std::vector<OnvifDevice>& fleet) {
    std::ostringstream out;
    out << "# vexa-devsim ONVIF devices: one a line, key=value fields separated by tabs\n";
    for (const OnvifDevice& d : fleet) {
        std::string scopes;
        for (const std::string& s : d.scopes)
            scopes += (scopes.empty() ? "" : " ") + s;
        out << "endpoint=" << d.endpoint << "\tserial=" << d.serial << "\tmac=" << d.mac
            << "\tmanufacturer=" << d.manufacturer << "\tmodel=" << d.model << "\tfirmware=" << d.firmware
            << "\thardware=" << d.hardwareId << "\thostname=" << d.hostname << "\tipv4=" << formatAddress(d.address)
            << "\tprefix=" << d.prefix << "\tdhcp=" << (d.dhcp ? 1 : 0) << "\tgateway=" << formatAddress(d.gateway)
            << "\tdns=" << formatAddress(d.dns) << "\thttp=" << d.httpPort << "\thttps=" << d.httpsPort
            << "\thttpsEnabled=" << (d.httpsEnabled ? 1 : 0) << "\trtsp=" << d.rtspPort
            << "\tmetadataVersion=" << d.metadataVersion << "\tscopes=" << scopes;
        if (d.pending)
            out << "\tpendingIpv4=" << formatAddress(d.pendingAddress) << "\tpendingPrefix=" << d.pendingPrefix
                << "\tpendingDhcp=" << (d.pendingDhcp ? 1 : 0);
        out << formatClockFields(d) << '\n';
    }
    return out.str();
}

bool parseOnvifFleet(const std::string& text, std::vector<OnvifDevice>& out, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    out.clear();
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#')
            continue;
        std::map<std::string, std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t')) {
            const size_t eq = cell.find('=');
            if (eq == std::string::npos) {
                error = "line " + std::to_string(lineNo) + ": field without '='";
                return false;
            }
            fields[cell.substr(0, eq)] = cell.substr(eq + 1);
        }
        OnvifDevice d;
        long n = 0;
        bool ok = !(d.endpoint = fields["endpoint"]).empty();
        d.serial = fields["serial"];
        d.mac = fields["mac"];
        d.manufacturer = fields["manufacturer"];
        d.model = fields["model"];
        d.firmware = fields["firmware"];
        d.hardwareId = fields["hardware"];
        d.hostname = fields["hostname"];
        ok = ok && parseAddress(fields["ipv4"], d.address) && parseAddress(fields["gateway"], d.gateway) &&
             parseAddress(fields["dns"], d.dns);
        ok = ok && parseInt(fields["prefix"], 0, 32, n) && ((d.prefix = static_cast<int>(n)), true);
        ok = ok && parseInt(fields["dhcp"], 0, 1, n) && ((d.dhcp = n == 1), true);
        ok = ok && parseInt(fields["http"], 1, 65535, n) && ((d.httpPort = static_cast<int>(n)), true);
        ok = ok && parseInt(fields["https"], 1, 65535, n) && ((d.httpsPort = static_cast<int>(n)), true);
        ok = ok && parseInt(fields["httpsEnabled"], 0, 1, n) && ((d.httpsEnabled = n == 1), true);
        ok = ok && parseInt(fields["rtsp"], 1, 65535, n) && ((d.rtspPort = static_cast<int>(n)), true);
        ok = ok && parseInt(fields["metadataVersion"], 1, 0xffffffffL, n) &&
             ((d.metadataVersion = static_cast<uint32_t>(n)), true);
        std::istringstream scopes(fields["scopes"]);
        for (std::string s; scopes >> s;)
            d.scopes.push_back(s);
        if (fields.count("pendingIpv4")) {
            d.pending = true;
            ok = ok && parseAddress(fields["pendingIpv4"], d.pendingAddress) &&
                 parseInt(fields["pendingPrefix"], 0, 32, n) && ((d.pendingPrefix = static_cast<int>(n)), true) &&
                 parseInt(fields["pendingDhcp"], 0, 1, n) && ((d.pendingDhcp = n == 1), true);
        }
        ok = ok && parseClockFields(fields, d);
        if (!ok || d.address == 0) {
            error = "line " + std::to_string(lineNo) + ": missing or malformed field";
            return false;
        }
        out.push_back(std::move(d));
    }
    return true;
}

} // namespace devsim::onvif
