#pragma once

// A stand-in for the discovery library's recovery calls, installed into the handler. The calls arrive on the
// dialogs' worker threads; the last error is kept per thread as the real library keeps it, so a dialog that
// read it on the wrong thread would see 0.

#include <atomic>
#include <cstring>
#include <mutex>

#include <QByteArray>
#include <QFile>
#include <QThread>

#include "discovery/VexaHandler.h"

namespace fake {

struct State {
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

inline uint32_t lastError() {
    return tlsError;
}

inline void install() {
    VEXA::VexaLibrary library;
    library.getDeviceConfig = &getDeviceConfig;
    library.resetPassword = &resetPassword;
    library.resetDefaultPassword = &resetDefaultPassword;
    library.lastError = &lastError;
    VEXA::VexaHandler::instance()->setLibrary(library);
}

inline void reset() {
    std::lock_guard<std::mutex> lock(mutex());
    state() = State();
    hold() = false;
}

inline State snapshot() {
    std::lock_guard<std::mutex> lock(mutex());
    return state();
}

} // namespace fake
