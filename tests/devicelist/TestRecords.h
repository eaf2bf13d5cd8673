#pragma once

// Device records for the list and export tests.

#include <cstring>

#include <QByteArray>

#include "discovery/DeviceRecord.h"
#include "vexa.h"

namespace testrecords {

inline VEXA_DEVICE_MY_INFO device(const QByteArray& serial, const QByteArray& mac, const QByteArray& address,
                                  uint8_t activation = 0, uint8_t level = 1) {
    VEXA_DEVICE_MY_INFO r;
    std::memset(&r, 0, sizeof r);
    setRecordText(r.serialNo, serial);
    setRecordText(r.mac, mac);
    setRecordText(r.ipv4Address, address);
    setRecordText(r.ipv4SubnetMask, "255.255.255.0");
    setRecordText(r.ipv4Gateway, "192.168.1.1");
    setRecordText(r.ipv6Address, "fd00::64");
    setRecordText(r.ipv6Gateway, "fd00::1");
    setRecordText(r.deviceTypeName, "VX-IPC-B120");
    setRecordText(r.deviceName, "Camera 1");
    setRecordText(r.softwareVersion, "V5.5.0 build 230101");
    setRecordText(r.dspVersion, "V7.1 build 230101");
    setRecordText(r.bootTime, "2024-01-02 03:04:05");
    setRecordText(r.serviceTag, "ST0001");
    r.port = 8000;
    r.httpPort = 80;
    r.rtspPort = 554;
    r.channelCount = 1;
    r.ipv6PrefixLength = 64;
    r.capabilityLevel = level;
    r.supportFlags = 0x07;
    r.activationState = activation;
    r.certified = 1;
    r.recordValid = 1;
    return r;
}

// An ONVIF device as the library reports it: before its details are read only what discovery tells (address,
// service port, name from its scopes); after them serial number, MAC, model, firmware and network settings.
inline VEXA_DEVICE_MY_INFO onvifDevice(const QByteArray& endpoint, const QByteArray& address, uint8_t state,
                                       const QByteArray& serial = QByteArray(), const QByteArray& mac = QByteArray()) {
    VEXA_DEVICE_MY_INFO r;
    std::memset(&r, 0, sizeof r);
    r.protocol = VEXA_PROTOCOL_ONVIF;
    r.detailsState = state;
    r.recordValid = 1;
    setRecordText(r.endpointReference, endpoint);
    setRecordText(r.ipv4Address, address);
    setRecordText(r.deviceName, "Gate camera");
    r.port = 8080;
    if (state == VEXA_DETAILS_READ) {
        setRecordText(r.serialNo, serial);
        setRecordText(r.mac, mac);
        setRecordText(r.ipv4SubnetMask, "255.255.255.0");
        setRecordText(r.ipv4Gateway, "192.168.1.1");
        setRecordText(r.deviceTypeName, "OC-2041");
        setRecordText(r.softwareVersion, "2.4.1");
        setRecordText(r.manufacturer, "Othermake");
        r.httpPort = 80;
        r.rtspPort = 554;
        r.supportFlags = VEXA_SUPPORT_DHCP;
        r.dhcpEnabled = 1;
    }
    return r;
}

// The i-th device of the fleet the pictures show: five models in turn, cameras and recorders, one in seven not
// activated (or every factory-new one), on 255.255.0.0 behind 127.16.0.1.
inline VEXA_DEVICE_MY_INFO pictureDevice(int i, const QByteArray& address, bool factoryNew = false) {
    const char* const models[] = {"VX-IPC-B120", "VX-IPC-D240", "VX-PTZ-Z330", "VX-NVR-N208", "VX-DVR-H104"};
    const QByteArray n = QByteArray::number(i);
    auto r = device("VX" + QByteArray(models[i % 5] + 3).replace('-', "") + "10" + n.rightJustified(9, '0'),
                    "02-56-10-00-" + QByteArray::number((i >> 8) & 0xff, 16).rightJustified(2, '0') + '-' +
                        QByteArray::number(i & 0xff, 16).rightJustified(2, '0'),
                    address, factoryNew || i % 7 == 5 ? 1 : 0, static_cast<uint8_t>(i % 3));
    setRecordText(r.deviceTypeName, models[i % 5]);
    setRecordText(r.deviceName, (i % 5 >= 3 ? "Recorder " : "Camera ") + n.rightJustified(6, '0'));
    setRecordText(r.ipv4SubnetMask, "255.255.0.0");
    setRecordText(r.ipv4Gateway, "127.16.0.1");
    return r;
}

} // namespace testrecords
