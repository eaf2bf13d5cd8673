#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "Commands.h"
#include "plan/core/FieldText.h"
#include "vexa.h"

namespace cli {

namespace {

struct Printer {
    bool json = false;
    std::mutex mutex;
    unsigned found = 0;
};

using VexaTool::plan::fieldText;

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* printer = static_cast<Printer*>(user);
    if (!info || info->eventType != VEXA_EVENT_NEW)
        return;
    std::lock_guard<std::mutex> lock(printer->mutex);
    ++printer->found;
    if (!printer->json) {
        std::printf("%-20s %-17s %-15s %-12s %-10s %s\n", fieldText(info->serialNo, sizeof info->serialNo).c_str(),
                    fieldText(info->mac, sizeof info->mac).c_str(), fieldText(info->ipv4Address, 16).c_str(),
                    fieldText(info->deviceTypeName, sizeof info->deviceTypeName).c_str(),
                    info->activationState == 0 ? "active" : "inactive",
                    fieldText(info->deviceName, sizeof info->deviceName).c_str());
    } else {
        std::printf("%s\n", deviceJson(*info).c_str());
    }
    std::fflush(stdout);
}

} // namespace

int discover(const std::vector<std::string>& args) {
    Printer printer;
    double seconds = 3.0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            printer.json = true;
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(args[++i], seconds)) {
                std::fprintf(stderr, "vexa: --seconds takes a number from 0 to 86400\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "vexa discover: unknown option %s\n", args[i].c_str());
            return 2;
        }
    }
    if (!VEXA_Start_V40(onDevice, 1, &printer)) {
        const uint32_t code = VEXA_GetLastError();
        std::fprintf(stderr, "vexa: cannot start discovery: %s (error %u)\n", errorSentence(code), code);
        return 1;
    }
    warnAboutTrustedKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
    VEXA_Stop();
    std::fprintf(stderr, "vexa: %u devices\n", printer.found);
    return 0;
}

} // namespace cli
