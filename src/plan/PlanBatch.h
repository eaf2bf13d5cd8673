#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QThreadPool>
#include <QVector>

#include "deployment/DeploymentPlan.h"
#include "deployment/NetworkChange.h"
#include "deployment/PlanValidator.h"
#include "deployment/Receipt.h"
#include "discovery/DeviceRecord.h"
#include "outcome/ErrorText.h"
#include "plan/ReceiptHistory.h"

namespace VexaTool {

// Runs network changes through the change service on worker threads, at most maxThreads at once: a plan's, a
// batch's or a single device's. A change that takes the address another device of the run holds now goes only once
// that device has moved: the changes go out in rounds, each waiting for the ones it depends on, and a change whose
// predecessor failed is not sent. Stop sends no more; a change already sent is shown as unknown at once, and its
// real outcome, when the device answers, replaces it in the entries and the receipt. Results come back on the GUI
// thread; destroying the batch waits for the calls in flight.
class PlanBatch : public QObject {
    Q_OBJECT

public:
    // One change of a run, and how the results and the receipt name it.
    struct Change {
        plan::PlannedChange change;
        std::string name; // the receipt's name: as the plan wrote it, or as sent
        QString label;    // the results' first column: the plan's line, or the list's ID
        QString leftOut;  // not empty: not sent, for this reason
        // Set: not a network change. Run on a worker instead of sending change.params; note gets words that the
        // result adds to the code's (what the device would not take, say).
        std::function<plan::ApplyOutcome(QString& note)> operation;
    };

    explicit PlanBatch(int maxThreads, QObject* parent = nullptr);
    ~PlanBatch() override;

    // The device call, on a worker thread; the library's through the discovery handler by default.
    void setSend(plan::SendChange send) { m_send = std::move(send); }
    // What answers at a new address (worker thread; empty: send it); null sends without asking. The library's
    // address check by default, when the setting is on.
    void setAskAddress(plan::AskAddress ask) { m_ask = std::move(ask); }
    // How results word a library code: a plan's rows, or a batch's devices.
    void setResultForm(ErrorText::Form form) { m_form = form; }
    void setMaxThreads(int maxThreads);
    int maxThreads() const { return m_pool.maxThreadCount(); }

    // False (and nothing is sent) while a run or a call of the last one is going on, or when the check did not pass.
    bool start(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
               const std::vector<plan::PlanDevice>& devices, plan::Credentials credentials);
    // changes[i].change.device indexes devices; deviceOfRow maps the rows that waitsFor names to devices.
    bool start(std::vector<Change> changes, std::vector<plan::PlanDevice> devices, std::vector<int> deviceOfRow,
               plan::Credentials credentials);
    void stop();
    bool isRunning() const { return m_running; }
    // A run, or a call of a stopped run whose device has not answered yet.
    bool isBusy() const { return m_running || m_calls > 0; }
    int total() const { return static_cast<int>(m_changes.size()); }

    const std::vector<plan::PlanDevice>& devices() const { return m_devices; }
    const Change& change(int index) const { return m_changes[static_cast<std::size_t>(index)]; }
    // One entry per change, in the order of the run, and the matching receipt lines.
    const QVector<DeviceInfo>& entries() const { return m_entries; }
    const std::vector<plan::ReceiptEntry>& receipt() const { return m_receipt; }
    bool asksAddresses() const { return static_cast<bool>(m_ask); }
    int failures() const;
    // The receipt of the run in the user's receipts folder, written as devices answer.
    QString historyPath() const { return m_history.path(); }

signals:
    // The change is going out to its device, which may be restarting from now on.
    void signalSent(int change);
    // The change has its outcome (entries()[change], receipt()[change]); again for a change stopped in flight,
    // when its device answers.
    void signalSettled(int change);
    void signalProgress(int done, int total);
    void signalFinished();

private:
    struct Sent {
        plan::ApplyOutcome outcome;
        QString note;
    };
    void runRound();
    void onSent(int change, std::uint64_t run, const Sent& sent);
    void settle(int change, const plan::ApplyOutcome& outcome, const QString& result);
    void roundSettled();
    void finish();

    QThreadPool m_pool;
    plan::SendChange m_send;
    plan::AskAddress m_ask;
    plan::Credentials m_credentials;
    ErrorText::Form m_form = ErrorText::Form::PlanResult;
    std::vector<Change> m_changes;
    std::vector<plan::PlanDevice> m_devices;
    std::vector<int> m_deviceOfRow;
    std::vector<int> m_round;    // per change
    std::vector<char> m_settled; // per change
    // Per change handed to a worker: queued (0), going out (1) or given up before it went (2); set by whichever of
    // the worker and Stop comes first.
    std::vector<std::shared_ptr<std::atomic<int>>> m_callState;
    std::vector<char> m_rowDone; // per row: its device took its values
    QVector<DeviceInfo> m_entries;
    std::vector<plan::ReceiptEntry> m_receipt;
    ReceiptHistory m_history;
    std::uint64_t m_run = 0;
    int m_currentRound = 0;
    int m_lastRound = 0;
    int m_done = 0;
    int m_calls = 0; // calls in flight, of this run or a stopped one
    bool m_running = false;
    bool m_stopped = false;
};

} // namespace VexaTool
