#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "NetworkChange.h"
#include "PlanValidator.h"

namespace VexaTool::plan {

// The changes (indexes) whose new address is asked before anything is sent: a new address that no listed device
// holds now. An address that a device of the plan leaves is asked by the change service just before the change
// that takes it, once that device has moved; a change that keeps its address is not asked.
std::vector<size_t> changesToAskFirst(const std::vector<PlannedChange>& changes,
                                      const std::vector<PlanDevice>& devices);

// Refuses the rows whose new address answered: answers[k] is what answered for changes[asked[k]] (empty: nothing).
// The plan is then refused as a whole, as for any other issue.
void refuseAnsweredAddresses(PlanCheck& check, const std::vector<PlannedChange>& changes,
                             const std::vector<size_t>& asked, const std::vector<std::string>& answers);

// Sends a checked plan's changes one after the other, in their order, through the change service: a change
// waiting for a device that did not move away is not sent; once stop is set, no further change is sent. report is
// called once per change, in order, on the calling thread. Returns the changes not done.
size_t applyPlannedChanges(const std::vector<PlannedChange>& changes, const std::vector<PlanDevice>& devices,
                           const PlanCheck& check, const NetworkChange& service, const Credentials& credentials,
                           const std::function<void(const PlannedChange&, const ApplyOutcome&)>& report,
                           const std::atomic<bool>* stop = nullptr);

} // namespace VexaTool::plan
