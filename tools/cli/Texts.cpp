#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "Commands.h"
#include "SafeText.h"
#include "deployment/FieldText.h"

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
    {VEXA_ERR_PUBLIC_RANGE, "the range holds public addresses (give --allow-public to scan them)"},
    {VEXA_ERR_BUSY, "another scan is running"},
    {VEXA_ERR_UNCONFIRMED, "the device was heard only unasked and did not answer when asked, so nothing was sent"},
    {VEXA_ERR_NEED_CREDENTIALS, "the device asks for a user name and password (give --user)"},
    {VEXA_ERR_VALUE_REFUSED, "the device refused a value of the change"},
    {VEXA_ERR_DEVICE_FAULT, "the device failed to carry out the request"},
    {VEXA_ERR_NOT_BACK, "the device did not come back at its new address in time; check it"},
    {VEXA_ERR_NOT_APPLIED, "the device answered, but reads back other values than were sent: not applied"},
    {VEXA_ERR_BAD_ANSWER, "the device's answer could not be understood"},
    {VEXA_ERR_CONNECTION, "no connection to the device's service address"},
    {VEXA_ERR_CERTIFICATE_CHANGED,
     "the device's HTTPS certificate is not the one it showed before, so no login was sent; if it was replaced on "
     "purpose, run again with --accept-new-certificate"},
    {VEXA_ERR_ADDRESS_TAKEN, "something answers at the new address, so nothing was sent"},
    {VEXA_ERR_DEVICE_CHANGED, "the device changed meanwhile; refresh and try again"},
    {VEXA_ERR_OUTCOME_UNKNOWN,
     "the device did not confirm the change in time; it may have been applied: check the device"},
    {VEXA_ERR_RESTORE_PENDING, "the device is being restored with its security code and takes no activation meanwhile"},
    {VEXA_ERR_PASSWORD_NOT_TAKEN, "the device accepted the request but the new password does not work"},
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
    if (can(info, VEXA_KNOWN_BY_ENDPOINT))
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
    case VEXA_DETAILS_PARTIAL:
        return "partial";
    default:
        return "not read";
    }
}

std::string detailsNote(const VEXA_DEVICE_INFO& info) {
    char note[512];
    const std::string endpoint = fieldText(info.endpointReference, sizeof info.endpointReference);
    if (!VEXA_GetOnvifDetailsNote(endpoint.c_str(), note, sizeof note))
        return {};
    return note;
}

bool parseSeconds(const std::string& text, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    // NaN fails every comparison, so finiteness is asked first: it would reach the conversion to milliseconds.
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value > 86400) {
        std::fprintf(stderr, "vexa: bad --seconds: --seconds takes a number from 0 to 86400\n");
        return false;
    }
    out = value;
    return true;
}

bool startDiscovery(VEXA_DEVICE_CALLBACK callback, void* context, const std::string& user,
                    const std::string& password) {
    if (!VEXA_Start_V40(callback, 1, context)) {
        const uint32_t code = VEXA_GetLastError();
        std::fprintf(stderr, "vexa: cannot start discovery: %s (error %u)\n", errorSentence(code), code);
        return false;
    }
    warnAboutTrustedKeys();
    if (!setOnvifLogin(user, password) || !runRangeScan()) {
        VEXA_Stop();
        return false;
    }
    return true;
}

void listenFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
}

