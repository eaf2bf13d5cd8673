#pragma once

// --range and its companions: every command that discovers devices also scans the ranges given, for devices
// behind a router that multicast discovery does not reach.

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct RangeRequest {
    std::string ranges; // empty: no scan
    uint32_t rate = 0;  // 0: the library's default
    bool why = false;
    bool allowPublic = false;
    bool httpFallback = false;
};

// Takes --range, --rate, --why, --allow-public and --http-fallback out of args. False, said on standard error, for
// a malformed value or a companion without --range.
bool takeRangeOptions(std::vector<std::string>& args, RangeRequest& out);

// Words for a VEXA_SCAN_* reason.
const char* scanReasonText(uint32_t reason);

} // namespace cli
