#include "AddressAsk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "SafeText.h"
#include "vexa.h"

namespace cli {

namespace {

struct Progress {
    std::string command;
    uint32_t shownAt = 0;
};

// A line at most every half second and one at the end, so that a long batch shows it is working.
void onProgress(uint32_t done, uint32_t total, uint32_t elapsedMs, void* user) {
    auto* progress = static_cast<Progress*>(user);
    if (done != total && elapsedMs - progress->shownAt < 500)
        return;
    progress->shownAt = elapsedMs;
    std::fprintf(stderr, "vexa %s: address check: %u of %u addresses asked, %.1f s\n", progress->command.c_str(), done,
                 total, elapsedMs / 1000.0);
}

} // namespace

std::vector<std::string> whoAnswersAt(const std::vector<std::string>& addresses, const std::string& command) {
    std::vector<VEXA_ADDRESS_CHECK> checks(addresses.size());
    for (size_t i = 0; i < addresses.size(); ++i)
        std::strncpy(checks[i].ipv4Address, addresses[i].c_str(), sizeof checks[i].ipv4Address - 1);
    Progress progress{command};
    std::vector<std::string> out(addresses.size());
    if (addresses.empty())
        return out;
    if (!VEXA_CheckAddressesFree(checks.data(), static_cast<uint32_t>(checks.size()), 0, &onProgress, &progress) &&
        VEXA_GetLastError() != VEXA_ERR_ADDRESS_TAKEN && VEXA_GetLastError() != VEXA_ERR_BAD_ARGUMENT) {
        // Not asked is not free: every address counts as answered, with the reason.
        std::fill(out.begin(), out.end(),
                  std::string("the check could not run: ") + errorSentence(VEXA_GetLastError()));
        return out;
    }
    for (size_t i = 0; i < checks.size(); ++i) {
        if (checks[i].result == VEXA_ERR_ADDRESS_TAKEN)
            out[i].assign(checks[i].whoAnswered, strnlen(checks[i].whoAnswered, sizeof checks[i].whoAnswered));
        else if (checks[i].result != VEXA_NOERROR)
            out[i] = "the address is not a host's address";
    }
    return out;
}

std::string newAddressRefusal(const std::string& newAddress, const std::string& current) {
    if (newAddress.empty() || newAddress == current)
        return {};
    const std::string who = whoAnswersAt({newAddress}, "set-network").front();
    if (who.empty())
        return {};
    return terminalText("something answers at " + newAddress + ": " + who + " (--no-address-check skips the check)");
}

bool takeNoAddressCheck(std::vector<std::string>& args) {
    const auto it = std::find(args.begin(), args.end(), "--no-address-check");
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

} // namespace cli
