#pragma once

// The simulated devices: their announced records and their device-side state, generated from a seed or read
// from a device list file, written back as the same line format (the dump and the state file).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "proto/DeviceRecord.h"

namespace devsim {

struct SimDevice {
    vexa::proto::DeviceRecord record;
    // Device-side secrets and counters, kept as text so that the state file carries them unchanged.
    std::map<std::string, std::string> state;
    std::vector<uint8_t> announceCache; // encoded announcement; empty when the record changed
};

// count devices from seed with a realistic mix: activation states, capability levels 0 to 2, IPv6 and DHCP
// bits, QR and IPC reset flags, type codes inside and outside 0x9D00-0x9FFF, some HTTP ports 0, a few other
// OEM texts or codes and a few devices of another class. Device 0 is always a plain video device of the
// program's OEM, so tests with a single device know what they get.
std::vector<SimDevice> generateFleet(uint32_t count, uint64_t seed);

// One device per line, fields as key=value separated by tabs; lines starting with '#' are comments.
std::string formatFleet(const std::vector<SimDevice>& fleet, bool withState);
bool parseFleet(const std::string& text, std::vector<SimDevice>& out, std::string& error);

bool readFile(const std::string& path, std::string& out);
// Write to a temporary file beside the target, fsync, rename over it, fsync the folder: a reader (or a
// restart after a crash) sees the old file or the new one, never a mix.
bool writeFileAtomically(const std::string& path, const std::string& content);

} // namespace devsim
