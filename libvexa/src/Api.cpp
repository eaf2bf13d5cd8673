// The C entry points. Start and stop are serialised by one mutex; every other call takes a reference to the
// running engine and works without holding it, so a slow operation never blocks stop or the callback.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sodium.h>
#include <vector>

#include "AddressCheck.h"
#include "Engine.h"
#include "Logger.h"
#include "Operations.h"
#include "Scan.h"
#include "ScanRange.h"
#include "onvif/OnvifService.h"
#include "vexa.h"
#include "vexa_crypto.h"

namespace {

thread_local uint32_t t_lastError = VEXA_NOERROR;
thread_local std::string t_lastErrorDetail;

std::mutex g_lifecycleMutex;
std::mutex g_engineMutex;
std::shared_ptr<vexa::Engine> g_engine;
std::shared_ptr<vexa::onvif::OnvifService> g_onvif; // under g_engineMutex too; null when ONVIF is off
bool g_videoOnly = false;
std::string g_verdictPath; // under g_lifecycleMutex
std::string g_pinPath;     // under g_lifecycleMutex
std::mutex g_scanMutex;
vexa::Scanner* g_scanner = nullptr; // the running scan, under g_scanMutex

// VEXA_VERDICT_FILE, when set (empty: none), over what VEXA_SetVerdictFile gave.
std::string verdictPath() {
    if (const char* path = std::getenv("VEXA_VERDICT_FILE"))
        return std::string(path, strnlen(path, 4096));
    return g_verdictPath;
}

int fail(uint32_t code) {
    t_lastError = code;
    t_lastErrorDetail.clear();
    return 0;
}

int succeed() {
    t_lastError = VEXA_NOERROR;
    t_lastErrorDetail.clear();
    return 1;
}

// The ONVIF side, beside the engine: its events go to the engine's I/O thread, where the callback runs.
std::shared_ptr<vexa::onvif::OnvifService> startOnvif(const std::shared_ptr<vexa::Engine>& engine,
                                                      VEXA_DEVICE_CALLBACK callback, void* userData, bool& badConfig) {
    badConfig = false;
    if (!vexa::onvif::onvifEnabledByEnvironment())
        return nullptr;
    vexa::onvif::ServiceConfig config;
    std::string error;
    config.pinFile = g_pinPath; // VEXA_ONVIF_PIN_FILE, read next, overrides it
    if (!vexa::onvif::serviceConfigFromEnvironment(config, error)) {
        VEXA_LOG(vexa::LogError, "start: %s", error.c_str());
        badConfig = true;
        return nullptr;
    }
    std::weak_ptr<vexa::Engine> weak = engine;
    auto report = [weak, callback, userData](const VEXA_DEVICE_INFO& info) {
        if (const auto e = weak.lock())
            e->postTask([info, callback, userData] { callback(&info, userData); });
    };
    auto onvif = std::make_shared<vexa::onvif::OnvifService>(std::move(config), std::move(report));
    if (!onvif->start(error)) {
        // Our own devices are still found: ONVIF is an addition, not a reason to fail.
        VEXA_LOG(vexa::LogError, "start: ONVIF discovery off: %s", error.c_str());
        return nullptr;
    }
    return onvif;
}

std::shared_ptr<vexa::Engine> currentEngine() {
    std::lock_guard<std::mutex> lock(g_engineMutex);
    return g_engine;
}

void copyCut(char* out, uint32_t size, const std::string& text) {
    if (!out || size == 0)
        return;
    const size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// The address check with the running engine's socket: our inquiry goes out from it and its answers are heard there.
std::vector<std::vector<vexa::AddressAnswer>> checkAddresses(const std::shared_ptr<vexa::Engine>& engine,
                                                             const std::vector<std::string>& addresses,
                                                             uint32_t timeoutMs,
                                                             const std::function<void(size_t, size_t)>& progress) {
    vexa::AddressCheckConfig config = vexa::addressCheckConfigFromEnvironment();
    if (timeoutMs > 0)
        config.timeout = std::chrono::milliseconds(std::min<uint32_t>(timeoutMs, 60000));
    vexa::AddressCheck check(config, [&engine](const std::string& ipv4) { return engine->inquireAt(ipv4); });
    const uint64_t watch = engine->addAddressWatch(
        [&check](const std::string& ipv4, const std::string& serial) { check.heard(ipv4, serial); });
    auto answers = check.checkAll(addresses, progress);
    engine->removeAddressWatch(watch);
    return answers;
}

} // namespace

namespace vexa {

void setLastError(uint32_t code) {
    t_lastError = code;
    t_lastErrorDetail.clear();
}

std::shared_ptr<Engine> runningEngine() {
    return currentEngine();
}

std::shared_ptr<onvif::OnvifService> runningOnvif() {
    std::lock_guard<std::mutex> lock(g_engineMutex);
    return g_engine ? g_onvif : nullptr;
}

void setLastErrorDetail(const std::string& detail) {
    t_lastErrorDetail = detail;
}

} // namespace vexa

extern "C" {

int VEXA_Start_V40(VEXA_DEVICE_CALLBACK callback, int recordVersion, void* userData) {
    if (!callback || recordVersion != 1)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::lock_guard<std::mutex> lifecycle(g_lifecycleMutex);
    if (currentEngine()) {
        VEXA_LOG(vexa::LogError, "start: already started");
        return fail(VEXA_ERR_BAD_ARGUMENT);
    }
    if (sodium_init() < 0)
        return fail(VEXA_ERR_NETWORK);
    vexa::EngineConfig config;
    std::string error;
    if (!vexa::engineConfigFromEnvironment(config, error)) {
        VEXA_LOG(vexa::LogError, "start: %s", error.c_str());
        return fail(VEXA_ERR_BAD_ARGUMENT);
    }
    // Trust is read once per start: the built-in keys plus VEXA_TRUSTED_KEYS.
    auto trusted = vexa::crypto::trustedKeysFromEnvironment();
    for (const std::string& rejected : trusted.rejected)
        VEXA_LOG(vexa::LogError, "VEXA_TRUSTED_KEYS: ignored malformed entry %s", rejected.c_str());
    config.trustedKeys = static_cast<uint32_t>(trusted.keys.size());
    config.rejectedKeys = static_cast<uint32_t>(trusted.rejected.size());
    if (trusted.keys.empty() && !trusted.rejected.empty())
        VEXA_LOG(vexa::LogError, "VEXA_TRUSTED_KEYS holds no valid key: no device can be certified");
    // Without a trusted key nothing can be verified: no verifier threads, and the reader lists devices itself.
    config.trusted = std::move(trusted.keys);
    config.verdictPath = verdictPath();
    auto engine = std::make_shared<vexa::Engine>(callback, userData, std::move(config));
    engine->setReplyHandler(&vexa::dispatchReply);
    engine->setVideoOnly(g_videoOnly);
    // Published before it starts: the device callback may call into the library as soon as the first device is
    // heard, which can be before this function returns.
    const auto publish = [](std::shared_ptr<vexa::Engine> running) {
        std::lock_guard<std::mutex> lock(g_engineMutex);
        g_engine = std::move(running);
    };
    publish(engine);
    if (!engine->start(error)) {
        publish(nullptr);
        VEXA_LOG(vexa::LogError, "start: %s", error.c_str());
        return fail(VEXA_ERR_NETWORK);
    }
    bool badConfig = false;
    auto onvif = startOnvif(engine, callback, userData, badConfig);
    if (badConfig) {
        publish(nullptr);
        engine->stop();
        return fail(VEXA_ERR_BAD_ARGUMENT);
    }
    std::lock_guard<std::mutex> lock(g_engineMutex);
    g_onvif = std::move(onvif);
    return succeed();
}

int VEXA_Stop(void) {
    {
        // A scan running on another thread ends with the library.
        std::lock_guard<std::mutex> lock(g_scanMutex);
        if (g_scanner)
            g_scanner->stop();
    }
    std::lock_guard<std::mutex> lifecycle(g_lifecycleMutex);
    std::shared_ptr<vexa::Engine> engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    // Joining the I/O thread from itself would never return.
    if (engine->onIoThread())
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::shared_ptr<vexa::onvif::OnvifService> onvif;
    {
        std::lock_guard<std::mutex> lock(g_engineMutex);
        g_engine.reset();
        onvif = std::move(g_onvif);
    }
    // ONVIF first: once it has stopped it posts no more events, and the engine's stop runs what it posted.
    if (onvif)
        onvif->stop();
    engine->stop();
    return succeed();
}

int VEXA_SendInquiry(void) {
    auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    if (!engine->runOnIo([&engine] { engine->sendInquiryRound(); }))
        return fail(VEXA_ERR_NOT_STARTED);
    if (auto onvif = vexa::runningOnvif())
        onvif->probeRound();
    return succeed();
}

int VEXA_Clearup(void) {
    auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    if (!engine->clearup())
        return fail(VEXA_ERR_NOT_STARTED);
    if (auto onvif = vexa::runningOnvif())
        onvif->clear();
    return succeed();
}

int VEXA_SetLogToFile(int level, const char* path, int autoDelete) {
    if (level < 0 || level > 3)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::string target;
    if (path)
        target.assign(path, strnlen(path, 4096));
    if (!vexa::Logger::instance().configure(level, target, autoDelete != 0))
        return fail(VEXA_ERR_FILE);
    VEXA_LOG(vexa::LogInfo, "logging at level %d to %s", level, vexa::Logger::instance().path().c_str());
    return succeed();
}

int VEXA_SetDeviceFilterRule(int videoOnly, int reserved1, int reserved2) {
    if (reserved1 != 0 || reserved2 != 0)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::lock_guard<std::mutex> lifecycle(g_lifecycleMutex);
    g_videoOnly = videoOnly != 0;
    if (auto engine = currentEngine())
        engine->setVideoOnly(g_videoOnly);
    return succeed();
}

uint32_t VEXA_GetLastError(void) {
    return t_lastError;
}

// Each capability is a bit of its own (the sum of single bits equals their union only when no two are the same):
// two that shared one would make a device seem able to do both.
constexpr uint32_t kCapabilities[] = {
    VEXA_CAN_ACTIVATE,        VEXA_CAN_RECOVER,        VEXA_CAN_SET_PORT,         VEXA_CAN_SET_IPV6,
    VEXA_SIGNS_IN_AS_USER,    VEXA_DETAILS_READ_LATER, VEXA_HAS_ACTIVATION_STATE, VEXA_KNOWN_BY_ENDPOINT,
    VEXA_SIGNS_ANNOUNCEMENTS, VEXA_CAN_SET_GATEWAY,    VEXA_VERSIONS_RECORD,      VEXA_CAN_READ_MEDIA,
    VEXA_CAN_SNAPSHOT,        VEXA_CAN_READ_CLOCK,     VEXA_CAN_SET_TIME,         VEXA_CAN_SET_USER_PASSWORD};
constexpr bool distinctBits() {
    uint32_t sum = 0, all = 0;
    for (uint32_t bit : kCapabilities) {
        sum += bit;
        all |= bit;
    }
    return sum == all;
}
static_assert(distinctBits());

uint32_t VEXA_DeviceCapabilities(uint8_t protocol) {
    switch (protocol) {
    case VEXA_PROTOCOL_VEXA:
        return VEXA_CAN_ACTIVATE | VEXA_CAN_RECOVER | VEXA_CAN_SET_PORT | VEXA_CAN_SET_IPV6 |
               VEXA_HAS_ACTIVATION_STATE | VEXA_SIGNS_ANNOUNCEMENTS | VEXA_VERSIONS_RECORD;
    case VEXA_PROTOCOL_ONVIF:
        return VEXA_SIGNS_IN_AS_USER | VEXA_DETAILS_READ_LATER | VEXA_KNOWN_BY_ENDPOINT | VEXA_CAN_SET_GATEWAY |
               VEXA_CAN_READ_MEDIA | VEXA_CAN_SNAPSHOT | VEXA_CAN_READ_CLOCK | VEXA_CAN_SET_TIME |
               VEXA_CAN_SET_USER_PASSWORD;
    default:
        return 0;
    }
}

int VEXA_GetLastErrorDetail(char* buffer, uint32_t size) {
    if (!buffer || size == 0)
        return 0;
    const size_t n = std::min<size_t>(t_lastErrorDetail.size(), size - 1);
    std::memcpy(buffer, t_lastErrorDetail.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

int VEXA_SetOnvifCredentials(const char* user, const char* password) {
    auto onvif = vexa::runningOnvif();
    if (!onvif)
        return fail(currentEngine() ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_NOT_STARTED);
    const std::string name = user ? std::string(user, strnlen(user, 65)) : std::string();
    std::string secret = password ? std::string(password, strnlen(password, 129)) : std::string();
    if (name.size() > 64 || secret.size() > 128) {
        vexa::crypto::wipe(secret);
        return fail(VEXA_ERR_BAD_ARGUMENT);
    }
    onvif->setCredentials(name, name.empty() ? std::string() : secret);
    vexa::crypto::wipe(secret);
    return succeed();
}

int VEXA_SetOnvifCredentialsFor(const char* const* endpointReferences, uint32_t count, const char* user,
                                const char* password) {
    if ((!endpointReferences && count > 0) || count > 16384)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    auto onvif = vexa::runningOnvif();
    if (!onvif)
        return fail(currentEngine() ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_NOT_STARTED);
    std::vector<std::string> endpoints;
    for (uint32_t i = 0; i < count; ++i) {
        const char* e = endpointReferences[i];
        // A reference longer than any listed one names none of them: refused, never cut to a prefix.
        if (!e || strnlen(e, 65) > 63)
            return fail(VEXA_ERR_UNKNOWN_DEVICE);
        endpoints.emplace_back(e);
    }
    const std::string name = user ? std::string(user, strnlen(user, 65)) : std::string();
    std::string secret = password ? std::string(password, strnlen(password, 129)) : std::string();
    if (name.size() > 64 || secret.size() > 128) {
        vexa::crypto::wipe(secret);
        return fail(VEXA_ERR_BAD_ARGUMENT);
    }
    const bool known = onvif->setCredentialsFor(endpoints, name, name.empty() ? std::string() : secret);
    vexa::crypto::wipe(secret);
    return known ? succeed() : fail(VEXA_ERR_UNKNOWN_DEVICE);
}

namespace {

// A file the next start reads (NULL or "": none); read under the lifecycle lock by the start.
int setFilePath(const char* path, std::string& into) {
    std::string target;
    if (path)
        target.assign(path, strnlen(path, 4097));
    if (target.size() > 4096)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::lock_guard<std::mutex> lifecycle(g_lifecycleMutex);
    into = std::move(target);
    return succeed();
}

} // namespace

int VEXA_SetOnvifPinFile(const char* path) {
    return setFilePath(path, g_pinPath);
}

int VEXA_AcceptOnvifCertificate(const char* endpointReference) {
    if (!endpointReference)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    auto onvif = vexa::runningOnvif();
    if (!onvif)
        return fail(currentEngine() ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_NOT_STARTED);
    if (strnlen(endpointReference, 65) > 63 || !onvif->acceptCertificate(endpointReference))
        return fail(VEXA_ERR_UNKNOWN_DEVICE);
    return succeed();
}

namespace {

// One text the ONVIF side keeps about a listed device, NUL-terminated and cut to size, never inside a character.
int onvifText(const char* endpointReference, char* buffer, uint32_t size,
              bool (vexa::onvif::OnvifService::*read)(const std::string&, std::string&) const) {
    if (!endpointReference || !buffer || size == 0)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    buffer[0] = '\0';
    auto onvif = vexa::runningOnvif();
    if (!onvif)
        return fail(currentEngine() ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_NOT_STARTED);
    std::string text;
    if (!((*onvif).*read)(std::string(endpointReference, strnlen(endpointReference, 64)), text))
        return fail(VEXA_ERR_UNKNOWN_DEVICE);
    size_t n = std::min<size_t>(text.size(), size - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xc0) == 0x80)
        --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return succeed();
}

} // namespace

int VEXA_GetOnvifRefusal(const char* endpointReference, char* buffer, uint32_t size) {
    return onvifText(endpointReference, buffer, size, &vexa::onvif::OnvifService::refusal);
}

int VEXA_GetOnvifDetailsNote(const char* endpointReference, char* buffer, uint32_t size) {
    return onvifText(endpointReference, buffer, size, &vexa::onvif::OnvifService::detailsNote);
}

int VEXA_GetStatistics(VEXA_STATISTICS* out) {
    if (!out)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    std::memset(out, 0, sizeof *out);
    out->received = engine->stats().received;
    out->dropped = engine->stats().dropped;
    out->events = engine->stats().events;
    out->rejected = engine->stats().rejected;
    out->tableFull = engine->stats().tableFull;
    out->trustedKeys = engine->trustedKeys();
    out->rejectedKeys = engine->rejectedKeys();
    out->interfered = engine->stats().interfered;
    out->verifyQueueHighWater = engine->stats().verifyHighWater;
    out->verifyDropped = engine->stats().verifyDropped;
    out->verifiers = engine->verifierCount();
    out->certificateChecks = engine->stats().certificateChecks;
    out->signatureChecks = engine->stats().signatureChecks;
    out->verdictsKept = engine->verdictsKept();
    out->verdictsLoaded = engine->stats().verdictsLoaded;
    out->verdictFileRefused = engine->stats().verdictFileRefused;
    if (auto onvif = vexa::runningOnvif()) {
        const auto counters = onvif->counters();
        out->onvifRefused = static_cast<uint32_t>(std::min<uint64_t>(counters.refused, UINT32_MAX));
        out->onvifTrimmed = counters.trimmed;
    }
    return succeed();
}

int VEXA_SetVerdictFile(const char* path) {
    return setFilePath(path, g_verdictPath);
}

int VEXA_CheckAddressFree(const char* ipv4, uint32_t timeoutMs, char* whoAnswered, uint32_t size) {
    copyCut(whoAnswered, size, {});
    if (!ipv4)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const std::string address(ipv4, strnlen(ipv4, 16));
    if (!vexa::AddressCheck::valid(address))
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    const auto answers = checkAddresses(engine, {address}, timeoutMs, {});
    if (answers.front().empty())
        return succeed();
    const std::string who = vexa::AddressCheck::describe(answers.front());
    copyCut(whoAnswered, size, who);
    fail(VEXA_ERR_ADDRESS_TAKEN);
    t_lastErrorDetail = who;
    return 0;
}

int VEXA_CheckAddressesFree(VEXA_ADDRESS_CHECK* checks, uint32_t count, uint32_t timeoutMs,
                            VEXA_CHECK_PROGRESS progress, void* userData) {
    if ((!checks && count > 0) || count > 65536)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    std::vector<std::string> addresses;
    std::vector<size_t> of;
    bool bad = false;
    for (uint32_t i = 0; i < count; ++i) {
        VEXA_ADDRESS_CHECK& c = checks[i];
        const std::string address(c.ipv4Address, strnlen(c.ipv4Address, sizeof c.ipv4Address));
        copyCut(c.whoAnswered, sizeof c.whoAnswered, {});
        c.result = VEXA_NOERROR;
        if (!vexa::AddressCheck::valid(address)) {
            c.result = VEXA_ERR_BAD_ARGUMENT;
            bad = true;
            continue;
        }
        addresses.push_back(address);
        of.push_back(i);
    }
    const auto began = std::chrono::steady_clock::now();
    const auto tell = [&](size_t done, size_t total) {
        if (!progress)
            return;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
        progress(static_cast<uint32_t>(done), static_cast<uint32_t>(total), static_cast<uint32_t>(elapsed.count()),
                 userData);
    };
    const auto answers = checkAddresses(engine, addresses, timeoutMs, tell);
    bool taken = false;
    for (size_t k = 0; k < answers.size(); ++k) {
        if (answers[k].empty())
            continue;
        VEXA_ADDRESS_CHECK& c = checks[of[k]];
        c.result = VEXA_ERR_ADDRESS_TAKEN;
        copyCut(c.whoAnswered, sizeof c.whoAnswered, vexa::AddressCheck::describe(answers[k]));
        taken = true;
    }
    if (taken)
        return fail(VEXA_ERR_ADDRESS_TAKEN);
    return bad ? fail(VEXA_ERR_BAD_ARGUMENT) : succeed();
}

namespace {

// The ONVIF service for a media call on the device named, or 0 with the code to fail with (one of ours has no media
// service we read).
std::shared_ptr<vexa::onvif::OnvifService> mediaService(const std::string& name, uint32_t& code) {
    auto onvif = vexa::runningOnvif();
    code = 0;
    if (!onvif) {
        code = currentEngine() ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_NOT_STARTED;
        return nullptr;
    }
    const vexa::onvif::Match match = onvif->find(name);
    vexa::KnownDevice ours;
    const bool isOurs = currentEngine() && currentEngine()->findDevice(name, name, ours) != vexa::Lookup::Unknown;
    if (match == vexa::onvif::Match::None)
        code = isOurs ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_UNKNOWN_DEVICE;
    else if (match == vexa::onvif::Match::Many || isOurs)
        code = VEXA_ERR_AMBIGUOUS_DEVICE;
    return code ? nullptr : onvif;
}

// A text into its field whole, or not at all (cutting a URI makes another URI).
bool copyWhole(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    if (text.size() > width)
        return false;
    std::memcpy(field, text.data(), text.size());
    return true;
}

// A note is for a person: cut to the field, never inside a character, always terminated.
void copyNote(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    size_t n = std::min(text.size(), width - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xc0) == 0x80)
        --n;
    std::memcpy(field, text.data(), n);
}

vexa::ScanConfig scanConfig(const VEXA_SCAN_PARAM* param) {
    vexa::ScanConfig config;
    const vexa::AddressCheckConfig ports = vexa::addressCheckConfigFromEnvironment();
    config.inquiryPort = ports.inquiryPort;
    config.wsdPort = ports.wsdPort;
    std::vector<asio::ip::address_v4> interfaces;
    std::string error;
    if (vexa::proto::interfacesFromEnvironment(interfaces, error) && interfaces.size() == 1)
        config.bindAddress = interfaces.front().to_uint();
    if (!param)
        return config;
    if (param->rate)
        config.rate = param->rate;
    if (param->maxInFlight)
        config.maxInFlight = param->maxInFlight;
    if (param->timeCapMs)
        config.timeCap = std::chrono::milliseconds(param->timeCapMs);
    if (param->answerWaitMs)
        config.answerWait = std::chrono::milliseconds(std::min<uint32_t>(param->answerWaitMs, 60000));
    if (param->retries != 0xff)
        config.retries = param->retries;
    config.httpFallback = param->httpFallback != 0;
    std::vector<uint16_t> httpPorts;
    for (uint16_t port : param->httpPorts) {
        if (port == 0)
            break;
        httpPorts.push_back(port);
    }
    if (!httpPorts.empty())
        config.httpPorts = httpPorts;
    return config;
}

} // namespace

int VEXA_GetOnvifMedia(const char* name, VEXA_MEDIA_INFO* info, VEXA_MEDIA_PROFILE* profiles, uint32_t capacity) {
    if (!name || !info || (capacity > 0 && !profiles))
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::memset(info, 0, sizeof *info);
    uint32_t code = 0;
    const auto onvif = mediaService(std::string(name, strnlen(name, 256)), code);
    if (!onvif)
        return fail(code);
    vexa::onvif::OnvifService::MediaRead read;
    std::string detail;
    if ((code = onvif->readMedia(std::string(name, strnlen(name, 256)), read, detail)) != 0) {
        fail(code);
        vexa::setLastErrorDetail(detail);
        return 0;
    }
    info->profileCount = static_cast<uint32_t>(read.profiles.size());
    info->mediaVersion = static_cast<uint8_t>(read.version);
    info->clockKnown = read.clockKnown ? 1 : 0;
    info->clockOffset = static_cast<int32_t>(std::clamp<int64_t>(read.clockOffset, INT32_MIN, INT32_MAX));
    copyWhole(info->serviceUrl, sizeof info->serviceUrl, read.serviceUrl);
    std::string note = read.note;
    for (uint32_t i = 0; i < capacity && i < read.profiles.size(); ++i) {
        const vexa::onvif::MediaProfile& p = read.profiles[i];
        VEXA_MEDIA_PROFILE& out = profiles[i];
        std::memset(&out, 0, sizeof out);
        std::string lost;
        const std::pair<const char*, std::pair<char*, size_t>> fields[] = {
            {"token", {out.token, sizeof out.token}},
            {"name", {out.name, sizeof out.name}},
            {"encoding", {out.encoding, sizeof out.encoding}},
            {"stream address", {out.streamUri, sizeof out.streamUri}},
            {"original stream address", {out.streamUriOriginal, sizeof out.streamUriOriginal}},
            {"snapshot address", {out.snapshotUri, sizeof out.snapshotUri}},
            {"original snapshot address", {out.snapshotUriOriginal, sizeof out.snapshotUriOriginal}},
        };
        const std::string* values[] = {
            &p.token, &p.name, &p.encoding, &p.streamUri, &p.streamUriOriginal, &p.snapshotUri, &p.snapshotUriOriginal};
        for (size_t f = 0; f < std::size(fields); ++f) {
            if (!copyWhole(fields[f].second.first, fields[f].second.second, *values[f]))
                lost += std::string(lost.empty() && p.note.empty() ? "" : "; ") + fields[f].first + " too long";
        }
        out.width = p.width;
        out.height = p.height;
        out.frameRate = p.frameRate;
        copyNote(out.note, sizeof out.note, p.note + lost);
    }
    copyNote(info->note, sizeof info->note, note);
    return succeed();
}

int VEXA_GetOnvifSnapshot(const char* name, const char* token, void* buffer, uint32_t size, uint32_t* written) {
    if (!name || !written || (size > 0 && !buffer))
        return fail(VEXA_ERR_BAD_ARGUMENT);
    *written = 0;
    uint32_t code = 0;
    const std::string device(name, strnlen(name, 256));
    const auto onvif = mediaService(device, code);
    if (!onvif)
        return fail(code);
    std::string bytes, detail;
    code = onvif->snapshot(device, token ? std::string(token, strnlen(token, 65)) : std::string(), bytes, detail);
    if (code != 0) {
        fail(code);
        vexa::setLastErrorDetail(detail);
        return 0;
    }
    *written = static_cast<uint32_t>(bytes.size());
    if (bytes.size() > size)
        return fail(VEXA_ERR_BUFFER_TOO_SMALL);
    std::memcpy(buffer, bytes.data(), bytes.size());
    return succeed();
}

int VEXA_ScanRanges(const char* ranges, const VEXA_SCAN_PARAM* param, VEXA_SCAN_CALLBACK callback, void* userData) {
    if (!ranges)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::vector<vexa::AddressSpan> spans;
    std::string bad;
    const std::string text(ranges, strnlen(ranges, 65536));
    const vexa::RangeError error = vexa::parseScanRanges(text, param && param->allowPublic, spans, bad);
    if (error != vexa::RangeError::None) {
        fail(error == vexa::RangeError::Public ? VEXA_ERR_PUBLIC_RANGE : VEXA_ERR_BAD_ARGUMENT);
        t_lastErrorDetail = bad.substr(0, 64);
        return 0;
    }
    const auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    const std::weak_ptr<vexa::Engine> weakEngine = engine;
    std::weak_ptr<vexa::onvif::OnvifService> weakOnvif = vexa::runningOnvif();
    vexa::Scanner scanner(
        scanConfig(param),
        [weakEngine](std::vector<uint8_t> datagram) {
            if (const auto e = weakEngine.lock())
                e->acceptScanAnswer(std::move(datagram));
        },
        [weakOnvif](vexa::onvif::EndpointInfo info, uint32_t address) {
            if (const auto onvif = weakOnvif.lock())
                onvif->scanned(std::move(info), asio::ip::address_v4(address));
        });
    {
        std::lock_guard<std::mutex> lock(g_scanMutex);
        if (g_scanner)
            return fail(VEXA_ERR_BUSY);
        g_scanner = &scanner;
    }
    const auto progress = [callback, userData](const vexa::ScanOutcome& outcome, uint64_t done, uint64_t total) {
        if (!callback)
            return;
        VEXA_SCAN_RESULT result{};
        copyCut(result.ipv4Address, sizeof result.ipv4Address, vexa::formatIpv4(outcome.address));
        result.reason = static_cast<uint32_t>(outcome.reason);
        result.protocols = outcome.protocols;
        callback(&result, done, total, userData);
    };
    std::string why;
    const bool ran = scanner.run(spans, progress, why);
    {
        std::lock_guard<std::mutex> lock(g_scanMutex);
        g_scanner = nullptr;
    }
    if (!ran) {
        VEXA_LOG(vexa::LogError, "scan: %s", why.c_str());
        return fail(VEXA_ERR_NETWORK);
    }
    return scanner.timedOut() ? fail(VEXA_ERR_TIMEOUT) : succeed();
}

int VEXA_StopScan(void) {
    std::lock_guard<std::mutex> lock(g_scanMutex);
    if (!g_scanner)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    g_scanner->stop();
    return succeed();
}

} // extern "C"

namespace {

// An ONVIF device by any of its names, for the clock and password calls: 0 when it is one, else the code. One of
// ours has no such operation; a name that fits both is ambiguous, and nothing is sent.
uint32_t onvifTarget(const char* name, std::shared_ptr<vexa::onvif::OnvifService>& onvif, std::string& out) {
    if (!name || !*name || strnlen(name, 257) > 256)
        return VEXA_ERR_BAD_ARGUMENT;
    const auto engine = vexa::runningEngine();
    if (!engine)
        return VEXA_ERR_NOT_STARTED;
    out = name;
    onvif = vexa::runningOnvif();
    const vexa::onvif::Match match = onvif ? onvif->find(out) : vexa::onvif::Match::None;
    vexa::KnownDevice ours;
    const bool isOurs = engine->findDevice(out, out, ours) != vexa::Lookup::Unknown;
    if (match == vexa::onvif::Match::Many || (match == vexa::onvif::Match::One && isOurs))
        return VEXA_ERR_AMBIGUOUS_DEVICE;
    if (match == vexa::onvif::Match::None)
        return isOurs ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_UNKNOWN_DEVICE;
    return 0;
}

int failWithDetail(uint32_t code, const std::string& detail) {
    fail(code);
    vexa::setLastErrorDetail(detail);
    return 0;
}

void fillClock(const vexa::onvif::ClockState& clock, VEXA_CLOCK_INFO* out) {
    if (!out)
        return;
    std::memset(out, 0, sizeof *out);
    const auto offset = std::clamp<int64_t>(clock.offset.count(), INT32_MIN, INT32_MAX);
    out->offsetSeconds = static_cast<int32_t>(offset);
    out->flags = (clock.ntp ? VEXA_CLOCK_NTP : 0) | (clock.daylightSavings ? VEXA_CLOCK_DST : 0) |
                 (clock.ntpRead ? VEXA_CLOCK_NTP_READ : 0) | (clock.ntpFromDhcp ? VEXA_CLOCK_NTP_FROM_DHCP : 0) |
                 (clock.offsetRead ? VEXA_CLOCK_READ : 0);
    copyCut(out->timeZone, sizeof out->timeZone, clock.timeZone);
    std::string servers;
    for (const std::string& server : clock.ntpServers)
        servers += (servers.empty() ? "" : ",") + server;
    copyCut(out->ntpServers, sizeof out->ntpServers, servers);
}

} // namespace

extern "C" {

int VEXA_GetDeviceClock(const char* name, VEXA_CLOCK_INFO* out) {
    std::shared_ptr<vexa::onvif::OnvifService> onvif;
    std::string device;
    if (!out)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    if (const uint32_t code = onvifTarget(name, onvif, device))
        return fail(code);
    vexa::onvif::ClockState clock;
    std::string detail;
    if (const uint32_t code = onvif->readClock(device, clock, detail))
        return failWithDetail(code, detail);
    fillClock(clock, out);
    return succeed();
}

int VEXA_SetDeviceTime(const char* name, const VEXA_TIME_PARAM* params, VEXA_CLOCK_INFO* before,
                       VEXA_CLOCK_INFO* after) {
    if (!params)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    vexa::onvif::TimeRequest request;
    const std::string servers(params->ntpServers, strnlen(params->ntpServers, sizeof params->ntpServers));
    request.timeZone.assign(params->timeZone, strnlen(params->timeZone, sizeof params->timeZone));
    if ((!servers.empty() && !vexa::onvif::parseNtpServers(servers, request.ntpServers)) ||
        (!request.timeZone.empty() && !vexa::onvif::validTimeZone(request.timeZone)))
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::shared_ptr<vexa::onvif::OnvifService> onvif;
    std::string device;
    if (const uint32_t code = onvifTarget(name, onvif, device))
        return fail(code);
    vexa::onvif::ClockState was, now;
    bool zoneRefused = false;
    std::string detail;
    const uint32_t code = onvif->setTime(device, request, was, now, zoneRefused, detail);
    fillClock(was, before);
    fillClock(now, after);
    if (after && zoneRefused)
        after->flags |= VEXA_CLOCK_ZONE_REFUSED;
    return code ? failWithDetail(code, detail) : succeed();
}

int VEXA_SetUserPassword(const char* name, const char* newPassword) {
    if (!newPassword)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::string secret(newPassword, strnlen(newPassword, 65));
    // A password travels in XML: printable characters only, so that what the device stores is what was typed.
    const bool printable = std::all_of(secret.begin(), secret.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7f; });
    if (secret.empty() || secret.size() > 64 || !printable) {
        sodium_memzero(secret.data(), secret.size());
        return fail(VEXA_ERR_BAD_ARGUMENT);
    }
    std::shared_ptr<vexa::onvif::OnvifService> onvif;
    std::string device;
    uint32_t code = onvifTarget(name, onvif, device);
    std::string detail;
    if (code == 0)
        code = onvif->setUserPassword(device, secret, detail);
    sodium_memzero(secret.data(), secret.size());
    return code ? failWithDetail(code, detail) : succeed();
}

} // extern "C"
