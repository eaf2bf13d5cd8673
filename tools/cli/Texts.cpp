#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "SafeText.h"

namespace cli {

namespace {

std::string field(const char* text, size_t width) {
    return std::string(text, strnlen(text, width));
}

} // namespace

const char* errorSentence(uint32_t code) {
    switch (code) {
    case VEXA_NOERROR:
        return "no error";
    case VEXA_ERR_NOT_STARTED:
        return "the library is not started";
    case VEXA_ERR_BAD_ARGUMENT:
        return "a value is missing or malformed";
    case VEXA_ERR_NETWORK:
        return "no usable network interface or socket";
    case VEXA_ERR_UNKNOWN_DEVICE:
        return "no device with that serial number or MAC has been heard";
    case VEXA_ERR_UNTRUSTED_DEVICE:
        return "the device's certificate does not verify against a trusted key, so nothing was sent to it";
    case VEXA_ERR_BUFFER_TOO_SMALL:
        return "the answer does not fit the buffer";
    case VEXA_ERR_FILE:
        return "the named file could not be read";
    case VEXA_ERR_DEVICE_REFUSED:
        return "the device refused: wrong password, key or code, or an operation it does not allow";
    case VEXA_ERR_TIMEOUT:
        return "the device did not answer in time";
    case VEXA_ERR_LOCKED:
        return "the device is locked after too many wrong passwords; try again later";
    case VEXA_ERR_WEAK_PASSWORD:
        return "the device refused the new password as too weak";
    case VEXA_ERR_NOT_ACTIVATED:
        return "the device must be activated first";
    case VEXA_ERR_NOT_SUPPORTED:
        return "the device does not support this operation or setting";
    case VEXA_ERR_AMBIGUOUS_DEVICE:
        return "two devices on the network share that serial number or MAC, so nothing was sent";
    case VEXA_ERR_DEVICE_STORAGE:
        return "the device could not save the change and kept its old settings";
    case VEXA_ERR_ALREADY_ACTIVATED:
        return "the device is already activated";
    case VEXA_ERR_NEED_CREDENTIALS:
        return "the device asks for a user name and password (give --user)";
    case VEXA_ERR_VALUE_REFUSED:
        return "the device refused a value of the change";
    case VEXA_ERR_DEVICE_FAULT:
        return "the device failed to carry out the request";
    case VEXA_ERR_NOT_BACK:
        return "the device did not come back at its new address in time; check it";
    case VEXA_ERR_NOT_APPLIED:
        return "the device answered, but reads back other values than were sent: not applied";
    case VEXA_ERR_BAD_ANSWER:
        return "the device's answer could not be understood";
    case VEXA_ERR_CONNECTION:
        return "no connection to the device's service address";
    case VEXA_ERR_DEVICE_CHANGED:
        return "the device changed meanwhile; refresh and try again";
    case VEXA_ERR_OUTCOME_UNKNOWN:
        return "the device did not confirm the change in time; it may have been applied: check the device";
    case VEXA_ERR_RESTORE_PENDING:
        return "the device is being restored with its security code and takes no activation meanwhile";
    default:
        return "unknown error";
    }
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
        return field(info.endpointReference, sizeof info.endpointReference);
    return field(info.serialNo, sizeof info.serialNo) + '\n' + field(info.mac, sizeof info.mac);
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
    j["serialNo"] = field(d.serialNo, sizeof d.serialNo);
    j["mac"] = field(d.mac, sizeof d.mac);
    j["ipv4Address"] = field(d.ipv4Address, sizeof d.ipv4Address);
    j["ipv4SubnetMask"] = field(d.ipv4SubnetMask, sizeof d.ipv4SubnetMask);
    j["ipv4Gateway"] = field(d.ipv4Gateway, sizeof d.ipv4Gateway);
    j["ipv6Address"] = field(d.ipv6Address, sizeof d.ipv6Address);
    j["ipv6Gateway"] = field(d.ipv6Gateway, sizeof d.ipv6Gateway);
    j["ipv6PrefixLength"] = d.ipv6PrefixLength;
    j["deviceTypeCode"] = d.deviceTypeCode;
    j["deviceTypeName"] = field(d.deviceTypeName, sizeof d.deviceTypeName);
    j["port"] = d.port;
    j["httpPort"] = d.httpPort;
    j["rtspPort"] = d.rtspPort;
    j["channelCount"] = d.channelCount;
    j["auxCount"] = d.auxCount;
    j["softwareVersion"] = field(d.softwareVersion, sizeof d.softwareVersion);
    j["dspVersion"] = field(d.dspVersion, sizeof d.dspVersion);
    j["bootTime"] = field(d.bootTime, sizeof d.bootTime);
    j["oemInfo"] = field(d.oemInfo, sizeof d.oemInfo);
    j["oemCode"] = d.oemCode;
    j["supportFlags"] = d.supportFlags;
    j["dhcpEnabled"] = d.dhcpEnabled;
    j["capabilityLevel"] = d.capabilityLevel;
    j["activationState"] = d.activationState;
    j["activated"] = d.activationState == 0;
    j["resetFlags"] = d.resetFlags;
    j["deviceClass"] = d.deviceClass;
    j["certified"] = d.certified != 0;
    j["deviceName"] = field(d.deviceName, sizeof d.deviceName);
    j["serviceTag"] = field(d.serviceTag, sizeof d.serviceTag);
    j["protocol"] = isOnvif(d) ? "onvif" : "vexa";
    if (isOnvif(d)) {
        j["details"] = detailsText(d.detailsState);
        j["endpointReference"] = field(d.endpointReference, sizeof d.endpointReference);
        j["serviceAddress"] = field(d.serviceAddress, sizeof d.serviceAddress);
        j["manufacturer"] = field(d.manufacturer, sizeof d.manufacturer);
        j["model"] = field(d.deviceTypeName, sizeof d.deviceTypeName);
        j["firmware"] = field(d.softwareVersion, sizeof d.softwareVersion);
        j["hardwareId"] = field(d.hardwareId, sizeof d.hardwareId);
        j["location"] = field(d.location, sizeof d.location);
        j["httpsPort"] = d.httpsPort;
    }
    // A device's texts are bytes: what is not UTF-8 becomes U+FFFD rather than breaking the line.
    return inertJson(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

} // namespace cli
