#pragma once

#include <memory>
#include <type_traits>
#include <utility>

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include "discovery/DeviceCalls.h"

namespace VexaTool {

// The one way the program makes a blocking device call: work runs on a worker thread of pool (the process-wide
// pool when none is given) and done gets its result on context's thread. The watcher that carries the result is a
// child of context, so when context is destroyed before the call returns, done is never called: a dialog may close
// while its device call is still under way. work must not touch widgets; it reads the library's last error itself,
// because the library keeps that per calling thread. Every call holds a VEXA::DeviceCalls ticket until work returns,
// so shutdown waits for it before the discovery handler goes; whoever owns a pool also waits for it before the pool
// goes (QThreadPool::waitForDone).
template <typename Work, typename Done>
void runDeviceCall(QObject* context, Work work, Done done, QThreadPool* pool = nullptr) {
    using Result = std::invoke_result_t<Work&>;
    auto promise = std::make_shared<QPromise<Result>>();
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)]() mutable {
        watcher->deleteLater();
        if (watcher->future().resultCount() > 0)
            done(watcher->future().result());
    });
    watcher->setFuture(promise->future());
    promise->start();
    // Taken here, on the caller's thread, so that a call queued behind others is counted before it starts.
    auto ticket = std::make_shared<VEXA::DeviceCalls::Ticket>();
    (pool ? pool : QThreadPool::globalInstance())->start([promise, ticket, work = std::move(work)]() mutable {
        promise->addResult(work());
        ticket->release();
        promise->finish();
    });
}

} // namespace VexaTool
