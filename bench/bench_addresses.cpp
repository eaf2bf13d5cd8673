// The address check's cost to a batch: starts vexa-devsim with N devices, lists them through the C API, then
// measures in one run on one build
//   batch:   N network changes sent one after another, as a plan sends them (the time without the check);
//   free:    the check of N new addresses where nothing answers (each waits out the time-out);
//   mixed:   the same with an eighth of them answering TCP port 80 and an eighth held by listed devices.
// Prints one JSON object. Loopback only: set VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own.
//
//     build/bin/vexa_bench_addresses [--count N] [--timeout MS]
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "vexa.h"
#include "vexa_crypto.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Heard {
    std::mutex mutex;
    std::vector<VEXA_DEVICE_INFO> devices;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* heard = static_cast<Heard*>(user);
    if (info->eventType != VEXA_EVENT_NEW)
        return;
    std::lock_guard<std::mutex> lock(heard->mutex);
    heard->devices.push_back(*info);
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string freeAddress(int i) {
    return "127.231." + std::to_string(i / 250) + "." + std::to_string(2 + i % 250);
}

// A TCP listener on port 80 at the address; -1 where binding it is not allowed.
int listenOn80(const std::string& address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(80);
    ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Checks the addresses; returns the time in ms and counts those found taken.
double timeChecks(const std::vector<std::string>& addresses, uint32_t timeoutMs, size_t& taken) {
    std::vector<VEXA_ADDRESS_CHECK> checks(addresses.size());
    for (size_t i = 0; i < addresses.size(); ++i)
        std::strncpy(checks[i].ipv4Address, addresses[i].c_str(), sizeof checks[i].ipv4Address - 1);
    const auto start = Clock::now();
    VEXA_CheckAddressesFree(checks.data(), static_cast<uint32_t>(checks.size()), timeoutMs, nullptr, nullptr);
    const double ms = msSince(start);
    taken = 0;
    for (const auto& c : checks)
        taken += c.result == VEXA_ERR_ADDRESS_TAKEN ? 1 : 0;
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    int count = 256;
    uint32_t timeoutMs = 1200;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--count") == 0)
            count = std::max(8, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--timeout") == 0)
            timeoutMs = static_cast<uint32_t>(std::atoi(argv[i + 1]));
    }
    const char* iface = std::getenv("VEXA_IFACE");
    if (!iface || std::strcmp(iface, "127.0.0.1") != 0) {
        std::fprintf(stderr, "bench_addresses: set VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own\n");
        return 2;
    }
    const char* binDirEnv = std::getenv("VEXA_BIN_DIR");
    const std::string binDir = binDirEnv ? binDirEnv : ".";
    ::setenv("VEXA_TRUSTED_KEYS",
             vexa::crypto::publicKeyToText(vexa::crypto::testManufacturerKeyPair().publicKey).c_str(), 1);
    ::setenv("VEXA_SIM_CHEAP_HASH", "1", 1);
    ::setenv("VEXA_ONVIF", "0", 1);
    char dirTemplate[] = "/tmp/vexa-bench-XXXXXX";
    if (!::mkdtemp(dirTemplate))
        return 1;
    const std::string dump = std::string(dirTemplate) + "/fleet.txt";
    std::vector<std::string> args = {
        binDir + "/vexa-devsim", "--count", std::to_string(count), "--seed", "31", "--dump", dump, "--fast-hash"};
    std::vector<char*> argvSim;
    for (auto& a : args)
        argvSim.push_back(a.data());
    argvSim.push_back(nullptr);
    pid_t sim = -1;
    if (::posix_spawn(&sim, argvSim[0], nullptr, nullptr, argvSim.data(), environ) != 0) {
        std::fprintf(stderr, "bench_addresses: cannot start %s\n", argvSim[0]);
        return 1;
    }
    const auto ready = Clock::now() + std::chrono::seconds(60);
    while (::access(dump.c_str(), F_OK) != 0 && Clock::now() < ready)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    Heard heard;
    VEXA_Start_V40(&onDevice, 1, &heard);
    const auto listed = Clock::now() + std::chrono::seconds(30);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(heard.mutex);
            if (heard.devices.size() >= static_cast<size_t>(count))
                break;
        }
        if (Clock::now() > listed)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<VEXA_DEVICE_INFO> devices;
    {
        std::lock_guard<std::mutex> lock(heard.mutex);
        devices = heard.devices;
    }

    // The addresses a batch of N would take: free ones, then the same with an eighth behind a listener on port 80
    // and an eighth held by listed devices.
    std::vector<std::string> free;
    for (int i = 0; i < count; ++i)
        free.push_back(freeAddress(i));
    size_t takenFree = 0;
    const double freeMs = timeChecks(free, timeoutMs, takenFree);
    std::vector<int> listeners;
    std::vector<std::string> mixed = free;
    for (int i = 0; i < count / 8; ++i) {
        if (const int fd = listenOn80(mixed[static_cast<size_t>(i)]); fd >= 0)
            listeners.push_back(fd);
        const size_t held = static_cast<size_t>(count / 8 + i);
        if (static_cast<size_t>(i) < devices.size())
            mixed[held] = std::string(devices[static_cast<size_t>(i)].ipv4Address,
                                      strnlen(devices[static_cast<size_t>(i)].ipv4Address, 16));
    }
    size_t takenMixed = 0;
    const double mixedMs = timeChecks(mixed, timeoutMs, takenMixed);
    for (const int fd : listeners)
        ::close(fd);

    // The batch itself: every activated device to a free address, one after another.
    size_t sent = 0;
    size_t succeeded = 0;
    uint32_t lastFailure = 0;
    const auto batchStart = Clock::now();
    for (size_t i = 0; i < devices.size(); ++i) {
        const VEXA_DEVICE_INFO& d = devices[i];
        if (d.activationState != 0)
            continue;
        VEXA_NET_PARAM p{};
        std::strncpy(p.ipv4Address, free[i].c_str(), sizeof p.ipv4Address - 1);
        std::memcpy(p.ipv4SubnetMask, d.ipv4SubnetMask, sizeof p.ipv4SubnetMask);
        std::memcpy(p.ipv4Gateway, d.ipv4Gateway, sizeof p.ipv4Gateway);
        std::memcpy(p.deviceName, d.deviceName, sizeof p.deviceName);
        p.port = static_cast<uint16_t>(d.port);
        p.httpPort = d.httpPort;
        p.rtspPort = d.rtspPort;
        p.recordVersion = d.recordVersion;
        const std::string mac(d.mac, strnlen(d.mac, sizeof d.mac));
        ++sent;
        if (VEXA_ModifyDeviceNetParam(mac.c_str(), "Install-2024", &p))
            ++succeeded;
        else
            lastFailure = VEXA_GetLastError();
    }
    const double batchMs = msSince(batchStart);
    VEXA_Stop();
    ::kill(sim, SIGTERM);
    int status = 0;
    ::waitpid(sim, &status, 0);
    std::remove(dump.c_str());
    ::rmdir(dirTemplate);

    std::printf("{\"count\":%d,\"listed\":%zu,\"timeoutMs\":%u,\"freeCheckMs\":%.0f,\"freeTaken\":%zu,"
                "\"mixedCheckMs\":%.0f,\"mixedTaken\":%zu,\"listeners\":%zu,\"batchSent\":%zu,\"batchSucceeded\":%zu,"
                "\"batchMs\":%.0f,\"lastFailure\":%u,\"extraShare\":%.3f}\n",
                count, devices.size(), timeoutMs, freeMs, takenFree, mixedMs, takenMixed, listeners.size(), sent,
                succeeded, batchMs, lastFailure, batchMs > 0 ? freeMs / batchMs : 0.0);
    return 0;
}
