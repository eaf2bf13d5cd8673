#pragma once

// A device's clock and its NTP setting: the messages that read and set them, and the read-back that judges a
// change. The service's clock and password operations (ClockOperations.cpp) are built on these.

#include <chrono>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace vexa::onvif {

struct ClockState {
    bool offsetRead = false;
    std::chrono::seconds offset{0}; // its UTC minus ours
    bool ntp = false;               // DateTimeType NTP
    bool daylightSavings = false;
    std::string timeZone;
    bool ntpRead = false; // GetNTP answered
    bool ntpFromDhcp = false;
    std::vector<std::string> ntpServers;
};

struct TimeRequest {
    std::vector<std::string> ntpServers; // empty: set by hand to our UTC
    std::string timeZone;                // empty: kept
};

// GetSystemDateAndTimeResponse; ours is the time the answer arrived. False when it carries no valid UTC time.
bool readClock(const pugi::xml_node& response, std::chrono::system_clock::time_point ours, ClockState& out);
// GetNTPResponse.
bool readNtp(const pugi::xml_node& response, ClockState& out);

// SetSystemDateAndTime: by hand with utc, or NTP (utc unused); the zone only when not empty.
void fillSetDateTime(pugi::xml_node request, bool ntp, bool daylightSavings, const std::string& timeZone,
                     std::chrono::system_clock::time_point utc);
// SetNTP with the servers given by hand (addresses as IPv4Address, names as DNSname).
void fillSetNtp(pugi::xml_node request, const std::vector<std::string>& servers);

// "a.example,10.0.0.1" into its servers; false for an empty entry, more than four, or a character that is no part
// of a host name or address.
bool parseNtpServers(const std::string& list, std::vector<std::string>& out);
// A POSIX time zone text: printable ASCII without spaces, at most 63 bytes.
bool validTimeZone(const std::string& zone);

// Whether what was read back is what was asked: the offset within tolerance when set by hand, the NTP mode and
// servers as sent, and the zone when one was sent and not refused.
bool timeApplied(const TimeRequest& asked, bool zoneSent, const ClockState& after, std::chrono::seconds tolerance);

} // namespace vexa::onvif
