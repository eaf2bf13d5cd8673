#pragma once

// WS-Discovery messages of the ONVIF devices: the Probe we send, the ProbeMatches, Hello and Bye we read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa::onvif {

// The two types we probe for, each in a probe of its own (a probe's types must all match).
constexpr const char* kTypeDevice = "tds:Device";
constexpr const char* kTypeTransmitter = "dn:NetworkVideoTransmitter";

// Longest endpoint reference accepted from the network: the record holds 63 bytes and a terminator, and a longer
// one cut to fit would name another device.
constexpr size_t kMaxEndpointLength = 63;

// What a stranger can make us keep per device: types, scopes and XAddrs together, in bytes.
constexpr size_t kMaxKeptPerDevice = 4096;

struct EndpointInfo {
    std::string endpoint; // EndpointReference/Address: the identity
    std::vector<std::string> types;
    std::vector<std::string> scopes;
    std::vector<std::string> xaddrs;
    uint32_t metadataVersion = 0;
};

// Drops the types, scopes and XAddrs past the device's share (in that order of priority: XAddrs first kept, then
// types, then scopes, each in the order sent). Returns how many were dropped.
size_t keepShare(EndpointInfo& info, size_t share = kMaxKeptPerDevice);

enum class DiscoveryKind { ProbeMatches, Hello, Bye };

struct DiscoveryMessage {
    DiscoveryKind kind = DiscoveryKind::Hello;
    std::string relatesTo; // ProbeMatches: the MessageID of the probe answered
    std::vector<EndpointInfo> endpoints;
};

// A Probe for one type, as a SOAP 1.2 envelope.
std::string buildProbe(const std::string& messageId, const char* type);

// nullopt for anything that is not a well-formed ProbeMatches, Hello or Bye (probes of other clients included).
std::optional<DiscoveryMessage> parseDiscovery(const char* data, size_t size);

// What the scopes say about the device, percent-decoded.
struct ScopeFacts {
    std::string name;
    std::string location;
    std::string hardware;
};
ScopeFacts readScopes(const std::vector<std::string>& scopes);

std::string percentDecode(const std::string& text);
// Encodes everything but unreserved characters, so that a name is one path segment of one scope.
std::string percentEncode(const std::string& text);

// An IPv4 network the host is on.
struct Subnet {
    uint32_t address = 0; // host order
    uint32_t mask = 0;
};

// The parts of an http(s) URL that choosing and rewriting need.
struct Url {
    std::string scheme; // "http" or "https"
    std::string host;
    uint16_t port = 0; // explicit or the scheme's
    std::string path;  // with query, "/" when none
    bool ipv4 = false;
    uint32_t address = 0; // host order, when ipv4
};
std::optional<Url> parseUrl(const std::string& text);
std::string formatUrl(const Url& url);

// The XAddr to use: one on a network the host is on (any IPv4 one when none is), https before http. Empty when
// none is an http(s) URL.
std::string chooseXAddr(const std::vector<std::string>& xaddrs, const std::vector<Subnet>& subnets);

// A random urn:uuid (version 4).
std::string newMessageId();

} // namespace vexa::onvif
