#include "modify/DeviceTaskRunner.h"

#include <algorithm>

#include "discovery/DeviceCall.h"

namespace VexaTool {

DeviceTaskRunner::DeviceTaskRunner(int maxThreads, QObject* parent)
    : QObject(parent) {
    m_pool.setMaxThreadCount(std::max(1, maxThreads));
    // Threads that sit idle between batches go away instead of lingering for the whole session.
    m_pool.setExpiryTimeout(5000);
}

DeviceTaskRunner::~DeviceTaskRunner() {
    if (m_state)
        m_state->stop = true;
    m_pool.clear();
    // The calls in flight may still post to this object; they must be done before it goes.
    m_pool.waitForDone();
}

bool DeviceTaskRunner::start(std::vector<Task> tasks) {
    if (m_running)
        return false;
    m_state = std::make_shared<RunState>();
    m_outcomes = QVector<DeviceOutcome>(static_cast<qsizetype>(tasks.size()));
    m_done = 0;
    m_running = true;
    if (tasks.empty()) {
        m_running = false;
        emit signalFinished(m_outcomes);
        return true;
    }
    emit signalProgress(0, static_cast<int>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const int index = static_cast<int>(i);
        runDeviceCall(
            this,
            [state = m_state, task = std::move(tasks[i])]() { return state->stop.load() ? DeviceOutcome() : task(); },
            [this, index](const DeviceOutcome& outcome) { onOutcome(index, outcome); }, &m_pool);
    }
    return true;
}

bool DeviceTaskRunner::setMaxThreads(int maxThreads) {
    if (m_running)
        return false;
    m_pool.setMaxThreadCount(std::max(1, maxThreads));
    return true;
}

void DeviceTaskRunner::stop() {
    if (m_state)
        m_state->stop = true;
}

void DeviceTaskRunner::onOutcome(int index, const DeviceOutcome& outcome) {
    if (!m_running || index < 0 || index >= m_outcomes.size())
        return;
    m_outcomes[index] = outcome;
    ++m_done;
    emit signalOutcome(index, outcome);
    emit signalProgress(m_done, static_cast<int>(m_outcomes.size()));
    if (m_done == m_outcomes.size()) {
        m_running = false;
        emit signalFinished(m_outcomes);
    }
}

} // namespace VexaTool
