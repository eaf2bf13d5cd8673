// The records of vexa.h are read at fixed offsets by the program: any drift is a build failure here.

#include <cstddef>
#include <gtest/gtest.h>
#include <string>

#include "vexa.h"

#define VEXA_AT(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)

VEXA_AT(VEXA_DEVICE_INFO, recordTag, 0);
VEXA_AT(VEXA_DEVICE_INFO, serialNo, 12);
VEXA_AT(VEXA_DEVICE_INFO, mac, 60);
VEXA_AT(VEXA_DEVICE_INFO, ipv4Address, 80);
VEXA_AT(VEXA_DEVICE_INFO, ipv4SubnetMask, 96);
VEXA_AT(VEXA_DEVICE_INFO, deviceTypeCode, 112);
VEXA_AT(VEXA_DEVICE_INFO, port, 116);
VEXA_AT(VEXA_DEVICE_INFO, channelCount, 120);
VEXA_AT(VEXA_DEVICE_INFO, auxCount, 124);
VEXA_AT(VEXA_DEVICE_INFO, softwareVersion, 128);
VEXA_AT(VEXA_DEVICE_INFO, dspVersion, 176);
VEXA_AT(VEXA_DEVICE_INFO, bootTime, 224);
VEXA_AT(VEXA_DEVICE_INFO, eventType, 272);
VEXA_AT(VEXA_DEVICE_INFO, deviceTypeName, 276);
VEXA_AT(VEXA_DEVICE_INFO, oemInfo, 300);
VEXA_AT(VEXA_DEVICE_INFO, ipv4Gateway, 324);
VEXA_AT(VEXA_DEVICE_INFO, ipv6Address, 340);
VEXA_AT(VEXA_DEVICE_INFO, ipv6Gateway, 386);
VEXA_AT(VEXA_DEVICE_INFO, ipv6PrefixLength, 432);
VEXA_AT(VEXA_DEVICE_INFO, supportFlags, 433);
VEXA_AT(VEXA_DEVICE_INFO, dhcpEnabled, 434);
VEXA_AT(VEXA_DEVICE_INFO, capabilityLevel, 435);
VEXA_AT(VEXA_DEVICE_INFO, httpPort, 436);
VEXA_AT(VEXA_DEVICE_INFO, deviceClass, 438);
VEXA_AT(VEXA_DEVICE_INFO, certified, 439);
VEXA_AT(VEXA_DEVICE_INFO, recordVersion, 440);
VEXA_AT(VEXA_DEVICE_INFO, oemCode, 458);
VEXA_AT(VEXA_DEVICE_INFO, activationState, 459);
VEXA_AT(VEXA_DEVICE_INFO, resetFlags, 484);
VEXA_AT(VEXA_DEVICE_INFO, deviceName, 500);
VEXA_AT(VEXA_DEVICE_INFO, serviceTag, 532);
VEXA_AT(VEXA_DEVICE_INFO, rtspPort, 552);
VEXA_AT(VEXA_DEVICE_INFO, protocol, 554);
VEXA_AT(VEXA_DEVICE_INFO, detailsState, 555);
VEXA_AT(VEXA_DEVICE_INFO, endpointReference, 556);
VEXA_AT(VEXA_DEVICE_INFO, serviceAddress, 620);
VEXA_AT(VEXA_DEVICE_INFO, manufacturer, 684);
VEXA_AT(VEXA_DEVICE_INFO, hardwareId, 716);
VEXA_AT(VEXA_DEVICE_INFO, location, 736);
VEXA_AT(VEXA_DEVICE_INFO, httpsPort, 760);
static_assert(sizeof(VEXA_DEVICE_INFO) == 768, "VEXA_DEVICE_INFO size");

VEXA_AT(VEXA_NET_PARAM, ipv4Address, 0);
VEXA_AT(VEXA_NET_PARAM, ipv4SubnetMask, 16);
VEXA_AT(VEXA_NET_PARAM, ipv4Gateway, 32);
VEXA_AT(VEXA_NET_PARAM, ipv6Address, 48);
VEXA_AT(VEXA_NET_PARAM, ipv6Gateway, 176);
VEXA_AT(VEXA_NET_PARAM, port, 304);
VEXA_AT(VEXA_NET_PARAM, ipv6PrefixLength, 306);
VEXA_AT(VEXA_NET_PARAM, dhcpEnabled, 307);
VEXA_AT(VEXA_NET_PARAM, httpPort, 308);
VEXA_AT(VEXA_NET_PARAM, deviceName, 312);
VEXA_AT(VEXA_NET_PARAM, rtspPort, 344);
VEXA_AT(VEXA_NET_PARAM, recordVersion, 432);
static_assert(sizeof(VEXA_NET_PARAM) == 436, "VEXA_NET_PARAM size");

VEXA_AT(VEXA_RESET_PARAM, key, 0);
VEXA_AT(VEXA_RESET_PARAM, keyFilePath, 256);
VEXA_AT(VEXA_RESET_PARAM, newPassword, 516);
VEXA_AT(VEXA_RESET_PARAM, resetIpc, 532);
static_assert(sizeof(VEXA_RESET_PARAM) == 1044, "VEXA_RESET_PARAM size");

VEXA_AT(VEXA_KEY_REQUEST, dataLength, 0);
VEXA_AT(VEXA_KEY_REQUEST, data, 4);
static_assert(sizeof(VEXA_KEY_REQUEST) == 260, "VEXA_KEY_REQUEST size");
VEXA_AT(VEXA_KEY_REQUEST_QR, dataLength, 0);
VEXA_AT(VEXA_KEY_REQUEST_QR, data, 4);
static_assert(sizeof(VEXA_KEY_REQUEST_QR) == 388, "VEXA_KEY_REQUEST_QR size");

VEXA_AT(VEXA_STATISTICS, received, 0);
VEXA_AT(VEXA_STATISTICS, trustedKeys, 40);
VEXA_AT(VEXA_STATISTICS, interfered, 48);
VEXA_AT(VEXA_STATISTICS, verifiers, 72);
VEXA_AT(VEXA_STATISTICS, reserved, 80);
VEXA_AT(VEXA_STATISTICS, certificateChecks, 88);
VEXA_AT(VEXA_STATISTICS, signatureChecks, 96);
VEXA_AT(VEXA_STATISTICS, verdictsKept, 104);
VEXA_AT(VEXA_STATISTICS, verdictsLoaded, 112);
VEXA_AT(VEXA_STATISTICS, verdictFileRefused, 120);
static_assert(sizeof(VEXA_STATISTICS) == 128, "VEXA_STATISTICS size");

// The calls the program makes before start and the codes it reads are part of the same contract.
TEST(Contract, CallsBeforeStart) {
    EXPECT_EQ(VEXA_Stop(), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_STARTED));
    EXPECT_EQ(VEXA_SendInquiry(), 0);
    EXPECT_EQ(VEXA_Clearup(), 0);
    EXPECT_NE(VEXA_SetDeviceFilterRule(1, 0, 0), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_NOERROR));
    EXPECT_EQ(VEXA_SetDeviceFilterRule(1, 5, 0), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    EXPECT_NE(VEXA_SetDeviceFilterRule(0, 0, 0), 0);
    EXPECT_EQ(VEXA_ActivateDevice("X", "Abcdef12"), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_STARTED));
    EXPECT_EQ(VEXA_Start_V40(nullptr, 1, nullptr), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    EXPECT_NE(VEXA_SetVerdictFile(nullptr), 0);
    EXPECT_EQ(VEXA_SetVerdictFile(std::string(5000, 'a').c_str()), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
}
