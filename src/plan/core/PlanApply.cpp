#include "PlanApply.h"

#include "Receipt.h"

namespace VexaTool::plan {

size_t applyPlannedChanges(const std::vector<PlannedChange>& changes, const std::vector<PlanDevice>& devices,
                           const PlanCheck& check,
                           const std::function<uint32_t(const PlanDevice&, VEXA_NET_PARAM&)>& modify,
                           const std::function<void(const PlannedChange&, const ApplyOutcome&)>& report,
                           const std::atomic<bool>* stop) {
    std::vector<bool> succeeded(check.deviceOfRow.size(), false);
    size_t notDone = 0;
    for (const PlannedChange& change : changes) {
        ApplyOutcome outcome;
        int holder = -1;
        for (const int waited : change.waitsFor) {
            if (waited >= 0 && static_cast<size_t>(waited) < succeeded.size() &&
                !succeeded[static_cast<size_t>(waited)])
                holder = waited;
        }
        if (stop && stop->load()) {
            outcome.stopped = true;
            outcome.result = "Not sent: stopped.";
        } else if (holder >= 0) {
            const int d = check.deviceOfRow[static_cast<size_t>(holder)];
            outcome.holderSerial = d >= 0 ? devices[static_cast<size_t>(d)].serial : std::string();
            outcome.result = notSentText(outcome.holderSerial);
        } else {
            VEXA_NET_PARAM params = change.params;
            outcome.sent = true;
            outcome.code = modify(devices[static_cast<size_t>(change.device)], params);
            outcome.result = batchResultText(outcome.code);
            if (outcome.code == 0 && static_cast<size_t>(change.row) < succeeded.size())
                succeeded[static_cast<size_t>(change.row)] = true;
        }
        if (!outcome.sent || outcome.code != 0)
            ++notDone;
        report(change, outcome);
    }
    return notDone;
}

} // namespace VexaTool::plan
