#include "plan/NewAddressCheck.h"

#include <cstring>

#include "config/ConfigureManager.h"
#include "deployment/Ipv4Rules.h"
#include "vexa.h"

namespace VexaTool {

bool NewAddressCheck::enabled() {
    return apt::ConfigureManager::GetInstance()->addressCheckEnabled();
}

std::string NewAddressCheck::whoAnswers(const std::string& newAddress, const std::string& currentAddress) {
    const std::string address = plan::canonicalIpv4(newAddress);
    if (address.empty() || address == plan::canonicalIpv4(currentAddress))
        return {};
    char who[256] = {};
    if (VEXA_CheckAddressFree(address.c_str(), 0, who, sizeof who))
        return {};
    if (VEXA_GetLastError() != VEXA_ERR_ADDRESS_TAKEN)
        return {};
    return std::string(who, strnlen(who, sizeof who));
}

} // namespace VexaTool
