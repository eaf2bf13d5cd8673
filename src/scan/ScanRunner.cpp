#include "scan/ScanRunner.h"

#include <cstring>
#include <mutex>
#include <vector>

#include <QMetaObject>
#include <QPointer>
#include <QTimer>

namespace VexaTool {

// What the scanning thread and the GUI thread share; it outlives whichever of them lets go last.
struct ScanRunner::Shared {
    std::mutex mutex;
    std::vector<VEXA_SCAN_RESULT> pending;
    uint64_t done = 0;
    uint64_t total = 0;
    bool ended = false;
    uint32_t code = 0;
    std::string detail;
};

ScanRunner::ScanRunner(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this)) {
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &ScanRunner::drain);
}

ScanRunner::~ScanRunner() {
    if (m_thread.joinable()) {
        VEXA_StopScan();
        m_thread.join();
    }
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
    const QPointer<ScanRunner> self(this);
    m_thread = std::thread([shared, self, text = ranges.toUtf8(), param] {
        const auto callback = [](const VEXA_SCAN_RESULT* result, uint64_t done, uint64_t total, void* userData) {
            auto* state = static_cast<Shared*>(userData);
            std::lock_guard<std::mutex> lock(state->mutex);
            state->pending.push_back(*result);
            state->done = done;
            state->total = total;
        };
        const int ok = VEXA_ScanRanges(text.constData(), &param, callback, shared.get());
        // The last error and its detail belong to this thread: read here, not on the GUI thread.
        uint32_t code = ok ? 0 : VEXA_GetLastError();
        char detail[96] = {};
        if (!ok)
            VEXA_GetLastErrorDetail(detail, sizeof detail);
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->ended = true;
            shared->code = code;
            shared->detail.assign(detail, strnlen(detail, sizeof detail));
        }
        // The runner waits for this thread before it goes, so the queued call finds it or is dropped with it.
        QMetaObject::invokeMethod(self.data(), &ScanRunner::onWorkerDone, Qt::QueuedConnection);
    });
    m_timer->start();
    return true;
}

void ScanRunner::stop() {
    if (!m_thread.joinable() || m_stopRequested)
        return;
    m_stopRequested = true;
    VEXA_StopScan();
}

void ScanRunner::drain() {
    if (!m_shared)
        return;
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
