#pragma once

#include <cstdint>

namespace devsim {

// The fleets' mixer: a seed gives the same devices on every platform and standard library, which the standard
// distributions do not promise.
inline uint64_t splitmix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace devsim
