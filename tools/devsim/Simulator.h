#pragma once

// Plays a fleet of devices on one socket and one thread: answers inquiries after a random delay, announces
// on boot, periodically and on change, says Bye on SIGTERM. All timed sends go through one heap, so 10,000
// devices cost one timer.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <queue>

#include "Fleet.h"
#include "proto/Transport.h"

namespace devsim {

struct SimOptions {
    vexa::proto::TransportConfig transport;
    double loss = 0.0;        // share of datagrams dropped, each direction
    double duplicate = 0.0;   // share of sent datagrams sent twice
    int delayMs = 0;          // extra delay on every sent datagram
    int replyDelayMinMs = 20; // an answer to an inquiry waits a random time in this window
    int replyDelayMaxMs = 500;
    int announcePeriodMs = 30000;
    bool bootAnnounce = true;
    uint32_t changeCount = 1; // devices changed per SIGUSR1
    std::string statePath;    // saved after every change
    std::string dumpPath;     // the fleet as announced, without secrets; written when ready and after changes
    uint64_t randomSeed = 0;
};

class Simulator {
public:
    Simulator(SimOptions options, std::vector<SimDevice> fleet);
    virtual ~Simulator();

    bool open(std::string& error);
    void run();
    void stop(); // Bye for every device, then the loop ends

    const std::vector<SimDevice>& fleet() const { return fleet_; }
    uint64_t droppedDatagrams() const { return dropped_; }

protected:
    // Device operations (the secure side) plug in here; the base handles discovery only.
    virtual void handleRequest(const vexa::proto::Frame& frame);

    void emit(std::vector<uint8_t> datagram);
    void announce(uint32_t device, const vexa::proto::RequestId& id);
    void markChanged(uint32_t device);
    bool saveState();
    void writeDump();
    asio::io_context& io() { return io_; }
    std::vector<SimDevice>& devices() { return fleet_; }
    std::mt19937_64& rng() { return rng_; }
    const SimOptions& options() const { return options_; }
    void schedule(std::chrono::steady_clock::time_point when, std::function<void()> action);

private:
    struct Scheduled {
        std::chrono::steady_clock::time_point when;
        uint64_t sequence;
        uint32_t device;
        uint8_t kind;
        vexa::proto::RequestId id;
        std::shared_ptr<std::vector<uint8_t>> datagram;
        std::shared_ptr<std::function<void()>> action;
        bool operator>(const Scheduled& o) const { return when != o.when ? when > o.when : sequence > o.sequence; }
    };
    enum : uint8_t { KindReply, KindPeriodic, KindRaw, KindAction };

    void push(Scheduled item);
    void armTimer();
    void armSignals();
    void onTimer();
    void armReceive();
    void drain();
    void handleDatagram(const uint8_t* data, size_t size);
    void handleInquiry(const vexa::proto::Frame& frame);
    void changeSome();
    bool chance(double p);
    int jitter(int minMs, int maxMs);

    SimOptions options_;
    std::vector<SimDevice> fleet_;
    asio::io_context io_;
    vexa::proto::Transport transport_;
    asio::signal_set signals_;
    asio::steady_timer timer_;
    std::priority_queue<Scheduled, std::vector<Scheduled>, std::greater<Scheduled>> queue_;
    std::chrono::steady_clock::time_point armedFor_{};
    bool armed_ = false;
    uint64_t sequence_ = 0;
    std::mt19937_64 rng_;
    std::vector<uint8_t> buffer_;
    std::deque<std::pair<vexa::proto::RequestId, std::chrono::steady_clock::time_point>> recentInquiries_;
    uint32_t changeCursor_ = 0;
    uint32_t changeGeneration_ = 0;
    uint64_t dropped_ = 0;
    bool stopping_ = false;
};

} // namespace devsim
