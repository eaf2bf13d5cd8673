#include "PlanApply.h"

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
            // not sent, no holder: stopped
        } else if (holder >= 0) {
            const int d = check.deviceOfRow[static_cast<size_t>(holder)];
            outcome.holderSerial = d >= 0 ? devices[static_cast<size_t>(d)].serial : std::string();
        } else {
            VEXA_NET_PARAM params = change.params;
            static_cast<Outcome&>(outcome) =
                Outcome::ofCode(modify(devices[static_cast<size_t>(change.device)], params));
            if (outcome.isDone() && static_cast<size_t>(change.row) < succeeded.size())
                succeeded[static_cast<size_t>(change.row)] = true;
        }
        if (!outcome.isDone())
            ++notDone;
        report(change, outcome);
    }
    return notDone;
}

} // namespace VexaTool::plan
