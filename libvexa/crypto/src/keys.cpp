// Ed25519 key pairs, signatures, trusted manufacturer keys and key files.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "internal.h"

namespace vexa::crypto {

namespace {

constexpr std::string_view kSecretKeyHeader = "VEXA-ED25519-SECRET-KEY-1";
constexpr std::string_view kMasterSecretHeader = "VEXA-MASTER-SECRET-1";
constexpr std::size_t kMaxKeyFileSize = 4096;
constexpr std::size_t kMaxTrustedKeysText = 64 * 1024;

// Published on purpose: these strings ARE the test secrets. Anyone can recompute them.
constexpr std::string_view kTestManufacturerSeedText = "VEXA TEST ONLY manufacturer key - never trust outside tests";
constexpr std::string_view kTestMasterSecretText = "VEXA TEST ONLY master secret - never use outside tests";

std::array<std::uint8_t, 32> hashOfText(std::string_view text) {
    detail::ensureInit();
    std::array<std::uint8_t, 32> out{};
    crypto_generichash(out.data(), out.size(), reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                       nullptr, 0);
    return out;
}

void setError(std::string* error, const std::string& message) {
    if (error != nullptr)
        *error = message;
}

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Libsodium's 64-byte secret key form, wiped when it goes out of scope.
struct ExpandedKey {
    std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> sk{};
    PublicKey pk{};
    explicit ExpandedKey(const Seed& seed) { crypto_sign_seed_keypair(pk.data(), sk.data(), seed.data()); }
    ~ExpandedKey() { wipe(sk.data(), sk.size()); }
    ExpandedKey(const ExpandedKey&) = delete;
    ExpandedKey& operator=(const ExpandedKey&) = delete;
};

// Writes a new file (never replacing one) with the given permissions and flushes it to disk.
bool writeNewFile(const std::string& path, std::string_view content, mode_t mode, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        setError(error, path + ": " + std::strerror(errno));
        return false;
    }
    std::size_t written = 0;
    bool ok = true;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        setError(error, path + ": " + std::strerror(savedErrno));
        ::unlink(path.c_str()); // no half-written key file
    }
    return ok;
}

std::optional<std::string> readSmallFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        setError(error, path + ": cannot open");
        return std::nullopt;
    }
    std::string content(kMaxKeyFileSize + 1, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > kMaxKeyFileSize) {
        wipe(content);
        setError(error, path + ": too large for a key file");
        return std::nullopt;
    }
    content.resize(got);
    return content;
}

// "<header>\n<64 hex>\n" -> the 32 bytes.
std::optional<std::array<std::uint8_t, 32>> secretFromText(std::string_view text, std::string_view header) {
    text = trim(text);
    if (text.size() <= header.size() || text.substr(0, header.size()) != header)
        return std::nullopt;
    const std::string_view hex = trim(text.substr(header.size()));
    if (hex.size() != 64)
        return std::nullopt;
    auto bytes = fromHex(hex);
    if (!bytes)
        return std::nullopt;
    std::array<std::uint8_t, 32> out{};
    std::copy(bytes->begin(), bytes->end(), out.begin());
    wipe(bytes->data(), bytes->size());
    return out;
}

} // namespace

KeyPair generateKeyPair() {
    Seed seed;
    randomBytes(seed.data(), seed.size());
    KeyPair key = keyPairFromSeed(seed);
    wipe(seed.data(), seed.size());
    return key;
}

KeyPair keyPairFromSeed(const Seed& seed) {
    detail::ensureInit();
    KeyPair key;
    key.seed = seed;
    const ExpandedKey expanded(seed);
    key.publicKey = expanded.pk;
    return key;
}

Seed deriveSeed(const Seed& parent, std::string_view label) {
    detail::ensureInit();
    Bytes message;
    detail::appendText(message, "VEXA-SEED-1");
    detail::appendU64(message, label.size());
    detail::appendText(message, label);
    Seed out;
    crypto_generichash(out.data(), out.size(), message.data(), message.size(), parent.data(), parent.size());
    return out;
}

std::optional<Signature> sign(const KeyPair& key, ByteView message) {
    detail::ensureInit();
    const ExpandedKey expanded(key.seed);
    if (!equalConstantTime(expanded.pk, key.publicKey))
        return std::nullopt; // a key pair whose halves do not match would sign for someone else's key
    Signature signature{};
    crypto_sign_detached(signature.data(), nullptr, message.data, message.size, expanded.sk.data());
    return signature;
}

bool verifySignature(const PublicKey& key, ByteView message, const Signature& signature) {
    detail::ensureInit();
    return crypto_sign_verify_detached(signature.data(), message.data, message.size, key.data()) == 0;
}

std::string publicKeyToText(const PublicKey& key) {
    return toHex(key);
}

