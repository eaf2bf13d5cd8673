#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "SafeText.h"
#include "plan/core/FieldText.h"

namespace cli {

namespace {

using VexaTool::plan::fieldText;

} // namespace

namespace {

// One row per library code: adding a code to vexa.h means adding one line here (tests/tools/tst_cli.cpp reads
// vexa.h and fails on a code without a row).
struct Sentence {
    uint32_t code;
    const char* text;
};
constexpr Sentence kSentences[] = {
    {VEXA_NOERROR, "no error"},
    {VEXA_ERR_NOT_STARTED, "the library is not started"},
    {VEXA_ERR_BAD_ARGUMENT, "a value is missing or malformed"},
    {VEXA_ERR_NETWORK, "no usable network interface or socket"},
    {VEXA_ERR_UNKNOWN_DEVICE, "no device with that serial number or MAC has been heard"},
    {VEXA_ERR_UNTRUSTED_DEVICE,
     "the device's certificate does not verify against a trusted key, so nothing was sent to it"},
    {VEXA_ERR_BUFFER_TOO_SMALL, "the answer does not fit the buffer"},
    {VEXA_ERR_FILE, "the named file could not be read"},
    {VEXA_ERR_DEVICE_REFUSED, "the device refused: wrong password, key or code, or an operation it does not allow"},
    {VEXA_ERR_TIMEOUT, "the device did not answer in time"},
    {VEXA_ERR_LOCKED, "the device is locked after too many wrong passwords; try again later"},
    {VEXA_ERR_WEAK_PASSWORD, "the device refused the new password as too weak"},
    {VEXA_ERR_NOT_ACTIVATED, "the device must be activated first"},
    {VEXA_ERR_NOT_SUPPORTED, "the device does not support this operation or setting"},
    {VEXA_ERR_AMBIGUOUS_DEVICE, "two devices on the network share that serial number or MAC, so nothing was sent"},
    {VEXA_ERR_DEVICE_STORAGE, "the device could not save the change and kept its old settings"},
    {VEXA_ERR_ALREADY_ACTIVATED, "the device is already activated"},
    {VEXA_ERR_NEED_CREDENTIALS, "the device asks for a user name and password (give --user)"},
    {VEXA_ERR_VALUE_REFUSED, "the device refused a value of the change"},
    {VEXA_ERR_DEVICE_FAULT, "the device failed to carry out the request"},
    {VEXA_ERR_NOT_BACK, "the device did not come back at its new address in time; check it"},
    {VEXA_ERR_NOT_APPLIED, "the device answered, but reads back other values than were sent: not applied"},
    {VEXA_ERR_BAD_ANSWER, "the device's answer could not be understood"},
    {VEXA_ERR_CONNECTION, "no connection to the device's service address"},
    {VEXA_ERR_DEVICE_CHANGED, "the device changed meanwhile; refresh and try again"},
    {VEXA_ERR_OUTCOME_UNKNOWN,
     "the device did not confirm the change in time; it may have been applied: check the device"},
    {VEXA_ERR_RESTORE_PENDING, "the device is being restored with its security code and takes no activation meanwhile"},
};

} // namespace

const char* errorSentence(uint32_t code) {
    for (const Sentence& row : kSentences) {
        if (row.code == code)
            return row.text;
    }
    return "unknown error";
}

std::string readSecretFrom(const char* variable) {
    if (const char* value = std::getenv(variable); value && *value)
        return value;
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool setOnvifLogin(const std::string& user, const std::string& password) {
    if (user.empty())
        return true;
    if (VEXA_SetOnvifCredentials(user.c_str(), password.c_str()))
        return true;
    const uint32_t code = VEXA_GetLastError();
    std::fprintf(stderr, "vexa: cannot use --user: %s (error %u)\n", errorSentence(code), code);
    return false;
}

void printErrorDetail() {
    char detail[512];
    if (VEXA_GetLastErrorDetail(detail, sizeof detail) > 0)
        std::fprintf(
            stderr, "vexa: the device said: %s\n",
            nlohmann::json(std::string(detail)).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace).c_str());
}

std::string deviceKey(const VEXA_DEVICE_INFO& info) {
    if (isOnvif(info))
        return fieldText(info.endpointReference, sizeof info.endpointReference);
    return fieldText(info.serialNo, sizeof info.serialNo) + '\n' + fieldText(info.mac, sizeof info.mac);
}

const char* detailsText(uint8_t state) {
    switch (state) {
    case VEXA_DETAILS_READ:
        return "read";
    case VEXA_DETAILS_NEED_LOGIN:
        return "login needed";
    case VEXA_DETAILS_UNREACHABLE:
        return "unreachable";
    default:
        return "not read";
    }
}

bool parseSeconds(const std::string& text, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value > 86400)
        return false;
    out = value;
    return true;
}

