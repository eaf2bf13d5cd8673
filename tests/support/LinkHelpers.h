#pragma once

// What the tests that watch and attack the link share: bounded texts, frames, request ids, counters.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "proto/Codec.h"
#include "vexa.h"

namespace {

constexpr const char* kInitialPassword = "Install-2024"; // the simulator's generated activated devices

inline std::string field(const char* text, size_t width) {
    return std::string(text, strnlen(text, width));
}

inline bool decode(const std::vector<uint8_t>& d, vexa::proto::Frame& f) {
    return vexa::proto::decodeFrame(d.data(), d.size(), f) == vexa::proto::DecodeError::None;
}

// The request id of a datagram as it lies in the header, whether or not the rest decodes.
inline vexa::proto::RequestId idOf(const std::vector<uint8_t>& d) {
    vexa::proto::RequestId id{};
    std::copy(d.begin() + 8, d.begin() + 24, id.begin());
    return id;
}

inline VEXA_STATISTICS statistics() {
    VEXA_STATISTICS s{};
    VEXA_GetStatistics(&s);
    return s;
}

} // namespace
