// Discovery benchmark: starts vexa-devsim with N devices and measures, through the C API, the time from the
// inquiry (VEXA_Start_V40 sends it) to the last new-device report, the share of devices found, the client's
// CPU time per device and the answers the devices sent. With --flood K it instead sends K inquiries in a burst
// (or spread over --flood-seconds S) to the fleet (no client) and reports the answer bytes per inquiry byte.
// Prints one JSON object. Needs VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own (bench/run.sh sets both).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <vector>

#include "proto/Codec.h"
#include "proto/Transport.h"
#include "vexa.h"
#include "vexa_crypto.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
    std::mutex mutex;
    Clock::time_point start;
    std::vector<double> newAtMs;
    unsigned certified = 0;
    // When each device was first reported confirmed (it answered one of our inquiries), by MAC.
    std::unordered_set<std::string> confirmed;
    double lastConfirmedMs = -1.0;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (info->eventType != VEXA_EVENT_NEW && info->eventType != VEXA_EVENT_CHANGED)
        return;
    auto* r = static_cast<Recorder*>(user);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - r->start).count();
    std::lock_guard<std::mutex> lock(r->mutex);
    if (info->confirmed && r->confirmed.insert(std::string(info->mac, strnlen(info->mac, sizeof info->mac))).second)
        r->lastConfirmedMs = ms;
    if (info->eventType != VEXA_EVENT_NEW)
        return;
    r->newAtMs.push_back(ms);
    r->certified += info->certified;
}

double share(const std::vector<double>& times, double withinMs, int count) {
    const auto n = std::count_if(times.begin(), times.end(), [withinMs](double t) { return t <= withinMs; });
    return count > 0 ? static_cast<double>(n) / count : 0.0;
}

// Page faults and context switches of this process so far: what a hand-off between threads or a growing heap
// costs beside the CPU time, and less sensitive to a busy machine than the time.
struct Counts {
    long faults = 0;
    long switches = 0;
};

Counts counts() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return {usage.ru_minflt + usage.ru_majflt, usage.ru_nvcsw + usage.ru_nivcsw};
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds a child has used so far (Linux: user and system time from /proc), -1 when unknown.
double childCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')'); // the name may hold spaces
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::strtoull(field.c_str(), nullptr, 10);
        else if (i == 15)
            stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// A number from the simulator's stats line.
double statOf(const std::string& json, const std::string& key) {
    const auto at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -1.0 : std::atof(json.c_str() + at + key.size() + 3);
}

} // namespace

