// Inventory benchmark: starts vexa-devsim with N ONVIF devices (two profiles each) that hold every HTTP answer D ms,
// signs in to all of them, waits until every one's details are read, then reads every device's media (services,
// profiles, a stream and a snapshot address per profile: six requests) on W threads, as `vexa inventory` does,
// and reports how long that took and how many rows it gave. Prints one JSON object. Needs VEXA_IFACE=127.0.0.1, a
// VEXA_PORT and VEXA_WSD_PORT of its own, and VEXA_BIN_DIR.

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
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
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "OnvifBench.h"
#include "vexa.h"

using namespace onvifbench;

int main(int argc, char** argv) {
    int count = 1000, delay = 20, workers = 64;
    double window = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--count")
            count = std::atoi(argv[i + 1]);
        else if (option == "--delay")
            delay = std::atoi(argv[i + 1]);
        else if (option == "--window")
            window = std::atof(argv[i + 1]);
        else if (option == "--workers")
            workers = std::max(1, std::atoi(argv[i + 1]));
    }
    if (count < 1) {
        std::fprintf(stderr, "needs a positive count\n");
        return 2;
    }
    const pid_t sim = onvifbench::startOnvifSimulator(count, 139, delay, {"--onvif-quirks", "internal-uri"});
    if (sim == -2)
        return 2;
    if (sim < 0)
        return 1;

    Recorder recorder;
    recorder.start = Clock::now();
    if (!VEXA_Start_V40(onDevice, 1, &recorder) || !VEXA_SetOnvifCredentials("admin", "Camera-2024")) {
        ::kill(sim, SIGKILL);
        return 1;
    }
    const auto deadline = recorder.start + std::chrono::milliseconds(static_cast<long>(window * 1000));
    while (Clock::now() < deadline) {
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            if (static_cast<int>(recorder.read.size()) >= count)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<std::string> endpoints;
    {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        endpoints.assign(recorder.read.begin(), recorder.read.end());
    }

    // The inventory proper: every device's media on W threads.
    const double cpuBefore = cpuSeconds();
    const auto began = Clock::now();
    std::atomic<size_t> next{0}, rows{0}, failed{0}, rewritten{0};
    std::vector<std::thread> pool;
    for (int w = 0; w < workers; ++w)
        pool.emplace_back([&] {
            std::vector<VEXA_MEDIA_PROFILE> profiles(8);
            for (size_t i; (i = next++) < endpoints.size();) {
                VEXA_MEDIA_INFO info{};
                if (!VEXA_GetOnvifMedia(endpoints[i].c_str(), &info, profiles.data(), 8)) {
                    ++failed;
                    continue;
                }
                rows += info.profileCount;
                for (uint32_t p = 0; p < info.profileCount && p < 8; ++p)
                    rewritten += profiles[p].streamUriOriginal[0] != '\0';
            }
        });
    for (std::thread& t : pool)
        t.join();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
    const double cpu = cpuSeconds() - cpuBefore;
    VEXA_Stop();
    ::kill(sim, SIGKILL);
    ::waitpid(sim, nullptr, 0);
    std::printf("{\"count\":%d,\"delayMs\":%d,\"workers\":%d,\"read\":%zu,\"readMs\":%.0f,\"rows\":%zu,"
                "\"rewritten\":%zu,\"failed\":%zu,\"inventoryMs\":%.0f,\"clientCpuSeconds\":%.2f}\n",
                count, delay, workers, endpoints.size(), recorder.lastReadMs, rows.load(), rewritten.load(),
                failed.load(), ms, cpu);
    return 0;
}
