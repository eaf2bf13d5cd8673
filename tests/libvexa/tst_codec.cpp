// The codec is the only thing between the network and our fixed records: every malformed input must be
// refused whole, every valid one must come back unchanged.

#include <functional>
#include <gtest/gtest.h>

#include "proto/Codec.h"
#include "proto/DeviceRecord.h"

using namespace vexa::proto;

namespace {

DeviceRecord fullRecord() {
    DeviceRecord r;
    r.serialNo = std::string(48, 'S');
    r.mac = "02-56-01-00-00-2a";
    r.ipv4Address = "127.17.0.44";
    r.ipv4SubnetMask = "255.255.0.0";
    r.ipv4Gateway = "127.17.0.1";
    r.deviceTypeCode = 0x9D01;
    r.port = 8000;
    r.channelCount = 16;
    r.auxCount = 4;
    r.softwareVersion = "V5.7.2 build 235712";
    r.dspVersion = "V7.3 build 238915";
    r.bootTime = "2024-08-18 21:37:12";
    r.deviceTypeName = std::string(24, 'T');
    r.oemInfo = "Fynmar_quelbrok";
    r.ipv6Address = "fd00:56:1::2";
    r.ipv6Gateway = "fd00:56:1::1";
    r.ipv6PrefixLength = 64;
    r.supportFlags = 0xC7;
    r.dhcpEnabled = 1;
    r.capabilityLevel = 2;
    r.httpPort = 65535;
    r.deviceClass = 2;
    r.oemCode = 1;
    r.activationState = 1;
    r.resetFlags = 1;
    r.deviceName = "Camera \xc3\xa9 42"; // UTF-8 passes; only control bytes are refused
    r.serviceTag = "ST010000000042";
    r.rtspPort = 554;
    r.publicKey.assign(32, 0x42);
    r.certificate.assign(64, 0x24);
    return r;
}

RequestId someId() {
    RequestId id;
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = static_cast<uint8_t>(i * 7 + 1);
    return id;
}

std::vector<uint8_t> withBody(MsgType type, const std::function<void(TlvWriter&)>& fill) {
    TlvWriter w;
    fill(w);
    return encodeFrame(type, someId(), w);
}

void appendRaw(std::vector<uint8_t>& frame, uint16_t tag, const std::vector<uint8_t>& value, int lengthDelta = 0) {
    const uint16_t length = static_cast<uint16_t>(static_cast<int>(value.size()) + lengthDelta);
    frame.push_back(static_cast<uint8_t>(tag >> 8));
    frame.push_back(static_cast<uint8_t>(tag));
    frame.push_back(static_cast<uint8_t>(length >> 8));
    frame.push_back(static_cast<uint8_t>(length));
    frame.insert(frame.end(), value.begin(), value.end());
    const size_t body = frame.size() - kHeaderSize;
    frame[24] = static_cast<uint8_t>(body >> 8);
    frame[25] = static_cast<uint8_t>(body);
}

} // namespace

TEST(Codec, AnnounceRoundTripKeepsEveryField) {
    const DeviceRecord record = fullRecord();
    const std::vector<uint8_t> datagram = encodeAnnounce(record, someId());
    ASSERT_FALSE(datagram.empty());
    ASSERT_LE(datagram.size(), kMaxDatagram);
    Frame frame;
    ASSERT_EQ(decodeFrame(datagram.data(), datagram.size(), frame), DecodeError::None);
    EXPECT_EQ(frame.type, MsgType::Announce);
    EXPECT_EQ(frame.requestId, someId());
    DeviceRecord decoded;
    ASSERT_EQ(readDeviceRecord(frame, decoded), DecodeError::None);
    EXPECT_TRUE(decoded == record);
}

TEST(Codec, EveryTruncationIsRefused) {
    const std::vector<uint8_t> datagram = encodeAnnounce(fullRecord(), someId());
    for (size_t size = 0; size < datagram.size(); ++size) {
        Frame frame;
        EXPECT_NE(decodeFrame(datagram.data(), size, frame), DecodeError::None) << "prefix of " << size;
    }
}

TEST(Codec, TextsAreBoundByTheirFieldWidth) {
    struct Case {
        uint16_t tag;
        size_t width;
    };
    const Case cases[] = {
        {TagSerial, 48},          {TagMac, 20},         {TagIpv4, 16},       {TagMask, 16},      {TagGateway, 16},
        {TagSoftwareVersion, 48}, {TagDspVersion, 48},  {TagBootTime, 48},   {TagTypeName, 24},  {TagOemInfo, 24},
        {TagIpv6Address, 46},     {TagIpv6Gateway, 46}, {TagDeviceName, 32}, {TagServiceTag, 20}};
    for (const Case& c : cases) {
        for (size_t length : {c.width, c.width + 1}) {
            std::vector<uint8_t> frame = withBody(MsgType::Announce, [](TlvWriter&) {});
            appendRaw(frame, c.tag, std::vector<uint8_t>(length, 'x'));
            Frame decoded;
            const DecodeError error = decodeFrame(frame.data(), frame.size(), decoded);
            EXPECT_EQ(error, length <= c.width ? DecodeError::None : DecodeError::BadField)
                << "tag " << c.tag << " length " << length;
        }
        // The writer refuses what the reader would refuse, so we never send a record that peers drop.
        TlvWriter w;
        w.addText(c.tag, std::string(c.width + 1, 'x'));
        EXPECT_FALSE(w.ok());
    }
}

