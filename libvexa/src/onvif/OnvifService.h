#pragma once

// The ONVIF side of a started library: WS-Discovery on a thread of its own, a bounded pool of workers that read
// the details of every device heard, and the changes, made on the caller's thread. Events leave through the
// report function (the library posts them to its I/O thread, so the callback keeps running on one thread).

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CertificatePins.h"
#include "Clock.h"
#include "DeviceClient.h"
#include "DeviceMessages.h"
#include "MediaMessages.h"
#include "WsDiscovery.h"
#include "vexa.h"

namespace vexa::onvif {

struct ServiceConfig {
    uint16_t wsdPort = 3702;
    std::vector<asio::ip::address_v4> interfaces; // empty: every multicast-capable one
    // Workers reading details at once, each one connection to one device (docs/performance.md).
    unsigned workers = 64;
    // Reads of one host at once, and the time one device's details may take: a host that stalls or floods us
    // holds a few readers, never all of them.
    unsigned readersPerHost = 2;
    std::chrono::milliseconds readBudget{15000};
    std::chrono::milliseconds requestTimeout{3000};
    // How long a device may take to answer again after a restart or a new address.
    std::chrono::milliseconds rebootWait{120000};
    // Probe rounds: a probe every probeGap (jittered by a fifth), until quietSteps probes in a row brought no
    // device not yet heard in the round, or maxSteps. Devices answer within 500 ms of a probe.
    std::chrono::milliseconds probeGap{600};
    unsigned quietSteps = 2;
    unsigned maxSteps = 8;
    size_t maxDevices = 16384;
    std::string pinFile; // certificate pins; empty: for this run only
};

// VEXA_WSD_PORT, VEXA_IFACE, VEXA_ONVIF_WORKERS, VEXA_ONVIF_TIMEOUT_MS, VEXA_ONVIF_REBOOT_WAIT_MS,
// VEXA_ONVIF_BUDGET_MS, VEXA_ONVIF_PIN_FILE.
bool serviceConfigFromEnvironment(ServiceConfig& out, std::string& error);
// False when VEXA_ONVIF is "0".
bool onvifEnabledByEnvironment();

struct OnvifDevice {
    EndpointInfo discovery;
    Session session;
    DeviceDetails details;
    uint8_t state = VEXA_DETAILS_PENDING;
    uint64_t generation = 0; // a read begun under an older generation is dropped
    std::chrono::steady_clock::time_point lastHeard;
    uint64_t heardInRound = 0;
    std::string refusal;                      // the device's words when it last refused our login, else empty
    std::shared_ptr<const Credentials> login; // given for this device alone; null: the automatic one, if any
    std::string claimedUrl;                   // another address a message named, until it proves to be this device
    uint8_t flags = 0;                        // VEXA_ONVIF_*
    bool scanned = false;                     // a scan found it (VEXA_SOURCE_SCAN)
};

void fillOnvifInfo(const OnvifDevice& device, int eventType, VEXA_DEVICE_INFO& info);

enum class Match { None, One, Many };

class OnvifService {
public:
    using Report = std::function<void(const VEXA_DEVICE_INFO&)>;
    OnvifService(ServiceConfig config, Report report);
    ~OnvifService();
    OnvifService(const OnvifService&) = delete;
    OnvifService& operator=(const OnvifService&) = delete;

    bool start(std::string& error);
    void stop();

    void probeRound();
    // A device a scan found at that address (its ProbeMatch, matched by the scan): listed and read as if heard.
    void scanned(EndpointInfo info, const asio::ip::address& from) { heard(std::move(info), from, true); }
    void clear();
    // Every device, those heard later too (empty user: none).
    void setCredentials(const std::string& user, const std::string& password);
    // Exactly these devices (empty user: their own login dropped). False, changing nothing, when one is not listed.
    bool setCredentialsFor(const std::vector<std::string>& endpoints, const std::string& user,
                           const std::string& password);
    // The device's next certificate is pinned afresh; false when it is not listed.
    bool acceptCertificate(const std::string& endpoint);

    struct Counters {
        uint64_t refused = 0; // ProbeMatches answering no probe of ours
        uint64_t trimmed = 0; // types, scopes and XAddrs past a device's share
    };
    Counters counters() const;

    // A device by serial number (once read), MAC, IPv4 address or endpoint reference.
    Match find(const std::string& name, OnvifDevice* out = nullptr) const;

    // Sends what differs from what the device has, follows a restart to its new address and reads back. Returns
    // 0 or a VEXA_ERR_* code; detail gets the device's own words.
    uint32_t modify(const std::string& name, const std::string& password, const VEXA_NET_PARAM& params,
                    std::string& detail);