void warnAboutTrustedKeys() {
    VEXA_STATISTICS stats{};
    if (!VEXA_GetStatistics(&stats) || stats.rejectedKeys == 0)
        return;
    if (stats.trustedKeys == 0)
        std::fprintf(stderr, "vexa: VEXA_TRUSTED_KEYS holds no valid key, so no device can be verified\n");
    else
        std::fprintf(stderr, "vexa: VEXA_TRUSTED_KEYS: %u entries are not valid keys and were ignored\n",
                     stats.rejectedKeys);
}

std::string deviceJson(const VEXA_DEVICE_INFO& d) {
    nlohmann::json j;
    j["serialNo"] = fieldText(d.serialNo, sizeof d.serialNo);
    j["mac"] = fieldText(d.mac, sizeof d.mac);
    j["ipv4Address"] = fieldText(d.ipv4Address, sizeof d.ipv4Address);
    j["ipv4SubnetMask"] = fieldText(d.ipv4SubnetMask, sizeof d.ipv4SubnetMask);
    j["ipv4Gateway"] = fieldText(d.ipv4Gateway, sizeof d.ipv4Gateway);
    j["ipv6Address"] = fieldText(d.ipv6Address, sizeof d.ipv6Address);
    j["ipv6Gateway"] = fieldText(d.ipv6Gateway, sizeof d.ipv6Gateway);
    j["ipv6PrefixLength"] = d.ipv6PrefixLength;
    j["deviceTypeCode"] = d.deviceTypeCode;
    j["deviceTypeName"] = fieldText(d.deviceTypeName, sizeof d.deviceTypeName);
    j["port"] = d.port;
    j["httpPort"] = d.httpPort;
    j["rtspPort"] = d.rtspPort;
    j["channelCount"] = d.channelCount;
    j["auxCount"] = d.auxCount;
    j["softwareVersion"] = fieldText(d.softwareVersion, sizeof d.softwareVersion);
    j["dspVersion"] = fieldText(d.dspVersion, sizeof d.dspVersion);
    j["bootTime"] = fieldText(d.bootTime, sizeof d.bootTime);
    j["oemInfo"] = fieldText(d.oemInfo, sizeof d.oemInfo);
    j["oemCode"] = d.oemCode;
    j["supportFlags"] = d.supportFlags;
    j["dhcpEnabled"] = d.dhcpEnabled;
    j["capabilityLevel"] = d.capabilityLevel;
    j["activationState"] = d.activationState;
    j["activated"] = d.activationState == 0;
    j["resetFlags"] = d.resetFlags;
    j["deviceClass"] = d.deviceClass;
    j["certified"] = d.certified != 0;
    j["deviceName"] = fieldText(d.deviceName, sizeof d.deviceName);
    j["serviceTag"] = fieldText(d.serviceTag, sizeof d.serviceTag);
    j["protocol"] = isOnvif(d) ? "onvif" : "vexa";
    if (isOnvif(d)) {
        j["details"] = detailsText(d.detailsState);
        j["endpointReference"] = fieldText(d.endpointReference, sizeof d.endpointReference);
        j["serviceAddress"] = fieldText(d.serviceAddress, sizeof d.serviceAddress);
        j["manufacturer"] = fieldText(d.manufacturer, sizeof d.manufacturer);
        j["model"] = fieldText(d.deviceTypeName, sizeof d.deviceTypeName);
        j["firmware"] = fieldText(d.softwareVersion, sizeof d.softwareVersion);
        j["hardwareId"] = fieldText(d.hardwareId, sizeof d.hardwareId);
        j["location"] = fieldText(d.location, sizeof d.location);
        j["httpsPort"] = d.httpsPort;
    }
    // A device's texts are bytes: what is not UTF-8 becomes U+FFFD rather than breaking the line.
    return inertJson(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

} // namespace cli
