#include "modify/PlanBatch.h"

#include <algorithm>
#include <cstring>

#include "deployment/PlanApply.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceModifyResultPage.h"
#include "modify/NewAddressCheck.h"
#include "outcome/ErrorText.h"
#include "plan/PlanText.h"
#include "vexa.h"

namespace VexaTool {

namespace {

QString fromBytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

PlanBatch::PlanBatch(int maxThreads, QObject* parent)
    : QObject(parent)
    , m_runner(new DeviceTaskRunner(maxThreads, this)) {
    m_modify = [](const QByteArray& mac, const QByteArray& password, VEXA_NET_PARAM params) {
        VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
        const bool ok = handler->modifyNetParams(mac, password, params);
        return Outcome::ofCall(ok, ok ? VEXA_NOERROR : handler->lastError());
    };
    if (NewAddressCheck::enabled())
        m_ask = &NewAddressCheck::whoAnswers;
    connect(m_runner, &DeviceTaskRunner::signalOutcome, this, &PlanBatch::onOutcome);
    connect(m_runner, &DeviceTaskRunner::signalFinished, this, &PlanBatch::onRoundFinished);
}

bool PlanBatch::start(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                      const std::vector<plan::PlanDevice>& devices, const QByteArray& password) {
    if (m_running || !check.ok())
        return false;
    m_changes = plan::plannedChanges(plan, check, devices);
    if (m_changes.empty())
        return false;
    m_plan = plan;
    m_check = check;
    m_devices = devices;
    m_password = password;
    const std::size_t count = m_changes.size();
    m_round.assign(count, 0);
    m_settled.assign(count, 0);
    m_rowDone.assign(plan.rows().size(), 0);
    m_entries.clear();
    m_answers = std::make_shared<Answers>();
    m_entries.resize(static_cast<qsizetype>(count));
    m_receipt.assign(count, plan::ReceiptEntry());
    // A change goes one round after every change it waits for; the check's order puts those first.
    std::vector<int> roundOfRow(plan.rows().size(), 0);
    m_lastRound = 0;
    for (std::size_t i = 0; i < count; ++i) {
        int round = 0;
        for (const int waited : m_changes[i].waitsFor) {
            if (waited >= 0 && static_cast<std::size_t>(waited) < roundOfRow.size())
                round = std::max(round, roundOfRow[static_cast<std::size_t>(waited)] + 1);
        }
        m_round[i] = round;
        roundOfRow[static_cast<std::size_t>(m_changes[i].row)] = round;
        m_lastRound = std::max(m_lastRound, round);
    }
    m_currentRound = 0;
    m_done = 0;
    m_stopped = false;
    m_running = true;
    m_history.begin();
    if (!m_ask)
        m_history.append(plan::addressCheckSkippedEntry());
    emit signalProgress(0, total());
    runRound();
    return true;
}

void PlanBatch::stop() {
    if (!m_running)
        return;
    m_stopped = true;
    m_runner->stop();
}

int PlanBatch::failures() const {
    return static_cast<int>(
        std::count_if(m_entries.cbegin(), m_entries.cend(), [](const DeviceInfo& e) { return !e.outcome.isDone(); }));
}

void PlanBatch::settle(int change, const QString& result, const Outcome& outcome) {
    const bool ok = outcome.isDone();
    const plan::PlannedChange& c = m_changes[static_cast<std::size_t>(change)];
    const plan::PlanRow& row = m_plan.rows()[static_cast<std::size_t>(c.row)];
    const plan::PlanDevice& device = m_devices[static_cast<std::size_t>(c.device)];
    DeviceInfo entry;
    entry.index = QString::number(row.line);
    entry.ipv4Address = fromBytes(ok ? c.newAddress : c.oldAddress);
    entry.serialNo = fromBytes(device.serial);
    entry.mac = fromBytes(device.mac);
    entry.result = result;
    entry.outcome = outcome;
    m_entries[change] = entry;
    // The receipt keeps the name as the plan wrote it. New Address is the address the device was to get,
    // whether or not it got it (Result says which), as vexa apply-plan writes it.
    m_receipt[static_cast<std::size_t>(change)] = {
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(),
        device.serial,
        device.mac,
        c.oldAddress,
        c.newAddress,
        row.name,
        result.toStdString(),
        outcome};
    m_history.append(m_receipt[static_cast<std::size_t>(change)]);
    m_settled[static_cast<std::size_t>(change)] = 1;
    if (ok)
        m_rowDone[static_cast<std::size_t>(c.row)] = 1;
    ++m_done;
    emit signalProgress(m_done, total());
}

void PlanBatch::runRound() {
    while (m_currentRound <= m_lastRound) {
        std::vector<DeviceTaskRunner::Task> tasks;
        m_inFlight.clear();
        for (std::size_t i = 0; i < m_changes.size(); ++i) {
            if (m_round[i] != m_currentRound || m_settled[i])
                continue;
            const plan::PlannedChange& change = m_changes[i];
            int holder = -1;
            for (const int waited : change.waitsFor) {
                if (waited >= 0 && static_cast<std::size_t>(waited) < m_rowDone.size() &&
                    !m_rowDone[static_cast<std::size_t>(waited)])
                    holder = waited;
            }
            if (holder >= 0) {
                const int d = m_check.deviceOfRow[static_cast<std::size_t>(holder)];
                settle(static_cast<int>(i),
                       PlanText::notSent(d >= 0 ? fromBytes(m_devices[static_cast<std::size_t>(d)].serial) : QString()),
                       Outcome::notSent());
                continue;
            }
            m_inFlight.push_back(static_cast<int>(i));
            const plan::PlanDevice& device = m_devices[static_cast<std::size_t>(change.device)];
            const QByteArray mac = QByteArray::fromStdString(device.mac);
            // An ONVIF device gets no password of ours: the library signs its requests with the sign-in's login.
            tasks.push_back([modify = m_modify, mac, password = device.onvif ? QByteArray() : m_password,
                             params = change.params, ask = m_ask, to = change.newAddress, from = change.oldAddress,
                             answers = m_answers, index = static_cast<int>(i)] {
                // Asked just before it is sent: a device of the plan that held the address has moved by now.
                if (const std::string who = ask ? ask(to, from) : std::string(); !who.empty()) {
                    std::lock_guard<std::mutex> guard(answers->mutex);
                    answers->byChange[index] = who;
                    return Outcome::notSent(VEXA_ERR_ADDRESS_TAKEN);
                }
                return modify(mac, password, params);
            });
        }
        if (!tasks.empty()) {
            m_runner->start(std::move(tasks));
            return;
        }
        ++m_currentRound;
    }
    finish();
}

void PlanBatch::onOutcome(int index, const DeviceOutcome& outcome) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_inFlight.size())
        return;
    const int change = m_inFlight[static_cast<std::size_t>(index)];
    if (!outcome.wasSent()) {
        std::string who;
        {
            std::lock_guard<std::mutex> guard(m_answers->mutex);
            who = m_answers->byChange[change];
        }
        settle(change, outcome.code == VEXA_ERR_ADDRESS_TAKEN ? PlanText::addressTaken(who) : PlanText::stopped(),
               outcome);
        return;
    }
    settle(change, PlanText::result(outcome.code), outcome);
    if (outcome.isDone()) {
        const plan::PlannedChange& c = m_changes[static_cast<std::size_t>(change)];
        const plan::PlanDevice& device = m_devices[static_cast<std::size_t>(c.device)];
        emit signalDeviceChanged(fromBytes(device.serial), fromBytes(device.mac), c.params);
    }
}

void PlanBatch::onRoundFinished() {
    if (!m_running)
        return;
    if (m_stopped) {
        for (std::size_t i = 0; i < m_changes.size(); ++i) {
            if (!m_settled[i])
                settle(static_cast<int>(i), PlanText::stopped(), Outcome::notSent());
        }
        finish();
        return;
    }
    ++m_currentRound;
    runRound();
}

void PlanBatch::finish() {
    m_running = false;
    m_password.fill('\0');
    m_password.clear();
    emit signalFinished();
}

} // namespace VexaTool
