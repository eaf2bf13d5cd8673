#include "Signing.h"

namespace vexa::proto {

namespace {

constexpr char kLabel[] = "VXDP-SIGNED-1";

crypto::Bytes message(MsgType type, const RequestId& id, const uint8_t* body, size_t size) {
    crypto::Bytes out(kLabel, kLabel + sizeof kLabel - 1);
    out.push_back(static_cast<uint8_t>(type));
    if (signatureBindsId(type, id))
        out.insert(out.end(), id.begin(), id.end());
    else
        out.insert(out.end(), id.size(), 0);
    out.insert(out.end(), body, body + size);
    return out;
}

} // namespace

bool signatureBindsId(MsgType type, const RequestId& id) {
    return type == MsgType::Challenge || (type == MsgType::Announce && id != RequestId{});
}

std::vector<uint8_t> encodeSigned(MsgType type, const RequestId& id, TlvWriter body, const crypto::KeyPair& key) {
    if (!body.ok())
        return {};
    const crypto::Bytes signedBytes = message(type, id, body.body().data(), body.body().size());
    const auto signature = crypto::sign(key, crypto::ByteView(signedBytes));
    if (!signature)
        return {};
    body.addBytes(TagSignature, signature->data(), signature->size());
    return encodeFrame(type, id, body);
}

crypto::ByteView signedBody(const Frame& frame, const uint8_t* data, size_t size) {
    if (frame.tlvs.empty() || frame.tlvs.back().tag != TagSignature || size < kHeaderSize)
        return {};
    const Tlv& last = frame.tlvs.back();
    // The TLVs point into data; the signature's own tag and length sit right before its value.
    if (last.value < data + kHeaderSize + 4 || last.value + last.length != data + size)
        return {};
    return crypto::ByteView(data + kHeaderSize, static_cast<size_t>(last.value - 4 - (data + kHeaderSize)));
}

bool resign(std::vector<uint8_t>& datagram, const RequestId& id, const crypto::KeyPair& key) {
    Frame frame;
    if (decodeFrame(datagram.data(), datagram.size(), frame) != DecodeError::None)
        return false;
    const crypto::ByteView body = signedBody(frame, datagram.data(), datagram.size());
    crypto::Signature old{};
    if (!body.data || frame.tlvs.back().length != old.size())
        return false;
    const crypto::Bytes signedBytes = message(frame.type, id, body.data, body.size);
    const auto signature = crypto::sign(key, crypto::ByteView(signedBytes));
    if (!signature)
        return false;
    std::copy(id.begin(), id.end(), datagram.begin() + kRequestIdOffset);
    std::copy(signature->begin(), signature->end(), datagram.end() - static_cast<std::ptrdiff_t>(signature->size()));
    return true;
}

bool verifySigned(const Frame& frame, const uint8_t* data, size_t size, const crypto::PublicKey& key) {
    const crypto::ByteView body = signedBody(frame, data, size);
    if (!body.data)
        return false;
    const Tlv& last = frame.tlvs.back();
    crypto::Signature signature{};
    if (last.length != signature.size())
        return false;
    std::copy(last.value, last.value + last.length, signature.begin());
    const crypto::Bytes signedBytes = message(frame.type, frame.requestId, body.data, body.size);
    return crypto::verifySignature(key, crypto::ByteView(signedBytes), signature);
}

} // namespace vexa::proto
