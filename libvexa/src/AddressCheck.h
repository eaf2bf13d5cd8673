#pragma once

// Asks an IPv4 address whether anything is there before a device is sent it as its new address. A list of the
// devices heard only knows who answered discovery, and silence can be forged; the address itself is asked, with
// what works without privileges: our inquiry sent to it (the device answers to the group, heard through the
// engine's watch), a WS-Discovery probe, TCP connects to common ports, and an ICMP echo where the system lets
// unprivileged sockets ping. Anything that answers makes the address taken. A refused connection (TCP reset)
// proves a host too, but not on loopback, where the kernel refuses for every 127.x address.
//
// Threads: check() and checkAll() may be called from any thread; heard() from the engine's I/O thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vexa {

struct AddressAnswer {
    enum class Kind : uint8_t {
        Inquiry,     // a device of ours claimed the address (who: its serial number)
        WsDiscovery, // something answered the WS-Discovery probe (who: its endpoint reference, when it said)
        TcpAccepted, // a TCP port took the connection
        TcpRefused,  // a TCP port refused it: a host is there (never counted on loopback)
        Echo,        // it answered an ICMP echo
    };
    Kind kind = Kind::Inquiry;
    uint16_t port = 0;
    std::string who;

    bool operator==(const AddressAnswer& other) const {
        return kind == other.kind && port == other.port && who == other.who;
    }
};

struct AddressCheckConfig {
    uint16_t inquiryPort = 42086;
    uint16_t wsdPort = 3702;
    std::vector<uint16_t> tcpPorts{80, 443, 554, 8000};
    // How long an address may take to answer. Our devices wait up to half a second before they answer an
    // inquiry (so that a whole link does not answer at once), and one that answered anyone in the last quarter
    // second waits that out first: 750 ms, and room for a loaded machine.
    std::chrono::milliseconds timeout{1200};
    unsigned parallel = 64; // addresses asked at once (each takes about seven sockets)
    bool echo = true;       // ICMP echo, where net.ipv4.ping_group_range allows it
};

// VEXA_PORT and VEXA_WSD_PORT on top of the defaults.
AddressCheckConfig addressCheckConfigFromEnvironment();

class AddressCheck {
public:
    // Sends our inquiry to one address (the engine's); null: that step is left out.
    using Inquire = std::function<bool(const std::string& ipv4)>;
    AddressCheck(AddressCheckConfig config, Inquire inquire);

    // An announcement that claims ipv4, from the engine's watch.
    void heard(const std::string& ipv4, const std::string& serial);

    // What answered at one address; empty when nothing did (or the text is no IPv4 address: see valid()).
    std::vector<AddressAnswer> check(const std::string& ipv4);
    // Every address, at most config.parallel at once; progress(done, total) after each, from a worker thread.
    std::vector<std::vector<AddressAnswer>> checkAll(const std::vector<std::string>& addresses,
                                                     const std::function<void(size_t, size_t)>& progress = {});

    static bool valid(const std::string& ipv4);
    // What answered, in words, e.g. "TCP port 80 accepted a connection; device DS-1 answered our inquiry (UDP
    // port 42086)". Device texts are passed through as they came; whoever shows them escapes them.
    static std::string describe(const std::vector<AddressAnswer>& answers);

private:
    struct Watched {
        int checks = 0;
        bool heard = false;
        std::string serial;
    };
    void watch(const std::string& ipv4);
    bool takeHeard(const std::string& ipv4, std::string& serial);
    void unwatch(const std::string& ipv4);

    AddressCheckConfig config_;
    Inquire inquire_;
    std::mutex mutex_;
    std::unordered_map<std::string, Watched> watched_;
};

} // namespace vexa
