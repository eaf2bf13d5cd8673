#include "ClockCommands.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "Commands.h"
#include "SafeText.h"
#include "deployment/FieldText.h"

namespace cli {

namespace {

using VexaTool::plan::fieldText;

constexpr size_t kWorkers = 64;

struct Heard {
    std::mutex mutex;
    std::map<std::string, VEXA_DEVICE_INFO> devices; // ONVIF devices by endpoint reference
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (!can(*info, VEXA_CAN_READ_CLOCK))
        return;
    auto* heard = static_cast<Heard*>(user);
    std::lock_guard<std::mutex> lock(heard->mutex);
    if (info->eventType == VEXA_EVENT_GONE)
        heard->devices.erase(fieldText(info->endpointReference));
    else
        heard->devices[fieldText(info->endpointReference)] = *info;
}

bool names(const VEXA_DEVICE_INFO& d, const std::string& name) {
    return fieldText(d.endpointReference) == name || fieldText(d.ipv4Address) == name ||
           (detailsRead(d) && (fieldText(d.serialNo) == name || fieldText(d.mac) == name));
}

std::string shownName(const VEXA_DEVICE_INFO& d) {
    const std::string address = fieldText(d.ipv4Address);
    return terminalText(address.empty() ? fieldText(d.endpointReference) : address);
}

std::string signedSeconds(int32_t s) {
    return (s > 0 ? "+" : "") + std::to_string(s) + " s";
}

std::string clockText(const VEXA_CLOCK_INFO& c) {
    if (!(c.flags & VEXA_CLOCK_READ))
        return "not read";
    std::string out = signedSeconds(c.offsetSeconds);
    if (c.flags & VEXA_CLOCK_NTP)
        out += " (NTP " + terminalText(fieldText(c.ntpServers)) + ")";
    return out;
}

// Standard error, so that the table on standard output stays one line per device.
bool option(const std::vector<std::string>& args, size_t& i, std::string& out) {
    if (i + 1 >= args.size()) {
        std::fprintf(stderr, "vexa: %s needs a value\n", args[i].c_str());
        return false;
    }
    out = args[++i];
    return true;
}

} // namespace

std::string failureLine(const char* what) {
    const uint32_t code = VEXA_GetLastError();
    std::string line = std::string(what) + " failed: " + errorSentence(code) + " (error " + std::to_string(code) + ")";
    char detail[256];
    if (VEXA_GetLastErrorDetail(detail, sizeof detail) > 0)
        line += "; the device said: " +
                inertJson(
                    nlohmann::json(std::string(detail)).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace));
    return line;
}

