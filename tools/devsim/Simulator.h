#pragma once

// Plays a fleet of devices on one socket and one thread: answers inquiries after a random delay, announces
// on boot, periodically and on change, says Bye on SIGTERM. All timed sends go through one heap, so 10,000
// devices cost one timer.

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
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
    std::string statsPath;    // traffic counters as JSON, written on SIGTERM
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
    // Traffic counters: inquiries heard, announcements sent in answer to them and their bytes.
    struct Counters {
        uint64_t inquiries = 0;
        uint64_t inquiryBytes = 0;
        uint64_t answers = 0;
        uint64_t answerBytes = 0;
        uint64_t suppressed = 0; // answers not sent: the device answered less than kAnswerGap ago
        uint64_t known = 0;      // answers not sent: the inquiry listed the device as known
    };
    const Counters& counters() const { return counters_; }

    // A device answers inquiries at most once in this time, whatever their request ids.
    static constexpr std::chrono::milliseconds kAnswerGap{250};
    // Inquiry ids remembered for the duplicate check.
    static constexpr size_t kRecentInquiries = 4096;

protected:
    // Who sent a request: a client on the link, through the group (at empty), or one that sent it to one device's
    // address from another port than ours, perhaps from behind a router, and is answered there alone.
    struct Peer {
        sockaddr_in asker{};
        std::string at; // the address the request was sent to
        bool direct() const { return !at.empty(); }
    };
    // Device operations (the secure side) plug in here; the base handles discovery only.
    virtual void handleRequest(const vexa::proto::Frame& frame, const Peer& peer);
    // An answer to a request: to the group, or to a direct asker from the device's address as it is now.
    void reply(std::vector<uint8_t> datagram, uint32_t device, const Peer& peer);

    void emit(std::vector<uint8_t> datagram);
    void announce(uint32_t device, const vexa::proto::RequestId& id, bool answer = false);
    void markChanged(uint32_t device);
    // A new record version, above every earlier one and ordered with the wall clock (a restart continues it).
    void bumpVersion(uint32_t device);
    // Notes the current record version as the device's last change of what a network change sets: a network
    // change built on an older record would undo it.
    void markNetworkChanged(uint32_t device);
    // Saves the whole state file unless it already says what the fleet holds. False when the save failed.
    bool saveState();
    // Takes the state file as it is when it has our slots for this fleet, and writes what changed since into
    // each device's slot in place: a restart needs no room for a copy of the file, so a device starts even when
    // its disk has less room left than the file takes.
    bool adoptStateFile();
    // Saves one device's state, durably, by writing its slot of the state file in place: a wrong password or a
    // key request costs one device's line, not the fleet's. Nothing when it did not change. False on failure.
    bool saveDevice(uint32_t device);
    // The device's announcement and bye as sent (the secure side signs them).
    virtual std::vector<uint8_t> encodeAnnouncement(uint32_t device);
    virtual std::vector<uint8_t> encodeBye(uint32_t device);
    // Makes the announcement an answer to the inquiry id: the id set (and, on the secure side, signed over).
    virtual void answerTo(uint32_t device, std::vector<uint8_t>& announcement, const vexa::proto::RequestId& id);
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
    // to: the address the datagram was sent to, empty for the group (or when the system did not say).
    void handleDatagram(const uint8_t* data, size_t size, const std::string& to);
    void handleInquiry(const vexa::proto::Frame& frame, size_t size, const std::string& to);
    // One datagram and the address it was sent to; 0 when none is waiting (as Transport::receive).
    size_t receive(std::string& to);
    void changeSome();
    // A scan's inquiry to the device at `to`: answered to the asker alone, from that address.
    void answerScan(const vexa::proto::RequestId& id, const std::string& to, const sockaddr_in& from);
    // One datagram to one asker, from one of the addresses the devices hold, as a host of its own would send it.
    void sendFrom(const std::vector<uint8_t>& datagram, const std::string& from, const sockaddr_in& to);
    bool takeAnswerToken(uint32_t device, std::chrono::steady_clock::time_point now);
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
    // Keyed per run and over all 16 bytes: ids made to share a prefix cost the sets nothing more.
    struct IdHash {
        size_t operator()(const vexa::proto::RequestId& id) const;
    };
    // (inquiry id, known-answer part) heard lately; an id is new when none of its parts was heard.
    struct InquiryKey {
        vexa::proto::RequestId id;
        uint16_t part;
        bool operator==(const InquiryKey& o) const { return id == o.id && part == o.part; }
    };
    struct InquiryKeyHash {
        size_t operator()(const InquiryKey& k) const { return IdHash{}(k.id) ^ k.part; }
    };
    std::deque<std::pair<InquiryKey, std::chrono::steady_clock::time_point>> recentParts_;
    std::unordered_set<InquiryKey, InquiryKeyHash> recentPartSet_;
    // Inquiry ids heard lately, and whether the first part heard carried a known-answer list: only then may a
    // later part under that id (anyone may send one) cancel an answer.
    std::unordered_map<vexa::proto::RequestId, bool, IdHash> recentIds_;
    std::unordered_map<uint64_t, uint32_t> byMacBytes_; // 6 MAC bytes -> device
    // Per device: when its last inquiry answer leaves (or left), and whether one is pending (1) or was
    // cancelled by a known-answer list (2), and for which inquiry.
    std::vector<std::chrono::steady_clock::time_point> answerAt_;
    std::vector<uint8_t> answerPending_;
    std::vector<vexa::proto::RequestId> answerFor_;
    // When the answer before the pending one left: a cancelled answer gives the gap back.
    std::vector<std::chrono::steady_clock::time_point> previousAnswerAt_;
    // The pending answer also serves inquiries of other ids (they were folded into it): it is no longer one
    // client's to cancel.
    std::vector<uint8_t> answerShared_;
    Counters counters_;
    std::vector<std::string> savedLines_; // each device's line as the state file holds it
    size_t slotSize_ = 0;
    int stateFile_ = -1;
    // Each device's answers: a bucket of 2.25, refilled at one a second. Per device, as each is a host of its own:
    // answers that a stranger draws from other devices never use up this one's.
    std::vector<double> answerTokens_;
    std::vector<std::chrono::steady_clock::time_point> tokensAt_;
    uint32_t changeCursor_ = 0;
    uint32_t changeGeneration_ = 0;
    uint64_t dropped_ = 0;
    sockaddr_in lastFrom_{}; // the sender of the datagram being handled
    bool stopping_ = false;
};

} // namespace devsim
