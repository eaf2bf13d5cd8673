#pragma once

#include <string>
#include <vector>

namespace cli {

// vexa apply-plan FILE [--json] [--seconds S] [--receipt FILE]: checks a deployment plan against the devices
// heard and, only when every row passes, gives each device its own planned parameters.
int applyPlan(const std::vector<std::string>& args);

// vexa discover --csv [--seconds S]: the devices heard as CSV, with the columns a plan file reads.
bool wantsCsv(const std::vector<std::string>& args);
int discoverCsv(const std::vector<std::string>& args);

const char* planUsage();

} // namespace cli
