// The sealed channel between tool and device, and the payload binding that stops replays.
#include <algorithm>
#include <gtest/gtest.h>

#include "vexa_crypto.h"

using namespace vexa::crypto;

namespace {

constexpr std::uint8_t kActivate = 0x20;
constexpr std::uint8_t kResult = 0x30;

struct Session {
    KeyPair device = generateKeyPair();
    EphemeralKeyPair ephemeral = newEphemeralKeyPair();
    Bytes request{'p', 'a', 's', 's', 'w', 'o', 'r', 'd', 0, 1, 2};
    Bytes sealed = *sealRequest(device.publicKey, ephemeral, request);
};

Payload samplePayload() {
    Payload p;
    p.messageType = kActivate;
    p.target = *parseMac("aa-bb-cc-dd-ee-ff");
    p.requestId = newRequestId();
    p.challenge = newChallenge();
    p.addText(1, "Secret#2024");
    p.add(2, Bytes{});
    p.add(0xFFFF, Bytes(300, 0x5A));
    return p;
}

} // namespace

TEST(Channel, RequestAndReplyRoundTrip) {
    Session s;
    EXPECT_EQ(s.sealed.size(), s.request.size() + kRequestOverhead);
    const auto opened = openRequest(s.device, s.sealed);
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->plaintext, s.request);
    EXPECT_EQ(opened->ephemeralPublicKey, s.ephemeral.publicKey);

    const Bytes answer{'o', 'k'};
    const auto reply = sealReply(s.device, opened->ephemeralPublicKey, answer);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), answer.size() + kReplyOverhead);
    EXPECT_EQ(openReply(s.ephemeral, s.device.publicKey, *reply), answer);

    // Same plaintext, fresh nonce: two requests never look alike on the wire.
    EXPECT_NE(*sealRequest(s.device.publicKey, s.ephemeral, s.request), s.sealed);
    // An empty plaintext is still a valid message.
    EXPECT_EQ(openRequest(s.device, *sealRequest(s.device.publicKey, s.ephemeral, Bytes{}))->plaintext, Bytes{});
}

TEST(Channel, AnyFlippedOrMissingByteOfARequestFails) {
    Session s;
    for (std::size_t i = 0; i < s.sealed.size(); ++i) {
        for (std::uint8_t bit : {0x01, 0x80}) {
            Bytes tampered = s.sealed;
            tampered[i] ^= bit;
            EXPECT_FALSE(openRequest(s.device, tampered).has_value()) << "byte " << i;
        }
    }
    for (std::size_t n = 0; n < s.sealed.size(); ++n)
        EXPECT_FALSE(openRequest(s.device, Bytes(s.sealed.begin(), s.sealed.begin() + n)).has_value()) << n;
    Bytes longer = s.sealed;
    longer.push_back(0);
    EXPECT_FALSE(openRequest(s.device, longer).has_value());
}

TEST(Channel, OnlyTheAddressedDeviceOpensARequest) {
    Session s;
    EXPECT_FALSE(openRequest(generateKeyPair(), s.sealed).has_value());
    // Someone who swaps in their own ephemeral key cannot make the box open either.
    Bytes swapped = s.sealed;
    const EphemeralKeyPair other = newEphemeralKeyPair();
    std::copy(other.publicKey.begin(), other.publicKey.end(), swapped.begin());
    EXPECT_FALSE(openRequest(s.device, swapped).has_value());
}

TEST(Channel, RepliesFailOnTamperWrongPartiesOrReflection) {
    Session s;
    const auto opened = openRequest(s.device, s.sealed);
    ASSERT_TRUE(opened.has_value());
    const Bytes reply = *sealReply(s.device, opened->ephemeralPublicKey, Bytes{'o', 'k'});
    for (std::size_t i = 0; i < reply.size(); ++i) {
        Bytes tampered = reply;
        tampered[i] ^= 0x01;
        EXPECT_FALSE(openReply(s.ephemeral, s.device.publicKey, tampered).has_value()) << i;
    }
    for (std::size_t n = 0; n < reply.size(); ++n)
        EXPECT_FALSE(openReply(s.ephemeral, s.device.publicKey, Bytes(reply.begin(), reply.begin() + n)).has_value());
    EXPECT_FALSE(openReply(newEphemeralKeyPair(), s.device.publicKey, reply).has_value());
    EXPECT_FALSE(openReply(s.ephemeral, generateKeyPair().publicKey, reply).has_value());
    // Both directions share one box key: the request itself must not pass as the device's answer.
    const Bytes requestBox(s.sealed.begin() + kX25519KeySize, s.sealed.end());
    EXPECT_FALSE(openReply(s.ephemeral, s.device.publicKey, requestBox).has_value());
    // A reply goes only to a key in its one canonical form.
    X25519PublicKey aliased = opened->ephemeralPublicKey;
    aliased[31] |= 0x80;
    EXPECT_FALSE(sealReply(s.device, aliased, Bytes{'o', 'k'}).has_value());
    // Nor a reply as a new request.
    Bytes replyAsRequest(s.ephemeral.publicKey.begin(), s.ephemeral.publicKey.end());
    replyAsRequest.insert(replyAsRequest.end(), reply.begin(), reply.end());
    EXPECT_FALSE(openRequest(s.device, replyAsRequest).has_value());
}

