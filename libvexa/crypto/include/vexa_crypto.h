#pragma once
/*
 * vexa_crypto.h - the cryptography shared by libvexa (tool side), vexa-devsim (device side) and vexa-keytool
 * (manufacturer side). No Qt, no networking; libsodium underneath.
 *
 * ===================================================================================================
 * Security design
 * ===================================================================================================
 *
 * Conventions for every function here
 *   - Total: malformed, oversized or truncated input gives std::nullopt / false / a Status other than Ok,
 *     never undefined behaviour. The only exception that can escape is std::bad_alloc.
 *   - libsodium is initialised once, thread-safely, on first use (init() may be called early; it is optional).
 *     If the system has no usable random source the process aborts: carrying on would mint predictable keys.
 *   - All functions are thread-safe (no shared mutable state apart from the one-time initialisation).
 *   - Secrets are compared in constant time; our own copies of secrets are wiped with sodium_memzero.
 *     Types holding secrets (KeyPair, EphemeralKeyPair, MasterSecret, Payload) wipe themselves on destruction.
 *
 * Who holds what
 *   Manufacturer: an Ed25519 key pair (signs device certificates and reset keys) and a 32-byte master secret
 *     (security codes). vexa-keytool makes, stores and uses both.
 *   Device: an Ed25519 key pair (from a 32-byte seed; the simulator derives seeds with deriveSeed()), its
 *     certificate, its Argon2id password hash, its device secret for security codes (deriveDeviceSecret()
 *     at manufacture), and the nonces it handed out.
 *   Tool (libvexa): the trusted manufacturer public keys (builtInTrustedKeys() + VEXA_TRUSTED_KEYS).
 *
 * 1. Identity. certificate = Ed25519 signature of the manufacturer over a length-prefixed, domain-tagged
 *    encoding of (serial, MAC as 6 bytes, device public key). The library calls verifyCertificate() on the
 *    announced values and must send no secret to a device for which it fails.
 *
 * 2. Channel. For each secret-bearing request the tool makes an EphemeralKeyPair and calls sealRequest() to
 *    the device's Ed25519 public key (converted to X25519 inside). The device calls openRequest() with its own
 *    key pair, gets the plaintext and the tool's ephemeral public key, and answers with sealReply() to that
 *    ephemeral key; the tool reads it with openReply(). Only the holder of the device key can read the request
 *    or write a reply the tool accepts; only the requester can read the reply. A direction byte inside the box
 *    stops an attacker from reflecting a request back to the tool as its reply (both directions share one
 *    box key). Any flipped bit, truncation, other recipient or substituted ephemeral key fails to open.
 *    The box does not stop replay: the plaintext is a Payload that binds message type, target MAC, request id
 *    and the device's 32-byte challenge nonce. The device checks all four with checkBinding() and accepts each
 *    challenge once (its job: it must forget a challenge after first use or after 60 s). The tool checks the
 *    reply's Payload with checkBinding() too (type Result, same MAC, request id and challenge).
 *
 * 3. Passwords. hashPassword() = Argon2id (crypto_pwhash_str_alg) at PasswordCost::standard() unless the
 *    caller explicitly passes another cost (tests use PasswordCost::testOnlyCheap(); a hash records its own
 *    cost, so verifyPassword() needs none). Only Argon2id hashes are accepted by verifyPassword().
 *
 * 4. Password reset by key exchange. The device makes a ResetNonce (16 random bytes) and an expiry, and hands
 *    out buildKeyRequest() text (<= 256 bytes for command 1, <= 384 for command 2, which adds the device
 *    public key and certificate so the manufacturer can check the device is one of theirs). The manufacturer
 *    parses it (parseKeyRequest), and signResetKey() returns the key text: base32 of
 *    (version, expiry, Ed25519 signature over serial, nonce, expiry) - 117 characters, fits the 128-character
 *    key field. The device calls verifyResetKey() with its serial, the nonce it issued, the current time and the
 *    trusted keys; it must then retire the nonce (single use is the device's job).
 *
 * 5. Security code. deviceSecret = keyed BLAKE2b(master secret, serial); the code for a UTC day "YYYYMMDD" is
 *    the first 10 bytes of keyed BLAKE2b(deviceSecret, date), written as 16 base32 characters. The device
 *    accepts the code of the current UTC day and of the day before (a code issued late in the day still
 *    works after midnight UTC), compared in constant time.
 *
 * Notes for the protocol side
 *   - Map every refusal (ResetKeyStatus other than Ok, a failed verifySecurityCode, verifyPassword false) to
 *     the device's "refused" result; the detailed status is for logs and tests.
 *   - Reset nonce: keep one outstanding nonce per device until it is used or expires, and hand out the same
 *     document on repeated GetKeyRequest. Replacing it on every request would let anyone on the LAN void an
 *     installer's pending key. An expiry of about a day gives the manufacturer time to answer.
 *   - A failed open (openRequest/openReply nullopt) means forged or damaged: drop it silently, never answer it.
 *   - Cost, measured on one desktop server core (-O2): hashPassword/verifyPassword at the standard cost about
 *     50-60 ms; verifyCertificate about 0.1 ms; sealRequest with a fresh ephemeral pair 0.2 ms; openRequest plus
 *     sealReply 0.2 ms; keyPairFromSeed plus signCertificate 0.1 ms per device. With thousands of announcing
 *     devices, verify a certificate once per distinct (serial, MAC, key, certificate) and cache the answer,
 *     rather than on every announce.
 *
 * Test-only material. testManufacturerKeyPair() and testMasterSecret() are derived from fixed, published
 * strings (see the .cpp); anyone can compute them, so they are for the simulator, tests and demos only. They
 * are not among builtInTrustedKeys(); tests and demos trust them by putting testManufacturerKeyPair().publicKey
 * (publicKeyToText) into VEXA_TRUSTED_KEYS.
 */

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::crypto {

// ---------------------------------------------------------------------------------------------------------------
// Sizes and plain types
// ---------------------------------------------------------------------------------------------------------------
constexpr std::size_t kPublicKeySize = 32; // Ed25519 public key
constexpr std::size_t kSeedSize = 32;      // Ed25519 seed (the secret part of a key pair)
constexpr std::size_t kSignatureSize = 64;
constexpr std::size_t kMacSize = 6;
constexpr std::size_t kRequestIdSize = 16;
constexpr std::size_t kChallengeSize = 32;
constexpr std::size_t kResetNonceSize = 16;
constexpr std::size_t kMaxSerialLength = 48; // the width of the serial field in the device record
constexpr std::size_t kX25519KeySize = 32;
// sealRequest adds this much to the plaintext (ephemeral key, nonce, MAC tag, direction byte).
constexpr std::size_t kRequestOverhead = 32 + 24 + 16 + 1;
// sealReply adds this much to the plaintext (nonce, MAC tag, direction byte).
constexpr std::size_t kReplyOverhead = 24 + 16 + 1;

using Bytes = std::vector<std::uint8_t>;
using PublicKey = std::array<std::uint8_t, kPublicKeySize>;
using Seed = std::array<std::uint8_t, kSeedSize>;
using Signature = std::array<std::uint8_t, kSignatureSize>;
using Mac = std::array<std::uint8_t, kMacSize>;
using RequestId = std::array<std::uint8_t, kRequestIdSize>;
using Challenge = std::array<std::uint8_t, kChallengeSize>;
using ResetNonce = std::array<std::uint8_t, kResetNonceSize>;
using X25519PublicKey = std::array<std::uint8_t, kX25519KeySize>;

// Non-owning view of bytes; build from a vector, an array or pointer + size.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    ByteView() = default;
    ByteView(const std::uint8_t* d, std::size_t n)
        : data(d)
        , size(n) {}
    ByteView(const Bytes& b)
        : data(b.data())
        , size(b.size()) {}
    template <std::size_t N>
    ByteView(const std::array<std::uint8_t, N>& a)
        : data(a.data())
        , size(N) {}
};

