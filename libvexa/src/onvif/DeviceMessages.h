#pragma once

// The device management messages: requests as SOAP 1.2 envelopes, answers of either SOAP version read by local
// names, faults turned into library codes.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace vexa::onvif {

// What a device told us about itself.
struct DeviceDetails {
    std::string manufacturer, model, firmware, serial, hardwareId;
    std::string interfaceToken;
    std::string mac; // as the device wrote it
    bool dhcp = false;
    std::string ipv4;
    int prefixLength = 0;
    std::string ipv6;
    int ipv6PrefixLength = 0;
    std::string gateway;
    std::string ipv6Gateway;
    uint16_t httpPort = 0, httpsPort = 0, rtspPort = 0; // 0: not offered or not enabled
    std::vector<std::string> configurableScopes;
    std::vector<std::string> fixedScopes;
    std::string name, location, hardware; // from the scopes
    uint8_t missing = 0;                  // VEXA_READ_* of the reads that failed
    std::string note;                     // why, one line in the device's words; empty when all were read
};

struct Fault {
    std::string code;                  // local name: Sender, Receiver (Client, Server in SOAP 1.1), ...
    std::vector<std::string> subcodes; // local names, outermost first: NotAuthorized, InvalidArgVal, ...
    std::string reason;
};

// A parsed answer. The response is the first element of the body.
struct Answer {
    std::unique_ptr<pugi::xml_document> doc = std::make_unique<pugi::xml_document>();
    pugi::xml_node response;
    std::optional<Fault> fault;
};

// False when the bytes are not a SOAP envelope with a body.
bool parseAnswer(const char* data, size_t size, Answer& out);

bool isNotAuthorized(const Fault& fault);
// The library code for a fault: wrong password, refused value or device failure.
uint32_t faultToCode(const Fault& fault);

struct Token {
    std::string user;
    std::string password;
    std::chrono::system_clock::time_point deviceNow;
};

// operation is the local name, e.g. "GetScopes"; fill adds the request's children (prefix tds: or tt:).
std::string buildRequest(const char* operation, const std::function<void(pugi::xml_node)>& fill, const Token* token);
std::string soapAction(const char* operation);

// Readers of the answers; false when the answer is not the expected response.
bool readSystemDateAndTime(const pugi::xml_node& response, std::chrono::system_clock::time_point& deviceUtc);

// Our time when a device most likely read its clock for a request sent at `sent` and answered now: halfway between,
// so that the wait for the answer does not count as the device's clock being behind.
inline std::chrono::system_clock::time_point midway(std::chrono::system_clock::time_point sent) {
    return sent + (std::chrono::system_clock::now() - sent) / 2;
}
bool readDeviceInformation(const pugi::xml_node& response, DeviceDetails& out);
// Prefers the interface whose IPv4 address is preferredAddress (the one we reach it at). An answer without an
// interface, or with one that lacks fields, is read as far as it goes; interfaceGap says what it lacked.
bool readNetworkInterfaces(const pugi::xml_node& response, const std::string& preferredAddress, DeviceDetails& out);
std::string interfaceGap(const DeviceDetails& read);
bool readDefaultGateway(const pugi::xml_node& response, DeviceDetails& out);
bool readNetworkProtocols(const pugi::xml_node& response, DeviceDetails& out);
bool readScopes(const pugi::xml_node& response, DeviceDetails& out);
bool readRebootNeeded(const pugi::xml_node& response);

// Request bodies of the changes.
void fillSetInterface(pugi::xml_node request, const std::string& token, bool dhcp, const std::string& address,
                      int prefixLength);
void fillSetGateway(pugi::xml_node request, const std::string& gateway);
void fillSetProtocols(pugi::xml_node request, const DeviceDetails& current, uint16_t httpPort, uint16_t rtspPort);
// The configurable scopes with the name replaced (added when there was none).
std::vector<std::string> scopesWithName(const std::vector<std::string>& configurable, const std::string& name);
void fillSetScopes(pugi::xml_node request, const std::vector<std::string>& scopes);

// Dotted mask for a prefix length and back; -1 for a mask that is not contiguous.
std::string prefixToMask(int prefixLength);
int maskToPrefix(const std::string& mask);

} // namespace vexa::onvif
