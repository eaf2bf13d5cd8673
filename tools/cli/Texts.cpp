#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "Commands.h"
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
};

} // namespace

const char* errorSentence(uint32_t code) {
    for (const Sentence& row : kSentences) {
        if (row.code == code)
            return row.text;
    }
    return "unknown error";
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
    // A device's texts are bytes: what is not UTF-8 becomes U+FFFD rather than breaking the line.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace cli