// Ed25519 key pair. The secret is kept as the 32-byte seed; the 64-byte libsodium form is rebuilt when signing.
struct KeyPair {
    PublicKey publicKey{};
    Seed seed{};
    KeyPair() = default;
    KeyPair(const KeyPair&) = default;
    KeyPair& operator=(const KeyPair&) = default;
    ~KeyPair();
};

// X25519 key pair made fresh by the tool for one request; keep it until the reply is read, then drop it.
struct EphemeralKeyPair {
    X25519PublicKey publicKey{};
    std::array<std::uint8_t, kX25519KeySize> secretKey{};
    EphemeralKeyPair() = default;
    EphemeralKeyPair(const EphemeralKeyPair&) = default;
    EphemeralKeyPair& operator=(const EphemeralKeyPair&) = default;
    ~EphemeralKeyPair();
};

// 32-byte secret: the manufacturer's master secret, or a device secret derived from it.
struct MasterSecret {
    std::array<std::uint8_t, 32> bytes{};
    MasterSecret() = default;
    MasterSecret(const MasterSecret&) = default;
    MasterSecret& operator=(const MasterSecret&) = default;
    ~MasterSecret();
};
using DeviceSecret = MasterSecret;

// Makes sure libsodium is initialised (also done implicitly by every function). Thread-safe, idempotent.
void init();

