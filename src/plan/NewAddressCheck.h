#pragma once

#include <string>

namespace VexaTool {

// Before a device is sent a new IPv4 address, the address itself is asked whether anything answers there (the
// library's address check): a list of the devices heard misses hosts that are not cameras and devices kept
// silent. Runs on the worker thread of the device call, never on the GUI thread.
class NewAddressCheck {
public:
    // The setting "Check that new addresses are free" (Setup.xml AddressCheck, on unless 0). GUI thread.
    static bool enabled();
    // What answers at newAddress, in English; empty when it may be sent: nothing answered, or it is the device's
    // current address. Blocks for up to the check's time-out. A library that is not started cannot ask and
    // cannot send either: the call that follows says why.
    static std::string whoAnswers(const std::string& newAddress, const std::string& currentAddress);
};

} // namespace VexaTool
