#include "WsDiscovery.h"

#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <limits>
#include <openssl/rand.h>
#include <sstream>

#include "Xml.h"

namespace vexa::onvif {

namespace {

constexpr const char* kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
constexpr const char* kAddressing = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
constexpr const char* kDiscovery = "http://schemas.xmlsoap.org/ws/2005/04/discovery";

std::string endpointOf(const pugi::xml_node& node) {
    return text(path(node, {"EndpointReference", "Address"}));
}

bool readEndpoint(const pugi::xml_node& node, EndpointInfo& out) {
    out.endpoint = endpointOf(node);
    if (out.endpoint.empty() || out.endpoint.size() > kMaxEndpointLength)
        return false;
    out.types = splitList(text(child(node, "Types")));
    out.scopes = splitList(text(child(node, "Scopes")));
    out.xaddrs = splitList(text(child(node, "XAddrs")));
    const std::string version = text(child(node, "MetadataVersion"));
    out.metadataVersion = version.empty() ? 0 : static_cast<uint32_t>(std::strtoul(version.c_str(), nullptr, 10));
    return true;
}

bool parseIpv4(const std::string& text, uint32_t& out) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255)
        return false;
    out = (a << 24) | (b << 16) | (c << 8) | d;
    return true;
}

} // namespace

std::string buildProbe(const std::string& messageId, const char* type) {
    pugi::xml_document doc;
    pugi::xml_node envelope = doc.append_child("s:Envelope");
    envelope.append_attribute("xmlns:s") = kSoap12;
    envelope.append_attribute("xmlns:a") = kAddressing;
    envelope.append_attribute("xmlns:d") = kDiscovery;
    envelope.append_attribute("xmlns:dn") = "http://www.onvif.org/ver10/network/wsdl";
    envelope.append_attribute("xmlns:tds") = "http://www.onvif.org/ver10/device/wsdl";
    pugi::xml_node header = envelope.append_child("s:Header");
    pugi::xml_node action = header.append_child("a:Action");
    action.append_attribute("s:mustUnderstand") = "1";
    action.text() = "http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe";
    header.append_child("a:MessageID").text() = messageId.c_str();
    header.append_child("a:ReplyTo").append_child("a:Address").text() =
        "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
    pugi::xml_node to = header.append_child("a:To");
    to.append_attribute("s:mustUnderstand") = "1";
    to.text() = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
    envelope.append_child("s:Body").append_child("d:Probe").append_child("d:Types").text() = type;
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw);
    return out.str();
}

std::optional<DiscoveryMessage> parseDiscovery(const char* data, size_t size) {
    pugi::xml_document doc;
    if (!parseXml(doc, data, size))
        return std::nullopt;
    const pugi::xml_node body = soapBody(doc);
    const pugi::xml_node message = firstElement(body);
    if (!message)
        return std::nullopt;
    DiscoveryMessage out;
    if (isNamed(message, "ProbeMatches")) {
        out.kind = DiscoveryKind::ProbeMatches;
        out.relatesTo = text(child(soapHeader(doc), "RelatesTo"));
        for (const pugi::xml_node& match : children(message, "ProbeMatch")) {
            EndpointInfo info;
            if (readEndpoint(match, info))
                out.endpoints.push_back(std::move(info));
        }
    } else if (isNamed(message, "Hello")) {
        out.kind = DiscoveryKind::Hello;
        EndpointInfo info;
        if (readEndpoint(message, info))
            out.endpoints.push_back(std::move(info));
    } else if (isNamed(message, "Bye")) {
        out.kind = DiscoveryKind::Bye;
        EndpointInfo info;
        info.endpoint = endpointOf(message);
        if (!info.endpoint.empty() && info.endpoint.size() <= kMaxEndpointLength)
            out.endpoints.push_back(std::move(info));
    } else {
        return std::nullopt;
    }
    if (out.endpoints.empty())
        return std::nullopt;
    return out;
}

size_t keepShare(EndpointInfo& info, size_t share) {
    size_t used = info.endpoint.size();
    size_t dropped = 0;
    for (std::vector<std::string>* list : {&info.xaddrs, &info.types, &info.scopes}) {
        size_t kept = 0;
        for (std::string& item : *list) {
            if (used + item.size() > share)
                continue;
            used += item.size();
            // Moving a string onto itself may empty it: only what moves forward is moved.
            if (&(*list)[kept] != &item)
                (*list)[kept] = std::move(item);
            ++kept;
        }
        dropped += list->size() - kept;
        list->resize(kept);
    }
    return dropped;
}

