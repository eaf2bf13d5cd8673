#pragma once

// One started library: the socket, the I/O thread and the table of devices heard. The table lives on the
// I/O thread only; the API functions reach it by posting work there, so the callback runs with no lock
// held and may call back into the library.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "VerdictFile.h"
#include "proto/DeviceRecord.h"
#include "proto/Transport.h"
#include "vexa.h"
#include "vexa_crypto.h"

namespace vexa {

struct EngineConfig {
    proto::TransportConfig transport;
    std::chrono::milliseconds goneTimeout{100000};
    // Inquiry rounds: an inquiry every inquiryGap (jittered by a tenth), each from the second on listing the
    // devices already heard in this round; the round ends once quietSteps inquiries in a row brought no device
    // not yet heard in it (never while it has heard nobody), or after maxSteps inquiries.
    std::chrono::milliseconds inquiryGap{300};
    unsigned quietSteps = 2;
    unsigned maxSteps = 12;
    // Known-answer lists: at most this many datagrams per inquiry, each sent twice (a lost list would only
    // make the devices on it answer again).
    unsigned maxKnownParts = 64;
    bool knownAnswers = true;
    // Manufacturer keys trusted by this start: a certificate is checked against them. Without any (and without
    // verifyCertificate) nothing can be certified, and no verifier thread starts.
    std::vector<crypto::PublicKey> trusted;
    // Instead of the trusted keys, for tests: true when the device's certificate verifies.
    std::function<bool(const proto::DeviceRecord&)> verifyCertificate;
    // Where positive certificate verdicts are kept across runs (VerdictFile); empty: nowhere.
    std::string verdictPath;
    // The device table's bounds: all devices, and those whose messages do not verify (anyone can make those up).
    size_t maxDevices = 65536;
    size_t maxUnverified = 16384;
    uint32_t trustedKeys = 0;
    uint32_t rejectedKeys = 0;
    // Threads that verify certificates and signatures off the socket reader: one fewer than the cores, at least
    // one (VEXA_VERIFIERS overrides, 0 to 64; 0 verifies on the reader). The bound of their queue; announcements past
    // it are dropped (the device answers the next inquiry) and counted.
    unsigned verifiers = 1;
    size_t maxVerifyQueue = 16384;
};

// Longest accepted VEXA_GONE_TIMEOUT_MS: one day.
constexpr long kMaxGoneTimeoutMs = 86400000;

// Environment on top of the defaults: VEXA_PORT, VEXA_IFACE, VEXA_GONE_TIMEOUT_MS, VEXA_VERIFIERS.
bool engineConfigFromEnvironment(EngineConfig& out, std::string& error);

struct EngineStats {
    std::atomic<uint64_t> received{0};
    std::atomic<uint64_t> dropped{0};
    std::atomic<uint64_t> events{0};
    std::atomic<uint64_t> rejected{0};
    std::atomic<uint64_t> tableFull{0};
    std::atomic<uint64_t> inquiries{0};          // inquiry datagrams sent, known-answer parts included
    std::atomic<uint64_t> steps{0};              // inquiries of the rounds (each may take several datagrams)
    std::atomic<uint64_t> interfered{0};         // own known-answer inquiries that someone else added a part to
    std::atomic<uint64_t> verifyHighWater{0};    // most announcements waiting for a verifier at once
    std::atomic<uint64_t> verifyDropped{0};      // announcements dropped because the verifiers' queue was full
    std::atomic<uint64_t> certificateChecks{0};  // certificates verified by signature (not found in a verdict)
    std::atomic<uint64_t> signatureChecks{0};    // device message signatures verified
    std::atomic<uint64_t> verdictsLoaded{0};     // verdicts read from the verdict file at start
    std::atomic<uint64_t> verdictFileRefused{0}; // 1 when the verdict file was refused at start
};

// What the verifiers found about one announcement: the certificate (when asked) and the signature by the key the
// announcement names.
struct Verdict {
    bool certificateChecked = false;
    bool certificate = false;
    bool signature = false;
    bool digested = false; // digest holds the keyed digest of the signed bytes (made by the verifier)
    std::array<uint8_t, 32> digest{};
};

// The newest record version and the last bye heard from one certified identity, kept for the whole run (a
// device that goes, or a Clearup, forgets the device but not this): an older announcement played again is
// stale, and one no newer than the device's bye does not bring it back.
struct SeenVersion {
    uint32_t highest = 0;
    uint32_t bye = 0;
    bool byeSeen = false;
};

// What the library remembers about one device.
struct KnownDevice {
    proto::DeviceRecord record;
    std::chrono::steady_clock::time_point lastHeard;
    // The certificate verifies against a trusted key and the announcement carries the device's signature. From
    // then on only messages signed by that key, of this record version or later, change anything.
    bool certified = false;
    // It answered one of this run's inquiries, signed over the inquiry's id when certified: it is there now, not
    // an announcement played back from before. Only then is it reported certified and taken for an operation.
    bool confirmed = false;
    uint8_t confirmTries = 0;                         // inquiries sent to confirm it
    std::chrono::steady_clock::time_point heardFirst; // when it was first listed in the table
    bool reported = false;                            // passed the filter and reported as new
    uint64_t heardInRound = 0;                        // the last inquiry round in which it was heard
    std::array<uint8_t, 6> macBytes{};                // for known-answer lists
    // Keyed digest of the signed bytes last verified, so that a repeat costs a digest and a comparison, not a
    // verification, and no copy of the datagram is kept. The key is the engine's own, random per run.
    std::array<uint8_t, 32> verifiedDigest{};
    bool hasVerified = false;
    // Silent past the gone time-out, it was asked at its address when this was set: a certified device is gone only
    // once that inquiry, asked twice, brought no answer (silence alone can be forged with known answers).
    std::chrono::steady_clock::time_point askedDirectly{};
    bool askedAgain = false;
    // Found by a scan, beyond the reach of our multicast: silence says nothing about it, so it is not timed out.
    bool scanned = false;
};

using BodyDigest = std::array<uint8_t, 32>;

enum class Lookup { Found, Unknown, Ambiguous };

class Engine {
public:
    Engine(VEXA_DEVICE_CALLBACK callback, void* userData, EngineConfig config);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    bool start(std::string& error);
    void stop();
    bool onIoThread() const { return std::this_thread::get_id() == threadId_.load(); }

