#pragma once

// The device management service (and the few media calls clients make on login) of one simulated ONVIF
// device: one SOAP request in, one answer out, with the device's record changed as the request asks. No
// sockets here: the HTTP side passes the body and the outcome of its own Digest check.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DeviceClock.h"
#include "OnvifDevice.h"
#include "Soap.h"

namespace devsim::onvif {

// Behaviours of real devices that clients must cope with, chosen with --onvif-quirks.
struct Quirks {
    bool otherPrefixes = false;       // SOAP-ENV, ns1, ns2, ... instead of s, tds, tt
    bool soap11 = false;              // SOAP 1.1 envelopes whatever the request used
    bool severalXAddrs = false;       // an unreachable link-local and an IPv6 address before the loopback one
    bool faultApplied = false;        // a write answers a Receiver fault although it was applied
    bool noAnonymous = false;         // reads refused without credentials (only the clock and capabilities stay open)
    bool digestOnly = false;          // only HTTP Digest: a UsernameToken is ignored
    bool digestSha256 = false;        // the Digest challenge asks for SHA-256 (RFC 7616) instead of MD5
    bool noInterfaces = false;        // GetNetworkInterfaces answers an empty list
    bool partialInterfaces = false;   // the interface comes without its Info (no MAC address)
    bool onlyTransmitter = false;     // answers only probes that ask for dn:NetworkVideoTransmitter
    bool onlyDevice = false;          // answers only probes that ask for tds:Device
    bool localAsUtc = false;          // gives its local time (UTC+8) as UTC; tokens are checked against the real clock
    bool bom = false;                 // answers start with a UTF-8 byte order mark
    bool undeclared = false;          // the tds and tt prefixes are used without being declared
    bool plainContentType = false;    // Content-Type application/xml, without charset or action
    bool noAddressing = false;        // refuses requests that carry WS-Addressing headers
    bool close = false;               // Connection: close on every answer, no keep-alive
    bool otherAuthCode = false;       // "not authorized" said as a Receiver fault with a code of its own
    bool internalUri = false;         // stream and snapshot addresses name an address behind a NAT
    bool noSnapshot = false;          // GetSnapshotUri answers ActionNotSupported
    bool media1Only = false;          // only the older media service (not in GetServices; its calls refused)
    bool bigSnapshot = false;         // the snapshot is a picture of more than 4 MiB
    std::vector<std::string> faultOn; // operations answered with ActionNotSupported (fault=Operation)
    ClockQuirks clock;                // no-timezone, keeps-password
};
// Comma list of: prefixes, soap11, xaddrs, fault-applied, no-anonymous, digest-only, digest-sha256,
// no-interfaces, partial-interfaces, only-transmitter, only-device, local-as-utc, bom, undeclared,
// plain-content-type, no-addressing, close, other-auth-code, internal-uri, no-snapshot, media1-only, big-snapshot,
// no-timezone, keeps-password, fault=Operation.
bool parseQuirks(const std::string& list, Quirks& out, std::string& error);

struct ServiceOptions {
    std::string user = "admin";
    std::string password;
    int64_t clockOffset = 0; // seconds the device's clock is ahead of the host's
    Quirks quirks;
    unsigned lockAfter = 5; // wrong sign-ins in a row that lock a device out
    int64_t lockMs = 60000; // for this long
};

// What the HTTP layer found in an Authorization: Digest header.
struct HttpAuth {
    bool present = false;
    bool valid = false;
    bool stale = false; // a right answer to an old nonce: no wrong password
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
    bool close = false;           // close the connection after this answer
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
    // The local-as-utc quirk's zone: its clock reads this many seconds ahead of its real UTC.
    static constexpr int64_t kLocalAsUtcOffset = 8 * 3600;

private:
    enum class Access { PreAuth, Read, Write };
    enum class Token { Absent, Valid, Invalid };
    Token checkToken(const pugi::xml_node& envelope, int64_t deviceNow, const std::string& password);

    ServiceOptions options_;
    SignInLocks locks_;
};

// The device's XAddrs as announced (space separated).
std::string deviceXAddrs(const OnvifDevice& device, const Quirks& quirks);
std::string serviceUrl(const OnvifDevice& device, const char* path);

} // namespace devsim::onvif