// libcurl's own URL coding (no handle needed): the unreserved characters stay, every other byte becomes %XX in
// upper case; decoding turns only a complete %XX back into its byte and keeps anything else as it stands.
std::string percentDecode(const std::string& text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        return text;
    int length = 0;
    char* decoded = curl_easy_unescape(nullptr, text.data(), static_cast<int>(text.size()), &length);
    if (!decoded)
        return text;
    std::string out(decoded, static_cast<size_t>(length));
    curl_free(decoded);
    return out;
}

std::string percentEncode(const std::string& text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        return {};
    char* encoded = curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size()));
    if (!encoded)
        return {};
    std::string out(encoded);
    curl_free(encoded);
    return out;
}

ScopeFacts readScopes(const std::vector<std::string>& scopes) {
    // Scope matching is case-insensitive up to the path, so is this.
    static const char* prefix = "onvif://www.onvif.org/";
    ScopeFacts facts;
    for (const std::string& scope : scopes) {
        if (scope.size() <= 22)
            continue;
        std::string head = scope.substr(0, 22);
        std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
        if (head != prefix)
            continue;
        const std::string rest = scope.substr(22);
        const auto slash = rest.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string kind = rest.substr(0, slash);
        const std::string value = percentDecode(rest.substr(slash + 1));
        if (kind == "name" && facts.name.empty())
            facts.name = value;
        else if (kind == "location" && facts.location.empty())
            facts.location = value;
        else if (kind == "hardware" && facts.hardware.empty())
            facts.hardware = value;
    }
    return facts;
}

std::optional<Url> parseUrl(const std::string& text) {
    Url url;
    const auto colon = text.find("://");
    if (colon == std::string::npos)
        return std::nullopt;
    url.scheme = text.substr(0, colon);
    std::transform(url.scheme.begin(), url.scheme.end(), url.scheme.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (url.scheme != "http" && url.scheme != "https")
        return std::nullopt;
    const size_t hostStart = colon + 3;
    const size_t pathStart = text.find('/', hostStart);
    std::string authority =
        text.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
    url.path = pathStart == std::string::npos ? "/" : text.substr(pathStart);
    if (authority.empty() || authority.find('@') != std::string::npos)
        return std::nullopt;
    url.port = url.scheme == "https" ? 443 : 80;
    if (authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        url.host = authority.substr(0, close + 1);
        authority = authority.substr(close + 1);
    } else {
        const auto portColon = authority.find(':');
        url.host = authority.substr(0, portColon);
        authority = portColon == std::string::npos ? "" : authority.substr(portColon);
    }
    if (!authority.empty()) {
        if (authority.front() != ':' || authority.size() < 2 || authority.size() > 6)
            return std::nullopt;
        char* end = nullptr;
        const long port = std::strtol(authority.c_str() + 1, &end, 10);
        if (*end != '\0' || port < 1 || port > 65535)
            return std::nullopt;
        url.port = static_cast<uint16_t>(port);
    }
    if (url.host.empty())
        return std::nullopt;
    url.ipv4 = parseIpv4(url.host, url.address);
    return url;
}

std::string formatUrl(const Url& url) {
    const bool defaultPort = (url.scheme == "http" && url.port == 80) || (url.scheme == "https" && url.port == 443);
    return url.scheme + "://" + url.host + (defaultPort ? "" : ":" + std::to_string(url.port)) + url.path;
}

std::string chooseXAddr(const std::vector<std::string>& xaddrs, const std::vector<Subnet>& subnets) {
    std::string best;
    int bestRank = -1;
    for (const std::string& xaddr : xaddrs) {
        const auto url = parseUrl(xaddr);
        if (!url)
            continue;
        int rank = 0;
        if (url->ipv4) {
            rank = 2;
            for (const Subnet& subnet : subnets)
                if ((url->address & subnet.mask) == (subnet.address & subnet.mask))
                    rank = 4;
        }
        if (url->scheme == "https")
            ++rank;
        if (rank > bestRank) {
            bestRank = rank;
            best = xaddr;
        }
    }
    return best;
}

std::string newMessageId() {
    unsigned char b[16];
    if (RAND_bytes(b, sizeof b) != 1)
        return {};
    b[6] = static_cast<unsigned char>((b[6] & 0x0f) | 0x40);
    b[8] = static_cast<unsigned char>((b[8] & 0x3f) | 0x80);
    char out[64];
    std::snprintf(out, sizeof out, "urn:uuid:%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return out;
}

} // namespace vexa::onvif
