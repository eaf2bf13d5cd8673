#pragma once
// Helpers shared by the sources of vexa_crypto; not part of the public interface.

#include <cstdint>
#include <string_view>

#include "vexa_crypto.h"

namespace vexa::crypto::detail {

// Initialises libsodium once; aborts when the system has no random source.
void ensureInit();

inline void appendU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

inline void appendU64(Bytes& out, std::uint64_t v) {
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

inline void appendBytes(Bytes& out, ByteView bytes) {
    if (bytes.size > 0)
        out.insert(out.end(), bytes.data, bytes.data + bytes.size);
}

inline void appendText(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

// Length-prefixed (u16 BE) field, so that no two different tuples encode to the same bytes.
inline void appendField(Bytes& out, ByteView bytes) {
    appendU16(out, static_cast<std::uint16_t>(bytes.size));
    appendBytes(out, bytes);
}

inline void appendField(Bytes& out, std::string_view text) {
    appendU16(out, static_cast<std::uint16_t>(text.size()));
    appendText(out, text);
}

// Drops spaces and '-' that people put between groups of a typed code; nullopt when over maxLength first.
std::optional<std::string> stripGrouping(std::string_view text, std::size_t maxLength);

} // namespace vexa::crypto::detail
