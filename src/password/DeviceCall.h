#pragma once

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include <QObject>
#include <QThread>

#include "discovery/DeviceCalls.h"

namespace VexaTool {

// Runs one blocking device call on a thread of its own and hands its result to done on context's thread.
// When context is destroyed before the call returns, done is never called (the connection dies with it), so a
// dialog may be destroyed while its device call is still under way. work must not touch widgets; it reads the
// library's last error itself, because the library keeps that per calling thread. Shutdown waits for the call
// (VEXA::DeviceCalls), so work may use the discovery handler.
template <typename Work, typename Done>
void runDeviceCall(QObject* context, Work work, Done done) {
    using Result = std::invoke_result_t<Work&>;
    auto result = std::make_shared<std::optional<Result>>();
    QThread* thread = QThread::create([work = std::move(work), result, ticket = VEXA::DeviceCalls::Ticket()]() mutable {
        result->emplace(work());
        ticket.release();
    });
    // Both connections are queued to the thread object's (and context's) thread: done runs before deleteLater.
    QObject::connect(thread, &QThread::finished, context, [result, done = std::move(done)]() mutable {
        if (result->has_value())
            done(std::move(**result));
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

} // namespace VexaTool
