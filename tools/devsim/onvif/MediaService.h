#pragma once

// The media service of a simulated ONVIF device, in both versions: two profiles, their stream and snapshot
// addresses, and the picture behind the snapshot address, made from the device's identity so that every device
// shows another one.

#include <optional>
#include <pugixml.hpp>
#include <string>

#include "DeviceService.h"
#include "OnvifDevice.h"
#include "Soap.h"

namespace devsim::onvif {

struct MediaFault {
    bool sender;
    std::string subcode;
    std::string subsubcode;
    std::string reason;
};

// Operations answered by answerMedia (by local name; the namespace tells the version).
bool isMediaOperation(const std::string& name);
// Adds the answer to op to the reply's body, or returns the fault to answer with.
std::optional<MediaFault> answerMedia(const OnvifDevice& device, const pugi::xml_node& op, Envelope& reply,
                                      const Quirks& quirks);

// Where the snapshots are served (GET, HTTP Digest).
inline constexpr const char* kSnapshotPath = "/onvif/snapshot";

// A small baseline JPEG of the device: colours and bars from its serial number and address. Empty on failure.
std::string makeSnapshot(const OnvifDevice& device);

} // namespace devsim::onvif
