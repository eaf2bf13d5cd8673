#include "DeviceService.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <optional>
#include <sstream>
#include <utility>

#include "MediaService.h"

namespace devsim::onvif {

namespace {

const char* const kInterfaceToken = "eth0";

// A sender or receiver fault with ONVIF subcodes; HTTP 400 for the sender's fault, 500 for the device's.
struct Fault {
    bool sender;
    std::string subcode;
    std::string subsubcode;
    std::string reason;
    bool versionMismatch = false;
};

Fault invalidArg(const char* detail, const std::string& reason) {
    return {true, "InvalidArgVal", detail, reason};
}

bool parsePort(const std::string& text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 1 || v > 65535)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parseBool(const std::string& text, bool& out) {
    if (text == "true" || text == "1")
        out = true;
    else if (text == "false" || text == "0")
        out = false;
    else
        return false;
    return true;
}

bool usableAddress(uint32_t address, int prefix) {
    if ((address >> 24) != 127 || address == 0x7f000000u || address == 0x7fffffffu)
        return false;
    if (prefix >= 31)
        return true;
    const uint32_t host = prefix == 0 ? 0xffffffffu : (0xffffffffu >> prefix);
    return (address & host) != 0 && (address & host) != host;
}

std::string boolText(bool b) {
    return b ? "true" : "false";
}

} // namespace

bool parseQuirks(const std::string& list, Quirks& out, std::string& error) {
    static constexpr std::pair<const char*, bool Quirks::*> kNames[] = {
        {"prefixes", &Quirks::otherPrefixes},
        {"soap11", &Quirks::soap11},
        {"xaddrs", &Quirks::severalXAddrs},
        {"fault-applied", &Quirks::faultApplied},
        {"no-anonymous", &Quirks::noAnonymous},
        {"digest-only", &Quirks::digestOnly},
        {"digest-sha256", &Quirks::digestSha256},
        {"no-interfaces", &Quirks::noInterfaces},
        {"partial-interfaces", &Quirks::partialInterfaces},
        {"only-transmitter", &Quirks::onlyTransmitter},
        {"only-device", &Quirks::onlyDevice},
        {"local-as-utc", &Quirks::localAsUtc},
        {"bom", &Quirks::bom},
        {"undeclared", &Quirks::undeclared},
        {"plain-content-type", &Quirks::plainContentType},
        {"no-addressing", &Quirks::noAddressing},
        {"close", &Quirks::close},
        {"other-auth-code", &Quirks::otherAuthCode},
        {"internal-uri", &Quirks::internalUri},
        {"no-snapshot", &Quirks::noSnapshot},
        {"media1-only", &Quirks::media1Only},
        {"big-snapshot", &Quirks::bigSnapshot},
    };
    static constexpr std::pair<const char*, bool ClockQuirks::*> kClockNames[] = {
        {"no-timezone", &ClockQuirks::refuseTimeZone},
        {"keeps-password", &ClockQuirks::keepPassword},
    };
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        const auto named = std::find_if(std::begin(kNames), std::end(kNames),
                                        [&item](const auto& name) { return item == name.first; });
        const auto clock = std::find_if(std::begin(kClockNames), std::end(kClockNames),
                                        [&item](const auto& name) { return item == name.first; });
        if (named != std::end(kNames)) {
            out.*(named->second) = true;
        } else if (clock != std::end(kClockNames)) {
            out.clock.*(clock->second) = true;
        } else if (item.rfind("fault=", 0) == 0 && item.size() > 6 && item.size() < 64) {
            out.faultOn.push_back(item.substr(6));
        } else if (!item.empty()) {
            error = "unknown ONVIF quirk '" + item + "'";
            return false;
        }
    }
    return true;
}

std::string serviceUrl(const OnvifDevice& device, const char* path) {
    return "http://" + formatAddress(device.address) + ":" + std::to_string(device.httpPort) + path;
}

