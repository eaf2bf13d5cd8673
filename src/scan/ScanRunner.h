#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include <QObject>
#include <QString>

#include "scan/ScanTally.h"
#include "vexa.h"

class QTimer;

namespace VexaTool {

// Runs one address scan of the library (VEXA_ScanRanges) on a thread of its own and hands its results to the GUI
// thread in batches, at most one batch per interval: a /16 settles 65,534 addresses, which one queued call each
// would bury the event loop under. The devices found reach the list the usual way (the discovery handler); the
// runner keeps the tally of every address. GUI thread only; destroying it stops a running scan and waits for it.
class ScanRunner : public QObject {
    Q_OBJECT

public:
    explicit ScanRunner(QObject* parent = nullptr);
    ~ScanRunner() override;

    // Starts a scan, forgetting the last tally. False when one runs already.
    bool start(const QString& ranges, const VEXA_SCAN_PARAM& param);
    // Asks the running scan to end soon; finished() follows.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    bool stopRequested() const { return m_stopRequested; }

    const ScanTally& tally() const { return m_tally; }
    uint64_t done() const { return m_done; }
    uint64_t total() const { return m_total; }

    // How often settled results reach the GUI thread.
    void setBatchInterval(int ms);

signals:
    // New results are in the tally.
    void progress(quint64 done, quint64 total);
    // The scan ended: code 0 when it ran to its end or was stopped, else the library's code and, for a range it
    // could not read, the piece it named.
    void finished(quint32 code, const QString& detail);

private:
    struct Shared;
    void drain();
    void onWorkerDone();

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    QTimer* m_timer = nullptr;
    ScanTally m_tally;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
    bool m_stopRequested = false;
};

} // namespace VexaTool
