#pragma once

// Wire format of the discovery protocol: a fixed header, then TLVs (tag u16, length u16, value), integers
// big-endian. Every message fits one datagram of at most kMaxDatagram bytes. Decoding never trusts a length:
// a truncated TLV, a length past the datagram, a duplicate tag or a field that breaks its limits drops the
// whole message.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexa::proto {

constexpr uint8_t kVersion = 1;
constexpr size_t kMaxDatagram = 1232;
constexpr size_t kHeaderSize = 26; // magic 4, version 1, type 1, flags 2, request id 16, body length 2
constexpr size_t kRequestIdOffset = 8;
constexpr uint16_t kDefaultPort = 42086;
constexpr const char* kGroupAddress = "239.255.86.88";
constexpr size_t kMaxKnownMacs = 192; // per inquiry datagram: 1152 bytes of MACs fit beside the header

enum class MsgType : uint8_t {
    Inquiry = 1,
    Announce = 2,
    Bye = 3,
    GetChallenge = 4,
    Challenge = 5,
    Activate = 16,
    SetNetwork = 17,
    GetKeyRequest = 18,
    ResetPassword = 19,
    RestoreDefault = 20,
    Result = 32,
};

bool isKnownType(uint8_t type);
bool isToolMessage(MsgType type);

using RequestId = std::array<uint8_t, 16>;

// One tag space for every message, so a tag has one meaning and one set of limits wherever it appears.
enum Tag : uint16_t {
    TagSerial = 1,
    TagMac = 2,
    TagIpv4 = 3,
    TagMask = 4,
    TagGateway = 5,
    TagTypeCode = 6,
    TagPort = 7,
    TagChannels = 8,
    TagAuxCount = 9,
    TagSoftwareVersion = 10,
    TagDspVersion = 11,
    TagBootTime = 12,
    TagTypeName = 13,
    TagOemInfo = 14,
    TagIpv6Address = 15,
    TagIpv6Gateway = 16,
    TagIpv6Prefix = 17,
    TagSupportFlags = 18,
    TagDhcp = 19,
    TagCapability = 20,
    TagHttpPort = 21,
    TagDeviceClass = 22,
    TagOemCode = 23,
    TagActivation = 24,
    TagResetFlags = 25,
    TagDeviceName = 26,
    TagServiceTag = 27,
    TagRtspPort = 28,
    TagPublicKey = 29,
    TagCertificate = 30,
    TagClassFilter = 31,
    // Signed device messages.
    TagSignature = 32,     // the device's Ed25519 signature, always the last TLV of the message it signs
    TagRecordVersion = 33, // grows with every change of the record and every boot; older versions are stale
    // Known answers in an inquiry: 6-byte MACs of devices the client has heard, concatenated.
    TagKnownMacs = 34,
    TagKnownPart = 35, // which part of the known-answer list this datagram carries (0, 1, ...)
    // Device operations.
    TagNonce = 40,
    TagLockSeconds = 41,
    TagEphemeralKey = 42,
    TagSealed = 43,
    TagResultCode = 44,
    TagData = 45,
    TagInnerType = 50,
    TagInnerRequestId = 52,
    TagPassword = 53,
    TagResetKey = 55,
    TagResetIpc = 57,
    TagSecurityCode = 58,
    TagCommand = 59,
};

enum class FieldKind : uint8_t { Unknown, Text, U8, U16, U32, Bytes, FixedBytes };

struct FieldRule {
    FieldKind kind;
    uint16_t limit; // Text/Bytes: maximum length; FixedBytes: exact length
};

FieldRule fieldRule(uint16_t tag);

enum class DecodeError {
    None,
    TooShort,
    BadMagic,
    BadVersion,
    UnknownType,
    BadBodyLength,
    Oversize,
    TruncatedTlv,
    DuplicateTag,
    BadField,
    MissingField,
};

const char* decodeErrorName(DecodeError error);

struct Tlv {
    uint16_t tag = 0;
    uint16_t length = 0;
    const uint8_t* value = nullptr;
};

// A decoded message. The TLVs point into the caller's buffer, which must outlive the frame.
struct Frame {
    MsgType type = MsgType::Inquiry;
    uint16_t flags = 0;
    RequestId requestId{};
    std::vector<Tlv> tlvs;

    const Tlv* find(uint16_t tag) const;
    bool has(uint16_t tag) const { return find(tag) != nullptr; }
    uint32_t u32(uint16_t tag, uint32_t fallback = 0) const;
    uint16_t u16(uint16_t tag, uint16_t fallback = 0) const;
    uint8_t u8(uint16_t tag, uint8_t fallback = 0) const;
    std::string text(uint16_t tag) const;
    std::vector<uint8_t> bytes(uint16_t tag) const;
};

DecodeError decodeFrame(const uint8_t* data, size_t size, Frame& out);

// Body only (TLVs without a header): the layout of the encrypted payloads.
DecodeError decodeTlvs(const uint8_t* data, size_t size, std::vector<Tlv>& out);

// Builds one message. A value that breaks its tag's rule or a message that outgrows the datagram marks the
// writer failed; finish() then returns an empty buffer, so a bad message is never sent.
class TlvWriter {
public:
    void addU8(uint16_t tag, uint8_t value);
    void addU16(uint16_t tag, uint16_t value);
    void addU32(uint16_t tag, uint32_t value);
    void addText(uint16_t tag, const std::string& value);
    void addBytes(uint16_t tag, const uint8_t* data, size_t size);
    void addBytes(uint16_t tag, const std::vector<uint8_t>& value) { addBytes(tag, value.data(), value.size()); }
    bool ok() const { return ok_; }
    const std::vector<uint8_t>& body() const { return body_; }

private:
    void put(uint16_t tag, const uint8_t* data, size_t size);
    std::vector<uint8_t> body_;
    bool ok_ = true;
};

std::vector<uint8_t> encodeFrame(MsgType type, const RequestId& id, const TlvWriter& body, uint16_t flags = 0);

// Texts on the wire: printable, no NUL or control bytes, at most the field's width.
bool isValidText(const uint8_t* data, size_t size, size_t limit);

} // namespace vexa::proto
