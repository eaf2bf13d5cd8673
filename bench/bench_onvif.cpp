// ONVIF benchmark: starts vexa-devsim with N ONVIF devices that hold every HTTP answer D ms, starts the library
// and measures, through the C API, the time from the start (its first probes) to the last device listed from
// WS-Discovery and to the last device with its details read (six requests each). The devices do not announce
// themselves, so every one is found by the probes. Prints one JSON object. Needs VEXA_IFACE=127.0.0.1, and a
// VEXA_PORT and VEXA_WSD_PORT of its own (bench/run_onvif.sh sets them). --workers sets VEXA_ONVIF_WORKERS.

#include <arpa/inet.h>
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
    int count = 1000, delay = 20;
    double window = 10;
    std::string workers;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--count")
            count = std::atoi(argv[i + 1]);
        else if (option == "--delay")
            delay = std::atoi(argv[i + 1]);
        else if (option == "--window")
            window = std::atof(argv[i + 1]);
        else if (option == "--workers")
            workers = argv[i + 1];
    }
    if (!workers.empty())
        ::setenv("VEXA_ONVIF_WORKERS", workers.c_str(), 1);
    if (count < 1) {
        std::fprintf(stderr, "needs a positive count\n");
        return 2;
    }
    const pid_t sim = onvifbench::startOnvifSimulator(count, 47, delay);
    if (sim == -2)
        return 2;
    if (sim < 0)
        return 1;

    Recorder recorder;
    const double cpuBefore = cpuSeconds();
    recorder.start = Clock::now();
    if (!VEXA_Start_V40(onDevice, 1, &recorder)) {
        ::kill(sim, SIGKILL);
        return 1;
    }
    const auto deadline = recorder.start + std::chrono::milliseconds(static_cast<long>(window * 1000));
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            if (static_cast<int>(recorder.read.size()) >= count)
                break;
        }
        if (Clock::now() > deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    VEXA_Stop();
    const double cpu = cpuSeconds() - cpuBefore;
    ::kill(sim, SIGKILL);
    ::waitpid(sim, nullptr, 0);
    std::lock_guard<std::mutex> lock(recorder.mutex);
    std::printf("{\"count\":%d,\"delayMs\":%d,\"workers\":%s,\"listed\":%zu,\"listedMs\":%.0f,\"read\":%zu,"
                "\"readMs\":%.0f,\"clientCpuSeconds\":%.2f}\n",
                count, delay, workers.empty() ? "null" : workers.c_str(), recorder.listed.size(), recorder.lastListedMs,
                recorder.read.size(), recorder.lastReadMs, cpu);
    return 0;
}
