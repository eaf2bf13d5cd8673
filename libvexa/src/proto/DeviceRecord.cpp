#include "DeviceRecord.h"

#include <tuple>

namespace vexa::proto {

namespace {

auto tie(const DeviceRecord& r) {
    return std::tie(r.serialNo, r.mac, r.ipv4Address, r.ipv4SubnetMask, r.ipv4Gateway, r.deviceTypeCode, r.port,
                    r.channelCount, r.auxCount, r.softwareVersion, r.dspVersion, r.bootTime, r.deviceTypeName,
                    r.oemInfo, r.ipv6Address, r.ipv6Gateway, r.ipv6PrefixLength, r.supportFlags, r.dhcpEnabled,
                    r.capabilityLevel, r.httpPort, r.deviceClass, r.oemCode, r.activationState, r.resetFlags,
                    r.deviceName, r.serviceTag, r.rtspPort, r.publicKey, r.certificate);
}

} // namespace

bool DeviceRecord::operator==(const DeviceRecord& other) const {
    return version == other.version && tie(*this) == tie(other);
}

bool DeviceRecord::sameFields(const DeviceRecord& other) const {
    return tie(*this) == tie(other);
}

std::string deviceKey(const std::string& serialNo, const std::string& mac) {
    return serialNo + '\n' + mac;
}

void writeDeviceRecord(TlvWriter& w, const DeviceRecord& r) {
    w.addText(TagSerial, r.serialNo);
    w.addText(TagMac, r.mac);
    w.addText(TagIpv4, r.ipv4Address);
    w.addText(TagMask, r.ipv4SubnetMask);
    w.addText(TagGateway, r.ipv4Gateway);
    w.addU32(TagTypeCode, r.deviceTypeCode);
    w.addU32(TagPort, r.port);
    w.addU32(TagChannels, r.channelCount);
    w.addU32(TagAuxCount, r.auxCount);
    w.addText(TagSoftwareVersion, r.softwareVersion);
    w.addText(TagDspVersion, r.dspVersion);
    w.addText(TagBootTime, r.bootTime);
    w.addText(TagTypeName, r.deviceTypeName);
    w.addText(TagOemInfo, r.oemInfo);
    w.addText(TagIpv6Address, r.ipv6Address);
    w.addText(TagIpv6Gateway, r.ipv6Gateway);
    w.addU8(TagIpv6Prefix, r.ipv6PrefixLength);
    w.addU8(TagSupportFlags, r.supportFlags);
    w.addU8(TagDhcp, r.dhcpEnabled);
    w.addU8(TagCapability, r.capabilityLevel);
    w.addU16(TagHttpPort, r.httpPort);
    w.addU8(TagDeviceClass, r.deviceClass);
    w.addU8(TagOemCode, r.oemCode);
    w.addU8(TagActivation, r.activationState);
    w.addU8(TagResetFlags, r.resetFlags);
    w.addText(TagDeviceName, r.deviceName);
    w.addText(TagServiceTag, r.serviceTag);
    w.addU16(TagRtspPort, r.rtspPort);
    if (!r.publicKey.empty())
        w.addBytes(TagPublicKey, r.publicKey);
    if (!r.certificate.empty())
        w.addBytes(TagCertificate, r.certificate);
    if (r.version != 0)
        w.addU32(TagRecordVersion, r.version);
}

DecodeError readDeviceRecord(const Frame& f, DeviceRecord& r) {
    if (!f.has(TagSerial) || !f.has(TagMac))
        return DecodeError::MissingField;
    r = DeviceRecord();
    r.serialNo = f.text(TagSerial);
    r.mac = f.text(TagMac);
    if (r.serialNo.empty() || r.mac.empty())
        return DecodeError::BadField;
    r.ipv4Address = f.text(TagIpv4);
    r.ipv4SubnetMask = f.text(TagMask);
    r.ipv4Gateway = f.text(TagGateway);
    r.deviceTypeCode = f.u32(TagTypeCode);
    r.port = f.u32(TagPort);
    r.channelCount = f.u32(TagChannels);
    r.auxCount = f.u32(TagAuxCount);
    r.softwareVersion = f.text(TagSoftwareVersion);
    r.dspVersion = f.text(TagDspVersion);
    r.bootTime = f.text(TagBootTime);
    r.deviceTypeName = f.text(TagTypeName);
    r.oemInfo = f.text(TagOemInfo);
    r.ipv6Address = f.text(TagIpv6Address);
    r.ipv6Gateway = f.text(TagIpv6Gateway);
    r.ipv6PrefixLength = f.u8(TagIpv6Prefix);
    r.supportFlags = f.u8(TagSupportFlags);
    r.dhcpEnabled = f.u8(TagDhcp);
    r.capabilityLevel = f.u8(TagCapability);
    r.httpPort = f.u16(TagHttpPort);
    r.deviceClass = f.u8(TagDeviceClass, 1);
    r.oemCode = f.u8(TagOemCode);
    r.activationState = f.u8(TagActivation);
    r.resetFlags = f.u8(TagResetFlags);
    r.deviceName = f.text(TagDeviceName);
    r.serviceTag = f.text(TagServiceTag);
    r.rtspPort = f.u16(TagRtspPort);
    r.publicKey = f.bytes(TagPublicKey);
    r.certificate = f.bytes(TagCertificate);
    r.version = f.u32(TagRecordVersion);
    return DecodeError::None;
}

std::vector<uint8_t> encodeAnnounce(const DeviceRecord& record, const RequestId& id) {
    TlvWriter w;
    writeDeviceRecord(w, record);
    return encodeFrame(MsgType::Announce, id, w);
}

} // namespace vexa::proto
