#include "Codec.h"

#include <algorithm>

namespace vexa::proto {

namespace {

constexpr uint8_t kMagic[4] = {'V', 'X', 'D', 'P'};

uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t readU32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

void writeU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v & 0xff));
}

bool fieldValid(const Tlv& tlv) {
    const FieldRule rule = fieldRule(tlv.tag);
    switch (rule.kind) {
    case FieldKind::Unknown:
        return true;
    case FieldKind::Text:
        return isValidText(tlv.value, tlv.length, rule.limit);
    case FieldKind::U8:
        return tlv.length == 1;
    case FieldKind::U16:
        return tlv.length == 2;
    case FieldKind::U32:
        return tlv.length == 4;
    case FieldKind::Bytes:
        return tlv.length <= rule.limit;
    case FieldKind::FixedBytes:
        return tlv.length == rule.limit;
    }
    return false;
}

} // namespace

bool isKnownType(uint8_t type) {
    switch (static_cast<MsgType>(type)) {
    case MsgType::Inquiry:
    case MsgType::Announce:
    case MsgType::Bye:
    case MsgType::GetChallenge:
    case MsgType::Challenge:
    case MsgType::Activate:
    case MsgType::SetNetwork:
    case MsgType::GetKeyRequest:
    case MsgType::ResetPassword:
    case MsgType::RestoreDefault:
    case MsgType::Result:
        return true;
    }
    return false;
}

bool isToolMessage(MsgType type) {
    switch (type) {
    case MsgType::Inquiry:
    case MsgType::GetChallenge:
    case MsgType::Activate:
    case MsgType::SetNetwork:
    case MsgType::GetKeyRequest:
    case MsgType::ResetPassword:
    case MsgType::RestoreDefault:
        return true;
    default:
        return false;
    }
}

FieldRule fieldRule(uint16_t tag) {
    switch (tag) {
    case TagSerial:
    case TagSoftwareVersion:
    case TagDspVersion:
    case TagBootTime:
        return {FieldKind::Text, 48};
    case TagMac:
    case TagServiceTag:
        return {FieldKind::Text, 20};
    case TagIpv4:
    case TagMask:
    case TagGateway:
        return {FieldKind::Text, 16};
    case TagTypeName:
    case TagOemInfo:
        return {FieldKind::Text, 24};
    case TagIpv6Address:
    case TagIpv6Gateway:
        return {FieldKind::Text, 46};
    case TagDeviceName:
        return {FieldKind::Text, 32};
    case TagPassword:
        return {FieldKind::Text, 64};
    case TagResetKey:
        return {FieldKind::Text, 255};
    case TagSecurityCode:
        return {FieldKind::Text, 32};
    case TagTypeCode:
    case TagPort:
    case TagChannels:
    case TagAuxCount:
    case TagLockSeconds:
    case TagResultCode:
    case TagRecordVersion:
        return {FieldKind::U32, 4};
    case TagHttpPort:
    case TagRtspPort:
    case TagKnownPart:
        return {FieldKind::U16, 2};
    case TagIpv6Prefix:
    case TagSupportFlags:
    case TagDhcp:
    case TagCapability:
    case TagDeviceClass:
    case TagOemCode:
    case TagActivation:
    case TagResetFlags:
    case TagClassFilter:
    case TagInnerType:
    case TagResetIpc:
    case TagCommand:
        return {FieldKind::U8, 1};
    case TagPublicKey:
    case TagNonce:
    case TagEphemeralKey:
        return {FieldKind::FixedBytes, 32};
    case TagInnerRequestId:
        return {FieldKind::FixedBytes, 16};
    case TagCertificate:
        return {FieldKind::Bytes, 512};
    case TagSignature:
        return {FieldKind::FixedBytes, 64};
    case TagKnownMacs:
        return {FieldKind::Bytes, kMaxKnownMacs * 6};
    case TagSealed:
        return {FieldKind::Bytes, 1100};
    case TagData:
        return {FieldKind::Bytes, 384};
    default:
        return {FieldKind::Unknown, 0};
    }
}

const char* decodeErrorName(DecodeError error) {
    switch (error) {
    case DecodeError::None:
        return "none";
    case DecodeError::TooShort:
        return "too short";
    case DecodeError::BadMagic:
        return "bad magic";
    case DecodeError::BadVersion:
        return "bad version";
    case DecodeError::UnknownType:
        return "unknown type";
    case DecodeError::BadBodyLength:
        return "bad body length";
    case DecodeError::Oversize:
        return "oversize";
    case DecodeError::TruncatedTlv:
        return "truncated tlv";
    case DecodeError::DuplicateTag:
        return "duplicate tag";
    case DecodeError::BadField:
        return "bad field";
    case DecodeError::MissingField:
        return "missing field";
    }
    return "?";
}

bool isValidText(const uint8_t* data, size_t size, size_t limit) {
    if (size > limit)
        return false;
    for (size_t i = 0; i < size; ++i) {
        // Control bytes (and NUL, which would cut the text short in a fixed field) mark a forged record.
        if (data[i] < 0x20 || data[i] == 0x7f)
            return false;
    }
    return true;
}