    void sendInquiryRound();
    bool clearup();
    void setVideoOnly(bool on) { videoOnly_ = on; }
    const EngineStats& stats() const { return stats_; }
    uint32_t trustedKeys() const { return config_.trustedKeys; }
    uint32_t rejectedKeys() const { return config_.rejectedKeys; }
    uint32_t verifierCount() const { return canCertify() ? config_.verifiers : 0; }
    size_t verdictsKept() const { return verdicts_ ? verdicts_->size() : 0; }

    // Runs fn on the I/O thread and waits for it (inline when already there). False, with fn not run, once
    // stop() has begun: work queued behind the stop would never run and its caller would wait forever.
    bool runOnIo(const std::function<void()>& fn);
    bool stopping() const;

    // Sends one datagram from the I/O thread.
    void post(std::vector<uint8_t> datagram);
    // Sends one datagram to one device's address and our port, from the socket whose answers carry the address
    // they came from (a device found by a scan, which no multicast reaches). Any thread.
    void postTo(std::vector<uint8_t> datagram, const std::string& ipv4);
    // Asks one device, at its address, for its record: an answer from that address, under this inquiry's id and
    // claiming that address, is taken as an answer to one of our inquiries (a device moved by a change is heard
    // at its new address). Any thread.
    bool askDeviceAt(const std::string& ipv4);

    // Runs fn on the I/O thread later, without waiting (the ONVIF side's events reach the callback this way).
    // Dropped once stop() has begun.
    void postTask(std::function<void()> fn);

    // Copy of a known device by serial number or MAC (I/O-thread data, fetched safely): Unknown when none (or
    // stopping), Ambiguous when more than one heard device answers to that name.
    Lookup findDevice(const std::string& serialNo, const std::string& mac, KnownDevice& out);
    // Asks at once whether an unconfirmed device is there, and waits until it answers (out is then the device as it
    // answered) or the deadline passes. Not on the I/O thread.
    bool confirm(const std::string& serialNo, const std::string& mac, std::chrono::steady_clock::time_point deadline,
                 KnownDevice& out);

    // Datagrams that are neither announcements nor byes (the answers to device operations) go here, with the
    // datagram they were decoded from (signatures cover its bytes) and the address it came from: 0 for the group
    // socket, the sender's address (host order) for what reached the unicast socket.
    using ReplyHandler = std::function<void(const proto::Frame&, const uint8_t*, size_t, uint32_t from)>;
    void setReplyHandler(ReplyHandler handler);

