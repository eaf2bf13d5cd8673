#include "plan/PlanBatch.h"

#include <algorithm>

#include "discovery/DeviceCall.h"
#include "discovery/VexaHandler.h"
#include "plan/NewAddressCheck.h"
#include "plan/PlanText.h"

namespace VexaTool {

namespace {

QString fromBytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

plan::DeviceReply libraryCall(const plan::PlanDevice& device, const std::string& secret, VEXA_NET_PARAM& params) {
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    plan::DeviceReply reply;
    if (handler->modifyNetParams(QByteArray::fromStdString(device.mac), QByteArray::fromStdString(secret), params))
        return reply;
    // A failure without a code is not known to have left the device alone.
    reply.code = handler->lastError();
    if (reply.code == VEXA_NOERROR)
        reply.code = VEXA_ERR_OUTCOME_UNKNOWN;
    reply.detail = handler->lastErrorDetail();
    return reply;
}

// The result's sentence: the library's code in words (what the device itself said has a receipt column of its own).
QString resultOf(const plan::ApplyOutcome& outcome, ErrorText::Form form) {
    if (!outcome.wasSent()) {
        if (outcome.code == VEXA_ERR_ADDRESS_TAKEN)
            return PlanText::addressTaken(outcome.answered);
        return outcome.holderSerial.empty() ? PlanText::stopped() : PlanText::notSent(fromBytes(outcome.holderSerial));
    }
    return ErrorText::text(form, outcome.code);
}

} // namespace

PlanBatch::PlanBatch(int maxThreads, QObject* parent)
    : QObject(parent)
    , m_send(&libraryCall) {
    m_pool.setMaxThreadCount(std::max(1, maxThreads));
    if (NewAddressCheck::enabled())
        m_ask = [](const std::string& address) { return NewAddressCheck::whoAnswers(address, std::string()); };
}

PlanBatch::~PlanBatch() {
    m_pool.waitForDone();
    m_credentials.wipe();
}

void PlanBatch::setMaxThreads(int maxThreads) {
    m_pool.setMaxThreadCount(std::max(1, maxThreads));
}

bool PlanBatch::start(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                      const std::vector<plan::PlanDevice>& devices, plan::Credentials credentials) {
    if (!check.ok())
        return false;
    std::vector<Change> changes;
    for (plan::PlannedChange& c : plan::plannedChanges(plan, check, devices)) {
        const plan::PlanRow& row = plan.rows()[static_cast<std::size_t>(c.row)];
        changes.push_back({std::move(c), row.name, QString::number(row.line), QString(), {}});
    }
    return start(std::move(changes), devices, check.deviceOfRow, std::move(credentials));
}

bool PlanBatch::start(std::vector<Change> changes, std::vector<plan::PlanDevice> devices, std::vector<int> deviceOfRow,
                      plan::Credentials credentials) {
    if (isBusy() || changes.empty())
        return false;
    for (const Change& c : changes)
        if (c.change.device < 0 || static_cast<std::size_t>(c.change.device) >= devices.size())
            return false;
    ++m_run;
    m_changes = std::move(changes);
    m_devices = std::move(devices);
    m_deviceOfRow = std::move(deviceOfRow);
    m_credentials.wipe();
    m_credentials = std::move(credentials);
    const std::size_t count = m_changes.size();
    m_round.assign(count, 0);
    m_settled.assign(count, 0);
    m_callState.assign(count, nullptr);
    m_entries = QVector<DeviceInfo>(static_cast<qsizetype>(count));
    m_receipt.assign(count, plan::ReceiptEntry());
    // A change goes one round after every change it waits for; the check's order puts those first.
    int rows = static_cast<int>(m_deviceOfRow.size());
    for (const Change& c : m_changes)
        rows = std::max(rows, c.change.row + 1);
    m_rowDone.assign(static_cast<std::size_t>(rows), 0);
    std::vector<int> roundOfRow(static_cast<std::size_t>(rows), 0);
    m_lastRound = 0;
    for (std::size_t i = 0; i < count; ++i) {
        int round = 0;
        for (const int waited : m_changes[i].change.waitsFor) {
            if (waited >= 0 && waited < rows)
                round = std::max(round, roundOfRow[static_cast<std::size_t>(waited)] + 1);
        }
        m_round[i] = round;
        if (m_changes[i].change.row >= 0)
            roundOfRow[static_cast<std::size_t>(m_changes[i].change.row)] = round;
        m_lastRound = std::max(m_lastRound, round);
    }
    m_currentRound = 0;
    m_done = 0;
    m_stopped = false;
    m_running = true;
    m_history.begin();
    // Only network changes ask new addresses: a run of other operations has nothing to skip.
    const bool networkChanges =
        std::any_of(m_changes.cbegin(), m_changes.cend(), [](const Change& c) { return !c.operation; });
    if (!m_ask && networkChanges)
        m_history.append(plan::addressCheckSkippedEntry());
    emit signalProgress(0, total());
    runRound();
    return true;
}

void PlanBatch::stop() {
    if (!m_running || m_stopped)
        return;
    m_stopped = true;
    // What was not sent never will be; what went out stays unknown until its device answers.
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        if (m_settled[i])
            continue;
        int queued = 0;
        if (m_callState[i] && !m_callState[i]->compare_exchange_strong(queued, 2)) {
            plan::ApplyOutcome unknown;
            static_cast<Outcome&>(unknown) = Outcome::ofCode(VEXA_ERR_OUTCOME_UNKNOWN);
            settle(static_cast<int>(i), unknown, PlanText::stoppedWaiting());
        } else {
            settle(static_cast<int>(i), plan::ApplyOutcome(), PlanText::stopped());
        }
    }
    finish();
}

