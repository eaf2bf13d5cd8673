// Initialisation, wiping, constant-time comparison and random numbers.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sodium.h>

#include "internal.h"

namespace vexa::crypto {

namespace detail {

void ensureInit() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (sodium_init() < 0) {
            // Without a working random source every key we made would be predictable: stop here.
            std::fputs("vexa_crypto: libsodium could not be initialised\n", stderr);
            std::abort();
        }
    });
}

std::optional<std::string> stripGrouping(std::string_view text, std::size_t maxLength) {
    if (text.size() > maxLength)
        return std::nullopt;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '\t' || c == '\r' || c == '\n')
            continue;
        out.push_back(c);
    }
    return out;
}

} // namespace detail

KeyPair::~KeyPair() {
    wipe(seed.data(), seed.size());
}
EphemeralKeyPair::~EphemeralKeyPair() {
    wipe(secretKey.data(), secretKey.size());
}
MasterSecret::~MasterSecret() {
    wipe(bytes.data(), bytes.size());
}

void init() {
    detail::ensureInit();
}

void wipe(void* data, std::size_t size) {
    if (data != nullptr && size > 0)
        sodium_memzero(data, size);
}

void wipe(std::string& text) {
    // Wipe the whole capacity: a shorter string may still hold an older, longer secret.
    text.resize(text.capacity());
    wipe(text.data(), text.size());
    text.clear();
}

bool equalConstantTime(ByteView a, ByteView b) {
    detail::ensureInit();
    if (a.size != b.size)
        return false;
    if (a.size == 0)
        return true;
    return sodium_memcmp(a.data, b.data, a.size) == 0;
}

void randomBytes(std::uint8_t* out, std::size_t size) {
    detail::ensureInit();
    if (out != nullptr && size > 0)
        randombytes_buf(out, size);
}

RequestId newRequestId() {
    RequestId id;
    randomBytes(id.data(), id.size());
    return id;
}

Challenge newChallenge() {
    Challenge c;
    randomBytes(c.data(), c.size());
    return c;
}

ResetNonce newResetNonce() {
    ResetNonce n;
    randomBytes(n.data(), n.size());
    return n;
}

std::uint32_t randomUniform(std::uint32_t upperBound) {
    detail::ensureInit();
    return upperBound == 0 ? 0 : randombytes_uniform(upperBound);
}

} // namespace vexa::crypto