    // The media profiles of a device, with the addresses of their streams and snapshots (on the caller's thread).
    struct MediaRead {
        int version = 0;        // 2 or 1: the media service read
        std::string serviceUrl; // as used: at the host we reach the device at
        std::vector<MediaProfile> profiles;
        std::string note; // what could not be read and why, one line
        bool clockKnown = false;
        int64_t clockOffset = 0; // seconds, the device's clock minus ours
    };
    // Returns 0 or a VEXA_ERR_* code (with the device's words in detail) when not even the profiles were read.
    uint32_t readMedia(const std::string& name, MediaRead& out, std::string& detail);
    // The picture of a profile (the first that has one when token is empty), at most 4 MiB, fetched only from the
    // host we reach the device at, with its login by HTTP Digest.
    uint32_t snapshot(const std::string& name, const std::string& token, std::string& bytes, std::string& detail);
    // The clock, read without a login (the NTP servers with it, when it has one). 0 or a VEXA_ERR_* code.
    uint32_t readClock(const std::string& name, ClockState& out, std::string& detail);
    // Sets the time (and zone) with the device's login and reads it back; zoneRefused when it was set without the
    // zone the device refused.
    uint32_t setTime(const std::string& name, const TimeRequest& request, ClockState& before, ClockState& after,
                     bool& zoneRefused, std::string& detail);
    // The login's own password; done only when a sign-in with the new one succeeds.
    uint32_t setUserPassword(const std::string& name, const std::string& newPassword, std::string& detail);

    size_t deviceCount() const;
    // Why the device named by its endpoint reference last refused the login; false when it is not listed.
    bool refusal(const std::string& endpoint, std::string& out) const;
    // What the last read of the device could not read and why; false when it is not listed.
    bool detailsNote(const std::string& endpoint, std::string& out) const;

private:
    enum class Job { Read, CheckMove, CheckBye };

    void receive(asio::ip::udp::socket& socket, std::vector<char>& buffer, asio::ip::udp::endpoint& from);
    void handle(const char* data, size_t size, const asio::ip::address& from);
    void heard(EndpointInfo info, const asio::ip::address& from, bool byScan = false);
    void bye(const std::string& endpoint);
    void scheduleStep(uint64_t round, unsigned step, unsigned quiet);
    void sendProbes();
    void enqueueRead(const std::string& endpoint) { enqueue(endpoint, Job::Read); }
    void enqueue(const std::string& endpoint, Job job);
    // The device named and its login, for a media call: 0, or the code to fail with.
    uint32_t mediaTarget(const std::string& name, OnvifDevice& device, Credentials& login);
    uint32_t readMediaWith(DeviceClient& client, OnvifDevice& device, const Credentials& login, bool streams,
                           MediaRead& out, std::string& detail);
    // After a change of logins: reports the devices whose mark changed, reads again those that wait for a login.
    void reportAndRead(const std::vector<std::string>& marked, const std::vector<std::string>& again);
    void workerLoop();
    void readOne(DeviceClient& client, const std::string& endpoint);
    void checkMove(DeviceClient& client, const std::string& endpoint);
    void checkBye(DeviceClient& client, const std::string& endpoint);
    Credentials loginFor(const OnvifDevice& device) const; // under mutex_
    void report(const std::string& endpoint);
    // One signed-in operation per device at a time; refusals counted per device (ClockOperations.cpp).
    // Finds the device, waits until no other signed-in operation runs on it and marks it busy; false with the code
    // when it is not found or refused twice. release() ends the mark.
    bool prepare(const std::string& name, OnvifDevice& device, Credentials& login, uint32_t& code);
    void release(const std::string& endpoint);
    void noteSignIn(const std::string& endpoint, uint32_t code);
    bool waitUntilBack(DeviceClient& client, const std::string& endpoint, Session& session, const std::string& newUrl,
                       bool rebooting, std::chrono::steady_clock::time_point since);

    ServiceConfig config_;
    Report report_;
    std::vector<Subnet> subnets_;
    asio::io_context io_;
    asio::ip::udp::socket listen_;
    asio::ip::udp::socket probe_;
    asio::steady_timer probeTimer_;
    asio::ip::udp::endpoint group_;
    asio::ip::udp::endpoint listenFrom_, probeFrom_;
    std::vector<char> listenBuffer_, probeBuffer_;
    std::thread ioThread_;
    std::atomic<bool> stopping_{false};
    bool started_ = false;

    mutable std::mutex mutex_; // everything below
    std::map<std::string, OnvifDevice> devices_;
    // Jobs per host, and the hosts that have a job and a free reader, each once, taken in turn.
    struct HostJobs {
        std::deque<std::pair<std::string, Job>> jobs;
        unsigned active = 0;
    };
    std::map<std::string, HostJobs> hosts_;
    std::deque<std::string> ready_;
    std::set<std::pair<std::string, Job>> queued_;
    std::condition_variable queueChanged_;
    std::vector<std::thread> workers_; // started as reads queue up, at most config_.workers
    unsigned idle_ = 0;
    Credentials credentials_; // for every device (the automatic mode), when autoLogin_
    bool autoLogin_ = false;
    Counters counters_;
    std::unique_ptr<CertificatePins> pins_;
    std::deque<std::string> probeIds_; // MessageIDs of our recent probes
    uint64_t round_ = 0;
    uint64_t newInRound_ = 0;
    std::set<std::string> busy_; // devices with a signed-in operation under way
    std::condition_variable busyChanged_;
    std::map<std::string, unsigned> signInRefusals_; // refused sign-ins since its login was last given
};

} // namespace vexa::onvif
