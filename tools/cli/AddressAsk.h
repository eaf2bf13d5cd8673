#pragma once

#include <string>
#include <vector>

namespace cli {

// What answers at each address, in words (empty: nothing), asked all at once through the started library. The
// time it takes is shown on standard error under the command's name.
std::vector<std::string> whoAnswersAt(const std::vector<std::string>& addresses, const std::string& command);

// set-network: why the new address may not be sent (something answers there), empty when it may (no new address,
// the current one, or nothing answered). Terminal-safe.
std::string newAddressRefusal(const std::string& newAddress, const std::string& current);

// Takes --no-address-check out of args; true when it was there.
bool takeNoAddressCheck(std::vector<std::string>& args);

} // namespace cli
