#include "PlanApply.h"

#include <set>

#include "Ipv4Rules.h"

namespace VexaTool::plan {

size_t applyPlannedChanges(const std::vector<PlannedChange>& changes, const std::vector<PlanDevice>& devices,
                           const PlanCheck& check,
                           const std::function<uint32_t(const PlanDevice&, VEXA_NET_PARAM&)>& modify,
                           const std::function<void(const PlannedChange&, const ApplyOutcome&)>& report,
                           const std::atomic<bool>* stop, const AskAddress& ask) {
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
        } else if (ask && !change.waitsFor.empty() && change.newAddress != change.oldAddress &&
                   !(outcome.answered = ask(change.newAddress)).empty()) {
            outcome.code = VEXA_ERR_ADDRESS_TAKEN; // not sent: something else holds the address it left
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

std::vector<size_t> changesToAskFirst(const std::vector<PlannedChange>& changes,
                                      const std::vector<PlanDevice>& devices) {
    std::set<std::string> held;
    for (const PlanDevice& device : devices)
        held.insert(canonicalIpv4(device.ipv4));
    std::vector<size_t> out;
    for (size_t i = 0; i < changes.size(); ++i) {
        const std::string address = canonicalIpv4(changes[i].newAddress);
        if (!address.empty() && address != canonicalIpv4(changes[i].oldAddress) && !held.count(address))
            out.push_back(i);
    }
    return out;
}

void refuseAnsweredAddresses(PlanCheck& check, const std::vector<PlannedChange>& changes,
                             const std::vector<size_t>& asked, const std::vector<std::string>& answers) {
    for (size_t k = 0; k < asked.size() && k < answers.size(); ++k) {
        if (answers[k].empty() || asked[k] >= changes.size())
            continue;
        PlanIssue issue;
        issue.row = changes[asked[k]].row;
        issue.field = PlanField::Ipv4;
        issue.code = IssueCode::AddressAnswers;
        issue.other = answers[k];
        check.issues.push_back(issue);
    }
}

} // namespace VexaTool::plan
