#pragma once

// Everything a device announces about itself; shared by the library (which reports it) and the simulator
// (which plays it).

#include <cstdint>
#include <string>
#include <vector>

#include "Codec.h"

namespace vexa::proto {

struct DeviceRecord {
    std::string serialNo;
    std::string mac;
    std::string ipv4Address;
    std::string ipv4SubnetMask;
    std::string ipv4Gateway;
    uint32_t deviceTypeCode = 0;
    uint32_t port = 0;
    uint32_t channelCount = 0;
    uint32_t auxCount = 0;
    std::string softwareVersion;
    std::string dspVersion;
    std::string bootTime;
    std::string deviceTypeName;
    std::string oemInfo;
    std::string ipv6Address;
    std::string ipv6Gateway;
    uint8_t ipv6PrefixLength = 0;
    uint8_t supportFlags = 0;
    uint8_t dhcpEnabled = 0;
    uint8_t capabilityLevel = 0;
    uint16_t httpPort = 0;
    uint8_t deviceClass = 1;
    uint8_t oemCode = 0;
    uint8_t activationState = 0;
    uint8_t resetFlags = 0;
    std::string deviceName;
    std::string serviceTag;
    uint16_t rtspPort = 0;
    std::vector<uint8_t> publicKey;
    std::vector<uint8_t> certificate;
    // Not shown to the user: orders a device's signed announcements, so an old one played again is stale.
    uint32_t version = 0;

    bool operator==(const DeviceRecord& other) const;
    bool operator!=(const DeviceRecord& other) const { return !(*this == other); }
    // Every field a user sees (the version aside).
    bool sameFields(const DeviceRecord& other) const;
};

// Serial number and MAC identify a device.
std::string deviceKey(const std::string& serialNo, const std::string& mac);

void writeDeviceRecord(TlvWriter& writer, const DeviceRecord& record);

// Needs at least the serial number and the MAC; every other field keeps its default when absent.
DecodeError readDeviceRecord(const Frame& frame, DeviceRecord& out);

std::vector<uint8_t> encodeAnnounce(const DeviceRecord& record, const RequestId& id);

} // namespace vexa::proto