TEST(Codec, MalformedMessagesAreRefusedWhole) {
    const std::vector<uint8_t> good = encodeAnnounce(fullRecord(), someId());
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        DecodeError expected;
    };
    const std::vector<Case> cases = {
        {"bad magic", [](auto& f) { f[0] = 'W'; }, DecodeError::BadMagic},
        {"bad version", [](auto& f) { f[4] = 2; }, DecodeError::BadVersion},
        {"unknown type", [](auto& f) { f[5] = 99; }, DecodeError::UnknownType},
        {"body length too long", [](auto& f) { f[25] = static_cast<uint8_t>(f[25] + 1); }, DecodeError::BadBodyLength},
        {"trailing garbage", [](auto& f) { f.push_back(0); }, DecodeError::BadBodyLength},
        {"tlv length past the end",
         [](auto& f) {
             appendRaw(f, 900, {1, 2, 3}, 40);
         },
         DecodeError::TruncatedTlv},
        {"half a tlv header",
         [](auto& f) {
             appendRaw(f, 0, {});
             f.resize(f.size() - 2);
             f[25] -= 2;
         },
         DecodeError::TruncatedTlv},
        {"duplicate tag", [](auto& f) { appendRaw(f, TagSerial, {'A'}); }, DecodeError::DuplicateTag},
        {"duplicate unknown tag",
         [](auto& f) {
             appendRaw(f, 901, {1});
             appendRaw(f, 901, {2});
         },
         DecodeError::DuplicateTag},
        {"nul inside a text",
         [](auto& f) {
             appendRaw(f, TagSecurityCode, {'a', 0, 'b'});
         },
         DecodeError::BadField},
        {"control byte inside a text",
         [](auto& f) {
             appendRaw(f, TagPassword, {'a', '\n'});
         },
         DecodeError::BadField},
        {"u32 of two bytes",
         [](auto& f) {
             appendRaw(f, TagResultCode, {0, 1});
         },
         DecodeError::BadField},
        {"u8 of two bytes",
         [](auto& f) {
             appendRaw(f, TagCommand, {0, 1});
         },
         DecodeError::BadField},
        {"short public key", [](auto& f) { appendRaw(f, TagNonce, std::vector<uint8_t>(31, 1)); },
         DecodeError::BadField},
        {"oversize datagram", [](auto& f) { appendRaw(f, 902, std::vector<uint8_t>(kMaxDatagram, 1)); },
         DecodeError::Oversize},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> frame = good;
        c.damage(frame);
        Frame decoded;
        EXPECT_EQ(decodeFrame(frame.data(), frame.size(), decoded), c.expected) << c.name;
    }
}

TEST(Codec, UnknownTagsAreSkipped) {
    std::vector<uint8_t> frame = encodeAnnounce(fullRecord(), someId());
    appendRaw(frame, 777, {9, 9, 9});
    Frame decoded;
    ASSERT_EQ(decodeFrame(frame.data(), frame.size(), decoded), DecodeError::None);
    DeviceRecord record;
    ASSERT_EQ(readDeviceRecord(decoded, record), DecodeError::None);
    EXPECT_TRUE(record == fullRecord());
}

TEST(Codec, AnnounceNeedsSerialAndMac) {
    for (uint16_t missing : {TagSerial, TagMac}) {
        const auto frame = withBody(MsgType::Announce, [missing](TlvWriter& w) {
            if (missing != TagSerial)
                w.addText(TagSerial, "X1");
            if (missing != TagMac)
                w.addText(TagMac, "02-00-00-00-00-01");
        });
        Frame decoded;
        ASSERT_EQ(decodeFrame(frame.data(), frame.size(), decoded), DecodeError::None);
        DeviceRecord record;
        EXPECT_EQ(readDeviceRecord(decoded, record), DecodeError::MissingField);
    }
}

TEST(Codec, WriterNeverBuildsAnOversizeDatagram) {
    TlvWriter w;
    for (int i = 0; i < 100; ++i)
        w.addBytes(TagData, std::vector<uint8_t>(300, 1));
    EXPECT_FALSE(w.ok());
    EXPECT_TRUE(encodeFrame(MsgType::Result, someId(), w).empty());
}
