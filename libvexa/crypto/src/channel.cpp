// The secret channel between tool and device, and the payload that binds a request to its context.
#include <algorithm>
#include <sodium.h>

#include "internal.h"

namespace vexa::crypto {

namespace {

// Both directions use the same box key (one X25519 pair on each side), so the first plaintext byte says which
// way a box goes: a captured request can then never be played back to the tool as the device's reply.
constexpr std::uint8_t kToDevice = 'Q';
constexpr std::uint8_t kToTool = 'R';
constexpr std::size_t kMaxSealedPlaintext = 64 * 1024;
constexpr std::uint8_t kPayloadVersion = 1;
constexpr std::size_t kPayloadHeaderSize = 1 + 1 + kMacSize + kRequestIdSize + kChallengeSize;

struct CurveSecret {
    std::array<std::uint8_t, crypto_box_SECRETKEYBYTES> key{};
    ~CurveSecret() { wipe(key.data(), key.size()); }
};

bool deviceCurveSecret(const KeyPair& device, CurveSecret& out) {
    std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> sk{};
    std::array<std::uint8_t, crypto_sign_PUBLICKEYBYTES> pk{};
    crypto_sign_seed_keypair(pk.data(), sk.data(), device.seed.data());
    const bool ok = crypto_sign_ed25519_sk_to_curve25519(out.key.data(), sk.data()) == 0;
    wipe(sk.data(), sk.size());
    return ok;
}

// X25519 ignores the top bit and reduces values mod 2^255-19, so several encodings name the same key. Keys we
// make are always canonical; accepting others would let anyone alter a request's ephemeral key without the box
// noticing, so only the canonical form is taken.
bool isCanonicalX25519(const X25519PublicKey& key) {
    if (key[31] & 0x80)
        return false;
    if (key[31] != 0x7F || key[0] < 0xED)
        return true;
    for (std::size_t i = 1; i < 31; ++i) {
        if (key[i] != 0xFF)
            return true;
    }
    return false; // 2^255-19 .. 2^255-1
}

std::optional<X25519PublicKey> deviceCurvePublic(const PublicKey& devicePublicKey) {
    X25519PublicKey out{};
    if (crypto_sign_ed25519_pk_to_curve25519(out.data(), devicePublicKey.data()) != 0)
        return std::nullopt;
    return out;
}

// nonce | box(direction | plaintext)
std::optional<Bytes> seal(std::uint8_t direction, const std::uint8_t* recipientPk, const std::uint8_t* senderSk,
                          ByteView plaintext) {
    if (plaintext.size > kMaxSealedPlaintext)
        return std::nullopt;
    Bytes inner;
    inner.reserve(plaintext.size + 1);
    inner.push_back(direction);
    detail::appendBytes(inner, plaintext);

    Bytes out(crypto_box_NONCEBYTES + crypto_box_MACBYTES + inner.size());
    randomBytes(out.data(), crypto_box_NONCEBYTES);
    const int rc = crypto_box_easy(out.data() + crypto_box_NONCEBYTES, inner.data(), inner.size(), out.data(),
                                   recipientPk, senderSk);
    wipe(inner.data(), inner.size());
    if (rc != 0)
        return std::nullopt;
    return out;
}

std::optional<Bytes> open(std::uint8_t direction, const std::uint8_t* senderPk, const std::uint8_t* recipientSk,
                          ByteView sealed) {
    if (sealed.size < crypto_box_NONCEBYTES + crypto_box_MACBYTES + 1)
        return std::nullopt;
    const std::uint8_t* nonce = sealed.data;
    const std::uint8_t* box = sealed.data + crypto_box_NONCEBYTES;
    const std::size_t boxSize = sealed.size - crypto_box_NONCEBYTES;
    Bytes inner(boxSize - crypto_box_MACBYTES);
    if (crypto_box_open_easy(inner.data(), box, boxSize, nonce, senderPk, recipientSk) != 0)
        return std::nullopt;
    if (inner[0] != direction) {
        wipe(inner.data(), inner.size());
        return std::nullopt;
    }
    Bytes plaintext(inner.begin() + 1, inner.end());
    wipe(inner.data(), inner.size());
    return plaintext;
}

} // namespace

OpenedRequest::~OpenedRequest() {
    wipe(plaintext.data(), plaintext.size());
}

EphemeralKeyPair newEphemeralKeyPair() {
    detail::ensureInit();
    EphemeralKeyPair pair;
    crypto_box_keypair(pair.publicKey.data(), pair.secretKey.data());
    return pair;
}

std::optional<Bytes> sealRequest(const PublicKey& devicePublicKey, const EphemeralKeyPair& ephemeral,
                                 ByteView plaintext) {
    detail::ensureInit();
    const auto devicePk = deviceCurvePublic(devicePublicKey);
    if (!devicePk)
        return std::nullopt;
    auto box = seal(kToDevice, devicePk->data(), ephemeral.secretKey.data(), plaintext);
    if (!box)
        return std::nullopt;
    Bytes out;
    out.reserve(kX25519KeySize + box->size());
    detail::appendBytes(out, ephemeral.publicKey);
    detail::appendBytes(out, *box);
    return out;
}

std::optional<OpenedRequest> openRequest(const KeyPair& device, ByteView sealed) {
    detail::ensureInit();
    if (sealed.size < kRequestOverhead)
        return std::nullopt;
    CurveSecret secret;
    if (!deviceCurveSecret(device, secret))
        return std::nullopt;
    OpenedRequest opened;
    std::copy(sealed.data, sealed.data + kX25519KeySize, opened.ephemeralPublicKey.begin());
    if (!isCanonicalX25519(opened.ephemeralPublicKey))
        return std::nullopt;
    auto plaintext = open(kToDevice, opened.ephemeralPublicKey.data(), secret.key.data(),
                          ByteView(sealed.data + kX25519KeySize, sealed.size - kX25519KeySize));
    if (!plaintext)
        return std::nullopt;
    opened.plaintext = std::move(*plaintext);
    return opened;
}

std::optional<Bytes> sealReply(const KeyPair& device, const X25519PublicKey& ephemeralPublicKey, ByteView plaintext) {
    detail::ensureInit();
    CurveSecret secret;
    if (!isCanonicalX25519(ephemeralPublicKey) || !deviceCurveSecret(device, secret))
        return std::nullopt;
    return seal(kToTool, ephemeralPublicKey.data(), secret.key.data(), plaintext);
}

std::optional<Bytes> openReply(const EphemeralKeyPair& ephemeral, const PublicKey& devicePublicKey, ByteView sealed) {
    detail::ensureInit();
    const auto devicePk = deviceCurvePublic(devicePublicKey);
    if (!devicePk)
        return std::nullopt;
    return open(kToTool, devicePk->data(), ephemeral.secretKey.data(), sealed);
}

// --- Payload -----------------------------------------------------------------------------------------------

Payload::~Payload() {
    for (PayloadField& field : fields)
        wipe(field.value.data(), field.value.size());
}

void Payload::add(std::uint16_t tag, ByteView value) {
    PayloadField field;
    field.tag = tag;
    detail::appendBytes(field.value, value);
    fields.push_back(std::move(field));
}

void Payload::addText(std::uint16_t tag, std::string_view text) {
    add(tag, ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

const PayloadField* Payload::find(std::uint16_t tag) const {
    const auto it = std::find_if(fields.begin(), fields.end(), [tag](const PayloadField& f) { return f.tag == tag; });
    return it == fields.end() ? nullptr : &*it;
}

std::optional<std::string> Payload::text(std::uint16_t tag) const {
    const PayloadField* field = find(tag);
    if (field == nullptr)
        return std::nullopt;
    return std::string(field->value.begin(), field->value.end());
}

std::optional<Bytes> encodePayload(const Payload& payload) {
    std::size_t size = kPayloadHeaderSize;
    for (std::size_t i = 0; i < payload.fields.size(); ++i) {
        const PayloadField& field = payload.fields[i];
        if (field.value.size() > 0xFFFF)
            return std::nullopt;
        for (std::size_t j = 0; j < i; ++j) {
            if (payload.fields[j].tag == field.tag)
                return std::nullopt;
        }
        size += 4 + field.value.size();
        if (size > kMaxPayloadSize)
            return std::nullopt;
    }
    Bytes out;
    out.reserve(size);
    out.push_back(kPayloadVersion);
    out.push_back(payload.messageType);
    detail::appendBytes(out, payload.target);
    detail::appendBytes(out, payload.requestId);
    detail::appendBytes(out, payload.challenge);
    for (const PayloadField& field : payload.fields) {
        detail::appendU16(out, field.tag);
        detail::appendField(out, ByteView(field.value));
    }
    return out;
}

std::optional<Payload> decodePayload(ByteView encoded) {
    if (encoded.size < kPayloadHeaderSize || encoded.size > kMaxPayloadSize || encoded.data[0] != kPayloadVersion)
        return std::nullopt;
    const std::uint8_t* p = encoded.data;
    Payload payload;
    payload.messageType = p[1];
    std::size_t at = 2;
    std::copy(p + at, p + at + kMacSize, payload.target.begin());
    at += kMacSize;
    std::copy(p + at, p + at + kRequestIdSize, payload.requestId.begin());
    at += kRequestIdSize;
    std::copy(p + at, p + at + kChallengeSize, payload.challenge.begin());
    at += kChallengeSize;
    while (at < encoded.size) {
        if (encoded.size - at < 4)
            return std::nullopt;
        const auto tag = static_cast<std::uint16_t>(p[at] << 8 | p[at + 1]);
        const std::size_t length = static_cast<std::size_t>(p[at + 2] << 8 | p[at + 3]);
        at += 4;
        if (length > encoded.size - at || payload.find(tag) != nullptr)
            return std::nullopt;
        payload.add(tag, ByteView(p + at, length));
        at += length;
    }
    return payload;
}

Binding checkBinding(const Payload& payload, std::uint8_t expectedType, const Mac& expectedTarget,
                     const RequestId& expectedRequestId, const Challenge& expectedChallenge) {
    if (payload.messageType != expectedType)
        return Binding::WrongType;
    if (payload.target != expectedTarget)
        return Binding::WrongTarget;
    if (payload.requestId != expectedRequestId)
        return Binding::WrongRequestId;
    // The challenge is the anti-replay secret of this exchange: compare it without leaking timing.
    if (!equalConstantTime(payload.challenge, expectedChallenge))
        return Binding::WrongChallenge;
    return Binding::Ok;
}

} // namespace vexa::crypto
