#pragma once

#include <optional>
#include <vector>

#include <QObject>
#include <QSet>
#include <QString>

#include "deployment/NetworkChange.h"
#include "discovery/DeviceRecord.h"
#include "plan/PlanBatch.h"
#include "vexa.h"

namespace VexaTool {

// Drives every network change the program makes, one device, a batch or a plan, through one PlanBatch, and tells
// whoever keeps the list which devices may restart and how each change ended. It never writes the device store.
// GUI thread.
class ChangeController : public QObject {
    Q_OBJECT

public:
    explicit ChangeController(int maxThreads, QObject* parent = nullptr);

    PlanBatch* batch() const { return m_batch; }
    bool isBusy() const { return m_batch->isBusy(); }
    bool isRunning() const { return m_batch->isRunning(); }
    // Devices of the run that said goodbye after their change was sent: restarting to take it.
    int restarting() const { return static_cast<int>(m_restarting.size()); }

    bool startPlan(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                   const std::vector<plan::PlanDevice>& devices, plan::Credentials credentials);
    // Changes that wait for no other (a single device, or a batch of the modify page).
    bool startChanges(std::vector<PlanBatch::Change> changes, std::vector<plan::PlanDevice> devices,
                      plan::Credentials credentials);
    void stop();

signals:
    void signalChangeStarted(const DeviceKey& key);
    void signalChangeSettled(const DeviceKey& key, const VexaTool::Outcome& outcome,
                             const std::optional<VEXA_NET_PARAM>& readBack);
    // A device took the values sent; kept until the list learns every change from the device itself.
    void signalDeviceChanged(const QString& serialNo, const QString& mac, const VEXA_NET_PARAM& params);
    void signalProgress(int done, int total);
    void signalRestarting(int devices);
    void signalFinished();

private:
    DeviceKey keyOf(int change) const;
    void forgetRun();
    void onSent(int change);
    void onSettled(int change);
    void onDeviceOffline(const VEXA_DEVICE_MY_INFO& record);

    PlanBatch* m_batch = nullptr;
    QSet<QString> m_started;    // keys of the run's changes that were sent
    QSet<QString> m_pending;    // of those, the ones in flight
    QSet<QString> m_restarting; // of those, the ones that said goodbye meanwhile
};

} // namespace VexaTool
