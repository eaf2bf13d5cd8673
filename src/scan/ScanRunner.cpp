#include "scan/ScanRunner.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

#include <QMetaObject>
#include <QTimer>

namespace VexaTool {

// What the scanning thread and the GUI thread share; it outlives whichever of them lets go last.
struct ScanRunner::Shared {
    std::mutex mutex;
    std::vector<VEXA_SCAN_RESULT> pending;
    uint64_t done = 0;
    uint64_t total = 0;
    uint32_t code = 0;
    std::string detail;
    // VEXA_StopScan stops only a scan that has begun: a stop asked for before that is kept here and asked again
    // from the scanning thread.
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
};

ScanRunner::ScanRunner(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this)) {
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &ScanRunner::drain);
}

ScanRunner::~ScanRunner() {
    if (!m_thread.joinable())
        return;
    m_shared->stop = true;
    while (!m_shared->ended) {
        VEXA_StopScan();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_thread.join();
}

void ScanRunner::setBatchInterval(int ms) {
    m_timer->setInterval(ms);
}

bool ScanRunner::start(const QString& ranges, const VEXA_SCAN_PARAM& param) {
    if (m_thread.joinable())
        return false;
    m_tally.clear();
    m_done = 0;
    m_total = 0;
    m_stopRequested = false;
    m_shared = std::make_shared<Shared>();
    const std::shared_ptr<Shared> shared = m_shared;
    // The destructor waits for this thread, so the runner outlives it.
    m_thread = std::thread([this, shared, text = ranges.toUtf8(), param] {
        const auto callback = [](const VEXA_SCAN_RESULT* result, uint64_t done, uint64_t total, void* userData) {
            auto* state = static_cast<Shared*>(userData);
            if (state->stop)
                VEXA_StopScan();
            std::lock_guard<std::mutex> lock(state->mutex);
            state->pending.push_back(*result);
            state->done = done;
            state->total = total;
        };
        const int ok = shared->stop ? 1 : VEXA_ScanRanges(text.constData(), &param, callback, shared.get());
        // The last error and its detail belong to this thread: read here, not on the GUI thread.
        uint32_t code = ok ? 0 : VEXA_GetLastError();
        char detail[96] = {};
        if (!ok)
            VEXA_GetLastErrorDetail(detail, sizeof detail);
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->code = code;
            shared->detail.assign(detail, strnlen(detail, sizeof detail));
        }
        shared->ended = true;
        // Queued to the runner's thread; a runner destroyed meanwhile takes the call with it.
        QMetaObject::invokeMethod(this, &ScanRunner::onWorkerDone, Qt::QueuedConnection);
    });
    m_timer->start();
    return true;
}

void ScanRunner::stop() {
    if (!m_thread.joinable() || m_stopRequested)
        return;
    m_stopRequested = true;
    m_shared->stop = true;
    VEXA_StopScan();
}

void ScanRunner::drain() {
    if (!m_shared)
        return;
    if (m_stopRequested && !m_shared->ended)
        VEXA_StopScan(); // a scan that had not begun when Stop was pressed, and gives no results yet
    std::vector<VEXA_SCAN_RESULT> batch;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        batch.swap(m_shared->pending);
        m_done = m_shared->done;
        m_total = m_shared->total;
    }
    if (batch.empty())
        return;
    for (const VEXA_SCAN_RESULT& result : batch)
        m_tally.add(result);
    emit progress(m_done, m_total);
}

void ScanRunner::onWorkerDone() {
    if (m_thread.joinable())
        m_thread.join();
    m_timer->stop();
    drain();
    uint32_t code = 0;
    QString detail;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        code = m_shared->code;
        detail = QString::fromUtf8(m_shared->detail.data(), static_cast<qsizetype>(m_shared->detail.size()));
    }
    emit finished(code, detail);
}

} // namespace VexaTool
