#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PlanValidator.h"
#include "outcome/core/Outcome.h"

namespace VexaTool::plan {

// What became of one planned change. Not sent with no holder: the batch was stopped before it.
struct ApplyOutcome : Outcome {
    std::string holderSerial; // not sent: this device kept the address the change would take
};

// Sends a checked plan's changes in their order through modify (the library's call for one device, returning 0
// or the code of its failure). A change waiting for a device that did not move away is not sent; once stop is
// set, no further change is sent. report is called once per change, in order, on the calling thread. Shared by
// the command line and the program's batch, so both keep to the same rules. Returns the changes not done.
size_t applyPlannedChanges(const std::vector<PlannedChange>& changes, const std::vector<PlanDevice>& devices,
                           const PlanCheck& check,
                           const std::function<uint32_t(const PlanDevice&, VEXA_NET_PARAM&)>& modify,
                           const std::function<void(const PlannedChange&, const ApplyOutcome&)>& report,
                           const std::atomic<bool>* stop = nullptr);

} // namespace VexaTool::plan
