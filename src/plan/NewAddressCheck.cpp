#include "plan/NewAddressCheck.h"

#include <cstring>
#include <map>
#include <mutex>

#include "config/ConfigureManager.h"
#include "deployment/Ipv4Rules.h"
#include "vexa.h"

namespace VexaTool {

namespace {

std::mutex g_answersMutex;
std::map<std::string, std::string> g_answers; // by canonical address; bounded by the addresses a user sends

} // namespace

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
    const std::string answer(who, strnlen(who, sizeof who));
    std::lock_guard<std::mutex> lock(g_answersMutex);
    g_answers[address] = answer;
    return answer;
}

std::string NewAddressCheck::lastAnswer(const std::string& address) {
    std::lock_guard<std::mutex> lock(g_answersMutex);
    const auto it = g_answers.find(plan::canonicalIpv4(address));
    return it == g_answers.end() ? std::string() : it->second;
}

} // namespace VexaTool
