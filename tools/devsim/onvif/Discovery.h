#pragma once

// WS-Discovery (2005/04) messages of a simulated ONVIF device: reading a Probe, deciding whether it matches,
// and writing ProbeMatches, Hello and Bye.

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceService.h"
#include "OnvifDevice.h"

namespace devsim::onvif {

struct Probe {
    std::string messageId;
    // (namespace URI, local name) of every type asked for; an unresolvable prefix leaves the URI empty.
    std::vector<std::pair<std::string, std::string>> types;
    std::vector<std::string> scopes;
    std::string matchBy;
};

// False when the datagram is not a well-formed Probe (Hello, Bye and ProbeMatches of others included).
bool parseProbe(const char* data, size_t size, Probe& out);
// A device is a tds:Device and a dn:NetworkVideoTransmitter; every type and scope asked for must match.
bool probeMatches(const Probe& probe, const OnvifDevice& device);
// Devices that answer only probes naming one type (only-transmitter, only-device quirks).
bool probeTypesAnswered(const Probe& probe, const Quirks& quirks);

// Sequence of the device's messages: InstanceId fixed for the process, MessageNumber rising.
struct AppSequence {
    uint32_t instanceId = 1;
    uint32_t messageNumber = 0;
};

std::string probeMatchMessage(const OnvifDevice& device, const Quirks& quirks, const std::string& messageId,
                              const std::string& relatesTo, AppSequence& sequence);
std::string helloMessage(const OnvifDevice& device, const Quirks& quirks, const std::string& messageId,
                         AppSequence& sequence);
std::string byeMessage(const OnvifDevice& device, const Quirks& quirks, const std::string& messageId,
                       AppSequence& sequence);

} // namespace devsim::onvif