int PlanBatch::failures() const {
    return static_cast<int>(
        std::count_if(m_entries.cbegin(), m_entries.cend(), [](const DeviceInfo& e) { return !e.outcome.isDone(); }));
}

void PlanBatch::settle(int index, const plan::ApplyOutcome& outcome, const QString& result) {
    const std::size_t i = static_cast<std::size_t>(index);
    const Change& c = m_changes[i];
    const plan::PlanDevice& device = m_devices[static_cast<std::size_t>(c.change.device)];
    DeviceInfo entry;
    entry.index = c.label;
    entry.ipv4Address = fromBytes(outcome.isDone() ? c.change.newAddress : c.change.oldAddress);
    entry.serialNo = fromBytes(device.serial);
    entry.mac = fromBytes(device.mac);
    // On the results page the device's own words follow the sentence; the receipt keeps them in their column.
    entry.result = outcome.wasSent() ? PlanText::withDetail(result, outcome.detail) : result;
    entry.outcome = outcome;
    m_entries[index] = entry;
    m_receipt[i] = plan::NetworkChange::receiptEntry(c.change, device, c.name, outcome, result.toStdString());
    m_history.append(m_receipt[i]);
    if (outcome.isDone() && c.change.row >= 0 && static_cast<std::size_t>(c.change.row) < m_rowDone.size())
        m_rowDone[static_cast<std::size_t>(c.change.row)] = 1;
    if (!m_settled[i]) {
        m_settled[i] = 1;
        ++m_done;
        emit signalProgress(m_done, total());
    }
    emit signalSettled(index);
}

void PlanBatch::runRound() {
    while (m_running && m_currentRound <= m_lastRound) {
        bool sent = false;
        for (std::size_t i = 0; i < m_changes.size(); ++i) {
            if (m_round[i] != m_currentRound || m_settled[i])
                continue;
            const Change& c = m_changes[i];
            if (!c.leftOut.isEmpty()) {
                settle(static_cast<int>(i), plan::ApplyOutcome(), c.leftOut);
                continue;
            }
            // Held on the GUI thread, where the rows that went before have settled.
            if (const int holder = plan::NetworkChange::holdingRow(c.change, m_rowDone); holder >= 0) {
                plan::ApplyOutcome held;
                held.holderSerial = plan::NetworkChange::holderSerial(holder, m_deviceOfRow, m_devices);
                settle(static_cast<int>(i), held, resultOf(held, m_form));
                continue;
            }
            auto state = std::make_shared<std::atomic<int>>(0);
            m_callState[i] = state;
            ++m_calls;
            sent = true;
            const int index = static_cast<int>(i);
            runDeviceCall(
                this,
                [service = plan::NetworkChange(m_send, m_ask), change = c.change,
                 device = m_devices[static_cast<std::size_t>(c.change.device)], credentials = m_credentials, state,
                 operation = c.operation, batch = this, index]() mutable {
                    Sent sent;
                    int queued = 0;
                    if (state->compare_exchange_strong(queued, 1)) {
                        // Told as it goes out: from now on the device may restart. The batch outlives its workers.
                        QMetaObject::invokeMethod(
                            batch, [batch, index] { emit batch->signalSent(index); }, Qt::QueuedConnection);
                        // Asked just before it is sent: a device of the run that held the address has moved by now.
                        sent.outcome = operation ? operation(sent.note) : service.send(change, device, credentials);
                    }
                    credentials.wipe();
                    return sent;
                },
                [this, index, run = m_run](const Sent& sent) { onSent(index, run, sent); }, &m_pool);
        }
        if (sent)
            return;
        ++m_currentRound;
    }
    if (m_running)
        finish();
}

void PlanBatch::onSent(int index, std::uint64_t run, const Sent& sent) {
    const plan::ApplyOutcome& outcome = sent.outcome;
    --m_calls;
    if (!m_running && m_calls == 0)
        m_credentials.wipe();
    if (run != m_run)
        return; // a new run starts only once every call of the last one is back
    const std::size_t i = static_cast<std::size_t>(index);
    if (m_callState[i]->load() == 2)
        return; // given up before it went out: settled as not sent by Stop
    const QString result = resultOf(outcome, m_form);
    settle(index, outcome, sent.note.isEmpty() ? result : result + QLatin1Char(' ') + sent.note);
    if (!m_running)
        return; // the real outcome of a change stopped in flight
    roundSettled();
}

void PlanBatch::roundSettled() {
    for (std::size_t i = 0; i < m_changes.size(); ++i)
        if (m_round[i] == m_currentRound && !m_settled[i])
            return;
    ++m_currentRound;
    runRound();
}

void PlanBatch::finish() {
    m_running = false;
    if (m_calls == 0)
        m_credentials.wipe();
    emit signalFinished();
}

} // namespace VexaTool