// Wipes memory the compiler may not optimise away.
void wipe(void* data, std::size_t size);
void wipe(std::string& text);

// Constant-time equality of two byte ranges (false when the sizes differ; the size is not secret).
bool equalConstantTime(ByteView a, ByteView b);

// ---------------------------------------------------------------------------------------------------------------
// Random
// ---------------------------------------------------------------------------------------------------------------
void randomBytes(std::uint8_t* out, std::size_t size);
RequestId newRequestId();
Challenge newChallenge();
ResetNonce newResetNonce();
// Uniform in [0, upperBound); 0 when upperBound is 0.
std::uint32_t randomUniform(std::uint32_t upperBound);

// ---------------------------------------------------------------------------------------------------------------
// Text encodings
// ---------------------------------------------------------------------------------------------------------------
std::string toHex(ByteView bytes);                         // lower case
std::optional<Bytes> fromHex(std::string_view text);       // either case, even length, nothing else
std::string toBase64Url(ByteView bytes);                   // RFC 4648 url-safe alphabet, no padding
std::optional<Bytes> fromBase64Url(std::string_view text); // strict: no padding, no whitespace
std::string toBase32(ByteView bytes);                      // RFC 4648 A-Z 2-7, no padding
// Case-insensitive; ignores spaces and '-' (people type codes in groups); rejects any other character and
// non-canonical trailing bits.
std::optional<Bytes> fromBase32(std::string_view text);

// "aa-bb-cc-dd-ee-ff" (the device record's form). parseMac accepts '-' or ':' separators, either case.
std::string formatMac(const Mac& mac);
std::optional<Mac> parseMac(std::string_view text);

// A serial number is 1 to 48 printable ASCII characters without space (0x21..0x7E).
bool isValidSerial(std::string_view serial);

// ---------------------------------------------------------------------------------------------------------------
// Ed25519 keys, manufacturer keys and trusted keys
// ---------------------------------------------------------------------------------------------------------------
KeyPair generateKeyPair();
KeyPair keyPairFromSeed(const Seed& seed);
// Deterministic child seed: keyed BLAKE2b(parent, label). The simulator derives each device's seed from its
// fleet seed and the device's serial.
Seed deriveSeed(const Seed& parent, std::string_view label);

std::optional<Signature> sign(const KeyPair& key, ByteView message);
bool verifySignature(const PublicKey& key, ByteView message, const Signature& signature);

// Text form of a public key in VEXA_TRUSTED_KEYS and in *.pub files: 64 lower-case hex characters.
std::string publicKeyToText(const PublicKey& key);
// Accepts 64 hex characters (either case) or 43 base64url characters; surrounding whitespace is ignored.
std::optional<PublicKey> publicKeyFromText(std::string_view text);

// VEXA_TRUSTED_KEYS: public keys in the text form above, separated by ',', ';' or whitespace (empty entries
// are ignored). A malformed entry is skipped and reported in `rejected` (trust only shrinks, never widens);
// a text over 64 KiB is rejected whole.
struct TrustedKeyList {
    std::vector<PublicKey> keys;
    std::vector<std::string> rejected; // the malformed entries, cut to 80 characters, for the log
};
TrustedKeyList parseTrustedKeys(std::string_view text);
// Keys built into the library. Empty for now: no production manufacturer key has been made yet.
std::vector<PublicKey> builtInTrustedKeys();
// builtInTrustedKeys() plus the keys of VEXA_TRUSTED_KEYS (if set), without duplicates.
TrustedKeyList trustedKeysFromEnvironment();

// TEST ONLY: derived from a fixed, published string; must never be trusted in the field.
KeyPair testManufacturerKeyPair();
MasterSecret testMasterSecret();