    // Every announcement heard while a watch is set is told to it (address and serial number as the datagram
    // claims them, verified or not), on the I/O thread: the address check counts any claim of an address. Once
    // removeAddressWatch returns, the watch is not called again. Any thread.
    using AddressWatch = std::function<void(const std::string& ipv4, const std::string& serial)>;
    uint64_t addAddressWatch(AddressWatch watch);
    void removeAddressWatch(uint64_t id);
    // An inquiry without known answers sent to one address (a device there answers to the group). Any thread.
    bool inquireAt(const std::string& ipv4);
    // An answer that a scan matched to an inquiry it sent to the answer's address: handled as if read from the
    // socket, as an answer to our own inquiry. Any thread.
    void acceptScanAnswer(std::vector<uint8_t> datagram);
    // How long a silent device has to answer the inquiry at its address before it is reported gone.
    static constexpr std::chrono::milliseconds kConfirmGone{1500};

private:
    void armReceive();
    void drain();
    void readSocket();
    void handleDatagram(const uint8_t* data, size_t size);
    void armUnicast();
    void readUnicast();
    void dispatch(const proto::Frame& frame, const uint8_t* data, size_t size, bool inOrder, uint32_t from = 0);
    struct VerifyJob;
    // job: the announcement as the verifiers had it, when it comes back from them (its record and datagram, which
    // data points into, are moved from).
    void handleAnnounce(const proto::Frame& frame, const uint8_t* data, size_t size, const Verdict* verdict,
                        bool inOrder, VerifyJob* job = nullptr);
    void handleBye(const proto::Frame& frame, const uint8_t* data, size_t size, bool inOrder);
    // Verification off the reader. A device with an announcement at the verifiers has every later message of
    // its own wait behind it, so its events keep their order.
    struct VerifyJob {
        std::string key;
        std::vector<uint8_t> datagram;
        proto::DeviceRecord record; // decoded once, by the reader
        bool needCertificate = false;
    };
    bool waitingForVerdict(const std::string& key, const uint8_t* data, size_t size);
    void submit(const std::string& key, const uint8_t* data, size_t size, bool needCertificate,
                proto::DeviceRecord&& record);
    // Hands what the reader collected to the verifiers at once: one lock and one wake-up per read burst, not
    // per announcement.
    void flushOutbox();
    // The reader verifies too, one announcement at a time and only once the socket is empty, so that every core
    // verifies during a burst and reading still comes first.
    void scheduleHelp();
    void help();
    void verifierLoop();
    Verdict judge(const VerifyJob& job);
    void onVerdict(VerifyJob& job, const Verdict& verdict);
    bool certificateVerifies(const proto::DeviceRecord& record);
    bool checkCertificate(const proto::DeviceRecord& record);
    bool canCertify() const { return config_.verifyCertificate || !config_.trusted.empty(); }
    bool signedBy(const proto::Frame& frame, const uint8_t* data, size_t size, const std::vector<uint8_t>& publicKey);
    void loadVerdicts();
    void saveVerdicts();
    void stopVerifiers();
    void reject(const char* why, const proto::DeviceRecord* record = nullptr);
    void digestBody(crypto::ByteView body, std::array<uint8_t, 32>& out) const;
    bool sameBytes(const KnownDevice& device, crypto::ByteView body) const;
    void keepVerified(KnownDevice& device, crypto::ByteView body, const Verdict* verdict) const;
    // Null when this certified identity is not tracked (the bound is reached); creates the entry otherwise.
    SeenVersion* seenFor(const proto::DeviceRecord& record, bool create);
    // The reason a certified announcement of this record is refused, null when it may be listed.
    const char* staleness(const proto::DeviceRecord& record);
    void noteOwnInquiry(const proto::RequestId& id, const std::vector<uint8_t>& datagram, bool listed);
    void checkInquiry(const proto::Frame& frame, const uint8_t* data, size_t size);
    void forget(std::unordered_map<std::string, KnownDevice>::iterator it);
    void sendInquiry(bool withKnown);
    // One inquiry under a fresh id, listing those MACs (6 bytes each) as known answers.
    void sendInquiry(const std::vector<uint8_t>& known);
    // Devices heard only unasked (a boot announcement, or one played back) are asked soon, in an inquiry that lists
    // every confirmed device, so that only they answer.
    void armConfirming();
    // asked: for an operation, whatever the tries so far.
    void sendConfirmingInquiry(bool asked);
    bool ownInquiryId(const proto::RequestId& id) const;
    // Certified and waiting to be confirmed before it is reported at all.
    bool held(const KnownDevice& device) const;
    void scheduleRound(uint64_t round, unsigned step, unsigned quiet);
    void noteHeard(KnownDevice& device);
    void armSweep();
    void sweep();
    void report(const KnownDevice& device, int eventType);
    bool passesFilter(const proto::DeviceRecord& record) const;

