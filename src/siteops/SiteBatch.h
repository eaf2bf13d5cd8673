#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QStringList>
#include <QVector>

#include "discovery/DeviceRecord.h"
#include "plan/PlanBatch.h"
#include "vexa.h"

namespace VexaTool {

// Sets the time, or changes the ONVIF user's password, of a batch of devices through the same PlanBatch as network
// changes: its workers, progress, Stop, results and receipt. A device is named to the library by its endpoint
// reference and uses its login there. Receipts name the device and the outcome, never a password. After a
// password batch the run's login follows what the devices took. GUI thread; the device calls run on the workers.
class SiteBatch : public QObject {
    Q_OBJECT

public:
    enum class Kind { SetTime, Password };

    // One ticked device; leftOut not empty: not sent, for this reason.
    struct Target {
        VEXA_DEVICE_MY_INFO record{};
        QString label; // the list's ID
        QString leftOut;
    };

    explicit SiteBatch(int maxThreads, QObject* parent = nullptr);
    ~SiteBatch() override;

    PlanBatch* batch() const { return m_batch; }
    bool isBusy() const { return m_batch->isBusy(); }
    Kind kind() const { return m_kind; }
    // The devices of the last run, in the order of its entries.
    const QVector<Target>& targets() const { return m_targets; }

    // False (nothing sent) while a run is busy, or when no target is to be sent anything.
    bool startSetTime(const QVector<Target>& targets, const VEXA_TIME_PARAM& params);
    // passwords: one per target (the same one for all when shared). Done only when the device signs in with it.
    bool startPasswords(const QVector<Target>& targets, const QStringList& passwords, bool shared);
    void stop() { m_batch->stop(); }

signals:
    void signalProgress(int done, int total);
    void signalFinished();
    // The devices whose time was set (endpoint references): their clocks are worth reading again.
    void signalClocksSet(const QStringList& endpoints);
    // Every device took the one new password, and the run's login now has it.
    void signalSharedPasswordTaken();

private:
    bool start(Kind kind, const QVector<Target>& targets,
               const std::function<PlanBatch::Change(const Target& target, int index)>& make);
    void onFinished();
    void onSettled(int index);
    // Devices that took a password other than the run's login keep it as a login of their own.
    void keepOwnLogins(const QList<int>& indexes);
    void wipePasswords();

    PlanBatch* m_batch = nullptr;
    Kind m_kind = Kind::SetTime;
    QVector<Target> m_targets;
    // Read by the workers; wiped once no call of the run is left.
    std::shared_ptr<std::vector<QByteArray>> m_passwords;
    bool m_shared = false;
    bool m_finished = false;
};

} // namespace VexaTool