// Key files. Secret file: "VEXA-ED25519-SECRET-KEY-1\n<seed hex>\n", written with mode 0600; public file:
// "<public key text>\n". Master secret file: "VEXA-MASTER-SECRET-1\n<hex>\n", mode 0600. Saving never
// overwrites an existing file (returns false with a message in *error).
bool saveSecretKeyFile(const std::string& path, const KeyPair& key, std::string* error = nullptr);
bool savePublicKeyFile(const std::string& path, const PublicKey& key, std::string* error = nullptr);
bool saveMasterSecretFile(const std::string& path, const MasterSecret& secret, std::string* error = nullptr);
std::optional<KeyPair> loadSecretKeyFile(const std::string& path, std::string* error = nullptr);
std::optional<PublicKey> loadPublicKeyFile(const std::string& path, std::string* error = nullptr);
std::optional<MasterSecret> loadMasterSecretFile(const std::string& path, std::string* error = nullptr);
// The same formats as text, for callers that store keys themselves.
std::string secretKeyToText(const KeyPair& key);
std::optional<KeyPair> secretKeyFromText(std::string_view text);
std::string masterSecretToText(const MasterSecret& secret);
std::optional<MasterSecret> masterSecretFromText(std::string_view text);

// ---------------------------------------------------------------------------------------------------------------
// Device certificates
// ---------------------------------------------------------------------------------------------------------------
struct DeviceIdentity {
    std::string serial;
    Mac mac{};
    PublicKey devicePublicKey{};
};
// The exact bytes signed; exposed so that other implementations can be checked against it.
std::optional<Bytes> certificateMessage(const DeviceIdentity& identity);
// nullopt when the serial is not valid.
std::optional<Signature> signCertificate(const KeyPair& manufacturer, const DeviceIdentity& identity);
// True when one of the trusted keys signed exactly this identity.
bool verifyCertificate(const DeviceIdentity& identity, const Signature& certificate,
                       const std::vector<PublicKey>& trusted);

// ---------------------------------------------------------------------------------------------------------------
// Secret channel
// ---------------------------------------------------------------------------------------------------------------
EphemeralKeyPair newEphemeralKeyPair();

// Tool -> device. Output: ephemeral public key (32) | nonce (24) | box. nullopt if the device key is not a
// valid Ed25519 point.
std::optional<Bytes> sealRequest(const PublicKey& devicePublicKey, const EphemeralKeyPair& ephemeral,
                                 ByteView plaintext);
struct OpenedRequest {
    Bytes plaintext;
    X25519PublicKey ephemeralPublicKey{}; // where sealReply sends the answer
    ~OpenedRequest();
};
std::optional<OpenedRequest> openRequest(const KeyPair& device, ByteView sealed);

// Device -> tool. Output: nonce (24) | box.
std::optional<Bytes> sealReply(const KeyPair& device, const X25519PublicKey& ephemeralPublicKey, ByteView plaintext);
std::optional<Bytes> openReply(const EphemeralKeyPair& ephemeral, const PublicKey& devicePublicKey, ByteView sealed);

// What goes inside the box: the binding (type, target MAC, request id, challenge) and the operation's fields
// as tag/value pairs (tags and their meaning belong to the protocol). Encoding: version byte 1, type, MAC,
// request id, challenge, then per field tag (u16 BE), length (u16 BE), value. Duplicate tags are refused.
struct PayloadField {
    std::uint16_t tag = 0;
    Bytes value;
};
struct Payload {
    std::uint8_t messageType = 0;
    Mac target{};
    RequestId requestId{};
    Challenge challenge{};
    std::vector<PayloadField> fields;

    Payload() = default;
    Payload(const Payload&) = default;
    Payload& operator=(const Payload&) = default;
    Payload(Payload&&) = default;
    Payload& operator=(Payload&&) = default;
    ~Payload(); // wipes the field values (they carry passwords)

    void add(std::uint16_t tag, ByteView value);
    void addText(std::uint16_t tag, std::string_view text);
    const PayloadField* find(std::uint16_t tag) const; // nullptr when absent
    std::optional<std::string> text(std::uint16_t tag) const;
};
constexpr std::size_t kMaxPayloadSize = 1024; // fits one datagram with the header and the box overhead
// nullopt when it would exceed kMaxPayloadSize, a value is over 65535 bytes or a tag repeats.
std::optional<Bytes> encodePayload(const Payload& payload);
std::optional<Payload> decodePayload(ByteView encoded);

