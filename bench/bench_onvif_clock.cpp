// Clock and password benchmark: starts vexa-devsim with N ONVIF devices that hold every HTTP answer D ms, some
// of them hours off, waits until every one is read, then sets the time of all of them and then changes the password
// of all of them, each with W workers calling the C API at once, as a batch of the program does. Prints one JSON
// object: the time each batch took, how many succeeded, and the largest offset left. Needs VEXA_IFACE=127.0.0.1,
// and a VEXA_PORT and VEXA_WSD_PORT of its own (bench/run_onvif_clock.sh sets them).

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "OnvifBench.h"
#include "vexa.h"

using onvifbench::Clock;

namespace {

struct Recorder {
    std::mutex mutex;
    std::set<std::string> read;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (info->protocol != VEXA_PROTOCOL_ONVIF || info->detailsState != VEXA_DETAILS_READ)
        return;
    auto* r = static_cast<Recorder*>(user);
    std::lock_guard<std::mutex> lock(r->mutex);
    r->read.insert(std::string(info->endpointReference, strnlen(info->endpointReference, 64)));
}

struct Run {
    double ms = 0;
    size_t ok = 0;
};

// Every device through one call each, workers at once.
Run batch(const std::vector<std::string>& devices, int workers, const std::function<bool(const std::string&)>& call) {
    std::atomic<size_t> next{0}, ok{0};
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            for (size_t i; (i = next++) < devices.size();)
                ok += call(devices[i]) ? 1 : 0;
        });
    for (std::thread& t : threads)
        t.join();
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count(), ok.load()};
}

} // namespace

int main(int argc, char** argv) {
    int count = 1000, delay = 20, workers = 64;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--count")
            count = std::atoi(argv[i + 1]);
        else if (option == "--delay")
            delay = std::atoi(argv[i + 1]);
        else if (option == "--workers")
            workers = std::atoi(argv[i + 1]);
    }
    if (count < 1 || workers < 1) {
        std::fprintf(stderr, "needs a positive count\n");
        return 2;
    }
    const pid_t sim =
        onvifbench::startOnvifSimulator(count, 48, delay, {"--onvif-clock-offset", "0,10800,-45,3,-7200"});
    if (sim == -2)
        return 2;
    if (sim < 0)
        return 1;

    Recorder recorder;
    if (!VEXA_Start_V40(onDevice, 1, &recorder) || !VEXA_SetOnvifCredentials("admin", "Camera-2024")) {
        ::kill(sim, SIGKILL);
        return 1;
    }
    const auto readDeadline = Clock::now() + std::chrono::seconds(60);
    std::vector<std::string> devices;
    while (Clock::now() < readDeadline) {
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            if (static_cast<int>(recorder.read.size()) >= count) {
                devices.assign(recorder.read.begin(), recorder.read.end());
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::atomic<int> worstBefore{0}, worstAfter{0};
    auto raise = [](std::atomic<int>& worst, int value) {
        for (int now = worst.load(); std::abs(value) > now && !worst.compare_exchange_weak(now, std::abs(value));) {
        }
    };
    const Run time = batch(devices, workers, [&](const std::string& device) {
        VEXA_TIME_PARAM params{};
        VEXA_CLOCK_INFO before{}, after{};
        const bool ok = VEXA_SetDeviceTime(device.c_str(), &params, &before, &after) != 0;
        raise(worstBefore, before.offsetSeconds);
        raise(worstAfter, after.offsetSeconds);
        return ok;
    });
    const Run password = batch(devices, workers, [](const std::string& device) {
        return VEXA_SetUserPassword(device.c_str(), "Bench-new-2026") != 0;
    });
    VEXA_Stop();
    ::kill(sim, SIGKILL);
    ::waitpid(sim, nullptr, 0);
    std::printf("{\"count\":%d,\"delayMs\":%d,\"workers\":%d,\"read\":%zu,\"setTimeMs\":%.0f,\"setTimeOk\":%zu,"
                "\"largestOffsetBefore\":%d,\"largestOffsetAfter\":%d,\"setPasswordMs\":%.0f,\"setPasswordOk\":%zu}\n",
                count, delay, workers, devices.size(), time.ms, time.ok, worstBefore.load(), worstAfter.load(),
                password.ms, password.ok);
    return devices.size() == static_cast<size_t>(count) && time.ok == devices.size() && password.ok == devices.size()
               ? 0
               : 1;
}
