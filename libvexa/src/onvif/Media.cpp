// The media reads of OnvifService: which profiles a device streams, where, and its snapshots.

#include <algorithm>
#include <utility>

#include "../Logger.h"
#include "OnvifService.h"
#include "WsDiscovery.h"
#include "Xml.h"
#include "vexa.h"

namespace vexa::onvif {

namespace {

// A picture to tell cameras apart; anything larger is not a snapshot we want in memory.
constexpr size_t kMaxSnapshot = 4 * 1024 * 1024;

std::string why(const CallResult& r) {
    switch (r.code) {
    case VEXA_ERR_NOT_SUPPORTED:
        return "not supported";
    case VEXA_ERR_NEED_CREDENTIALS:
        return "needs a login";
    case VEXA_ERR_DEVICE_REFUSED:
        return "login refused";
    case VEXA_ERR_TIMEOUT:
        return "no answer in time";
    case VEXA_ERR_CONNECTION:
        return "no connection";
    case 0:
    case VEXA_ERR_BAD_ANSWER:
        return "unexpected answer";
    default:
        return r.detail.empty() ? "fault" : r.detail;
    }
}

// The service at the host we reach the device at: an XAddr is a claim like any other address in a message.
std::string atReachedHost(const std::string& xaddr, const Url& reached) {
    auto url = parseUrl(xaddr);
    if (!url)
        return {};
    url->host = reached.host;
    return formatUrl(*url);
}

struct Wipe {
    Credentials& c;
    ~Wipe() { c.wipe(); }
};

} // namespace

uint32_t OnvifService::readMediaWith(DeviceClient& client, OnvifDevice& device, const Credentials& login, bool streams,
                                     MediaRead& out, std::string& detail) {
    Session& session = device.session;
    const auto reached = parseUrl(session.url);
    if (!reached)
        return VEXA_ERR_UNKNOWN_DEVICE;
    out.clockKnown = (device.state == VEXA_DETAILS_READ || device.state == VEXA_DETAILS_PARTIAL) &&
                     !(device.details.missing & VEXA_READ_CLOCK);
    out.clockOffset = session.clockOffset.count();
    std::vector<std::string> notes;

    MediaServices services;
    CallResult r = client.call(
        session, "GetServices", [](pugi::xml_node n) { n.append_child("tds:IncludeCapability").text() = "false"; },
        &login);
    if (r.code == VEXA_ERR_NOT_STARTED)
        return r.code;
    if (r.code != 0 || !readMediaServices(r.answer.response, services) ||
        (services.media1.empty() && services.media2.empty())) {
        // Older devices name their services only in their capabilities.
        if (r.code != 0)
            notes.push_back("GetServices: " + why(r));
        r = client.call(
            session, "GetCapabilities", [](pugi::xml_node n) { n.append_child("tds:Category").text() = "Media"; },
            &login);
        if (r.code != 0 || !readMediaCapabilities(r.answer.response, services) || services.media1.empty()) {
            detail = r.code == 0 ? "no media service" : r.detail;
            return r.code == 0 ? VEXA_ERR_NOT_SUPPORTED : r.code;
        }
    }

    // The newer service where it is offered; the older one when that fails to give the profiles.
    const std::pair<int, std::string> offered[] = {{2, services.media2}, {1, services.media1}};
    Session media = session;
    CallResult failed;
    for (const auto& [version, xaddr] : offered) {
        if (xaddr.empty())
            continue;
        media.url = atReachedHost(xaddr, *reached);
        if (media.url.empty())
            continue;
        const char* operation = version == 2 ? "tr2:GetProfiles" : "trt:GetProfiles";
        const int v = version;
        r = client.call(
            media, operation, [v](pugi::xml_node n) { fillProfilesRequest(n, v); }, &login);
        if (r.code == 0 && readMediaProfiles(r.answer.response, out.profiles)) {
            out.version = version;
            out.serviceUrl = media.url;
            break;
        }
        if (r.code == VEXA_ERR_NOT_STARTED)
            return r.code;
        notes.push_back(std::string(operation + 4) + (version == 2 ? " (media 2): " : " (media 1): ") + why(r));
        failed = std::move(r);
    }
    if (out.version == 0) {
        for (const std::string& one : notes)
            detail += (detail.empty() ? "" : "; ") + one;
        return failed.code ? failed.code : VEXA_ERR_BAD_ANSWER;
    }

    // Each address stands alone: a profile without one keeps the others and says why.
    const int version = out.version;
    const char* streamOp = version == 2 ? "tr2:GetStreamUri" : "trt:GetStreamUri";
    const char* snapshotOp = version == 2 ? "tr2:GetSnapshotUri" : "trt:GetSnapshotUri";
    for (MediaProfile& p : out.profiles) {
        std::vector<std::string> lost;
        const std::string token = p.token;
        auto ask = [&](const char* operation, const std::function<void(pugi::xml_node)>& fill, std::string& uri,
                       std::string& original) {
            const CallResult a = client.call(media, operation, fill, &login);
            const std::string given = a.code == 0 ? readMediaUri(a.answer.response) : std::string();
            uri = given.empty() ? std::string() : reachableUri(given, reached->host, original);
            if (a.code != 0)
                lost.push_back(std::string(operation + 4) + ": " + why(a));
            else if (given.empty())
                lost.push_back(std::string(operation + 4) + ": no address given");
            else if (uri.empty())
                lost.push_back(std::string(operation + 4) + ": unusable address");
            return a.code != VEXA_ERR_NOT_STARTED;
        };
        if (streams && !ask(
                           streamOp, [&](pugi::xml_node n) { fillStreamUriRequest(n, version, token); }, p.streamUri,
                           p.streamUriOriginal))
            return VEXA_ERR_NOT_STARTED;
        if (!ask(
                snapshotOp, [&](pugi::xml_node n) { fillSnapshotUriRequest(n, token); }, p.snapshotUri,
                p.snapshotUriOriginal))
            return VEXA_ERR_NOT_STARTED;
        for (const std::string& one : lost)
            p.note += (p.note.empty() ? "" : "; ") + one;
        if (!p.note.empty())
            notes.push_back(p.token + ": " + p.note);
    }
    for (const std::string& one : notes)
        out.note += (out.note.empty() ? "" : "; ") + one;
    return 0;
}

uint32_t OnvifService::mediaTarget(const std::string& name, OnvifDevice& device, Credentials& login) {
    const Match match = find(name, &device);
    if (match != Match::One)
        return match == Match::None ? VEXA_ERR_UNKNOWN_DEVICE : VEXA_ERR_AMBIGUOUS_DEVICE;
    std::lock_guard<std::mutex> lock(mutex_);
    login = loginFor(device);
    return 0;
}

uint32_t OnvifService::readMedia(const std::string& name, MediaRead& out, std::string& detail) {
    OnvifDevice device;
    Credentials login;
    if (const uint32_t code = mediaTarget(name, device, login))
        return code;
    Wipe wipe{login};
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    client.setDeadline(std::chrono::steady_clock::now() + config_.readBudget);
    return readMediaWith(client, device, login, true, out, detail);
}

uint32_t OnvifService::snapshot(const std::string& name, const std::string& token, std::string& bytes,
                                std::string& detail) {
    OnvifDevice device;
    Credentials login;
    if (const uint32_t code = mediaTarget(name, device, login))
        return code;
    Wipe wipe{login};
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    client.setDeadline(std::chrono::steady_clock::now() + config_.readBudget);
    MediaRead read;
    if (const uint32_t code = readMediaWith(client, device, login, false, read, detail))
        return code;
    const auto chosen = std::find_if(read.profiles.begin(), read.profiles.end(), [&](const MediaProfile& p) {
        return token.empty() ? !p.snapshotUri.empty() : p.token == token;
    });
    if (chosen == read.profiles.end()) {
        if (!token.empty())
            return VEXA_ERR_BAD_ARGUMENT;
        detail = read.note.empty() ? "the device gives no snapshot address" : read.note;
        return VEXA_ERR_NOT_SUPPORTED;
    }
    if (chosen->snapshotUri.empty()) {
        detail = chosen->note.empty() ? "the device gives no snapshot address" : chosen->note;
        return VEXA_ERR_NOT_SUPPORTED;
    }
    // The login goes only to the host we reach the device at, over HTTP or HTTPS.
    const auto url = parseUrl(chosen->snapshotUri);
    const auto reached = parseUrl(device.session.url);
    if (!url || !reached || url->host != reached->host) {
        detail = "unusable snapshot address";
        return VEXA_ERR_BAD_ANSWER;
    }
    const CallResult r = client.get(device.session, chosen->snapshotUri, &login, kMaxSnapshot, bytes);
    if (r.code != 0) {
        detail = r.detail;
        return r.code;
    }
    if (bytes.empty()) {
        detail = "empty picture";
        return VEXA_ERR_BAD_ANSWER;
    }
    return 0;
}

} // namespace vexa::onvif