bool discoverFor(double seconds, VEXA_DEVICE_CALLBACK callback, void* context, const std::string& user,
                 const std::string& password) {
    if (!startDiscovery(callback, context, user, password))
        return false;
    listenFor(seconds);
    VEXA_Stop();
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

namespace {

// Texts are bounded by their field width; numbers keep their own type in the JSON.
using Field = void (*)(nlohmann::json&, const char*, const VEXA_DEVICE_INFO&);
template <auto Member>
void textField(nlohmann::json& j, const char* key, const VEXA_DEVICE_INFO& d) {
    j[key] = fieldText(d.*Member);
}
template <auto Member>
void numberField(nlohmann::json& j, const char* key, const VEXA_DEVICE_INFO& d) {
    j[key] = d.*Member;
}
struct JsonRow {
    const char* key;
    Field put;
};

constexpr JsonRow kCommonRows[] = {
    {"serialNo", textField<&VEXA_DEVICE_INFO::serialNo>},
    {"mac", textField<&VEXA_DEVICE_INFO::mac>},
    {"ipv4Address", textField<&VEXA_DEVICE_INFO::ipv4Address>},
    {"ipv4SubnetMask", textField<&VEXA_DEVICE_INFO::ipv4SubnetMask>},
    {"ipv4Gateway", textField<&VEXA_DEVICE_INFO::ipv4Gateway>},
    {"ipv6Address", textField<&VEXA_DEVICE_INFO::ipv6Address>},
    {"ipv6Gateway", textField<&VEXA_DEVICE_INFO::ipv6Gateway>},
    {"ipv6PrefixLength", numberField<&VEXA_DEVICE_INFO::ipv6PrefixLength>},
    {"deviceTypeCode", numberField<&VEXA_DEVICE_INFO::deviceTypeCode>},
    {"deviceTypeName", textField<&VEXA_DEVICE_INFO::deviceTypeName>},
    {"port", numberField<&VEXA_DEVICE_INFO::port>},
    {"httpPort", numberField<&VEXA_DEVICE_INFO::httpPort>},
    {"rtspPort", numberField<&VEXA_DEVICE_INFO::rtspPort>},
    {"channelCount", numberField<&VEXA_DEVICE_INFO::channelCount>},
    {"auxCount", numberField<&VEXA_DEVICE_INFO::auxCount>},
    {"softwareVersion", textField<&VEXA_DEVICE_INFO::softwareVersion>},
    {"dspVersion", textField<&VEXA_DEVICE_INFO::dspVersion>},
    {"bootTime", textField<&VEXA_DEVICE_INFO::bootTime>},
    {"oemInfo", textField<&VEXA_DEVICE_INFO::oemInfo>},
    {"oemCode", numberField<&VEXA_DEVICE_INFO::oemCode>},
    {"supportFlags", numberField<&VEXA_DEVICE_INFO::supportFlags>},
    {"dhcpEnabled", numberField<&VEXA_DEVICE_INFO::dhcpEnabled>},
    {"capabilityLevel", numberField<&VEXA_DEVICE_INFO::capabilityLevel>},
    {"activationState", numberField<&VEXA_DEVICE_INFO::activationState>},
    {"resetFlags", numberField<&VEXA_DEVICE_INFO::resetFlags>},
    {"deviceClass", numberField<&VEXA_DEVICE_INFO::deviceClass>},
    {"deviceName", textField<&VEXA_DEVICE_INFO::deviceName>},
    {"serviceTag", textField<&VEXA_DEVICE_INFO::serviceTag>},
};

// An ONVIF device's own words; model and firmware repeat the type name and version under the names it uses.
constexpr JsonRow kOnvifRows[] = {
    {"endpointReference", textField<&VEXA_DEVICE_INFO::endpointReference>},
    {"serviceAddress", textField<&VEXA_DEVICE_INFO::serviceAddress>},
    {"manufacturer", textField<&VEXA_DEVICE_INFO::manufacturer>},
    {"model", textField<&VEXA_DEVICE_INFO::deviceTypeName>},
    {"firmware", textField<&VEXA_DEVICE_INFO::softwareVersion>},
    {"hardwareId", textField<&VEXA_DEVICE_INFO::hardwareId>},
    {"location", textField<&VEXA_DEVICE_INFO::location>},
    {"httpsPort", numberField<&VEXA_DEVICE_INFO::httpsPort>},
    {"onvifFlags", numberField<&VEXA_DEVICE_INFO::onvifFlags>}, // VEXA_ONVIF_*: said goodbye, login given, ...
};

} // namespace

std::string deviceJson(const VEXA_DEVICE_INFO& d) {
    nlohmann::json j;
    for (const JsonRow& row : kCommonRows)
        row.put(j, row.key, d);
    j["activated"] = d.activationState == 0;
    j["certified"] = d.certified != 0;
    j["confirmed"] = d.confirmed != 0;
    j["source"] = d.source == VEXA_SOURCE_SCAN ? "scan" : "discovery";
    j["protocol"] = protocolName(d);
    if (can(d, VEXA_DETAILS_READ_LATER)) {
        j["details"] = detailsText(d.detailsState);
        if (d.detailsState == VEXA_DETAILS_PARTIAL)
            j["missing"] = detailsNote(d);
        for (const JsonRow& row : kOnvifRows)
            row.put(j, row.key, d);
    }
    // A device's texts are bytes: what is not UTF-8 becomes U+FFFD rather than breaking the line.
    return inertJson(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

} // namespace cli
