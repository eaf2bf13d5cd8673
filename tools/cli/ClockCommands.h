#pragma once

// vexa set-time and vexa set-password: one operation on a batch of ONVIF devices, each device by a worker of its
// own (at most 64 at once), one result line per device in the order they were named.

#include <functional>
#include <string>
#include <vector>

#include "vexa.h"

namespace cli {

int setTime(const std::vector<std::string>& args);
int setPassword(const std::vector<std::string>& args);
const char* clockUsage();

// The devices named (or every ONVIF device heard, with --all), heard for seconds without a login, then given
// the login alone; run(device, line) does the work on a worker and says what to print after the device's name.
// Returns the exit status: 0 when every run returned true.
struct Batch {
    std::vector<std::string> names;
    bool all = false;
    double seconds = 3.0;
    std::string user, password;
};
int runBatch(const Batch& batch, const std::function<bool(const VEXA_DEVICE_INFO&, std::string&)>& run);

// The words of a failure for a result line: the sentence, the code and the device's own words when it sent some.
std::string failureLine(const char* what);

} // namespace cli