int runBatch(const Batch& batch, const std::function<bool(const VEXA_DEVICE_INFO&, std::string&)>& run) {
    Heard heard;
    // Heard without a login first: the login then goes to the devices named, not to whoever answers.
    if (!startDiscovery(onDevice, &heard, std::string(), std::string()))
        return 1;
    listenFor(batch.seconds);
    std::vector<VEXA_DEVICE_INFO> targets;
    bool missing = false;
    {
        std::lock_guard<std::mutex> lock(heard.mutex);
        if (batch.all)
            for (const auto& [endpoint, info] : heard.devices)
                targets.push_back(info);
        for (const std::string& name : batch.names) {
            std::vector<VEXA_DEVICE_INFO> found;
            for (const auto& [endpoint, info] : heard.devices)
                if (names(info, name))
                    found.push_back(info);
            if (found.size() != 1) {
                std::fprintf(stderr, "vexa: %s: %s\n", terminalText(name).c_str(),
                             found.empty() ? "no ONVIF device of that name was heard"
                                           : "more than one ONVIF device has that name, so nothing was sent");
                missing = true;
                continue;
            }
            const auto same = [&](const VEXA_DEVICE_INFO& t) {
                return std::strncmp(t.endpointReference, found[0].endpointReference, sizeof t.endpointReference) == 0;
            };
            if (std::none_of(targets.begin(), targets.end(), same))
                targets.push_back(found[0]);
        }
    }
    std::vector<std::string> endpoints;
    for (const VEXA_DEVICE_INFO& t : targets)
        endpoints.push_back(fieldText(t.endpointReference));
    std::vector<const char*> list;
    for (const std::string& e : endpoints)
        list.push_back(e.c_str());
    if (!list.empty() && !VEXA_SetOnvifCredentialsFor(list.data(), static_cast<uint32_t>(list.size()),
                                                      batch.user.c_str(), batch.password.c_str())) {
        std::fprintf(stderr, "vexa: %s\n", failureLine("sign-in").c_str());
        VEXA_Stop();
        return 1;
    }
    std::vector<std::string> lines(targets.size());
    std::vector<char> ok(targets.size(), 0);
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (size_t w = 0; w < std::min(kWorkers, targets.size()); ++w)
        workers.emplace_back([&] {
            for (size_t i; (i = next++) < targets.size();)
                ok[i] = run(targets[i], lines[i]) ? 1 : 0;
        });
    for (std::thread& w : workers)
        w.join();
    VEXA_Stop();
    bool allOk = !missing;
    for (size_t i = 0; i < targets.size(); ++i) {
        std::printf("%s: %s\n", shownName(targets[i]).c_str(), lines[i].c_str());
        allOk = allOk && ok[i];
    }
    if (targets.empty() && !missing)
        std::fprintf(stderr, "vexa: no ONVIF device was heard\n");
    return allOk && !targets.empty() ? 0 : 1;
}

const char* clockUsage() {
    return "       vexa set-time DEVICE... [--all] [--ntp SERVER[,SERVER]] [--timezone TZ] --user NAME\n"
           "                 (ONVIF: this computer's UTC, or NTP from the servers; prints each offset before and\n"
           "                 after; password as for activate)\n"
           "       vexa set-password DEVICE... [--all] --user NAME\n"
           "                 (ONVIF: the user's own password; current one as for activate, the new one from\n"
           "                 VEXA_NEW_PASSWORD or the next line of stdin; done only when it signs in with it)\n";
}

int setTime(const std::vector<std::string>& args) {
    Batch batch;
    VEXA_TIME_PARAM params{};
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        const std::string& a = args[i];
        if (a == "--all") {
            batch.all = true;
        } else if (a == "--user" || a == "--ntp" || a == "--timezone" || a == "--seconds") {
            if (!option(args, i, value))
                return 2;
            char* field = a == "--ntp" ? params.ntpServers : a == "--timezone" ? params.timeZone : nullptr;
            const size_t width = a == "--ntp" ? sizeof params.ntpServers : sizeof params.timeZone;
            if (a == "--user")
                batch.user = value;
            else if (a == "--seconds" && !parseSeconds(value, batch.seconds))
                return 2;
            else if (field && (value.empty() || value.size() >= width)) {
                std::fprintf(stderr, "vexa: %s takes 1 to %zu characters\n", a.c_str(), width - 1);
                return 2;
            } else if (field) {
                std::memcpy(field, value.data(), value.size());
            }
        } else if (a.rfind("--", 0) == 0) {
            return -1;
        } else {
            batch.names.push_back(a);
        }
    }
    if (batch.user.empty() || (batch.names.empty() && !batch.all))
        return -1;
    batch.password = readSecretFrom("VEXA_PASSWORD");
    return runBatch(batch, [&params](const VEXA_DEVICE_INFO& d, std::string& line) {
        VEXA_CLOCK_INFO before{}, after{};
        const int ok = VEXA_SetDeviceTime(fieldText(d.endpointReference).c_str(), &params, &before, &after);
        line = "offset " + clockText(before) + " before, " + clockText(after) + " after: ";
        if (!ok) {
            line += failureLine("set-time");
            return false;
        }
        line += "ok";
        if (after.flags & VEXA_CLOCK_ZONE_REFUSED)
            line += " (the device refused the time zone; the time was set without it)";
        return true;
    });
}

} // namespace cli
