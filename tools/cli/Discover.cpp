#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "Commands.h"
#include "vexa.h"

namespace cli {

namespace {

struct Printer {
    bool json = false;
    std::mutex mutex;
    unsigned found = 0;
};

std::string field(const char* text, size_t width) {
    return std::string(text, strnlen(text, width));
}

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* printer = static_cast<Printer*>(user);
    if (!info || info->eventType != VEXA_EVENT_NEW)
        return;
    std::lock_guard<std::mutex> lock(printer->mutex);
    ++printer->found;
    if (!printer->json) {
        std::printf("%-20s %-17s %-15s %-12s %-10s %s\n", field(info->serialNo, sizeof info->serialNo).c_str(),
                    field(info->mac, sizeof info->mac).c_str(), field(info->ipv4Address, 16).c_str(),
                    field(info->deviceTypeName, sizeof info->deviceTypeName).c_str(),
                    info->activationState == 0 ? "active" : "inactive",
                    field(info->deviceName, sizeof info->deviceName).c_str());
    } else {
        std::printf("{\"serialNo\":\"%s\",\"mac\":\"%s\",\"ipv4Address\":\"%s\",\"ipv4SubnetMask\":\"%s\","
                    "\"ipv4Gateway\":\"%s\",\"deviceTypeCode\":%d,\"deviceTypeName\":\"%s\",\"port\":%d,"
                    "\"httpPort\":%u,\"rtspPort\":%u,\"channelCount\":%d,\"softwareVersion\":\"%s\","
                    "\"dspVersion\":\"%s\",\"bootTime\":\"%s\",\"oemInfo\":\"%s\",\"oemCode\":%u,"
                    "\"ipv6Address\":\"%s\",\"ipv6Gateway\":\"%s\",\"ipv6PrefixLength\":%u,\"supportFlags\":%u,"
                    "\"dhcpEnabled\":%u,\"capabilityLevel\":%u,\"activated\":%s,\"resetFlags\":%u,"
                    "\"deviceClass\":%u,\"certified\":%s,\"deviceName\":\"%s\",\"serviceTag\":\"%s\"}\n",
                    jsonEscape(info->serialNo, sizeof info->serialNo).c_str(),
                    jsonEscape(info->mac, sizeof info->mac).c_str(), jsonEscape(info->ipv4Address, 16).c_str(),
                    jsonEscape(info->ipv4SubnetMask, 16).c_str(), jsonEscape(info->ipv4Gateway, 16).c_str(),
                    info->deviceTypeCode, jsonEscape(info->deviceTypeName, sizeof info->deviceTypeName).c_str(),
                    info->port, info->httpPort, info->rtspPort, info->channelCount,
                    jsonEscape(info->softwareVersion, 48).c_str(), jsonEscape(info->dspVersion, 48).c_str(),
                    jsonEscape(info->bootTime, 48).c_str(), jsonEscape(info->oemInfo, 24).c_str(), info->oemCode,
                    jsonEscape(info->ipv6Address, 46).c_str(), jsonEscape(info->ipv6Gateway, 46).c_str(),
                    info->ipv6PrefixLength, info->supportFlags, info->dhcpEnabled, info->capabilityLevel,
                    info->activationState == 0 ? "true" : "false", info->resetFlags, info->deviceClass,
                    info->certified ? "true" : "false", jsonEscape(info->deviceName, 32).c_str(),
                    jsonEscape(info->serviceTag, 20).c_str());
    }
    std::fflush(stdout);
}

} // namespace

std::string jsonEscape(const char* text, size_t width) {
    std::string out;
    for (size_t i = 0; i < width && text[i]; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int discover(const std::vector<std::string>& args) {
    Printer printer;
    double seconds = 3.0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            printer.json = true;
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            char* end = nullptr;
            seconds = std::strtod(args[++i].c_str(), &end);
            if (*end != '\0' || seconds < 0 || seconds > 86400) {
                std::fprintf(stderr, "vexa: bad --seconds\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "vexa discover: unknown option %s\n", args[i].c_str());
            return 2;
        }
    }
    if (!VEXA_Start_V40(onDevice, 1, &printer)) {
        std::fprintf(stderr, "vexa: cannot start discovery (error %u)\n", VEXA_GetLastError());
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
    VEXA_Stop();
    std::fprintf(stderr, "vexa: %u devices\n", printer.found);
    return 0;
}

} // namespace cli
