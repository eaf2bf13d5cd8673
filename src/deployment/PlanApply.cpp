#include "PlanApply.h"

#include <set>

#include "Ipv4Rules.h"

namespace VexaTool::plan {

size_t applyPlannedChanges(const std::vector<PlannedChange>& changes, const std::vector<PlanDevice>& devices,
                           const PlanCheck& check, const NetworkChange& service, const Credentials& credentials,
                           const std::function<void(const PlannedChange&, const ApplyOutcome&)>& report,
                           const std::atomic<bool>* stop) {
    std::vector<char> rowDone(check.deviceOfRow.size(), 0);
    size_t notDone = 0;
    for (const PlannedChange& change : changes) {
        ApplyOutcome outcome;
        const int holder = NetworkChange::holdingRow(change, rowDone);
        if (stop && stop->load()) {
            // not sent, no holder: stopped
        } else if (holder >= 0) {
            outcome.holderSerial = NetworkChange::holderSerial(holder, check.deviceOfRow, devices);
        } else {
            outcome = service.send(change, devices[static_cast<size_t>(change.device)], credentials);
            if (outcome.isDone() && static_cast<size_t>(change.row) < rowDone.size())
                rowDone[static_cast<size_t>(change.row)] = 1;
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
