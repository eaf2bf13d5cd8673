#pragma once

// The one stand-in for the discovery library that the program's tests install into the handler: start and stop,
// the filter, clear-up and inquiry, statistics, activation and network changes (each device answers with the code
// set for it, after an optional delay, and every call is recorded), and the recovery calls. The calls arrive on
// the pages' and dialogs' worker threads; the last error is kept per thread as the real library keeps it, so code
// that read it on the wrong thread would see 0.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QThread>

#include "discovery/VexaHandler.h"

namespace fakelib {

struct State {
    // start, stop, filter, clear-up, inquiry
    int starts = 0;
    int stops = 0;
    int startResult = 1;
    VEXA_DEVICE_CALLBACK callback = nullptr;
    void* userData = nullptr;
    int lastFilter = -1;
    int filterResult = 1;
    int clearUps = 0;
    int inquiries = 0;
    uint32_t trustedKeys = 1;
    uint32_t rejectedKeys = 0;
    // key request
    bool configOk = true;
    QByteArray requestData;    // the reply's data
    qint64 requestLength = -1; // the reply's length field; -1: the data's size
    uint32_t configCalls = 0;
    uint32_t lastCommand = 0;
    uint32_t lastOutSize = 0;
    // reset
    bool resetOk = true;
    int resetCalls = 0;
    VEXA_RESET_PARAM lastReset{};
    QByteArray keyFileSeen; // the file at keyFilePath, read during the call as the library reads it
    bool keyFileExisted = false;
    // restore
    bool restoreOk = true;
    int restoreCalls = 0;
    QByteArray lastCode;
    QByteArray lastRestorePassword;
    // every call
    QByteArray lastSerial;
    uint32_t failCode = VEXA_ERR_DEVICE_REFUSED;
};

inline std::mutex& mutex() {
    static std::mutex m;
    return m;
}
inline State& state() {
    static State s;
    return s;
}
// While true, every call waits: the test sees the dialog busy.
inline std::atomic<bool>& hold() {
    static std::atomic<bool> h{false};
    return h;
}
inline thread_local uint32_t tlsError = 0;

inline void waitWhileHeld() {
    while (hold().load())
        QThread::msleep(5);
}

inline int finish(bool ok, uint32_t code) {
    tlsError = ok ? VEXA_NOERROR : code;
    return ok ? 1 : 0;
}

inline int getDeviceConfig(const char* serial, uint32_t command, const void*, uint32_t, void* out, uint32_t outSize) {
    waitWhileHeld();
    std::lock_guard<std::mutex> lock(mutex());
    State& s = state();
    ++s.configCalls;
    s.lastSerial = serial;
    s.lastCommand = command;
    s.lastOutSize = outSize;
    if (!s.configOk)
        return finish(false, s.failCode);
    const uint32_t capacity = outSize - 4;
    const auto length = static_cast<uint32_t>(s.requestLength < 0 ? s.requestData.size() : s.requestLength);
    std::memcpy(out, &length, 4);
    std::memcpy(static_cast<char*>(out) + 4, s.requestData.constData(),
                qMin<size_t>(static_cast<size_t>(s.requestData.size()), capacity));
    return finish(true, 0);
}

inline int resetPassword(const char* serial, VEXA_RESET_PARAM* params) {
    waitWhileHeld();
    std::lock_guard<std::mutex> lock(mutex());
    State& s = state();
    ++s.resetCalls;
    s.lastSerial = serial;
    s.lastReset = *params;
    QFile file(QString::fromLocal8Bit(params->keyFilePath, static_cast<qsizetype>(strnlen(params->keyFilePath, 260))));
    s.keyFileExisted = params->keyFilePath[0] != '\0' && file.exists();
    s.keyFileSeen = s.keyFileExisted && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return finish(s.resetOk, s.failCode);
}

inline int resetDefaultPassword(const char* serial, const char* code, const char* newPassword) {
    waitWhileHeld();
    std::lock_guard<std::mutex> lock(mutex());
    State& s = state();
    ++s.restoreCalls;
    s.lastSerial = serial;
    s.lastCode = code;
    s.lastRestorePassword = newPassword;
    return finish(s.restoreOk, s.failCode);
}

inline State snapshot() {
    std::lock_guard<std::mutex> lock(mutex());
    return state();
}

inline uint32_t lastError() {
    return tlsError;
}

inline int start(VEXA_DEVICE_CALLBACK callback, int version, void* user) {
    std::lock_guard<std::mutex> lock(mutex());
    State& s = state();
    ++s.starts;
    s.callback = callback;
    s.userData = user;
    return finish(version == 1 && s.startResult, s.failCode);
}

inline int stop() {
    std::lock_guard<std::mutex> lock(mutex());
    ++state().stops;
    return 1;
}

inline int setFilterRule(int on, int, int) {
    std::lock_guard<std::mutex> lock(mutex());
    state().lastFilter = on;
    return finish(state().filterResult, state().failCode);
}

inline int clearUp() {
    std::lock_guard<std::mutex> lock(mutex());
    ++state().clearUps;
    return 1;
}

inline int sendInquiry() {
    std::lock_guard<std::mutex> lock(mutex());
    ++state().inquiries;
    return 1;
}

inline int statistics(VEXA_STATISTICS* out) {
    std::lock_guard<std::mutex> lock(mutex());
    *out = VEXA_STATISTICS{};
    out->trustedKeys = state().trustedKeys;
    out->rejectedKeys = state().rejectedKeys;
    return 1;
}

// Activation and network changes: read and set by the tests between runs, written by the calls under the mutex.
inline QHash<QByteArray, uint32_t> codes; // by serial number (activation) or MAC (modification)
inline QList<QByteArray> calls;
inline QHash<QByteArray, VEXA_NET_PARAM> sent;
inline std::atomic<int> inFlight{0};
inline std::atomic<int> maxInFlight{0};
inline std::atomic<int> delayMs{0};
inline std::atomic<int> activations{0};

inline int answer(const QByteArray& key) {
    const int now = ++inFlight;
    int seen = maxInFlight.load();
    while (now > seen && !maxInFlight.compare_exchange_weak(seen, now)) {
    }
    if (delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
    uint32_t code = 0;
    {
        std::lock_guard<std::mutex> lock(mutex());
        calls << key;
        code = codes.value(key, 0);
    }
    --inFlight;
    return finish(code == 0, code);
}

inline int activate(const char* serial, const char*) {
    const int ok = answer(QByteArray(serial));
    ++activations;
    return ok;
}

// What a device says about its failure, by MAC, as the library keeps it for the calling thread.
inline QHash<QByteArray, QByteArray> details;
inline thread_local QByteArray tlsDetail;
inline int modify(const char* mac, const char*, VEXA_NET_PARAM* params) {
    {
        std::lock_guard<std::mutex> lock(mutex());
        sent.insert(QByteArray(mac), *params);
        tlsDetail = details.value(QByteArray(mac));
    }
    return answer(QByteArray(mac));
}

inline int lastErrorDetail(char* buffer, uint32_t size) {
    return std::snprintf(buffer, size, "%s", tlsDetail.constData());
}

// ONVIF: the refusal each device gave to the last login, by endpoint reference, and the login the program set.
inline QHash<QByteArray, QByteArray> refusals;
inline QByteArray onvifUser;
inline QByteArray onvifPassword;
inline int credentialCalls = 0;
// The login given to every device (the automatic sign-in), and the devices given one of their own.
inline bool onvifEvery = false;
inline QMap<QByteArray, QByteArray> onvifGiven; // endpoint reference → user
inline int onvifRefusal(const char* endpoint, char* buffer, uint32_t size) {
    std::lock_guard<std::mutex> lock(mutex());
    std::snprintf(buffer, size, "%s", refusals.value(QByteArray(endpoint)).constData());
    return 1;
}

inline int setOnvifCredentials(const char* user, const char* password) {
    std::lock_guard<std::mutex> lock(mutex());
    ++credentialCalls;
    onvifUser = QByteArray(user ? user : "");
    onvifPassword = QByteArray(password ? password : "");
    onvifEvery = !onvifUser.isEmpty();
    return 1;
}

inline int setOnvifCredentialsFor(const char* const* endpoints, uint32_t count, const char* user,
                                  const char* password) {
    std::lock_guard<std::mutex> lock(mutex());
    for (uint32_t i = 0; i < count; ++i) {
        if (user && *user) {
            onvifGiven.insert(QByteArray(endpoints[i]), QByteArray(user));
            onvifPassword = QByteArray(password ? password : "");
        } else {
            onvifGiven.remove(QByteArray(endpoints[i]));
        }
    }
    return 1;
}

// Installs every call of the stand-in, replacing whatever library the handler had.
inline void install() {
    VEXA::VexaLibrary library;
    library.start = &start;
    library.stop = &stop;
    library.setFilterRule = &setFilterRule;
    library.clearUp = &clearUp;
    library.sendInquiry = &sendInquiry;
    library.statistics = &statistics;
    library.activateDevice = &activate;
    library.modifyNetParams = &modify;
    library.getDeviceConfig = &getDeviceConfig;
    library.resetPassword = &resetPassword;
    library.resetDefaultPassword = &resetDefaultPassword;
    library.lastError = &lastError;
    library.lastErrorDetail = &lastErrorDetail;
    library.onvifRefusal = &onvifRefusal;
    library.setOnvifCredentials = &setOnvifCredentials;
    library.setOnvifCredentialsFor = &setOnvifCredentialsFor;
    VEXA::VexaHandler::instance()->setLibrary(library);
}

inline void reset() {
    std::lock_guard<std::mutex> lock(mutex());
    state() = State();
    hold() = false;
    codes.clear();
    details.clear();
    calls.clear();
    sent.clear();
    refusals.clear();
    onvifUser.clear();
    onvifPassword.clear();
    credentialCalls = 0;
    onvifEvery = false;
    onvifGiven.clear();
    inFlight = 0;
    maxInFlight = 0;
    delayMs = 0;
    activations = 0;
}

} // namespace fakelib