    VEXA_DEVICE_CALLBACK callback_;
    void* userData_;
    EngineConfig config_;
    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    proto::Transport transport_;
    asio::steady_timer inquiryTimer_;
    asio::steady_timer sweepTimer_;
    std::thread thread_;
    // Orders every runOnIo post before the posted shutdown (the queue runs in order), so none is left behind.
    mutable std::mutex lifeMutex_;
    bool stopping_ = false;
    std::atomic<std::thread::id> threadId_{};
    std::atomic<bool> videoOnly_{false};
    uint64_t round_ = 0;
    uint64_t newInRound_ = 0; // devices heard for the first time in the current round
    std::unordered_map<std::string, KnownDevice> devices_;
    size_t unverified_ = 0;                             // entries of devices_ that are not certified
    std::unordered_map<std::string, SeenVersion> seen_; // by identity (serial, MAC, device key); bounded
    // Our latest inquiries as sent: a part under one of their ids that is not one of ours means someone is
    // adding known answers in our name, so we ask again under a fresh id without any.
    struct OwnInquiry {
        proto::RequestId id{};
        std::vector<std::vector<uint8_t>> parts;
        bool listed = false;
        bool askedAgain = false;
    };
    std::vector<OwnInquiry> ownInquiries_;
    // The ids of our recent inquiries: an answer under one of them, signed over it, confirms a device.
    std::deque<proto::RequestId> recentIds_;
    // The ids of scan inquiries that were answered: bounded, since a scan asks thousands of addresses.
    std::deque<proto::RequestId> scanIdOrder_;
    std::set<proto::RequestId> scanIds_;
    bool scanId(const proto::RequestId& id) const { return scanIds_.count(id) > 0; }
    void keepScanId(const proto::RequestId& id);
    // Inquiries sent to one device's address by askDeviceAt, and that address (host order); bounded.
    std::deque<std::pair<proto::RequestId, uint32_t>> askedAt_;
    // Operations and asks addressed to one device: bound to an ephemeral port, so a device answers it alone.
    asio::ip::udp::socket unicast_;
    asio::steady_timer confirmTimer_;
    bool confirmArmed_ = false;
    // Devices with an announcement at the verifiers (I/O thread): what waits behind it, and for the known-answer
    // lists whether it was heard in the current round.
    struct Pending {
        std::deque<std::vector<uint8_t>> later;
        std::array<uint8_t, 6> mac{};
        uint64_t heardInRound = 0;
        bool inFlight = false; // false while what waited is taken in order, or after the queue refused it
    };
    std::unordered_map<std::string, Pending> pending_;
    std::mutex verifyMutex_;
    std::condition_variable verifyWake_;
    std::deque<VerifyJob> verifyQueue_;
    bool verifyStopping_ = false;
    std::vector<VerifyJob> outbox_; // I/O thread: collected during a read, not yet handed over
    std::atomic<size_t> queued_{0}; // in the outbox or the queue, not yet taken by a verifier: for the bound
    bool helping_ = false;          // I/O thread: a help step is posted
    std::vector<std::thread> verifiers_;
    // Certificate verdicts for the run, by serial, MAC, device key and certificate bytes (the trusted keys are
    // fixed for the run): a device that re-announces costs one verification, not two. Shared by the verifiers.
    std::mutex verdictMutex_;
    std::unordered_map<std::string, bool> certificateVerdicts_;
    std::unique_ptr<VerdictFile> verdicts_; // across runs; null without a path or a trusted key
    std::array<uint8_t, 32> digestKey_{};   // for KnownDevice::verifiedDigest
    static constexpr size_t kBatch = 32;    // datagrams per read
    std::vector<uint8_t> buffer_;
    std::array<size_t, kBatch> sizes_{};
    EngineStats stats_;
    std::mutex replyMutex_;
    ReplyHandler replyHandler_;
    std::mutex watchMutex_;
    std::atomic<size_t> watchCount_{0};
    uint64_t nextWatch_ = 1;
    std::vector<std::pair<uint64_t, AddressWatch>> watches_;
    void tellWatches(const proto::Frame& frame);
};

void fillDeviceInfo(const KnownDevice& device, int eventType, VEXA_DEVICE_INFO& info);

} // namespace vexa