int main(int argc, char** argv) {
    int count = 100;
    double loss = 0.0;
    double windowS = 5.0;
    bool trusted = false;
    int flood = 0;
    double floodSeconds = 0.0;
    std::string verdicts; // kept certificate verdicts: empty keeps none
    std::string binDir = std::getenv("VEXA_BIN_DIR") ? std::getenv("VEXA_BIN_DIR") : ".";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trusted") {
            trusted = true;
            continue;
        }
        if (i + 1 >= argc)
            break;
        if (arg == "--count")
            count = std::atoi(argv[++i]);
        else if (arg == "--loss")
            loss = std::atof(argv[++i]);
        else if (arg == "--window")
            windowS = std::atof(argv[++i]);
        else if (arg == "--bin-dir")
            binDir = argv[++i];
        else if (arg == "--flood")
            flood = std::atoi(argv[++i]);
        else if (arg == "--flood-seconds")
            floodSeconds = std::atof(argv[++i]);
        else if (arg == "--verdicts")
            verdicts = argv[++i];
    }
    ::setenv("VEXA_VERDICT_FILE", verdicts.c_str(), 1);
    const char* iface = std::getenv("VEXA_IFACE");
    if (!iface || std::strcmp(iface, "127.0.0.1") != 0) {
        std::fprintf(stderr, "bench_discovery: set VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own\n");
        return 2;
    }
    // Every announcement verified: the simulator's devices carry certificates of the TEST manufacturer key.
    if (trusted)
        ::setenv("VEXA_TRUSTED_KEYS",
                 vexa::crypto::publicKeyToText(vexa::crypto::testManufacturerKeyPair().publicKey).c_str(), 1);
    else
        ::unsetenv("VEXA_TRUSTED_KEYS");
    char dumpTemplate[] = "/tmp/vexa-bench-XXXXXX";
    if (!::mkdtemp(dumpTemplate))
        return 1;
    const std::string dump = std::string(dumpTemplate) + "/fleet.txt";
    const std::string stats = std::string(dumpTemplate) + "/stats.json";
    std::vector<std::string> args = {binDir + "/vexa-devsim",
                                     "--count",
                                     std::to_string(count),
                                     "--loss",
                                     std::to_string(loss),
                                     "--dump",
                                     dump,
                                     "--stats",
                                     stats,
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
    double simCpuS = -1.0; // the simulator's own CPU time, start-up (key generation, signing) included
    const auto finish = [&]() {
        ::kill(sim, SIGTERM);
        rusage simUsage{};
        int status = 0;
        if (::wait4(sim, &status, 0, &simUsage) == sim)
            simCpuS = static_cast<double>(simUsage.ru_utime.tv_sec + simUsage.ru_stime.tv_sec) +
                      static_cast<double>(simUsage.ru_utime.tv_usec + simUsage.ru_stime.tv_usec) / 1e6;
        std::ifstream in(stats);
        std::stringstream text;
        text << in.rdbuf();
        std::remove(stats.c_str());
        std::remove(dump.c_str());
        ::rmdir(dumpTemplate);
        return text.str();
    };

    if (flood > 0) {
        // K inquiries with K request ids, as fast as the socket takes them.
        asio::io_context io;
        vexa::proto::Transport sender(io);
        vexa::proto::TransportConfig config;
        std::string error;
        if (!vexa::proto::transportConfigFromEnvironment(config, error) || !sender.open(config, error)) {
            std::fprintf(stderr, "bench_discovery: %s\n", error.c_str());
            return 1;
        }
        const auto start = Clock::now();
        vexa::proto::TlvWriter empty;
        for (int i = 0; i < flood; ++i) {
            if (floodSeconds > 0) // spread evenly over the time, a sustained flood
                std::this_thread::sleep_until(
                    start + std::chrono::microseconds(static_cast<long>(floodSeconds * 1e6 * i / flood)));
            vexa::proto::RequestId id{};
            vexa::crypto::randomBytes(id.data(), id.size());
            sender.send(vexa::proto::encodeFrame(vexa::proto::MsgType::Inquiry, id, empty));
        }
        const double burstMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(windowS * 1000)));
        const std::string s = finish();
        const double inquiryBytes = statOf(s, "inquiry_bytes");
        std::printf("{\"devices\":%d,\"flood_inquiries\":%d,\"burst_ms\":%.1f,\"inquiries_heard\":%.0f,"
                    "\"answers\":%.0f,\"answer_bytes_per_inquiry_byte\":%.2f,\"answers_per_device\":%.2f}\n",
                    count, flood, burstMs, statOf(s, "inquiries"), statOf(s, "answers"),
                    inquiryBytes > 0 ? statOf(s, "answer_bytes") / inquiryBytes : -1.0,
                    count ? statOf(s, "answers") / count : 0.0);
        return 0;
    }

    Recorder recorder;
    recorder.newAtMs.reserve(static_cast<size_t>(count));
    const double simCpuBefore = childCpuSeconds(sim);
    const double cpuBefore = cpuSeconds();
    const Counts countsBefore = counts();
    Counts countsAllFound{-1, -1};
    recorder.start = Clock::now();
    if (!VEXA_Start_V40(onDevice, 1, &recorder)) {
        std::fprintf(stderr, "bench_discovery: start failed (%u)\n", VEXA_GetLastError());
        ::kill(sim, SIGKILL);
        return 1;
    }
    const auto end = recorder.start + std::chrono::milliseconds(static_cast<long>(windowS * 1000));
    double cpuAllFound = -1.0;
    // After the last device, the round's closing inquiries (and any answers they still draw) belong to the
    // discovery's traffic: wait for them too.
    auto settled = end;
    while (Clock::now() < std::min(end, settled)) {
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            if (static_cast<int>(recorder.newAtMs.size()) >= count && cpuAllFound < 0) {
                cpuAllFound = cpuSeconds() - cpuBefore;
                countsAllFound = counts();
                settled = Clock::now() + std::chrono::milliseconds(1200);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (cpuAllFound < 0) {
        cpuAllFound = cpuSeconds() - cpuBefore;
        countsAllFound = counts();
    }
    VEXA_STATISTICS libraryStats{};
    VEXA_GetStatistics(&libraryStats);
    VEXA_Stop();
    const std::string s = finish();

    std::vector<double> times = recorder.newAtMs;
    std::sort(times.begin(), times.end());
    const double last = times.empty() ? -1.0 : times.back();
    const double p999 = times.size() >= static_cast<size_t>(count * 0.999) && count > 0
                            ? times[std::max<size_t>(1, static_cast<size_t>(std::ceil(count * 0.999))) - 1]
                            : -1.0;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("{\"devices\":%d,\"loss\":%.3f,\"trusted\":%s,\"found\":%zu,\"certified\":%u,\"share\":%.5f,"
                "\"last_new_ms\":%.1f,\"last_confirmed_ms\":%.1f,\"confirmed\":%zu,\"p999_new_ms\":%.1f,\"share_within_"
                "1500ms\":%.5f,"
                "\"share_within_3000ms\":%.5f,\"client_cpu_us_per_device\":%.1f,\"faults_per_device\":%.2f,\"switches_"
                "per_device\":%.3f,\"answers_per_device\":%.3f,"
                "\"inquiry_datagrams\":%.0f,\"datagrams_received\":%llu,\"datagrams_dropped\":%llu,"
                "\"rejected\":%llu,\"verify_high_water\":%llu,\"verifiers\":%u,\"certificate_checks\":%llu,"
                "\"signature_checks\":%llu,\"verdicts_loaded\":%llu,\"sim_cpu_during_s\":%.2f,"
                "\"max_rss_kib\":%ld}\n",
                count, loss, trusted ? "true" : "false", times.size(), recorder.certified,
                count ? static_cast<double>(times.size()) / count : 0.0, last, recorder.lastConfirmedMs,
                recorder.confirmed.size(), p999, share(times, 1500, count), share(times, 3000, count),
                count ? cpuAllFound * 1e6 / count : 0.0,
                count ? static_cast<double>(countsAllFound.faults - countsBefore.faults) / count : 0.0,
                count ? static_cast<double>(countsAllFound.switches - countsBefore.switches) / count : 0.0,
                count ? statOf(s, "answers") / count : 0.0, statOf(s, "inquiries"),
                static_cast<unsigned long long>(libraryStats.received),
                static_cast<unsigned long long>(libraryStats.dropped),
                static_cast<unsigned long long>(libraryStats.rejected),
                static_cast<unsigned long long>(libraryStats.verifyQueueHighWater), libraryStats.verifiers,
                static_cast<unsigned long long>(libraryStats.certificateChecks),
                static_cast<unsigned long long>(libraryStats.signatureChecks),
                static_cast<unsigned long long>(libraryStats.verdictsLoaded),
                simCpuS >= 0 && simCpuBefore >= 0 ? simCpuS - simCpuBefore : -1.0, usage.ru_maxrss);
    return 0;
}