const Tlv* Frame::find(uint16_t tag) const {
    for (const Tlv& t : tlvs) {
        if (t.tag == tag)
            return &t;
    }
    return nullptr;
}

uint32_t Frame::u32(uint16_t tag, uint32_t fallback) const {
    const Tlv* t = find(tag);
    return (t && t->length == 4) ? readU32(t->value) : fallback;
}

uint16_t Frame::u16(uint16_t tag, uint16_t fallback) const {
    const Tlv* t = find(tag);
    return (t && t->length == 2) ? readU16(t->value) : fallback;
}

uint8_t Frame::u8(uint16_t tag, uint8_t fallback) const {
    const Tlv* t = find(tag);
    return (t && t->length == 1) ? t->value[0] : fallback;
}

std::string Frame::text(uint16_t tag) const {
    const Tlv* t = find(tag);
    return t ? std::string(reinterpret_cast<const char*>(t->value), t->length) : std::string();
}

std::vector<uint8_t> Frame::bytes(uint16_t tag) const {
    const Tlv* t = find(tag);
    return t ? std::vector<uint8_t>(t->value, t->value + t->length) : std::vector<uint8_t>();
}

DecodeError decodeTlvs(const uint8_t* data, size_t size, std::vector<Tlv>& out) {
    out.clear();
    size_t pos = 0;
    while (pos < size) {
        if (size - pos < 4)
            return DecodeError::TruncatedTlv;
        Tlv tlv;
        tlv.tag = readU16(data + pos);
        tlv.length = readU16(data + pos + 2);
        pos += 4;
        if (tlv.length > size - pos)
            return DecodeError::TruncatedTlv;
        tlv.value = data + pos;
        pos += tlv.length;
        for (const Tlv& seen : out) {
            if (seen.tag == tlv.tag)
                return DecodeError::DuplicateTag;
        }
        if (!fieldValid(tlv))
            return DecodeError::BadField;
        // Unknown tags pass (newer peers may add fields); readers look up only the tags they know.
        out.push_back(tlv);
    }
    return DecodeError::None;
}

DecodeError decodeFrame(const uint8_t* data, size_t size, Frame& out) {
    if (size > kMaxDatagram)
        return DecodeError::Oversize;
    if (size < kHeaderSize)
        return DecodeError::TooShort;
    if (!std::equal(kMagic, kMagic + 4, data))
        return DecodeError::BadMagic;
    if (data[4] != kVersion)
        return DecodeError::BadVersion;
    if (!isKnownType(data[5]))
        return DecodeError::UnknownType;
    const uint16_t bodyLength = readU16(data + 24);
    if (bodyLength != size - kHeaderSize)
        return DecodeError::BadBodyLength;
    out.type = static_cast<MsgType>(data[5]);
    out.flags = readU16(data + 6);
    std::copy(data + 8, data + 24, out.requestId.begin());
    return decodeTlvs(data + kHeaderSize, bodyLength, out.tlvs);
}

void TlvWriter::put(uint16_t tag, const uint8_t* data, size_t size) {
    if (!ok_)
        return;
    if (size > 0xffff || body_.size() + 4 + size > kMaxDatagram - kHeaderSize) {
        ok_ = false;
        return;
    }
    writeU16(body_, tag);
    writeU16(body_, static_cast<uint16_t>(size));
    body_.insert(body_.end(), data, data + size);
}

void TlvWriter::addU8(uint16_t tag, uint8_t value) {
    put(tag, &value, 1);
}

void TlvWriter::addU16(uint16_t tag, uint16_t value) {
    const uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    put(tag, b, 2);
}

void TlvWriter::addU32(uint16_t tag, uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    put(tag, b, 4);
}

void TlvWriter::addText(uint16_t tag, const std::string& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(value.data());
    const FieldRule rule = fieldRule(tag);
    if (rule.kind == FieldKind::Text && !isValidText(p, value.size(), rule.limit)) {
        ok_ = false;
        return;
    }
    put(tag, p, value.size());
}

void TlvWriter::addBytes(uint16_t tag, const uint8_t* data, size_t size) {
    const FieldRule rule = fieldRule(tag);
    if ((rule.kind == FieldKind::Bytes && size > rule.limit) ||
        (rule.kind == FieldKind::FixedBytes && size != rule.limit)) {
        ok_ = false;
        return;
    }
    put(tag, data, size);
}

std::vector<uint8_t> encodeFrame(MsgType type, const RequestId& id, const TlvWriter& body, uint16_t flags) {
    if (!body.ok())
        return {};
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + body.body().size());
    out.insert(out.end(), kMagic, kMagic + 4);
    out.push_back(kVersion);
    out.push_back(static_cast<uint8_t>(type));
    writeU16(out, flags);
    out.insert(out.end(), id.begin(), id.end());
    writeU16(out, static_cast<uint16_t>(body.body().size()));
    out.insert(out.end(), body.body().begin(), body.body().end());
    return out;
}

} // namespace vexa::proto
