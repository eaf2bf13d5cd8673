#include "NetworkChange.h"

#include <utility>

namespace VexaTool::plan {

namespace {

void wipeText(std::string& secret) {
    volatile char* p = secret.data();
    for (size_t i = 0; i < secret.size(); ++i)
        p[i] = 0;
    secret.clear();
}

} // namespace

const std::string& Credentials::secretFor(const PlanDevice& device) const {
    return (device.capabilities & VEXA_SIGNS_IN_AS_USER) ? userPassword : adminPassword;
}

bool Credentials::needAdminPassword(const std::vector<PlanDevice>& devices) {
    for (const PlanDevice& device : devices)
        if (!(device.capabilities & VEXA_SIGNS_IN_AS_USER))
            return true;
    return false;
}

void Credentials::wipe() {
    wipeText(adminPassword);
    wipeText(userPassword);
}

NetworkChange::NetworkChange(SendChange send, AskAddress ask, bool askedAtCheck)
    : m_send(std::move(send))
    , m_ask(std::move(ask))
    , m_askedAtCheck(askedAtCheck) {}

int NetworkChange::holdingRow(const PlannedChange& change, const std::vector<char>& rowDone) {
    int holder = -1;
    for (const int waited : change.waitsFor) {
        if (waited >= 0 && static_cast<size_t>(waited) < rowDone.size() && !rowDone[static_cast<size_t>(waited)])
            holder = waited;
    }
    return holder;
}

std::string NetworkChange::holderSerial(int row, const std::vector<int>& deviceOfRow,
                                        const std::vector<PlanDevice>& devices) {
    if (row < 0 || static_cast<size_t>(row) >= deviceOfRow.size())
        return {};
    const int d = deviceOfRow[static_cast<size_t>(row)];
    return d >= 0 && static_cast<size_t>(d) < devices.size() ? devices[static_cast<size_t>(d)].serial : std::string();
}

ApplyOutcome NetworkChange::send(const PlannedChange& change, const PlanDevice& device,
                                 const Credentials& credentials) const {
    ApplyOutcome outcome;
    const bool asks = m_ask && change.newAddress != change.oldAddress && !change.newAddress.empty() &&
                      (!m_askedAtCheck || !change.waitsFor.empty());
    if (asks && !(outcome.answered = m_ask(change.newAddress)).empty()) {
        outcome.code = VEXA_ERR_ADDRESS_TAKEN;
        return outcome;
    }
    VEXA_NET_PARAM params = change.params;
    const DeviceReply reply = m_send(device, credentials.secretFor(device), params);
    static_cast<Outcome&>(outcome) = Outcome::ofCode(reply.code);
    if (!outcome.isDone())
        outcome.detail = reply.detail;
    return outcome;
}

ReceiptEntry NetworkChange::receiptEntry(const PlannedChange& change, const PlanDevice& device, const std::string& name,
                                         const ApplyOutcome& outcome, const std::string& result) {
    ReceiptEntry entry;
    entry.time = localTimeNow();
    entry.serial = device.serial;
    entry.mac = device.mac;
    entry.oldAddress = change.oldAddress;
    entry.newAddress = change.newAddress;
    entry.name = name;
    entry.result = result;
    entry.outcome = outcome;
    entry.detail = outcome.detail;
    return entry;
}

std::string NetworkChange::englishResult(const ApplyOutcome& outcome) {
    return resultText(outcome, outcome.holderSerial, outcome.answered);
}

} // namespace VexaTool::plan
