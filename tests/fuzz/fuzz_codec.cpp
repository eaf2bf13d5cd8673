// Fuzz target of the wire codec and of the sealed payload layout: whatever arrives, decoding never reads out of bounds,
// and a frame that decodes re-encodes to a frame that decodes to the same record.

#include <cstdint>
#include <cstdlib>

#include "proto/Codec.h"
#include "proto/DeviceRecord.h"
#include "proto/Signing.h"
#include "vexa_crypto.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vexa::proto;
    std::vector<Tlv> tlvs;
    decodeTlvs(data, size, tlvs);

    // The plaintext inside a sealed request or result: what a device parses after opening the box.
    if (auto payload = vexa::crypto::decodePayload(vexa::crypto::ByteView(data, size))) {
        for (const auto& f : payload->fields)
            payload->text(f.tag);
    }

    Frame frame;
    if (decodeFrame(data, size, frame) != DecodeError::None)
        return 0;
    for (const Tlv& tlv : frame.tlvs) {
        frame.text(tlv.tag);
        frame.u32(tlv.tag);
        frame.u16(tlv.tag);
        frame.u8(tlv.tag);
    }
    // Signatures: the signed span must lie inside the datagram whatever the frame says; a random one fails.
    static const vexa::crypto::PublicKey someKey = vexa::crypto::testManufacturerKeyPair().publicKey;
    const vexa::crypto::ByteView signedBytes = signedBody(frame, data, size);
    if (signedBytes.data && (signedBytes.data < data || signedBytes.data + signedBytes.size > data + size))
        std::abort();
    verifySigned(frame, data, size, someKey);
    DeviceRecord record;
    if (readDeviceRecord(frame, record) != DecodeError::None)
        return 0;
    const std::vector<uint8_t> again = encodeAnnounce(record, frame.requestId);
    if (again.empty())
        return 0; // a record too big for one datagram with every field present
    Frame second;
    DeviceRecord roundTrip;
    if (decodeFrame(again.data(), again.size(), second) != DecodeError::None ||
        readDeviceRecord(second, roundTrip) != DecodeError::None || !(roundTrip == record))
        std::abort();
    return 0;
}