std::optional<PublicKey> publicKeyFromText(std::string_view text) {
    text = trim(text);
    std::optional<Bytes> bytes;
    if (text.size() == 2 * kPublicKeySize)
        bytes = fromHex(text);
    else if (text.size() == 43)
        bytes = fromBase64Url(text);
    if (!bytes || bytes->size() != kPublicKeySize)
        return std::nullopt;
    PublicKey key{};
    std::copy(bytes->begin(), bytes->end(), key.begin());
    return key;
}

TrustedKeyList parseTrustedKeys(std::string_view text) {
    TrustedKeyList list;
    if (text.size() > kMaxTrustedKeysText) {
        list.rejected.emplace_back("(list longer than 64 KiB)");
        return list;
    }
    const auto isSeparator = [](char c) {
        return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        if (end > pos) {
            const std::string_view entry = text.substr(pos, end - pos);
            if (auto key = publicKeyFromText(entry)) {
                if (std::find(list.keys.begin(), list.keys.end(), *key) == list.keys.end())
                    list.keys.push_back(*key);
            } else {
                list.rejected.emplace_back(entry.substr(0, 80));
            }
        }
        pos = end;
    }
    return list;
}

std::vector<PublicKey> builtInTrustedKeys() {
    // No production manufacturer key exists yet; when one does, its public key goes here.
    return {};
}

TrustedKeyList trustedKeysFromEnvironment() {
    TrustedKeyList list;
    const char* env = std::getenv("VEXA_TRUSTED_KEYS");
    if (env != nullptr)
        list = parseTrustedKeys(std::string_view(env, strnlen(env, kMaxTrustedKeysText + 1)));
    for (const PublicKey& key : builtInTrustedKeys()) {
        if (std::find(list.keys.begin(), list.keys.end(), key) == list.keys.end())
            list.keys.insert(list.keys.begin(), key);
    }
    return list;
}

KeyPair testManufacturerKeyPair() {
    return keyPairFromSeed(hashOfText(kTestManufacturerSeedText));
}

MasterSecret testMasterSecret() {
    MasterSecret secret;
    secret.bytes = hashOfText(kTestMasterSecretText);
    return secret;
}

std::string secretKeyToText(const KeyPair& key) {
    return std::string(kSecretKeyHeader) + "\n" + toHex(key.seed) + "\n";
}

std::optional<KeyPair> secretKeyFromText(std::string_view text) {
    auto seed = secretFromText(text, kSecretKeyHeader);
    if (!seed)
        return std::nullopt;
    KeyPair key = keyPairFromSeed(*seed);
    wipe(seed->data(), seed->size());
    return key;
}

std::string masterSecretToText(const MasterSecret& secret) {
    return std::string(kMasterSecretHeader) + "\n" + toHex(secret.bytes) + "\n";
}

std::optional<MasterSecret> masterSecretFromText(std::string_view text) {
    auto bytes = secretFromText(text, kMasterSecretHeader);
    if (!bytes)
        return std::nullopt;
    MasterSecret secret;
    secret.bytes = *bytes;
    wipe(bytes->data(), bytes->size());
    return secret;
}

bool saveSecretKeyFile(const std::string& path, const KeyPair& key, std::string* error) {
    std::string text = secretKeyToText(key);
    const bool ok = writeNewFile(path, text, 0600, error);
    wipe(text);
    return ok;
}

bool savePublicKeyFile(const std::string& path, const PublicKey& key, std::string* error) {
    return writeNewFile(path, publicKeyToText(key) + "\n", 0644, error);
}

bool saveMasterSecretFile(const std::string& path, const MasterSecret& secret, std::string* error) {
    std::string text = masterSecretToText(secret);
    const bool ok = writeNewFile(path, text, 0600, error);
    wipe(text);
    return ok;
}

std::optional<KeyPair> loadSecretKeyFile(const std::string& path, std::string* error) {
    auto text = readSmallFile(path, error);
    if (!text)
        return std::nullopt;
    auto key = secretKeyFromText(*text);
    wipe(*text);
    if (!key)
        setError(error, path + ": not a secret key file");
    return key;
}

std::optional<PublicKey> loadPublicKeyFile(const std::string& path, std::string* error) {
    auto text = readSmallFile(path, error);
    if (!text)
        return std::nullopt;
    auto key = publicKeyFromText(*text);
    if (!key)
        setError(error, path + ": not a public key file");
    return key;
}

std::optional<MasterSecret> loadMasterSecretFile(const std::string& path, std::string* error) {
    auto text = readSmallFile(path, error);
    if (!text)
        return std::nullopt;
    auto secret = masterSecretFromText(*text);
    wipe(*text);
    if (!secret)
        setError(error, path + ": not a master secret file");
    return secret;
}

} // namespace vexa::crypto
