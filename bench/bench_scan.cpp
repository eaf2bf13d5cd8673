// Scan benchmark, run by bench/run_scan.sh in the laptop namespace of the routed site, with the simulated devices
// already playing behind the router: starts the library, scans the range at the rate given and prints one JSON
// object: wall time, devices listed per protocol, what the settled addresses gave, the client's CPU time per
// address and its peak resident memory.
// usage: vexa_bench_scan --range R [--rate N] [--in-flight N] [--expect-ours N] [--expect-onvif N]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <sys/resource.h>
#include <thread>

#include "vexa.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
    std::mutex mutex;
    std::set<std::string> ours, onvif;
    uint64_t reasons[5] = {};
    uint64_t settled = 0;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (info->eventType != VEXA_EVENT_NEW)
        return;
    auto* r = static_cast<Recorder*>(user);
    std::lock_guard<std::mutex> lock(r->mutex);
    if (info->protocol == VEXA_PROTOCOL_ONVIF)
        r->onvif.insert(std::string(info->endpointReference, strnlen(info->endpointReference, 64)));
    else
        r->ours.insert(std::string(info->serialNo, strnlen(info->serialNo, 48)));
}

void onScanned(const VEXA_SCAN_RESULT* result, uint64_t done, uint64_t, void* user) {
    auto* r = static_cast<Recorder*>(user);
    std::lock_guard<std::mutex> lock(r->mutex);
    if (result->reason < 5)
        ++r->reasons[result->reason];
    r->settled = done;
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    std::string range;
    VEXA_SCAN_PARAM param{};
    param.retries = 0xff;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--range")
            range = argv[i + 1];
        else if (arg == "--rate")
            param.rate = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (arg == "--in-flight")
            param.maxInFlight = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (arg == "--retries")
            param.retries = static_cast<uint8_t>(std::strtoul(argv[i + 1], nullptr, 10));
    }
    if (range.empty()) {
        std::fprintf(stderr, "usage: vexa_bench_scan --range R [--rate N] [--in-flight N] [--retries N]\n");
        return 2;
    }
    Recorder recorder;
    if (!VEXA_Start_V40(onDevice, 1, &recorder)) {
        std::fprintf(stderr, "vexa_bench_scan: cannot start (%u)\n", VEXA_GetLastError());
        return 1;
    }
    const double cpuBefore = cpuSeconds();
    const auto began = Clock::now();
    const int ok = VEXA_ScanRanges(range.c_str(), &param, onScanned, &recorder);
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    const double cpu = cpuSeconds() - cpuBefore;
    // The last answers' devices reach the callback through the I/O thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    VEXA_STATISTICS stats{};
    VEXA_GetStatistics(&stats);
    VEXA_Stop();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::lock_guard<std::mutex> lock(recorder.mutex);
    std::printf("{\"range\":\"%s\",\"rate\":%u,\"ok\":%d,\"seconds\":%.2f,\"settled\":%llu,\"ours\":%zu,\"onvif\":%zu,"
                "\"noAnswer\":%llu,\"portClosed\":%llu,\"notCamera\":%llu,\"cpuSeconds\":%.2f,"
                "\"cpuMicrosPerAddress\":%.1f,\"maxRssKiB\":%ld}\n",
                range.c_str(), param.rate, ok, seconds, static_cast<unsigned long long>(recorder.settled),
                recorder.ours.size(), recorder.onvif.size(), static_cast<unsigned long long>(recorder.reasons[1]),
                static_cast<unsigned long long>(recorder.reasons[2]),
                static_cast<unsigned long long>(recorder.reasons[3]), cpu,
                recorder.settled ? cpu * 1e6 / static_cast<double>(recorder.settled) : 0.0, usage.ru_maxrss);
    return ok ? 0 : 1;
}
