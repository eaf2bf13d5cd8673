#pragma once

// The device management service (and the few media calls clients make on login) of one simulated ONVIF
// device: one SOAP request in, one answer out, with the device's record changed as the request asks. No
// sockets here: the HTTP side passes the body and the outcome of its own Digest check.

#include <cstdint>
#include <functional>
#include <string>

#include "OnvifDevice.h"
#include "Soap.h"

namespace devsim::onvif {

// Behaviours of real devices that clients must cope with, chosen with --onvif-quirks.
struct Quirks {
    bool otherPrefixes = false; // SOAP-ENV, ns1, ns2, ... instead of s, tds, tt
    bool soap11 = false;        // SOAP 1.1 envelopes whatever the request used
    bool severalXAddrs = false; // an unreachable link-local and an IPv6 address before the loopback one
    bool faultApplied = false;  // a write answers a Receiver fault although it was applied
    bool noAnonymous = false;   // reads refused without credentials (only the clock and capabilities stay open)
    bool digestOnly = false;    // only HTTP Digest: a UsernameToken is ignored
};
// Comma list of: prefixes, soap11, xaddrs, fault-applied, no-anonymous, digest-only.
bool parseQuirks(const std::string& list, Quirks& out, std::string& error);

struct ServiceOptions {
    std::string user = "admin";
    std::string password;
    int64_t clockOffset = 0; // seconds the device's clock is ahead of the host's
    Quirks quirks;
};

// What the HTTP layer found in an Authorization: Digest header.
struct HttpAuth {
    bool present = false;
    bool valid = false;
};

struct Outcome {
    int status = 200;
    std::string contentType;
    std::string body;
    bool challenge = false;       // answer 401 with a Digest challenge
    bool changed = false;         // the record changed: save the state
    bool metadataChanged = false; // discovery metadata changed: a new MetadataVersion and a Hello
    bool reboot = false;          // SystemReboot: go silent for the reboot delay, then boot what is configured
    bool restart = false;         // HTTP port changed: serve on the new one from now on
};

class DeviceService {
public:
    explicit DeviceService(ServiceOptions options);

    // now: the host's clock in seconds; the device's clock is that plus the clock offset. addressTaken tells
    // whether another simulated device already uses an address.
    Outcome handle(OnvifDevice& device, const std::string& request, const HttpAuth& http, int64_t now,
                   const std::function<bool(uint32_t)>& addressTaken);

    const ServiceOptions& options() const { return options_; }
    // A UsernameToken is accepted when its Created lies this close to the device's clock.
    static constexpr int64_t kCreatedWindow = 300;

private:
    enum class Access { PreAuth, Read, Write };
    enum class Token { Absent, Valid, Invalid };
    Token checkToken(const pugi::xml_node& envelope, int64_t deviceNow);

    ServiceOptions options_;
};

// The device's XAddrs as announced (space separated).
std::string deviceXAddrs(const OnvifDevice& device, const Quirks& quirks);
std::string serviceUrl(const OnvifDevice& device, const char* path);

} // namespace devsim::onvif
