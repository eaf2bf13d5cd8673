// The service's signed-in operations on one device beside the network change: its clock and its user's password.
// Lock-out safe: one such operation per device at a time, and no more sign-ins after two refused ones.

#include <algorithm>

#include "../Logger.h"
#include "OnvifService.h"
#include "Xml.h"

namespace vexa::onvif {

namespace {

constexpr unsigned kMaxRefusals = 2;
constexpr std::chrono::seconds kTimeTolerance{2};

bool refused(uint32_t code) {
    return code == VEXA_ERR_DEVICE_REFUSED;
}

// Outcome unknown: the request reached the device and no clean answer came back.
bool unknownOutcome(const CallResult& r) {
    return r.reached && (r.code == VEXA_ERR_TIMEOUT || r.code == VEXA_ERR_BAD_ANSWER);
}

// The clock without a login; it also dates the tokens that follow.
CallResult readClockInto(DeviceClient& client, Session& session, ClockState& out) {
    const auto sent = std::chrono::system_clock::now();
    CallResult r = client.call(session, "GetSystemDateAndTime", nullptr, nullptr, true);
    if (r.code == 0 && !readClock(r.answer.response, midway(sent), out)) {
        r.code = VEXA_ERR_BAD_ANSWER;
        r.detail = "unexpected answer to GetSystemDateAndTime";
    }
    if (r.code == 0)
        session.clockOffset = out.offset;
    return r;
}

std::string userLevel(const pugi::xml_node& response, const std::string& user) {
    if (!isNamed(response, "GetUsersResponse"))
        return {};
    for (const pugi::xml_node& entry : children(response, "User"))
        if (text(child(entry, "Username")) == user)
            return text(child(entry, "UserLevel"));
    return {};
}

} // namespace

bool OnvifService::prepare(const std::string& name, OnvifDevice& device, Credentials& login, uint32_t& code) {
    const Match match = find(name, &device);
    if (match != Match::One) {
        code = match == Match::None ? VEXA_ERR_UNKNOWN_DEVICE : VEXA_ERR_AMBIGUOUS_DEVICE;
        return false;
    }
    const std::string endpoint = device.discovery.endpoint;
    std::unique_lock<std::mutex> lock(mutex_);
    busyChanged_.wait(lock, [&] { return !busy_.count(endpoint) || stopping_; });
    const auto it = devices_.find(endpoint);
    if (stopping_ || it == devices_.end()) {
        code = stopping_ ? VEXA_ERR_NOT_STARTED : VEXA_ERR_UNKNOWN_DEVICE;
        return false;
    }
    if (signInRefusals_[endpoint] >= kMaxRefusals) {
        code = VEXA_ERR_DEVICE_REFUSED;
        return false;
    }
    device = it->second;
    login = loginFor(device);
    busy_.insert(endpoint);
    return true;
}

void OnvifService::release(const std::string& endpoint) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_.erase(endpoint);
    }
    busyChanged_.notify_all();
}

void OnvifService::noteSignIn(const std::string& endpoint, uint32_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (refused(code))
        ++signInRefusals_[endpoint];
    else if (code == 0)
        signInRefusals_.erase(endpoint);
}

uint32_t OnvifService::readClock(const std::string& name, ClockState& out, std::string& detail) {
    OnvifDevice device;
    const Match match = find(name, &device);
    if (match != Match::One)
        return match == Match::None ? VEXA_ERR_UNKNOWN_DEVICE : VEXA_ERR_AMBIGUOUS_DEVICE;
    const std::string endpoint = device.discovery.endpoint;
    Credentials login;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A device refused twice gets no login from a mere read either.
        if (signInRefusals_[endpoint] < kMaxRefusals)
            login = loginFor(device);
    }
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    Session session = device.session;
    CallResult r = readClockInto(client, session, out);
    if (r.code == VEXA_ERR_NEED_CREDENTIALS && !login.empty()) {
        const auto sent = std::chrono::system_clock::now();
        r = client.call(session, "GetSystemDateAndTime", nullptr, &login);
        noteSignIn(endpoint, r.code);
        if (r.code == 0 && !onvif::readClock(r.answer.response, midway(sent), out))
            r.code = VEXA_ERR_BAD_ANSWER;
    }
    if (r.code != 0) {
        detail = r.detail;
        login.wipe();
        return r.code;
    }
    // The NTP servers are a bonus: a device that keeps them behind a login we lack still shows its clock.
    const CallResult ntp = client.call(session, "GetNTP", nullptr, login.empty() ? nullptr : &login);
    if (!login.empty())
        noteSignIn(endpoint, ntp.code);
    if (ntp.code == 0)
        readNtp(ntp.answer.response, out);
    login.wipe();
    return 0;
}