std::string deviceXAddrs(const OnvifDevice& device, const Quirks& quirks) {
    const std::string own = serviceUrl(device, "/onvif/device_service");
    if (!quirks.severalXAddrs)
        return own;
    // A second interface on an address this host cannot reach, and IPv6, before the one that works.
    return "http://169.254." + std::to_string((device.address >> 8) & 0xff) + "." +
           std::to_string(device.address & 0xff) +
           "/onvif/device_service http://[fe80::4f:" + std::to_string(device.address & 0xff) +
           "]/onvif/device_service " + own;
}

DeviceService::DeviceService(ServiceOptions options)
    : options_(std::move(options))
    , locks_(options_.lockAfter, options_.lockMs) {}

DeviceService::Token DeviceService::checkToken(const pugi::xml_node& envelope, int64_t deviceNow,
                                               const std::string& devicePassword) {
    const pugi::xml_node token = child(child(child(envelope, "Header"), "Security"), "UsernameToken");
    const std::string user = childText(token, "Username");
    if (!token || user.empty())
        return Token::Absent;
    const pugi::xml_node password = child(token, "Password");
    const std::string type = password.attribute("Type").value();
    const std::string created = childText(token, "Created");
    if (user != options_.user)
        return Token::Invalid;
    if (type == ns::kPasswordText)
        return password.text().get() == devicePassword ? Token::Valid : Token::Invalid;
    int64_t createdAt = 0;
    if ((!type.empty() && type != ns::kPasswordDigest) || !parseUtcTime(created, createdAt) ||
        std::llabs(createdAt - deviceNow) > kCreatedWindow)
        return Token::Invalid;
    // No replay cache, as on the devices we meet: a client that draws its nonce from the second's clock sends
    // the same token twice within a millisecond, and a captured token stays good for the window either way.
    return passwordDigestMatches(childText(token, "Nonce"), created, devicePassword, password.text().get())
               ? Token::Valid
               : Token::Invalid;
}

