#pragma once

// Asks every address of some ranges, one by one, whether a device is there: our inquiry sent to its port and a
// WS-Discovery probe per type sent to its port 3702, so that devices behind a router, which multicast never
// reaches, are found too. An answer counts only when it comes from the address asked and names one of the ids
// asked there; what it finds goes to the engine and the ONVIF side as if heard by discovery, so details, sign-in
// and changes work unchanged. Memory follows what is in flight, not the size of the ranges.
//
// Threads: run() blocks its caller and reports on it (and on the HTTP workers, one at a time); stop() from any
// thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ScanRange.h"
#include "onvif/WsDiscovery.h"

namespace vexa {

struct ScanConfig {
    uint16_t inquiryPort = 42086;
    uint16_t wsdPort = 3702;
    uint32_t bindAddress = 0; // host order; 0: any
    // Tries per second: an address that answers costs one, a silent one one more per retry. A /16 in about 5.5
    // minutes with the default retry.
    unsigned rate = 400;
    // An address stays in flight for a try's wait at least, so this bounds the rate too: rate x answerWait x tries.
    unsigned maxInFlight = 1024;
    std::chrono::milliseconds answerWait{1000}; // per try; our devices answer within half a second
    unsigned retries = 1;                       // further tries of what did not answer
    std::chrono::milliseconds timeCap{30 * 60 * 1000};
    bool videoOnly = false;
    // GetSystemDateAndTime over HTTP on these ports, for addresses that answered no probe.
    bool httpFallback = false;
    std::vector<uint16_t> httpPorts{80, 8080, 8000};
    std::chrono::milliseconds httpTimeout{1500};
};

enum class ScanReason : uint8_t {
    Found = 0,
    NoAnswer = 1,
    PortClosed = 2,   // an ICMP port unreachable, or a refused connection, and nothing else
    NotCamera = 3,    // something answered, but no device of ours and no ONVIF device
    RefusedLogin = 4, // an HTTP service asked for a login before it would tell its clock
};

constexpr uint8_t kScanFoundOurs = 0x01;
constexpr uint8_t kScanFoundOnvif = 0x02;

struct ScanOutcome {
    uint32_t address = 0;
    ScanReason reason = ScanReason::NoAnswer;
    uint8_t protocols = 0; // kScanFound* bits
};

struct ScanCounters {
    uint64_t datagramsSent = 0;
    uint64_t answers = 0;
    uint64_t refused = 0; // datagrams that answered nothing we asked, or came from another address
    size_t mostInFlight = 0;
};

class Scanner {
public:
    // An answer to our inquiry, the datagram as it came.
    using OursFound = std::function<void(std::vector<uint8_t> datagram)>;
    // One endpoint of a ProbeMatch (or of an HTTP answer), and the address it came from.
    using OnvifFound = std::function<void(onvif::EndpointInfo info, uint32_t address)>;
    // Every address once, when it is settled, with how many are settled of how many.
    using Progress = std::function<void(const ScanOutcome& outcome, uint64_t done, uint64_t total)>;

    Scanner(ScanConfig config, OursFound ours, OnvifFound onvif);

    // False with error when no socket could be opened. A stop or the time cap ends it early: the addresses not
    // settled by then are not reported.
    bool run(const std::vector<AddressSpan>& spans, const Progress& progress, std::string& error);
    void stop() { stop_ = true; }
    bool stopped() const { return stop_; }
    bool timedOut() const { return timedOut_; }
    const ScanCounters& counters() const { return counters_; }

private:
    ScanConfig config_;
    OursFound ours_;
    OnvifFound onvif_;
    std::atomic<bool> stop_{false};
    bool timedOut_ = false;
    ScanCounters counters_;
};

} // namespace vexa