TEST(Channel, RefusesADeviceKeyThatIsNotAUsablePoint) {
    const PublicKey smallOrder{}; // all zero: a point of small order
    EXPECT_FALSE(sealRequest(smallOrder, newEphemeralKeyPair(), Bytes{1}).has_value());
    EXPECT_FALSE(openReply(newEphemeralKeyPair(), smallOrder, Bytes(64, 0)).has_value());
}

TEST(Payload, RoundTripKeepsEveryField) {
    const Payload p = samplePayload();
    const auto encoded = encodePayload(p);
    ASSERT_TRUE(encoded.has_value());
    const auto decoded = decodePayload(*encoded);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->messageType, p.messageType);
    EXPECT_EQ(decoded->target, p.target);
    EXPECT_EQ(decoded->requestId, p.requestId);
    EXPECT_EQ(decoded->challenge, p.challenge);
    ASSERT_EQ(decoded->fields.size(), 3u);
    EXPECT_EQ(decoded->text(1), "Secret#2024");
    EXPECT_EQ(decoded->find(2)->value, Bytes{});
    EXPECT_EQ(decoded->find(0xFFFF)->value, Bytes(300, 0x5A));
    EXPECT_EQ(decoded->find(3), nullptr);
    EXPECT_FALSE(decoded->text(3).has_value());
}

TEST(Payload, EncodeRefusesDuplicatesAndOversize) {
    Payload duplicate = samplePayload();
    duplicate.addText(1, "again");
    EXPECT_FALSE(encodePayload(duplicate).has_value());

    Payload big = samplePayload();
    big.fields.clear();
    big.add(7, Bytes(kMaxPayloadSize, 0));
    EXPECT_FALSE(encodePayload(big).has_value());
}

TEST(Payload, DecodeRefusesMalformedInput) {
    const Bytes good = *encodePayload(samplePayload());
    const std::size_t header = 1 + 1 + kMacSize + kRequestIdSize + kChallengeSize;
    std::vector<std::pair<const char*, Bytes>> cases;
    cases.emplace_back("empty", Bytes{});
    cases.emplace_back("shortHeader", Bytes(good.begin(), good.begin() + header - 1));
    Bytes version = good;
    version[0] = 2;
    cases.emplace_back("version", version);
    cases.emplace_back("halfTag", Bytes(good.begin(), good.begin() + header + 3));
    cases.emplace_back("cutValue", Bytes(good.begin(), good.end() - 1));
    Bytes lengthPastEnd = good;
    lengthPastEnd[header + 2] = 0xFF;
    cases.emplace_back("lengthPastEnd", lengthPastEnd);
    Bytes duplicate = good;
    const Bytes field{0x00, 0x01, 0x00, 0x00};
    duplicate.insert(duplicate.end(), field.begin(), field.end());
    cases.emplace_back("duplicateTag", duplicate);
    Bytes oversized(header, 0);
    oversized[0] = 1;
    oversized.resize(kMaxPayloadSize + 1, 0);
    cases.emplace_back("oversized", oversized);
    for (const auto& [name, bytes] : cases)
        EXPECT_FALSE(decodePayload(bytes).has_value()) << name;
    // Sanity: the header alone, without fields, is fine.
    EXPECT_TRUE(decodePayload(Bytes(good.begin(), good.begin() + header)).has_value());
}

// The device accepts a payload only for its own MAC, the request id of the datagram and its current
// challenge; the tool applies the same check to the reply.
TEST(Payload, BindingCatchesEveryMismatch) {
    const Payload p = samplePayload();
    const Mac otherMac = *parseMac("aa-bb-cc-dd-ee-fe");
    RequestId otherId = p.requestId;
    otherId[15] ^= 1;
    Challenge otherChallenge = p.challenge;
    otherChallenge[0] ^= 1;
    EXPECT_EQ(checkBinding(p, kActivate, p.target, p.requestId, p.challenge), Binding::Ok);
    EXPECT_EQ(checkBinding(p, kResult, p.target, p.requestId, p.challenge), Binding::WrongType);
    EXPECT_EQ(checkBinding(p, kActivate, otherMac, p.requestId, p.challenge), Binding::WrongTarget);
    EXPECT_EQ(checkBinding(p, kActivate, p.target, otherId, p.challenge), Binding::WrongRequestId);
    EXPECT_EQ(checkBinding(p, kActivate, p.target, p.requestId, otherChallenge), Binding::WrongChallenge);
    EXPECT_EQ(checkBinding(p, kActivate, p.target, p.requestId, newChallenge()), Binding::WrongChallenge);
}
