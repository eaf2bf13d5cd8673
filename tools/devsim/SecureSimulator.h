#pragma once

// The device side of the secure operations, on top of the discovery simulator: challenges, the sealed
// channel, Argon2id password hashes, the password rule, lock-out, key requests, reset by key, restore by code,
// a result cache per request id, and the state saved before any result leaves.

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "HashWorker.h"
#include "Simulator.h"
#include "vexa_crypto.h"

namespace devsim {

struct SecureOptions {
    int64_t lockBaseMs = 60000;  // first lock-out; doubles up to 60 times this (one hour by default)
    bool cheapHashes = false;    // tests: the cheapest Argon2id cost instead of the device cost
    std::string initialPassword; // password of the activated devices of a generated fleet
    int64_t keyRequestLifetimeS = 24 * 3600;
    // Time a device takes to apply an activation, network change, reset or restore before it answers. A timer,
    // so other devices keep answering meanwhile.
    int applyDelayMs = 0;
};

// Gives every device its identity (key pair from a seed, certificate by the simulator's TEST manufacturer key)
// and, for activated devices without a hash, the shared hash of the initial password (hashed once).
void provisionFleet(std::vector<SimDevice>& fleet, const SecureOptions& options);

// Which password hash cost to use.
vexa::crypto::PasswordCost passwordCost(const SecureOptions& options);

// A password hash the hashing thread computed: a verification of a stored hash or a new hash.
struct HashDone {
    enum Kind { Verify, Make } kind = Verify;
    std::string stored;
    std::string password;
    bool matches = false;
    std::string hash; // empty when hashing failed
    ~HashDone();
};

struct HashWork {
    HashDone::Kind kind = HashDone::Verify;
    std::string stored;
    std::string password;
    HashDone run(const vexa::crypto::PasswordCost& cost) const;
    ~HashWork();
    static constexpr HashDone::Kind Verify = HashDone::Verify;
    static constexpr HashDone::Kind Make = HashDone::Make;
};

class SecureSimulator : public Simulator {
public:
    SecureSimulator(SimOptions options, SecureOptions secure, std::vector<SimDevice> fleet);
    ~SecureSimulator() override;

protected:
    void handleRequest(const vexa::proto::Frame& frame, const Peer& peer) override;
    std::vector<uint8_t> encodeAnnouncement(uint32_t device) override;
    std::vector<uint8_t> encodeBye(uint32_t device) override;
    // Signed over the inquiry's id: the answer proves the device is there now.
    void answerTo(uint32_t device, std::vector<uint8_t>& announcement, const vexa::proto::RequestId& id) override;

private:
    struct Challenge {
        vexa::crypto::Challenge nonce;
        std::chrono::steady_clock::time_point expires;
    };
    struct Outcome {
        uint32_t code = 0;
        std::vector<uint8_t> data;
        bool changedRecord = false;
    };

    void answerChallenge(const vexa::proto::Frame& frame, uint32_t device, const Peer& peer);
    // A bound request on its way: judged on the I/O thread, waiting for the hashing thread where it needs a hash.
    struct Job {
        uint32_t index = 0;
        vexa::proto::MsgType type = vexa::proto::MsgType::Activate;
        vexa::proto::RequestId requestId{};
        std::vector<uint8_t> sealed;
        vexa::crypto::OpenedRequest opened;
        vexa::crypto::Payload request;
        std::optional<HashDone> hashed;
        SimDevice before; // the device as it was when the request was judged, restored when the save fails
        Peer peer;
    };
    void carryOut(const std::shared_ptr<Job>& job);
    void finish(Job& job, Outcome outcome);
    // The hash the request needs: the one computed for it, or nullopt after noting the work to do.
    std::optional<bool> passwordMatches(const std::string& stored, const std::string& password);
    std::optional<std::string> newHash(const std::string& password);
    // The hash of a new administrator password, or the outcome that refuses it (or waits for the hash).
    std::optional<Outcome> adminHash(const std::optional<std::string>& password, std::string& hash);
    // Sends the Result to the peer and returns the datagram sent.
    std::vector<uint8_t> sendResult(const vexa::proto::RequestId& requestId, uint32_t device, const Outcome& outcome,
                                    const vexa::crypto::OpenedRequest* opened, const vexa::crypto::Payload* request,
                                    const Peer& peer, bool send = true);
    Outcome perform(uint32_t device, const vexa::crypto::Payload& request);
    Outcome activate(SimDevice& device, const vexa::crypto::Payload& request);
    Outcome setNetwork(SimDevice& device, const vexa::crypto::Payload& request);
    Outcome keyRequest(SimDevice& device, const vexa::crypto::Payload& request);
    Outcome resetPassword(SimDevice& device, const vexa::crypto::Payload& request);
    Outcome restoreDefault(SimDevice& device, const vexa::crypto::Payload& request);
    // Lock-out bookkeeping around every secret check.
    bool locked(const SimDevice& device, uint32_t* secondsLeft = nullptr) const;
    uint32_t failed(SimDevice& device);
    void succeeded(SimDevice& device);
    const vexa::crypto::KeyPair& keys(uint32_t device);

    SecureOptions secure_;
    std::unordered_map<std::string, uint32_t> byMac_;
    std::vector<vexa::crypto::KeyPair> keys_;
    std::vector<std::vector<Challenge>> challenges_;
    // Answers to requests that were carried out, per device and request id. A hit counts only for the very same
    // request (type and sealed bytes): anything else under a known id is judged afresh and never gets another
    // request's answer.
    struct CachedResult {
        vexa::proto::MsgType type;
        std::vector<uint8_t> sealed;
        std::vector<uint8_t> datagram;
        std::chrono::steady_clock::time_point at;
        std::chrono::steady_clock::time_point ready; // the answer leaves at this time (apply delay)
    };
    std::map<std::pair<uint32_t, vexa::proto::RequestId>, CachedResult> results_;
    const HashDone* hashed_ = nullptr;
    std::optional<HashWork> needed_;
    std::set<uint32_t> restoring_; // devices whose restore waits for its password hash: no activation meanwhile
    HashWorker hasher_;            // last: joined first, before anything its jobs post back to is gone
};

int64_t unixMillis();

} // namespace devsim
