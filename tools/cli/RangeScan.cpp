#include "RangeScan.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Commands.h"
#include "SafeText.h"
#include "vexa.h"

namespace cli {

namespace {

RangeRequest g_request; // set once by main, before any thread

struct Tally {
    bool why = false;
    std::array<uint64_t, 5> reasons{};
    uint64_t total = 0;
};

void onScanned(const VEXA_SCAN_RESULT* result, uint64_t, uint64_t total, void* user) {
    auto* tally = static_cast<Tally*>(user);
    tally->total = total;
    if (result->reason < tally->reasons.size())
        ++tally->reasons[result->reason];
    if (tally->why && result->reason != VEXA_SCAN_FOUND)
        std::fprintf(stderr, "vexa: %-15s %s\n",
                     terminalText(std::string(result->ipv4Address, strnlen(result->ipv4Address, 16))).c_str(),
                     scanReasonText(result->reason));
}

} // namespace

const char* scanReasonText(uint32_t reason) {
    switch (reason) {
    case VEXA_SCAN_FOUND:
        return "found";
    case VEXA_SCAN_NO_ANSWER:
        return "no answer";
    case VEXA_SCAN_PORT_CLOSED:
        return "port closed (ICMP unreachable)";
    case VEXA_SCAN_NOT_CAMERA:
        return "answered, but not a camera";
    case VEXA_SCAN_REFUSED_LOGIN:
        return "refused sign-in";
    default:
        return "unknown";
    }
}

bool takeRangeOptions(std::vector<std::string>& args, RangeRequest& out) {
    std::vector<std::string> rest;
    bool companion = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--range" && hasValue) {
            out.ranges += (out.ranges.empty() ? "" : ",") + args[++i];
        } else if (arg == "--rate" && hasValue) {
            char* end = nullptr;
            const unsigned long rate = std::strtoul(args[++i].c_str(), &end, 10);
            if (*end != '\0' || rate < 1 || rate > 100000) {
                std::fprintf(stderr, "vexa: --rate takes tries per second, 1 to 100000\n");
                return false;
            }
            out.rate = static_cast<uint32_t>(rate);
            companion = true;
        } else if (arg == "--why") {
            out.why = companion = true;
        } else if (arg == "--allow-public") {
            out.allowPublic = companion = true;
        } else if (arg == "--http-fallback") {
            out.httpFallback = companion = true;
        } else {
            rest.push_back(arg);
        }
    }
    if (companion && out.ranges.empty()) {
        std::fprintf(stderr, "vexa: --rate, --why, --allow-public and --http-fallback go with --range\n");
        return false;
    }
    args.swap(rest);
    g_request = out;
    return true;
}

bool runRangeScan() {
    if (g_request.ranges.empty())
        return true;
    VEXA_SCAN_PARAM param{};
    param.rate = g_request.rate;
    param.retries = 0xff;
    param.allowPublic = g_request.allowPublic ? 1 : 0;
    param.httpFallback = g_request.httpFallback ? 1 : 0;
    Tally tally;
    tally.why = g_request.why;
    if (!VEXA_ScanRanges(g_request.ranges.c_str(), &param, onScanned, &tally)) {
        const uint32_t code = VEXA_GetLastError();
        char detail[80] = {};
        VEXA_GetLastErrorDetail(detail, sizeof detail);
        std::fprintf(stderr, "vexa: scan of %s: %s%s%s (error %u)\n", terminalText(g_request.ranges).c_str(),
                     errorSentence(code), detail[0] ? ": " : "", terminalText(detail).c_str(), code);
        if (code != VEXA_ERR_TIMEOUT)
            return false;
    }
    std::fprintf(stderr,
                 "vexa: scanned %llu addresses: %llu found, %llu no answer, %llu port closed, %llu not a camera, "
                 "%llu refused sign-in\n",
                 static_cast<unsigned long long>(tally.total), static_cast<unsigned long long>(tally.reasons[0]),
                 static_cast<unsigned long long>(tally.reasons[1]), static_cast<unsigned long long>(tally.reasons[2]),
                 static_cast<unsigned long long>(tally.reasons[3]), static_cast<unsigned long long>(tally.reasons[4]));
    return true;
}

} // namespace cli
