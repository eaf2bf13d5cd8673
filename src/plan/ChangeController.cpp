#include "plan/ChangeController.h"

#include "discovery/VexaHandler.h"

namespace VexaTool {

namespace {

QString keyText(const DeviceKey& key) {
    return key.serialNo + QChar(0) + key.mac;
}

} // namespace

ChangeController::ChangeController(int maxThreads, QObject* parent)
    : QObject(parent)
    , m_batch(new PlanBatch(maxThreads, this)) {
    connect(m_batch, &PlanBatch::signalSent, this, &ChangeController::onSent);
    connect(m_batch, &PlanBatch::signalSettled, this, &ChangeController::onSettled);
    connect(m_batch, &PlanBatch::signalProgress, this, &ChangeController::signalProgress);
    connect(m_batch, &PlanBatch::signalFinished, this, &ChangeController::signalFinished);
    connect(VEXA::VexaHandler::instance(), &VEXA::VexaHandler::signalDeviceOffline, this,
            &ChangeController::onDeviceOffline);
}

bool ChangeController::startPlan(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                                 const std::vector<plan::PlanDevice>& devices, plan::Credentials credentials) {
    if (m_batch->isBusy())
        return false;
    forgetRun();
    return m_batch->start(plan, check, devices, std::move(credentials));
}

bool ChangeController::startChanges(std::vector<PlanBatch::Change> changes, std::vector<plan::PlanDevice> devices,
                                    plan::Credentials credentials) {
    if (m_batch->isBusy())
        return false;
    forgetRun();
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i].change.row = static_cast<int>(i);
        changes[i].change.waitsFor.clear();
    }
    return m_batch->start(std::move(changes), std::move(devices), {}, std::move(credentials));
}

void ChangeController::forgetRun() {
    m_started.clear();
    m_pending.clear();
    if (!m_restarting.isEmpty()) {
        m_restarting.clear();
        emit signalRestarting(0);
    }
}

void ChangeController::stop() {
    m_batch->stop();
}

DeviceKey ChangeController::keyOf(int change) const {
    const plan::PlanDevice& device =
        m_batch->devices()[static_cast<std::size_t>(m_batch->change(change).change.device)];
    return DeviceKey{QString::fromStdString(device.serial), QString::fromStdString(device.mac)};
}

void ChangeController::onSent(int change) {
    const DeviceKey key = keyOf(change);
    m_started.insert(keyText(key));
    m_pending.insert(keyText(key));
    emit signalChangeStarted(key);
}

void ChangeController::onSettled(int change) {
    const DeviceKey key = keyOf(change);
    const Outcome outcome = m_batch->entries().at(change).outcome;
    // A device left out or held back was never sent anything: nothing of it changed.
    if (!m_started.contains(keyText(key)))
        return;
    m_pending.remove(keyText(key));
    if (m_restarting.remove(keyText(key)))
        emit signalRestarting(restarting());
    // The library reports what the device has after a change through discovery; nothing read back here.
    emit signalChangeSettled(key, outcome, std::nullopt);
    if (outcome.isDone())
        emit signalDeviceChanged(key.serialNo, key.mac, m_batch->change(change).change.params);
}

void ChangeController::onDeviceOffline(const VEXA_DEVICE_MY_INFO& record) {
    const QString key = keyText(deviceKeyOf(record));
    if (!m_pending.contains(key) || m_restarting.contains(key))
        return;
    m_restarting.insert(key);
    emit signalRestarting(restarting());
}

} // namespace VexaTool