Outcome DeviceService::handle(OnvifDevice& device, const std::string& request, const HttpAuth& http, int64_t now,
                              const std::function<bool(uint32_t)>& addressTaken) {
    Outcome out;
    const Quirks& q = options_.quirks;
    const Prefixes px = q.otherPrefixes ? Prefixes::other() : Prefixes::common();
    const int64_t deviceNow = deviceClock(device, now, options_.clockOffset);

    pugi::xml_document doc;
    const bool parsed = request.size() <= 65536 &&
                        doc.load_buffer(request.data(), request.size(), pugi::parse_default & ~pugi::parse_doctype);
    const pugi::xml_node envelope = doc.document_element();
    const std::string envNs = parsed ? namespaceOf(envelope) : std::string();
    const bool requestSoap11 = envNs == ns::kSoap11;
    Envelope reply(q.soap11 || requestSoap11, px);
    auto finish = [&](Fault* fault) {
        if (fault && q.otherAuthCode && fault->subcode == "NotAuthorized")
            *fault = Fault{false, "Action", "", "Not Authorized"};
        if (fault) {
            reply.fault(fault->versionMismatch ? "VersionMismatch"
                        : fault->sender        ? "Sender"
                                               : "Receiver",
                        fault->subcode, fault->subsubcode, fault->reason);
            out.status = fault->sender ? 400 : 500;
        }
        out.contentType = q.plainContentType ? "application/xml"
                          : reply.soap11()   ? "text/xml; charset=utf-8"
                                             : "application/soap+xml; charset=utf-8";
        if (q.undeclared) {
            pugi::xml_node root = reply.body().parent();
            root.remove_attribute(("xmlns:" + px.tds).c_str());
            root.remove_attribute(("xmlns:" + px.tt).c_str());
        }
        out.body = (q.bom ? "\xEF\xBB\xBF" : "") + reply.str();
        out.close = q.close;
        return out;
    };
    if (request.find_first_not_of(" \t\r\n") == std::string::npos && !http.present) {
        // An HTTP client that authenticates in two passes sends nothing first and waits for the challenge.
        out.challenge = true;
        Fault f{true, "NotAuthorized", "", "Sender not authorized"};
        finish(&f);
        out.status = 401;
        return out;
    }
    if (!parsed || localName(envelope) != "Envelope") {
        Fault f{true, "WellFormed", "", "Well-formed Error"};
        return finish(&f);
    }
    if (envNs != ns::kSoap12 && envNs != ns::kSoap11) {
        Fault f{true, "", "", "Version mismatch", true};
        return finish(&f);
    }
    pugi::xml_node op;
    for (pugi::xml_node c = child(envelope, "Body").first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element) {
            op = c;
            break;
        }
    const std::string name = op ? localName(op) : std::string();
    if (q.noAddressing) {
        for (pugi::xml_node h = child(envelope, "Header").first_child(); h; h = h.next_sibling())
            if (h.type() == pugi::node_element && namespaceOf(h) == ns::kAddressing) {
                Fault f{true, "MustUnderstand", "", "WS-Addressing header not understood"};
                return finish(&f);
            }
    }

    Access access = Access::Read;
    if (name == "GetSystemDateAndTime" || name == "GetCapabilities" || name == "GetServices")
        access = Access::PreAuth;
    else if (name.rfind("Set", 0) == 0 || name == "SystemReboot" || name == "GetUsers")
        access = Access::Write;

    if (access != Access::PreAuth) {
        const Token token =
            q.digestOnly ? Token::Absent : checkToken(envelope, deviceNow, devicePassword(device, options_.password));
        const int64_t nowMs = now * 1000;
        if ((token != Token::Absent || http.present) && locks_.locked(device.endpoint, nowMs)) {
            Fault f{true, "NotAuthorized", "", "Locked: too many wrong passwords, try again later"};
            return finish(&f);
        }
        if (token == Token::Invalid || (http.present && !http.valid && !http.stale))
            locks_.wrong(device.endpoint, nowMs);
        else if (token == Token::Valid || (http.present && http.valid))
            locks_.right(device.endpoint);
        if (token == Token::Invalid) {
            Fault f{true, "NotAuthorized", "", "Sender not authorized"};
            return finish(&f);
        }
        if (http.present && !http.valid) {
            out.challenge = true;
            out.status = 401;
            Fault f{true, "NotAuthorized", "", "Sender not authorized"};
            finish(&f);
            out.status = 401;
            return out;
        }
        const bool authenticated = token == Token::Valid || (http.present && http.valid);
        const bool needed = access == Access::Write || q.noAnonymous;
        if (needed && !authenticated) {
            out.challenge = true;
            Fault f{true, "NotAuthorized", "", "Sender not authorized"};
            finish(&f);
            out.status = 401;
            return out;
        }
    }

    const Prefixes& p = reply.px();
    pugi::xml_node body = reply.body();
    auto respond = [&](const char* prefix, const std::string& response) {
        return Envelope::add(body, prefix, response.c_str());
    };
    const std::string& tds = p.tds;
    const std::string& tt = p.tt;

    if (std::find(q.faultOn.begin(), q.faultOn.end(), name) != q.faultOn.end()) {
        Fault f{false, "ActionNotSupported", "", "Optional Action Not Implemented"};
        return finish(&f);
    }
    std::optional<ClockFault> clockFault;
    if (handleClockOrUser(device, name, op, p, body, now, options_.clockOffset, options_.user, q.clock, q.localAsUtc,
                          clockFault, out.changed)) {
        if (clockFault) {
            Fault f{clockFault->sender, clockFault->subcode, clockFault->subsubcode, clockFault->reason};
            return finish(&f);
        }
    } else if (name == "GetDeviceInformation") {
        Envelope::addEach(respond(tds.c_str(), "GetDeviceInformationResponse"), tds,
                          {{"Manufacturer", device.manufacturer},
                           {"Model", device.model},
                           {"FirmwareVersion", device.firmware},
                           {"SerialNumber", device.serial},
                           {"HardwareId", device.hardwareId}});
    } else if (name == "GetCapabilities") {
        pugi::xml_node caps = Envelope::add(respond(tds.c_str(), "GetCapabilitiesResponse"), tds, "Capabilities");
        pugi::xml_node dev = Envelope::add(caps, tt, "Device");
        Envelope::add(dev, tt, "XAddr", serviceUrl(device, "/onvif/device_service"));
        Envelope::addEach(
            Envelope::add(dev, tt, "Network"), tt,
            {{"IPFilter", "false"}, {"ZeroConfiguration", "false"}, {"IPVersion6", "false"}, {"DynDNS", "false"}});
        pugi::xml_node media = Envelope::add(caps, tt, "Media");
        Envelope::add(media, tt, "XAddr", serviceUrl(device, "/onvif/media_service"));
        Envelope::addEach(Envelope::add(media, tt, "StreamingCapabilities"), tt,
                          {{"RTPMulticast", "false"}, {"RTP_TCP", "true"}, {"RTP_RTSP_TCP", "true"}});
    } else if (name == "GetServices") {
        pugi::xml_node r = respond(tds.c_str(), "GetServicesResponse");
        const std::pair<const char*, const char*> services[] = {{ns::kDevice, "/onvif/device_service"},
                                                                {ns::kMedia, "/onvif/media_service"},
                                                                {ns::kMedia2, "/onvif/media2_service"}};
        for (const auto& [nsUri, path] : services) {
            if (q.media1Only && nsUri == ns::kMedia2)
                continue;
            pugi::xml_node s = Envelope::addEach(Envelope::add(r, tds, "Service"), tds,
                                                 {{"Namespace", nsUri}, {"XAddr", serviceUrl(device, path)}});
            Envelope::addEach(Envelope::add(s, tds, "Version"), tt, {{"Major", "2"}, {"Minor", "60"}});
        }
    } else if (name == "GetHostname") {
        Envelope::addEach(Envelope::add(respond(tds.c_str(), "GetHostnameResponse"), tds, "HostnameInformation"), tt,
                          {{"FromDHCP", "false"}, {"Name", device.hostname}});
    } else if (name == "GetDNS") {
        pugi::xml_node dns = Envelope::add(respond(tds.c_str(), "GetDNSResponse"), tds, "DNSInformation");
        Envelope::add(dns, tt, "FromDHCP", "false");
        Envelope::addEach(Envelope::add(dns, tt, "DNSManual"), tt,
                          {{"Type", "IPv4"}, {"IPv4Address", formatAddress(device.dns)}});
    } else if (name == "GetNetworkInterfaces") {
        const bool dhcp = device.pending ? device.pendingDhcp : device.dhcp;
        const uint32_t address = device.pending ? device.pendingAddress : device.address;
        const int prefix = device.pending ? device.pendingPrefix : device.prefix;
        pugi::xml_node answer = respond(tds.c_str(), "GetNetworkInterfacesResponse");
        if (q.noInterfaces)
            return finish(nullptr);
        pugi::xml_node ni = Envelope::add(answer, tds, "NetworkInterfaces");
        ni.append_attribute("token") = kInterfaceToken;
        Envelope::add(ni, tt, "Enabled", "true");
        if (!q.partialInterfaces)
            Envelope::addEach(Envelope::add(ni, tt, "Info"), tt,
                              {{"Name", kInterfaceToken}, {"HwAddress", device.mac}, {"MTU", "1500"}});
        pugi::xml_node ipv4 = Envelope::add(ni, tt, "IPv4");
        Envelope::add(ipv4, tt, "Enabled", "true");
        pugi::xml_node config = Envelope::add(ipv4, tt, "Config");
        Envelope::addEach(Envelope::add(config, tt, dhcp ? "FromDHCP" : "Manual"), tt,
                          {{"Address", formatAddress(address)}, {"PrefixLength", std::to_string(prefix)}});
        Envelope::add(config, tt, "DHCP", boolText(dhcp));
    } else if (name == "GetNetworkDefaultGateway") {
        pugi::xml_node g =
            Envelope::add(respond(tds.c_str(), "GetNetworkDefaultGatewayResponse"), tds, "NetworkGateway");
        if (device.gateway)
            Envelope::add(g, tt, "IPv4Address", formatAddress(device.gateway));
    } else if (name == "GetNetworkProtocols") {
        pugi::xml_node r = respond(tds.c_str(), "GetNetworkProtocolsResponse");
        const std::tuple<const char*, bool, int> protocols[] = {{"HTTP", true, device.httpPort},
                                                                {"HTTPS", device.httpsEnabled, device.httpsPort},
                                                                {"RTSP", true, device.rtspPort}};
        for (const auto& [proto, enabled, port] : protocols) {
            Envelope::addEach(Envelope::add(r, tds, "NetworkProtocols"), tt,
                              {{"Name", proto}, {"Enabled", boolText(enabled)}, {"Port", std::to_string(port)}});
        }
    } else if (name == "GetScopes") {
        pugi::xml_node r = respond(tds.c_str(), "GetScopesResponse");
        for (const std::string& s : allScopes(device)) {
            Envelope::addEach(Envelope::add(r, tds, "Scopes"), tt,
                              {{"ScopeDef", isFixedScope(s) ? "Fixed" : "Configurable"}, {"ScopeItem", s}});
        }
    } else if (isMediaOperation(name)) {
        if (auto m = answerMedia(device, op, reply, q)) {
            Fault f{m->sender, m->subcode, m->subsubcode, m->reason};
            return finish(&f);
        }
    } else if (name == "SetNetworkInterfaces") {
        if (childText(op, "InterfaceToken") != kInterfaceToken) {
            Fault f = invalidArg("InvalidNetworkInterface", "No network interface with this token");
            return finish(&f);
        }
        const pugi::xml_node ipv4 = child(child(op, "NetworkInterface"), "IPv4");
        bool dhcp = device.pending ? device.pendingDhcp : device.dhcp;
        uint32_t address = device.pending ? device.pendingAddress : device.address;
        int prefix = device.pending ? device.pendingPrefix : device.prefix;
        if (const pugi::xml_node d = child(ipv4, "DHCP"); d && !parseBool(d.text().get(), dhcp)) {
            Fault f = invalidArg("InvalidArgVal", "DHCP must be true or false");
            return finish(&f);
        }
        if (const pugi::xml_node manual = child(ipv4, "Manual"); manual && !dhcp) {
            char* end = nullptr;
            const std::string prefixText = childText(manual, "PrefixLength");
            const long n = std::strtol(prefixText.c_str(), &end, 10);
            if (!parseAddress(childText(manual, "Address"), address) || prefixText.empty() || *end != '\0' || n < 1 ||
                n > 32 || !usableAddress(address, static_cast<int>(n))) {
                Fault f = invalidArg("InvalidIPv4Address", "The IPv4 address or prefix length is not valid here");
                return finish(&f);
            }
            prefix = static_cast<int>(n);
            if (address != device.address && addressTaken && addressTaken(address)) {
                Fault f = invalidArg("InvalidIPv4Address", "Another device uses this address");
                return finish(&f);
            }
        }
        if (dhcp)
            address = device.address; // the lease this network's server hands out
        const bool rebootNeeded = address != device.address || dhcp != device.dhcp;
        if (rebootNeeded) {
            device.pending = true;
            device.pendingAddress = address;
            device.pendingPrefix = prefix;
            device.pendingDhcp = dhcp;
        } else {
            device.pending = false;
            device.prefix = prefix;
        }
        out.changed = true;
        Envelope::add(respond(tds.c_str(), "SetNetworkInterfacesResponse"), tds, "RebootNeeded",
                      boolText(rebootNeeded));
    } else if (name == "SetNetworkDefaultGateway") {
        uint32_t gateway = 0;
        for (pugi::xml_node c = op.first_child(); c; c = c.next_sibling()) {
            if (localName(c) != "IPv4Address")
                continue;
            if (!parseAddress(c.text().get(), gateway) || gateway == 0 || (gateway >> 28) >= 14) {
                Fault f = invalidArg("InvalidGatewayAddress", "The gateway address is not valid");
                return finish(&f);
            }
            break;
        }
        device.gateway = gateway;
        out.changed = true;
        respond(tds.c_str(), "SetNetworkDefaultGatewayResponse");
    } else if (name == "SetNetworkProtocols") {
        int http = device.httpPort, https = device.httpsPort, rtsp = device.rtspPort;
        bool httpsEnabled = device.httpsEnabled;
        for (pugi::xml_node c = op.first_child(); c; c = c.next_sibling()) {
            if (localName(c) != "NetworkProtocols")
                continue;
            const std::string proto = childText(c, "Name");
            bool enabled = true;
            int port = 0;
            const std::string portText = childText(c, "Port");
            if (!parseBool(childText(c, "Enabled"), enabled) || (!portText.empty() && !parsePort(portText, port))) {
                Fault f = invalidArg("InvalidArgVal", "Enabled must be a boolean and Port a number from 1 to 65535");
                return finish(&f);
            }
            if (proto == "HTTP") {
                if (!enabled) {
                    Fault f{true, "OperationProhibited", "", "HTTP carries this service and cannot be disabled"};
                    return finish(&f);
                }
                http = port ? port : http;
            } else if (proto == "HTTPS") {
                httpsEnabled = enabled;
                https = port ? port : https;
            } else if (proto == "RTSP") {
                rtsp = port ? port : rtsp;
            } else {
                Fault f = invalidArg("ServiceNotSupported", "Unknown protocol " + proto.substr(0, 32));
                return finish(&f);
            }
        }
        if (http == rtsp || (httpsEnabled && (https == http || https == rtsp))) {
            Fault f = invalidArg("PortAlreadyInUse", "Two protocols cannot share a port");
            return finish(&f);
        }
        out.restart = http != device.httpPort;
        device.httpPort = http;
        device.httpsPort = https;
        device.httpsEnabled = httpsEnabled;
        device.rtspPort = rtsp;
        out.changed = true;
        out.metadataChanged = out.restart; // the XAddrs changed
        respond(tds.c_str(), "SetNetworkProtocolsResponse");
    } else if (name == "SetScopes") {
        std::vector<std::string> scopes;
        for (pugi::xml_node c = op.first_child(); c; c = c.next_sibling()) {
            if (localName(c) != "Scopes")
                continue;
            const std::string s = c.text().get();
            bool clean = !s.empty() && s.size() <= 256;
            for (unsigned char ch : s)
                clean = clean && ch > 0x20 && ch != 0x7f;
            if (!clean) {
                Fault f = invalidArg("InvalidArgVal", "A scope must be a URI without spaces, up to 256 bytes");
                return finish(&f);
            }
            if (isFixedScope(s)) {
                Fault f{true, "OperationProhibited", "ScopeOverwrite", "Fixed scopes cannot be set"};
                return finish(&f);
            }
            scopes.push_back(s);
        }
        if (scopes.size() > 16) {
            Fault f{false, "Action", "TooManyScopes", "At most 16 configurable scopes"};
            return finish(&f);
        }
        out.metadataChanged = scopes != device.scopes;
        device.scopes = std::move(scopes);
        out.changed = true;
        respond(tds.c_str(), "SetScopesResponse");
    } else if (name == "SystemReboot") {
        Envelope::add(respond(tds.c_str(), "SystemRebootResponse"), tds, "Message", "Rebooting");
        out.reboot = true;
    } else {
        Fault f{false, "ActionNotSupported", "", "Optional Action Not Implemented"};
        return finish(&f);
    }
    if (out.metadataChanged)
        ++device.metadataVersion;
    if (q.faultApplied && access == Access::Write && name != "SystemReboot") {
        // Real devices do this: the change is in, the answer says it failed.
        reply.body().remove_children();
        Fault f{false, "Action", "", "Internal error while saving the configuration"};
        return finish(&f);
    }
    return finish(nullptr);
}

} // namespace devsim::onvif
