#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include <QMetaType>
#include <QString>
#include <QVector>

#include "deviceoutcome/Outcome.h"

struct VEXA_DEVICE_INFO;
struct VEXA_NET_PARAM;

// Everything the program knows about one discovered device. A plain record of fixed layout, copied whole;
// texts are 8-bit and NUL-padded to their width, and a text that fills its field has no terminator.
struct VEXA_DEVICE_MY_INFO {
    char serialNo[48];
    char mac[20];
    char ipv4Address[16];
    char ipv4SubnetMask[16];
    int32_t deviceTypeCode;
    int32_t port;
    int32_t httpPort; // 0 when the device has none
    int32_t channelCount;
    int32_t auxCount;
    char softwareVersion[48];
    char dspVersion[48];
    char bootTime[48];
    char deviceTypeName[24];
    char ipv4Gateway[16];
    char ipv6Address[46];
    char ipv6Gateway[46];
    uint8_t ipv6PrefixLength;
    uint8_t supportFlags;
    uint8_t resetFlags;
    uint8_t dhcpEnabled;
    uint8_t capabilityLevel;
    uint8_t recordValid;
    uint8_t certified;     // 1 when the device's identity verifies; an unverified device is never sent a secret
    uint8_t protocol;      // VEXA_PROTOCOL_* of vexa.h: ours, or an ONVIF device
    uint8_t detailsState;  // VEXA_DETAILS_* of vexa.h, ONVIF devices only
    char manufacturer[32]; // ONVIF devices only
    uint8_t reserved1[28];
    uint8_t source;     // VEXA_SOURCE_* of vexa.h: how it came to be listed
    uint8_t onvifFlags; // VEXA_ONVIF_* of vexa.h, ONVIF devices only
    char deviceName[32];
    char serviceTag[20];
    uint8_t padding1;
    uint16_t rtspPort;
    char endpointReference[64]; // an ONVIF device's WS-Discovery identity, e.g. "urn:uuid:..."; empty for ours
    uint8_t activationState;    // 0 activated, anything else not activated
    uint8_t padding2;
};

static_assert(offsetof(VEXA_DEVICE_MY_INFO, serialNo) == 0);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, mac) == 48);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, ipv4Address) == 68);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, ipv4SubnetMask) == 84);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, deviceTypeCode) == 100);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, port) == 104);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, httpPort) == 108);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, channelCount) == 112);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, auxCount) == 116);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, softwareVersion) == 120);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, dspVersion) == 168);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, bootTime) == 216);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, deviceTypeName) == 264);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, ipv4Gateway) == 288);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, ipv6Address) == 304);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, ipv6Gateway) == 350);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, ipv6PrefixLength) == 396);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, supportFlags) == 397);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, resetFlags) == 398);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, dhcpEnabled) == 399);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, capabilityLevel) == 400);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, recordValid) == 401);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, certified) == 402);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, protocol) == 403);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, detailsState) == 404);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, manufacturer) == 405);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, source) == 465);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, onvifFlags) == 466);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, deviceName) == 467);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, serviceTag) == 499);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, rtspPort) == 520);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, endpointReference) == 522);
static_assert(offsetof(VEXA_DEVICE_MY_INFO, activationState) == 586);
static_assert(sizeof(VEXA_DEVICE_MY_INFO) == 588);
static_assert(std::is_trivially_copyable_v<VEXA_DEVICE_MY_INFO>);

// supportFlags and resetFlags hold the VEXA_SUPPORT_* and VEXA_RESET_* bits of vexa.h.

// Who a device is: its serial number and MAC together (either alone may repeat on a network). Rows, selections and
// results name a device by this key, never by the texts a table shows.
struct DeviceKey {
    QString serialNo;
    QString mac;

    bool isNull() const { return serialNo.isEmpty() && mac.isEmpty(); }
    bool operator==(const DeviceKey& other) const { return serialNo == other.serialNo && mac == other.mac; }
};

// The key of a record. An ONVIF device whose details are not read yet has neither serial number nor MAC; it is
// named by its endpoint reference in the serial number's place until they arrive.
DeviceKey deviceKeyOf(const VEXA_DEVICE_MY_INFO& record);

// One selected device as the list page hands it to the modify page, and as results come back.
struct DeviceInfo {
    QString index;
    QString deviceType;
    QString ipv4Address;
    QString serialNo;
    QString mac;
    QString result;                 // the sentence shown for outcome
    VexaTool::Outcome outcome = {}; // what came of the call, when the entry comes back as a result

    bool operator==(const DeviceInfo& other) const {
        return index == other.index && deviceType == other.deviceType && ipv4Address == other.ipv4Address &&
               serialNo == other.serialNo && mac == other.mac && result == other.result && outcome == other.outcome;
    }
};

// Builds the program's record from the library's: zero-filled, every text copied as a block of its full
// width (never scanned for a terminator), the HTTP port widened from 16 bits, recordValid set.
void buildDeviceRecord(const VEXA_DEVICE_INFO& source, VEXA_DEVICE_MY_INFO& record);

// A record's text field as a string, bounded by the field's width: UTF-8, as devices keep texts, or Latin-1 (one
// character per byte) where the bytes are not UTF-8, so that an older device's name still reads right.
QString recordText(const char* field, std::size_t width);
template <std::size_t N>
QString recordText(const char (&field)[N]) {
    return recordText(field, N);
}

// The library's capability bits (VEXA_CAN_* and the others of vexa.h) for a device: what may be done with it.
// Ask these rather than the protocol.
uint32_t capabilitiesOf(const VEXA_DEVICE_MY_INFO& record);
inline bool can(const VEXA_DEVICE_MY_INFO& record, uint32_t capability) {
    return (capabilitiesOf(record) & capability) == capability;
}

// Whether an ONVIF device's details were read, wholly or in part (it is then known by its serial number and MAC);
// true for our devices.
bool detailsRead(const VEXA_DEVICE_MY_INFO& record);

// A device's text as a person may safely see it: every invisible format or control character (bidi overrides and
// isolates, zero-width marks, C0 and C1 controls) written as "<U+202E>", so that a name cannot pass for another.
// Returns the text itself, shared, when there is nothing to mark.
QString visibleText(const QString& text);

// Copies a string into a fixed field: NUL-padded, cut at the field's width (no terminator when full).
void setRecordText(char* field, std::size_t width, const QByteArray& text);
template <std::size_t N>
void setRecordText(char (&field)[N], const QByteArray& text) {
    setRecordText(field, N, text);
}

Q_DECLARE_METATYPE(VEXA_DEVICE_MY_INFO)
Q_DECLARE_METATYPE(DeviceInfo)
Q_DECLARE_METATYPE(DeviceKey)
