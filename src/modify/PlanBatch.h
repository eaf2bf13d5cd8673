#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <QDateTime>
#include <QObject>
#include <QVector>

#include "deployment/PlanValidator.h"
#include "deployment/Receipt.h"
#include "discovery/DeviceRecord.h"
#include "modify/DeviceTaskRunner.h"
#include "plan/ReceiptHistory.h"

namespace VexaTool {

// Runs a checked plan through the batch workers, each device with its own values. A device that takes the
// address another planned device holds now is sent only once that device has moved: the changes go out in
// rounds, every round waiting for the ones it depends on, and a change whose predecessor failed is not sent.
// Results come back on the GUI thread.
class PlanBatch : public QObject {
    Q_OBJECT

public:
    // The device call, on a worker thread; the default is the library's through the discovery handler.
    using Modify =
        std::function<DeviceOutcome(const QByteArray& mac, const QByteArray& password, VEXA_NET_PARAM params)>;

    explicit PlanBatch(int maxThreads, QObject* parent = nullptr);

    void setModify(Modify modify) { m_modify = std::move(modify); }
    // What answers at a change's new address (worker thread; empty: send it). The library's address check by
    // default, when the setting is on; null sends without asking.
    using AskAddress = std::function<std::string(const std::string& newAddress, const std::string& current)>;
    void setAskAddress(AskAddress ask) { m_ask = std::move(ask); }
    // False (and nothing is sent) when a run is going on or the check did not pass.
    bool start(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
               const std::vector<plan::PlanDevice>& devices, const QByteArray& password);
    void stop();
    bool isRunning() const { return m_running; }
    int total() const { return static_cast<int>(m_changes.size()); }
    DeviceTaskRunner* runner() const { return m_runner; }

    // After signalFinished: one entry per change, in the order sent, and the matching receipt lines.
    const QVector<DeviceInfo>& entries() const { return m_entries; }
    const std::vector<plan::ReceiptEntry>& receipt() const { return m_receipt; }
    // Whether new addresses are asked before they are sent (the site may forbid it).
    bool asksAddresses() const { return static_cast<bool>(m_ask); }
    int failures() const;
    // The receipt of the run in the user's receipts folder, written as devices answer.
    QString historyPath() const { return m_history.path(); }

signals:
    // A device took its values: the store and the list can follow.
    void signalDeviceChanged(const QString& serialNo, const QString& mac, const VEXA_NET_PARAM& params);
    void signalProgress(int done, int total);
    void signalFinished();

private:
    void runRound();
    void onOutcome(int index, const VexaTool::DeviceOutcome& outcome);
    void onRoundFinished();
    void settle(int change, const QString& result, const Outcome& outcome);
    void finish();

    DeviceTaskRunner* m_runner = nullptr;
    Modify m_modify;
    AskAddress m_ask;
    // What answered at a change's new address, by change, written by the workers.
    struct Answers {
        std::mutex mutex;
        std::map<int, std::string> byChange;
    };
    std::shared_ptr<Answers> m_answers = std::make_shared<Answers>();
    QByteArray m_password;
    plan::DeploymentPlan m_plan;
    plan::PlanCheck m_check;
    std::vector<plan::PlanDevice> m_devices;
    std::vector<plan::PlannedChange> m_changes;
    std::vector<int> m_round;      // per change
    std::vector<char> m_settled;   // per change
    std::vector<char> m_rowDone;   // per plan row: its device took its values
    std::vector<int> m_inFlight;   // runner index -> change
    QVector<DeviceInfo> m_entries; // per change
    std::vector<plan::ReceiptEntry> m_receipt;
    ReceiptHistory m_history;
    int m_currentRound = 0;
    int m_lastRound = 0;
    int m_done = 0;
    bool m_running = false;
    bool m_stopped = false;
};

} // namespace VexaTool
