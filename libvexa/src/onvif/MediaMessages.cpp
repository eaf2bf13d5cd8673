#include "MediaMessages.h"

#include <cmath>
#include <cstdlib>

#include "Xml.h"

namespace vexa::onvif {

namespace {

constexpr const char* kMedia1Ns = "http://www.onvif.org/ver10/media/wsdl";
constexpr const char* kMedia2Ns = "http://www.onvif.org/ver20/media/wsdl";

// A device's text fields are bounded before they are kept.
constexpr size_t kMaxText = 1024;

unsigned count(const pugi::xml_node& node) {
    const std::string value = text(node);
    if (value.empty() || value.size() > 12)
        return 0;
    char* end = nullptr;
    const double n = std::strtod(value.c_str(), &end);
    if (*end != '\0' || !(n >= 0) || n > 100000)
        return 0;
    return static_cast<unsigned>(std::lround(n));
}

std::string bounded(const pugi::xml_node& node) {
    std::string value = text(node);
    return value.size() > kMaxText ? std::string() : value;
}

// Children of the request carry its own prefix.
std::string prefixOf(const pugi::xml_node& request) {
    const std::string name = request.name();
    const auto colon = name.find(':');
    return colon == std::string::npos ? std::string() : name.substr(0, colon + 1);
}

} // namespace

bool readMediaServices(const pugi::xml_node& response, MediaServices& out) {
    if (!isNamed(response, "GetServicesResponse"))
        return false;
    for (const pugi::xml_node& service : children(response, "Service")) {
        const std::string ns = text(child(service, "Namespace"));
        if (ns == kMedia2Ns && out.media2.empty())
            out.media2 = bounded(child(service, "XAddr"));
        else if (ns == kMedia1Ns && out.media1.empty())
            out.media1 = bounded(child(service, "XAddr"));
    }
    return true;
}

bool readMediaCapabilities(const pugi::xml_node& response, MediaServices& out) {
    if (!isNamed(response, "GetCapabilitiesResponse"))
        return false;
    out.media1 = bounded(path(response, {"Capabilities", "Media", "XAddr"}));
    return true;
}

bool readMediaProfiles(const pugi::xml_node& response, std::vector<MediaProfile>& out) {
    if (!isNamed(response, "GetProfilesResponse"))
        return false;
    out.clear();
    for (const pugi::xml_node& p : children(response, "Profiles")) {
        if (out.size() == kMaxMediaProfiles)
            break;
        MediaProfile profile;
        profile.token = p.attribute("token").value();
        if (profile.token.empty() || profile.token.size() > 64)
            continue; // nothing to ask for it by
        profile.name = bounded(child(p, "Name"));
        // The newer service nests the encoder under Configurations; the older one names it apart.
        pugi::xml_node encoder = path(p, {"Configurations", "VideoEncoder"});
        if (!encoder)
            encoder = child(p, "VideoEncoderConfiguration");
        profile.encoding = bounded(child(encoder, "Encoding"));
        profile.width = count(path(encoder, {"Resolution", "Width"}));
        profile.height = count(path(encoder, {"Resolution", "Height"}));
        profile.frameRate = count(path(encoder, {"RateControl", "FrameRateLimit"}));
        out.push_back(std::move(profile));
    }
    return true;
}

std::string readMediaUri(const pugi::xml_node& response) {
    if (const pugi::xml_node uri = child(response, "Uri")) // the newer service
        return bounded(uri);
    return bounded(path(response, {"MediaUri", "Uri"}));
}

void fillProfilesRequest(pugi::xml_node request, int version) {
    if (version == 2)
        request.append_child((prefixOf(request) + "Type").c_str()).text() = "All";
}

void fillStreamUriRequest(pugi::xml_node request, int version, const std::string& token) {
    const std::string px = prefixOf(request);
    if (version == 2) {
        request.append_child((px + "Protocol").c_str()).text() = "RTSP";
    } else {
        pugi::xml_node setup = request.append_child((px + "StreamSetup").c_str());
        setup.append_child("tt:Stream").text() = "RTP-Unicast";
        setup.append_child("tt:Transport").append_child("tt:Protocol").text() = "RTSP";
    }
    request.append_child((px + "ProfileToken").c_str()).text() = token.c_str();
}

void fillSnapshotUriRequest(pugi::xml_node request, const std::string& token) {
    request.append_child((prefixOf(request) + "ProfileToken").c_str()).text() = token.c_str();
}

std::string reachableUri(const std::string& uri, const std::string& reachedHost, std::string& original) {
    original.clear();
    const auto scheme = uri.find("://");
    if (scheme == std::string::npos || scheme == 0 || uri.find_first_of(" \t\r\n") != std::string::npos)
        return {};
    const size_t start = scheme + 3;
    const size_t end = std::min(uri.find_first_of("/?#", start), uri.size());
    std::string authority = uri.substr(start, end - start);
    const auto at = authority.rfind('@');
    if (at != std::string::npos)
        authority = authority.substr(at + 1);
    std::string host = authority, port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string::npos)
            return {};
        host = authority.substr(0, close + 1);
        port = authority.substr(close + 1);
    } else if (const auto colon = authority.find(':'); colon != std::string::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon);
    }
    if (host.empty() || (!port.empty() && (port.size() < 2 || port.size() > 6 ||
                                           port.find_first_not_of("0123456789", 1) != std::string::npos)))
        return {};
    const std::string head = uri.substr(0, start), tail = uri.substr(end);
    if (host == reachedHost)
        return head + host + port + tail;
    original = head + host + port + tail;
    return head + reachedHost + port + tail;
}

} // namespace vexa::onvif
