#pragma once

// What the ONVIF benchmarks share: the simulator started as a child process and waited for, a recorder of the
// devices listed and read, and the process's CPU time.

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "vexa.h"

extern char** environ;

namespace onvifbench {

using Clock = std::chrono::steady_clock;

// When each ONVIF device was first listed and first read, from the library's callback.
struct Recorder {
    std::mutex mutex;
    Clock::time_point start;
    std::set<std::string> listed, read;
    double lastListedMs = 0, lastReadMs = 0;
};

inline void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (info->protocol != VEXA_PROTOCOL_ONVIF || info->eventType == VEXA_EVENT_GONE)
        return;
    auto* r = static_cast<Recorder*>(user);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - r->start).count();
    const std::string endpoint(info->endpointReference,
                               strnlen(info->endpointReference, sizeof info->endpointReference));
    std::lock_guard<std::mutex> lock(r->mutex);
    if (r->listed.insert(endpoint).second)
        r->lastListedMs = ms;
    if (info->detailsState == VEXA_DETAILS_READ && r->read.insert(endpoint).second)
        r->lastReadMs = ms;
}

inline bool answers(uint32_t address, uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    ::close(s);
    return ok;
}

inline double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Starts the simulator (args[0] is its path) and waits until the last device's service accepts connections (a
// minute at most), then half a second more. -1 when it could not be started.
inline pid_t startSimulator(std::vector<std::string> args, uint32_t lastAddress, uint16_t port) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t sim = -1;
    if (::posix_spawn(&sim, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    const auto readyBy = Clock::now() + std::chrono::seconds(60);
    while (!answers(lastAddress, port) && Clock::now() < readyBy)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return sim;
}

// Starts the simulator from VEXA_BIN_DIR with `count` ONVIF devices (none of ours) at 127.<block>.0.1 onwards, on
// VEXA_WSD_PORT, each answer held delayMs, no announcement at start, and `extra` options; waits as startSimulator.
// -2 (with a message) when the environment lacks VEXA_WSD_PORT or VEXA_BIN_DIR, -1 when it could not be started.
inline pid_t startOnvifSimulator(int count, int block, int delayMs, const std::vector<std::string>& extra = {}) {
    const char* wsd = std::getenv("VEXA_WSD_PORT");
    const char* bin = std::getenv("VEXA_BIN_DIR");
    if (!wsd || !bin) {
        std::fprintf(stderr, "needs VEXA_WSD_PORT and VEXA_BIN_DIR\n");
        return -2;
    }
    const std::string first = "127." + std::to_string(block) + ".0.1";
    std::vector<std::string> args{std::string(bin) + "/vexa-devsim",
                                  "--count",
                                  "0",
                                  "--onvif",
                                  std::to_string(count),
                                  "--onvif-base",
                                  first,
                                  "--wsd-port",
                                  wsd,
                                  "--onvif-delay",
                                  std::to_string(delayMs),
                                  "--no-boot-announce"};
    args.insert(args.end(), extra.begin(), extra.end());
    const uint32_t base = (127u << 24) | (static_cast<uint32_t>(block) << 16) | 1u;
    return startSimulator(std::move(args), base + static_cast<uint32_t>(count - 1), 8080);
}

} // namespace onvifbench
