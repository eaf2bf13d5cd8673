#pragma once

// Small helpers of the tests that watch and attack the link.

#include <cstring>
#include <string>
#include <vector>

#include "proto/Codec.h"
#include "vexa.h"

namespace {

constexpr const char* kInitialPassword = "Install-2024";

inline std::string field(const char* text, size_t width) {
    return std::string(text, strnlen(text, width));
}

inline bool decode(const std::vector<uint8_t>& d, vexa::proto::Frame& f) {
    return vexa::proto::decodeFrame(d.data(), d.size(), f) == vexa::proto::DecodeError::None;
}

inline VEXA_STATISTICS statistics() {
    VEXA_STATISTICS s{};
    VEXA_GetStatistics(&s);
    return s;
}

} // namespace
