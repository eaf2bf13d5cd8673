// Argon2id password hashes.
#include <cstring>
#include <sodium.h>

#include "internal.h"

namespace vexa::crypto {

namespace {
constexpr std::string_view kArgon2idPrefix = "$argon2id$";
}

std::optional<std::string> hashPassword(std::string_view password, PasswordCost cost) {
    detail::ensureInit();
    if (password.empty() || password.size() > kMaxPasswordLength)
        return std::nullopt;
    if (cost.opsLimit < crypto_pwhash_argon2id_OPSLIMIT_MIN || cost.opsLimit > crypto_pwhash_argon2id_OPSLIMIT_MAX ||
        cost.memLimit < crypto_pwhash_argon2id_MEMLIMIT_MIN || cost.memLimit > crypto_pwhash_argon2id_MEMLIMIT_MAX)
        return std::nullopt;
    char out[crypto_pwhash_STRBYTES] = {};
    if (crypto_pwhash_str_alg(out, password.data(), password.size(), cost.opsLimit, cost.memLimit,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    return std::string(out, strnlen(out, sizeof out));
}

bool verifyPassword(std::string_view hash, std::string_view password) {
    detail::ensureInit();
    if (password.empty() || password.size() > kMaxPasswordLength || hash.size() >= crypto_pwhash_STRBYTES ||
        hash.substr(0, kArgon2idPrefix.size()) != kArgon2idPrefix)
        return false;
    // libsodium wants a terminated string; a hash with an embedded NUL would be cut short, so refuse it.
    if (hash.find('\0') != std::string_view::npos)
        return false;
    char terminated[crypto_pwhash_STRBYTES] = {};
    std::memcpy(terminated, hash.data(), hash.size());
    return crypto_pwhash_str_verify(terminated, password.data(), password.size()) == 0;
}

} // namespace vexa::crypto
