#pragma once

// Plays the simulated ONVIF devices on one thread: a WS-Discovery responder for all of them on one multicast
// socket, and per device an HTTP device service (libmicrohttpd, no thread of its own) bound to the device's
// 127.x.y.z address. One epoll set drives every server, so 1,000 devices cost one thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <queue>

#include "DeviceService.h"
#include "Discovery.h"
#include "OnvifDevice.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace devsim::onvif {

struct FleetOptions {
    ServiceOptions service;
    uint16_t wsdPort = 3702;
    int rebootDelayMs = 2000; // silent this long after SystemReboot
    int requestDelayMs = 0;   // every HTTP answer waits this long
    double loss = 0.0;        // share of WS-Discovery datagrams dropped, each direction
    double duplicate = 0.0;   // share of WS-Discovery datagrams sent twice
    int delayMs = 0;          // extra delay on every WS-Discovery datagram sent
    int replyDelayMinMs = 20; // a ProbeMatch or Hello waits a random time in this window
    int replyDelayMaxMs = 500;
    std::string statePath; // saved after every change
    std::string dumpPath;  // written when ready and after every change
    uint64_t seed = 1;
    bool bootHello = true; // Hello when the simulator starts (--no-boot-announce turns it off)
};

class OnvifFleet {
public:
    OnvifFleet(FleetOptions options, std::vector<OnvifDevice> devices);
    ~OnvifFleet();
    OnvifFleet(const OnvifFleet&) = delete;
    OnvifFleet& operator=(const OnvifFleet&) = delete;

    // Binds the discovery socket and every device's server, says Hello and starts the thread.
    bool start(std::string& error);
    // Bye for every device that is up, then the thread ends.
    void stop();

    size_t size() const { return devices_.size(); }

    // libmicrohttpd callbacks; public for the C trampolines only.
    struct Request;
    int onRequest(size_t index, MHD_Connection* connection, const char* url, const char* method, const char* uploadData,
                  size_t* uploadSize, void** context);
    void onCompleted(size_t index, void** context);

private:
    struct Slot {
        MHD_Daemon* daemon = nullptr;
        int epollFd = -1;
        int probeFd = -1; // WS-Discovery sent to the device's own address (a scan)
        bool up = false;
        AppSequence sequence;
        std::unordered_map<uint64_t, Request*> suspended;
        std::pair<OnvifFleet*, size_t> context; // what the server's callbacks get; slots never move
    };
    using Clock = std::chrono::steady_clock;
    struct Timer {
        Clock::time_point when;
        uint64_t sequence;
        std::function<void()> action;
        bool operator>(const Timer& o) const { return when != o.when ? when > o.when : sequence > o.sequence; }
    };

    void loop();
    void after(int ms, std::function<void()> action);
    bool startServer(size_t index, std::string& error);
    void stopServer(size_t index);
    void runServer(size_t index);
    // Probes from the group socket (every device may answer), or from one device's own socket (only it may).
    void receiveDiscovery(int fd = -1, size_t only = SIZE_MAX);
    bool openProbeSocket(size_t index, std::string& error);
    void sendDiscovery(size_t index, const std::string& message, const void* to);
    void sendFromDevice(size_t index, const std::string& message, uint32_t toAddress, uint16_t toPort);
    void hello(size_t index);
    void bye(size_t index);
    void reboot(size_t index);
    void restart(size_t index);
    void saveSoon();
    void save();
    std::string newMessageId();
    bool chance(double p);
    int jitter();
    bool addressTaken(uint32_t address, size_t except) const;

    FleetOptions options_;
    std::vector<OnvifDevice> devices_;
    std::vector<Slot> slots_;
    DeviceService service_;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<Timer>> timers_;
    uint64_t timerSequence_ = 0;
    uint64_t requestSequence_ = 0;
    std::mt19937_64 rng_;
    int epoll_ = -1;
    int wake_ = -1;
    int udp_ = -1;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    bool saveScheduled_ = false;
    std::string lastSaved_;
    std::string digestRandom_;
    std::unordered_set<std::string> recentProbes_;
    std::vector<std::string> recentProbeOrder_;
    size_t recentProbeNext_ = 0;
    uint32_t instanceId_ = 1;
    std::vector<size_t> busy_; // servers with work left after a run
    std::string opaque_;
};

} // namespace devsim::onvif
