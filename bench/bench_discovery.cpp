// Discovery benchmark: starts vexa-devsim with N devices and measures, through the C API, the time from the
// inquiry (VEXA_Start_V40 sends it) to the last new-device report and the share of devices found.
// Prints one JSON object. Needs VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own (bench/run.sh sets both).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "vexa.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
    std::mutex mutex;
    Clock::time_point start;
    std::vector<double> newAtMs;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (info->eventType != VEXA_EVENT_NEW)
        return;
    auto* r = static_cast<Recorder*>(user);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - r->start).count();
    std::lock_guard<std::mutex> lock(r->mutex);
    r->newAtMs.push_back(ms);
}

double share(const std::vector<double>& times, double withinMs, int count) {
    const auto n = std::count_if(times.begin(), times.end(), [withinMs](double t) { return t <= withinMs; });
    return count > 0 ? static_cast<double>(n) / count : 0.0;
}

} // namespace

int main(int argc, char** argv) {
    int count = 100;
    double loss = 0.0;
    double windowS = 5.0;
    std::string binDir = std::getenv("VEXA_BIN_DIR") ? std::getenv("VEXA_BIN_DIR") : ".";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--count")
            count = std::atoi(argv[i + 1]);
        else if (arg == "--loss")
            loss = std::atof(argv[i + 1]);
        else if (arg == "--window")
            windowS = std::atof(argv[i + 1]);
        else if (arg == "--bin-dir")
            binDir = argv[i + 1];
    }
    const char* iface = std::getenv("VEXA_IFACE");
    if (!iface || std::strcmp(iface, "127.0.0.1") != 0) {
        std::fprintf(stderr, "bench_discovery: set VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own\n");
        return 2;
    }
    char dumpTemplate[] = "/tmp/vexa-bench-XXXXXX";
    if (!::mkdtemp(dumpTemplate))
        return 1;
    const std::string dump = std::string(dumpTemplate) + "/fleet.txt";
    std::vector<std::string> args = {
        binDir + "/vexa-devsim", "--count", std::to_string(count), "--loss", std::to_string(loss), "--dump", dump,
        "--no-boot-announce"};
    std::vector<char*> argvSim;
    for (auto& a : args)
        argvSim.push_back(a.data());
    argvSim.push_back(nullptr);
    pid_t sim = -1;
    if (::posix_spawn(&sim, argvSim[0], nullptr, nullptr, argvSim.data(), environ) != 0) {
        std::fprintf(stderr, "bench_discovery: cannot start %s\n", argvSim[0]);
        return 1;
    }
    const auto readyDeadline = Clock::now() + std::chrono::seconds(60);
    while (::access(dump.c_str(), F_OK) != 0 && Clock::now() < readyDeadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    Recorder recorder;
    recorder.newAtMs.reserve(static_cast<size_t>(count));
    recorder.start = Clock::now();
    if (!VEXA_Start_V40(onDevice, 1, &recorder)) {
        std::fprintf(stderr, "bench_discovery: start failed (%u)\n", VEXA_GetLastError());
        ::kill(sim, SIGKILL);
        return 1;
    }
    const auto end = recorder.start + std::chrono::milliseconds(static_cast<long>(windowS * 1000));
    while (Clock::now() < end) {
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            if (static_cast<int>(recorder.newAtMs.size()) >= count)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    VEXA_STATISTICS stats{};
    VEXA_GetStatistics(&stats);
    VEXA_Stop();
    ::kill(sim, SIGKILL);
    ::waitpid(sim, nullptr, 0);
    std::remove(dump.c_str());
    ::rmdir(dumpTemplate);

    std::vector<double> times = recorder.newAtMs;
    std::sort(times.begin(), times.end());
    const double last = times.empty() ? -1.0 : times.back();
    const double p999 = times.size() >= static_cast<size_t>(count * 0.999) && count > 0
                            ? times[std::max<size_t>(1, static_cast<size_t>(std::ceil(count * 0.999))) - 1]
                            : -1.0;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("{\"devices\":%d,\"loss\":%.3f,\"found\":%zu,\"share\":%.5f,\"last_new_ms\":%.1f,"
                "\"p999_new_ms\":%.1f,\"share_within_1500ms\":%.5f,\"share_within_3000ms\":%.5f,"
                "\"datagrams_received\":%llu,\"datagrams_dropped\":%llu,\"max_rss_kib\":%ld}\n",
                count, loss, times.size(), count ? static_cast<double>(times.size()) / count : 0.0, last, p999,
                share(times, 1500, count), share(times, 3000, count), static_cast<unsigned long long>(stats.received),
                static_cast<unsigned long long>(stats.dropped), usage.ru_maxrss);
    return 0;
}
