#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PlanValidator.h"
#include "deviceoutcome/Outcome.h"

namespace VexaTool::plan {

// What became of one planned change. Not sent with no holder: the batch was stopped before it.
struct ApplyOutcome : Outcome {
    std::string holderSerial; // not sent: this device kept the address the change would take
    std::string answered;     // not sent (VEXA_ERR_ADDRESS_TAKEN): what answered at the new address
};

// What answers at an address, in words; empty when nothing does (the library's address check).
using AskAddress = std::function<std::string(const std::string& address)>;

// The changes (indexes) whose new address is asked before anything is sent: a new address that no listed device
// holds now. An address that a device of the plan leaves is asked by applyPlannedChanges just before the change
// that takes it, once that device has moved; a change that keeps its address is not asked.
std::vector<size_t> changesToAskFirst(const std::vector<PlannedChange>& changes,
                                      const std::vector<PlanDevice>& devices);

// Refuses the rows whose new address answered: answers[k] is what answered for changes[asked[k]] (empty: nothing).
// The plan is then refused as a whole, as for any other issue.
void refuseAnsweredAddresses(PlanCheck& check, const std::vector<PlannedChange>& changes,
                             const std::vector<size_t>& asked, const std::vector<std::string>& answers);

// Sends a checked plan's changes in their order through modify (the library's call for one device, returning 0
// or the code of its failure). A change waiting for a device that did not move away is not sent; once stop is
// set, no further change is sent. report is called once per change, in order, on the calling thread. Shared by
// the command line and the program's batch, so both keep to the same rules. With ask, a change that takes the
// address of a device that has just moved away asks it first and is not sent when anything answers there.
// Returns the changes not done.
size_t applyPlannedChanges(const std::vector<PlannedChange>& changes, const std::vector<PlanDevice>& devices,
                           const PlanCheck& check,
                           const std::function<uint32_t(const PlanDevice&, VEXA_NET_PARAM&)>& modify,
                           const std::function<void(const PlannedChange&, const ApplyOutcome&)>& report,
                           const std::atomic<bool>* stop = nullptr, const AskAddress& ask = {});

} // namespace VexaTool::plan
