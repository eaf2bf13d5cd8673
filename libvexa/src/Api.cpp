// The C entry points. Start and stop are serialised by one mutex; every other call takes a reference to the
// running engine and works without holding it, so a slow operation never blocks stop or the callback.

#include <cstring>
#include <memory>
#include <mutex>
#include <sodium.h>

#include "Engine.h"
#include "Logger.h"
#include "Operations.h"
#include "vexa.h"
#include "vexa_crypto.h"

namespace {

thread_local uint32_t t_lastError = VEXA_NOERROR;

std::mutex g_lifecycleMutex;
std::mutex g_engineMutex;
std::shared_ptr<vexa::Engine> g_engine;
bool g_videoOnly = false;

int fail(uint32_t code) {
    t_lastError = code;
    return 0;
}

int succeed() {
    t_lastError = VEXA_NOERROR;
    return 1;
}

std::shared_ptr<vexa::Engine> currentEngine() {
    std::lock_guard<std::mutex> lock(g_engineMutex);
    return g_engine;
}

} // namespace

namespace vexa {

void setLastError(uint32_t code) {
    t_lastError = code;
}

std::shared_ptr<Engine> runningEngine() {
    return currentEngine();
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
    config.verifyCertificate = [keys = std::move(trusted.keys)](const vexa::proto::DeviceRecord& record) {
        const auto mac = vexa::crypto::parseMac(record.mac);
        if (keys.empty() || !mac || record.publicKey.size() != vexa::crypto::kPublicKeySize ||
            record.certificate.size() != vexa::crypto::kSignatureSize)
            return false;
        vexa::crypto::DeviceIdentity identity;
        identity.serial = record.serialNo;
        identity.mac = *mac;
        std::copy(record.publicKey.begin(), record.publicKey.end(), identity.devicePublicKey.begin());
        vexa::crypto::Signature signature{};
        std::copy(record.certificate.begin(), record.certificate.end(), signature.begin());
        return vexa::crypto::verifyCertificate(identity, signature, keys);
    };
    auto engine = std::make_shared<vexa::Engine>(callback, userData, std::move(config));
    engine->setReplyHandler(&vexa::dispatchReply);
    engine->setVideoOnly(g_videoOnly);
    if (!engine->start(error)) {
        VEXA_LOG(vexa::LogError, "start: %s", error.c_str());
        return fail(VEXA_ERR_NETWORK);
    }
    std::lock_guard<std::mutex> lock(g_engineMutex);
    g_engine = std::move(engine);
    return succeed();
}

int VEXA_Stop(void) {
    std::lock_guard<std::mutex> lifecycle(g_lifecycleMutex);
    std::shared_ptr<vexa::Engine> engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    // Joining the I/O thread from itself would never return.
    if (engine->onIoThread())
        return fail(VEXA_ERR_BAD_ARGUMENT);
    {
        std::lock_guard<std::mutex> lock(g_engineMutex);
        g_engine.reset();
    }
    engine->stop();
    return succeed();
}

int VEXA_SendInquiry(void) {
    auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    if (!engine->runOnIo([&engine] { engine->sendInquiryRound(); }))
        return fail(VEXA_ERR_NOT_STARTED);
    return succeed();
}

int VEXA_Clearup(void) {
    auto engine = currentEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    if (!engine->clearup())
        return fail(VEXA_ERR_NOT_STARTED);
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
    return succeed();
}

} // extern "C"
