#pragma once

// The clock, time zone, NTP setting and account of one simulated ONVIF device: the operations that read and set
// them, the device's own password and lock-out, and their fields in the state file.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "OnvifDevice.h"
#include "Soap.h"

namespace devsim::onvif {

struct ClockFault {
    bool sender = true;
    std::string subcode, subsubcode, reason;
};

struct ClockQuirks {
    bool refuseTimeZone = false; // SetSystemDateAndTime with a TimeZone is refused (InvalidTimeZone)
    bool keepPassword = false;   // SetUser answers OK and keeps the old password
};

// The device's clock in seconds: the host's plus its offset (its own once set, else the fleet's).
int64_t deviceClock(const OnvifDevice& device, int64_t hostNow, int64_t fleetOffset);
const std::string& devicePassword(const OnvifDevice& device, const std::string& fleetPassword);

// Answers GetSystemDateAndTime, SetSystemDateAndTime, GetNTP, SetNTP, GetUsers and SetUser into body. False when
// name is none of them; fault set when the request is refused; changed when the record changed. localAsUtc: the
// clock's local time (UTC+8) is given in the UTC fields.
bool handleClockOrUser(OnvifDevice& device, const std::string& name, const pugi::xml_node& op, const Prefixes& px,
                       pugi::xml_node body, int64_t hostNow, int64_t fleetOffset, const std::string& user,
                       const ClockQuirks& quirks, bool localAsUtc, std::optional<ClockFault>& fault, bool& changed);

// Wrong sign-ins in a row lock a device out for a while, as real ones do: from then on every request that carries
// credentials is refused until the time is up, the right password too.
class SignInLocks {
public:
    SignInLocks(unsigned limit, int64_t lockMs)
        : limit_(limit)
        , lockMs_(lockMs) {}
    bool locked(const std::string& endpoint, int64_t nowMs) const;
    void wrong(const std::string& endpoint, int64_t nowMs);
    void right(const std::string& endpoint) { state_.erase(endpoint); }

private:
    struct State {
        unsigned wrong = 0;
        int64_t until = 0;
    };
    unsigned limit_;
    int64_t lockMs_;
    std::map<std::string, State> state_;
};

// The fields of the state file line ("\tclockOffset=..." and so on, empty when all are defaults), and reading
// them back; false when one is malformed.
std::string formatClockFields(const OnvifDevice& device);
bool parseClockFields(const std::map<std::string, std::string>& fields, OnvifDevice& device);

} // namespace devsim::onvif
