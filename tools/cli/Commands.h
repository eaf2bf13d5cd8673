#pragma once

#include <string>
#include <vector>

#include "vexa.h"

namespace cli {

// Prints every device found within the given time, one line (or one JSON object) each, as it is found.
int discover(const std::vector<std::string>& args);

// One row per device and media profile (Inventory.cpp); a picture of an ONVIF device into a file (Snapshot.cpp).
int inventory(const std::vector<std::string>& args);
int snapshot(const std::vector<std::string>& args);

// The device operations; -1 for an unknown command.
int operation(const std::string& command, const std::vector<std::string>& args);
const char* operationsUsage();

// One JSON object with every field of the record; texts as JSON strings (bytes that are not UTF-8 replaced).
std::string deviceJson(const VEXA_DEVICE_INFO& info);

// A plain sentence for every library code.
const char* errorSentence(uint32_t code);

// Seconds to listen: a number from 0 to one day; anything else is refused on standard error with false.
bool parseSeconds(const std::string& text, double& out);

// Starts the library with the callback, warns about the trusted-key list and sets the ONVIF login (none for an
// empty user). On failure it says why on standard error, leaves the library stopped and returns false.
bool startDiscovery(VEXA_DEVICE_CALLBACK callback, void* context, const std::string& user, const std::string& password);

// Scans the ranges of --range, if any (RangeScan.cpp); false when the scan could not run.
bool runRangeScan();

// Lets the library's thread report devices for the given time.
void listenFor(double seconds);

// startDiscovery, listenFor, then the library stopped again; false when it did not start.
bool discoverFor(double seconds, VEXA_DEVICE_CALLBACK callback, void* context, const std::string& user,
                 const std::string& password);

// Warns on standard error when VEXA_TRUSTED_KEYS held entries that are not keys (and no key at all).
void warnAboutTrustedKeys();

// A secret from the environment variable, else the first line of standard input.
std::string readSecretFrom(const char* variable);

// ONVIF devices: the user and password for those that ask (--user NAME). Prints why on failure.
bool setOnvifLogin(const std::string& user, const std::string& password);

// Prints the device's own words about the last failure, when it sent some.
void printErrorDetail();

// One key per device: the endpoint reference of an ONVIF device, else serial number and MAC.
std::string deviceKey(const VEXA_DEVICE_INFO& info);
// What may be done with a device (the library's VEXA_CAN_* and other capability bits): ask this, not the protocol.
inline bool can(const VEXA_DEVICE_INFO& info, uint32_t capability) {
    return (VEXA_DeviceCapabilities(info.protocol) & capability) == capability;
}
// The protocol's name as the output shows it; decisions ask can() instead.
inline const char* protocolName(const VEXA_DEVICE_INFO& info) {
    return info.protocol == VEXA_PROTOCOL_ONVIF ? "onvif" : "vexa";
}
// An ONVIF device whose details were read, wholly or in part: it is known by its serial number and MAC.
inline bool detailsRead(const VEXA_DEVICE_INFO& info) {
    return info.detailsState == VEXA_DETAILS_READ || info.detailsState == VEXA_DETAILS_PARTIAL;
}
const char* detailsText(uint8_t state);
// What the library could not read of a partly read ONVIF device, and why; empty when it is not listed.
std::string detailsNote(const VEXA_DEVICE_INFO& info);

} // namespace cli