uint32_t OnvifService::setTime(const std::string& name, const TimeRequest& request, ClockState& before,
                               ClockState& after, bool& zoneRefused, std::string& detail) {
    zoneRefused = false;
    OnvifDevice device;
    Credentials login;
    uint32_t code = 0;
    if (!prepare(name, device, login, code)) {
        if (code == VEXA_ERR_DEVICE_REFUSED)
            detail = "stopped after two refused sign-ins; give the login again to retry";
        return code;
    }
    const std::string endpoint = device.discovery.endpoint;
    struct Done {
        OnvifService& service;
        const std::string& endpoint;
        Credentials& login;
        ~Done() {
            login.wipe();
            service.release(endpoint);
        }
    } done{*this, endpoint, login};
    if (login.empty())
        return VEXA_ERR_NEED_CREDENTIALS;
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    Session session = device.session;
    CallResult r = readClockInto(client, session, before);
    if (r.code != 0) {
        detail = r.detail;
        return r.code;
    }
    auto signedIn = [&](const char* operation, const std::function<void(pugi::xml_node)>& fill) {
        r = client.call(session, operation, fill, &login);
        noteSignIn(endpoint, r.code);
        return r.code == 0;
    };
    if (signedIn("GetNTP", nullptr))
        readNtp(r.answer.response, before);
    else if (refused(r.code)) {
        detail = r.detail;
        return r.code;
    }
    const bool ntp = !request.ntpServers.empty();
    uint32_t failure = 0;
    bool unknown = false;
    if (ntp && !signedIn("SetNTP", [&](pugi::xml_node n) { fillSetNtp(n, request.ntpServers); })) {
        if (!unknownOutcome(r)) {
            detail = r.detail;
            return r.code;
        }
        unknown = true;
    }
    auto setDateTime = [&](const std::string& zone) {
        return signedIn("SetSystemDateAndTime", [&](pugi::xml_node n) {
            fillSetDateTime(n, ntp, before.daylightSavings, zone, std::chrono::system_clock::now());
        });
    };
    bool ok = setDateTime(request.timeZone);
    if (!ok && !request.timeZone.empty() && r.code == VEXA_ERR_VALUE_REFUSED) {
        // Many devices take only the zones of their own list: the time matters more than the zone.
        VEXA_LOG(LogInfo, "ONVIF: %s refused time zone (%s); setting the time without it", endpoint.c_str(),
                 r.detail.c_str());
        zoneRefused = true;
        ok = setDateTime(std::string());
    }
    if (!ok) {
        if (refused(r.code) || r.code == VEXA_ERR_NEED_CREDENTIALS || r.code == VEXA_ERR_NOT_STARTED ||
            (!unknownOutcome(r) && !r.reached)) {
            detail = r.detail;
            return r.code;
        }
        failure = r.code;
        detail = r.detail;
        unknown = unknown || unknownOutcome(r);
    }
    // Read back: what it has now decides, whatever it answered.
    r = readClockInto(client, session, after);
    if (r.code != 0) {
        detail = r.detail;
        return VEXA_ERR_OUTCOME_UNKNOWN;
    }
    if (signedIn("GetNTP", nullptr))
        readNtp(r.answer.response, after);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (const auto it = devices_.find(endpoint); it != devices_.end())
            it->second.session.clockOffset = session.clockOffset; // its tokens are dated by the new clock
    }
    if (timeApplied(request, !request.timeZone.empty() && !zoneRefused, after, kTimeTolerance)) {
        detail.clear();
        return 0;
    }
    if (ntp && !after.ntpRead)
        return VEXA_ERR_OUTCOME_UNKNOWN; // its servers cannot be read back
    return failure ? failure : unknown ? VEXA_ERR_OUTCOME_UNKNOWN : VEXA_ERR_NOT_APPLIED;
}

