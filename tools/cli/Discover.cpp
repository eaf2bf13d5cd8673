#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "Commands.h"
#include "SafeText.h"
#include "deployment/FieldText.h"
#include "vexa.h"

namespace cli {

namespace {

struct Printer {
    bool json = false;
    std::mutex mutex;
    unsigned found = 0;
    // ONVIF devices are printed once their details are read; the others at the end, as they then are.
    std::map<std::string, VEXA_DEVICE_INFO> held;
    std::set<std::string> printed;
};

template <size_t N>
std::string field(const char (&text)[N]) {
    return terminalText(VexaTool::plan::fieldText(text));
}

void print(Printer& printer, const VEXA_DEVICE_INFO& info) {
    ++printer.found;
    if (!printer.json) {
        const bool bySerial = !can(info, VEXA_KNOWN_BY_ENDPOINT) || (detailsRead(info) && info.serialNo[0] != '\0');
        const std::string id = bySerial ? field(info.serialNo) : field(info.endpointReference);
        // An ONVIF device whose details could not be read says why in place of its state.
        const char* state = can(info, VEXA_HAS_ACTIVATION_STATE) ? (info.activationState == 0 ? "active" : "inactive")
                            : info.detailsState == VEXA_DETAILS_READ ? "onvif"
                                                                     : detailsText(info.detailsState);
        std::printf("%-20s %-17s %-15s %-12s %-10s %s\n", id.c_str(), field(info.mac).c_str(),
                    terminalText(VexaTool::plan::fieldText(info.ipv4Address, 16)).c_str(),
                    field(info.deviceTypeName).c_str(), state, field(info.deviceName).c_str());
        if (can(info, VEXA_DETAILS_READ_LATER) && info.detailsState == VEXA_DETAILS_PARTIAL)
            std::printf("  Details partly read: %s\n", terminalText(detailsNote(info)).c_str());
    } else {
        std::printf("%s\n", deviceJson(info).c_str());
    }
    std::fflush(stdout);
}

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* printer = static_cast<Printer*>(user);
    if (!info)
        return;
    std::lock_guard<std::mutex> lock(printer->mutex);
    if (!can(*info, VEXA_DETAILS_READ_LATER)) {
        if (info->eventType == VEXA_EVENT_NEW)
            print(*printer, *info);
        return;
    }
    const std::string key = deviceKey(*info);
    if (printer->printed.count(key))
        return;
    if (info->eventType == VEXA_EVENT_GONE) {
        printer->held.erase(key);
    } else if (detailsRead(*info)) {
        printer->held.erase(key);
        printer->printed.insert(key);
        print(*printer, *info);
    } else {
        printer->held[key] = *info;
    }
}

} // namespace

int discover(const std::vector<std::string>& args) {
    Printer printer;
    double seconds = 3.0;
    std::string user;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            printer.json = true;
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(args[++i], seconds))
                return 2;
        } else if (args[i] == "--user" && i + 1 < args.size()) {
            user = args[++i];
        } else {
            std::fprintf(stderr, "vexa discover: unknown option %s\n", args[i].c_str());
            return 2;
        }
    }
    std::string password = user.empty() ? std::string() : readSecretFrom("VEXA_PASSWORD");
    const bool started = discoverFor(seconds, onDevice, &printer, user, password);
    std::fill(password.begin(), password.end(), '\0');
    if (!started)
        return 1;
    for (const auto& [key, info] : printer.held)
        print(printer, info);
    std::fprintf(stderr, "vexa: %u devices\n", printer.found);
    return 0;
}

} // namespace cli
