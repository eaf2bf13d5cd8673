#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QThreadPool>
#include <QVector>

#include "deviceoutcome/Outcome.h"

namespace VexaTool {

// What one device call came to; not sent for a device the run never reached because it was stopped.
using DeviceOutcome = Outcome;

// Runs one blocking library call per device on worker threads, at most maxThreads at once, in the order
// given, so that the GUI thread never waits on the network. Each outcome is handed back on the thread that
// owns the runner (the GUI thread), by index, as it arrives; the whole list, in the original order, when the
// last call is done. Stop lets the calls in flight finish and starts no more. Destroying the runner waits for
// the calls in flight; their outcomes are then dropped.
class DeviceTaskRunner : public QObject {
    Q_OBJECT

public:
    using Task = std::function<DeviceOutcome()>; // runs on a worker thread

    explicit DeviceTaskRunner(int maxThreads, QObject* parent = nullptr);
    ~DeviceTaskRunner() override;

    // Starts the calls; false (and nothing starts) while a run is going on.
    bool start(std::vector<Task> tasks);
    void stop();
    bool isRunning() const { return m_running; }
    int maxThreads() const { return m_pool.maxThreadCount(); }
    // Between runs only; false while one is going on.
    bool setMaxThreads(int maxThreads);

signals:
    void signalOutcome(int index, VexaTool::DeviceOutcome outcome);
    void signalProgress(int done, int total);
    void signalFinished(QVector<VexaTool::DeviceOutcome> outcomes);

private:
    struct RunState {
        std::atomic<bool> stop{false};
    };

    void onOutcome(int index, const DeviceOutcome& outcome);

    QThreadPool m_pool;
    std::shared_ptr<RunState> m_state;
    QVector<DeviceOutcome> m_outcomes;
    int m_done = 0;
    bool m_running = false;
};

} // namespace VexaTool

Q_DECLARE_METATYPE(VexaTool::Outcome)