uint32_t OnvifService::setUserPassword(const std::string& name, const std::string& newPassword, std::string& detail) {
    OnvifDevice device;
    Credentials login;
    uint32_t code = 0;
    if (!prepare(name, device, login, code)) {
        if (code == VEXA_ERR_DEVICE_REFUSED)
            detail = "stopped after two refused sign-ins; give the login again to retry";
        return code;
    }
    const std::string endpoint = device.discovery.endpoint;
    Credentials fresh{login.user, newPassword};
    struct Done {
        OnvifService& service;
        const std::string& endpoint;
        Credentials& login;
        Credentials& fresh;
        ~Done() {
            login.wipe();
            fresh.wipe();
            service.release(endpoint);
        }
    } done{*this, endpoint, login, fresh};
    if (login.empty())
        return VEXA_ERR_NEED_CREDENTIALS;
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    Session session = device.session;
    ClockState clock;
    CallResult r = readClockInto(client, session, clock);
    if (r.code == VEXA_ERR_CONNECTION || r.code == VEXA_ERR_TIMEOUT || r.code == VEXA_ERR_NOT_STARTED) {
        detail = r.detail;
        return r.code;
    }
    // The user's level is sent back unchanged: SetUser takes all three.
    r = client.call(session, "GetUsers", nullptr, &login);
    noteSignIn(endpoint, r.code);
    if (r.code != 0) {
        detail = r.detail;
        return r.code;
    }
    const std::string level = userLevel(r.answer.response, login.user);
    if (level.empty()) {
        detail = "the device lists no user of that name";
        return VEXA_ERR_NOT_SUPPORTED;
    }
    r = client.call(
        session, "SetUser",
        [&](pugi::xml_node n) {
            pugi::xml_node user = n.append_child("tds:User");
            user.append_child("tt:Username").text() = login.user.c_str();
            user.append_child("tt:Password").text() = fresh.password.c_str();
            user.append_child("tt:UserLevel").text() = level.c_str();
        },
        &login);
    noteSignIn(endpoint, r.code);
    const uint32_t answered = r.code;
    const bool answerUnknown = unknownOutcome(r);
    if (answered != 0 && !answerUnknown &&
        (refused(answered) || !r.reached || answered == VEXA_ERR_NOT_STARTED || answered == VEXA_ERR_NOT_SUPPORTED)) {
        detail = r.detail;
        return answered;
    }
    // Only a sign-in with the new password proves the change; some devices answer OK and keep the old one. The
    // check goes with credentials at once, as the device asked for them.
    Session check = session;
    if (check.auth == Auth::None)
        check.auth = check.noToken ? Auth::Digest : Auth::Token;
    r = client.call(check, "GetUsers", nullptr, &fresh);
    noteSignIn(endpoint, r.code);
    if (r.code == 0 && check.auth != Auth::None) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (const auto it = devices_.find(endpoint); it != devices_.end()) {
            auto* kept = new Credentials{fresh.user, fresh.password};
            it->second.login = std::shared_ptr<const Credentials>(kept, [](Credentials* c) {
                c->wipe();
                delete c;
            });
            it->second.session.auth = check.auth;
        }
        if (answered != 0)
            VEXA_LOG(LogInfo, "ONVIF: %s answered error %u but signs in with the new password", endpoint.c_str(),
                     answered);
        detail.clear();
        return 0;
    }
    if (!refused(r.code) && r.code != VEXA_ERR_NEED_CREDENTIALS) {
        detail = r.detail;
        return VEXA_ERR_OUTCOME_UNKNOWN; // no clean answer to the check
    }
    if (answered != 0 && !answerUnknown) {
        detail = r.detail;
        return answered; // refused the change, and the new password does not work: nothing changed
    }
    // Which one works now, so that the user knows what to sign in with; a second refusal ends the attempts.
    Session old = session;
    r = client.call(old, "GetUsers", nullptr, &login);
    noteSignIn(endpoint, r.code);
    detail = r.code == 0 ? "the old password still works" : "neither the new nor the old password signs in";
    return VEXA_ERR_PASSWORD_NOT_TAKEN;
}

} // namespace vexa::onvif