enum class Binding { Ok, WrongType, WrongTarget, WrongRequestId, WrongChallenge };
Binding checkBinding(const Payload& payload, std::uint8_t expectedType, const Mac& expectedTarget,
                     const RequestId& expectedRequestId, const Challenge& expectedChallenge);

// ---------------------------------------------------------------------------------------------------------------
// Passwords
// ---------------------------------------------------------------------------------------------------------------
struct PasswordCost {
    unsigned long long opsLimit;
    std::size_t memLimit;
    // What devices use: 2 passes over 32 MiB (about 50-100 ms on a desktop core).
    static constexpr PasswordCost standard() { return {2, 32u * 1024u * 1024u}; }
    // TEST ONLY: the smallest Argon2id cost libsodium allows; never use it for a real device.
    static constexpr PasswordCost testOnlyCheap() { return {1, 8u * 1024u}; }
};
constexpr std::size_t kMaxPasswordLength = 128;
// Argon2id hash string, or nullopt (empty or over kMaxPasswordLength, cost out of range, out of memory).
std::optional<std::string> hashPassword(std::string_view password, PasswordCost cost = PasswordCost::standard());
// False for a wrong password, a malformed hash or one that is not Argon2id.
bool verifyPassword(std::string_view hash, std::string_view password);

// ---------------------------------------------------------------------------------------------------------------
// Password reset by key exchange
// ---------------------------------------------------------------------------------------------------------------
constexpr std::size_t kKeyRequestMaxSize = 256;   // command 1
constexpr std::size_t kKeyRequestQrMaxSize = 384; // command 2
constexpr std::size_t kMaxResetKeyText = 128;     // the key field takes 128 characters

// <KeyRequest><Serial>..</Serial><MAC>aa-bb-cc-dd-ee-ff</MAC><Nonce>base64url</Nonce><Expiry>unix seconds
// </Expiry>[<DeviceKey>base64url</DeviceKey><Cert>base64url</Cert>]</KeyRequest>, no whitespace, no declaration.
struct KeyRequest {
    std::string serial;
    Mac mac{};
    ResetNonce nonce{};
    std::int64_t expiry = 0;                  // unix seconds (UTC)
    std::optional<PublicKey> devicePublicKey; // set for command 2
    std::optional<Signature> certificate;     // set for command 2
};
// nullopt when a field is invalid or the document would exceed maxSize.
std::optional<std::string> buildKeyRequest(const KeyRequest& request, std::size_t maxSize);
// Strict: at most kKeyRequestQrMaxSize bytes, the elements in the order above, optional surrounding whitespace
// and whitespace between elements, optional leading <?xml ...?> declaration, only the five predefined entities.
std::optional<KeyRequest> parseKeyRequest(std::string_view text);

// The key text (117 base32 characters) for this request, signed by the manufacturer.
std::optional<std::string> signResetKey(const KeyPair& manufacturer, const KeyRequest& request);
enum class ResetKeyStatus { Ok, Malformed, BadSignature, Expired };
// Checks the key text (case-insensitive, spaces and '-' ignored, at most 256 characters) against the device's
// own serial and the nonce it issued. BadSignature covers a foreign key and a wrong serial or nonce.
ResetKeyStatus verifyResetKey(std::string_view keyText, std::string_view serial, const ResetNonce& nonce,
                              std::int64_t nowUnixSeconds, const std::vector<PublicKey>& trusted);
// Expiry the key carries, for messages (nullopt if the text is malformed).
std::optional<std::int64_t> resetKeyExpiry(std::string_view keyText);

// ---------------------------------------------------------------------------------------------------------------
// Security codes
// ---------------------------------------------------------------------------------------------------------------
constexpr std::size_t kSecurityCodeLength = 16;
MasterSecret generateMasterSecret();
// nullopt when the serial is not valid.
std::optional<DeviceSecret> deriveDeviceSecret(const MasterSecret& master, std::string_view serial);
// date: "YYYYMMDD" of a real calendar day. nullopt otherwise.
std::optional<std::string> securityCode(const DeviceSecret& deviceSecret, std::string_view date);
// Accepts the code of the current UTC day or of the day before. Case-insensitive; spaces and '-' ignored.
bool verifySecurityCode(const DeviceSecret& deviceSecret, std::string_view code, std::int64_t nowUnixSeconds);
// "YYYYMMDD" of the UTC day containing the given time.
std::string utcDate(std::int64_t unixSeconds);
bool isValidDate(std::string_view date);

} // namespace vexa::crypto
