#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FieldText.h"
#include "PlanValidator.h"
#include "Receipt.h"
#include "vexa.h"

namespace VexaTool::plan {

// What became of one change. Not sent with no holder: the run was stopped before it.
struct ApplyOutcome : Outcome {
    std::string holderSerial; // not sent: this device kept the address the change would take
    std::string answered;     // not sent (VEXA_ERR_ADDRESS_TAKEN): what answered at the new address
    std::string detail;       // failed or unknown: the device's own words, when it gave some
};

// What answers at an address, in words; empty when nothing does (the library's address check).
using AskAddress = std::function<std::string(const std::string& address)>;

// What a device call came to: the library's code (0: done) and the device's own words about a failure, both read
// on the thread that made the call, since the library keeps them per thread.
struct DeviceReply {
    uint32_t code = 0;
    std::string detail;
};

// The secrets a change may need. A device that signs in as a user (VEXA_SIGNS_IN_AS_USER) gets userPassword (empty:
// the login already handed to the library); any other gets its administrator password with every call.
struct Credentials {
    std::string adminPassword;
    std::string userPassword;

    const std::string& secretFor(const PlanDevice& device) const;
    // Whether some of the devices need an administrator password.
    static bool needAdminPassword(const std::vector<PlanDevice>& devices);
    void wipe();
};

// Sends one record to one device with the secret its capabilities ask for. Blocks; runs on the caller's thread.
using SendChange =
    std::function<DeviceReply(const PlanDevice& device, const std::string& secret, VEXA_NET_PARAM& params)>;

// The one way network parameters reach a device, for the program's single changes, batches and plans and for
// vexa apply-plan alike: the address-held rule, the new address asked before it is sent, and the receipt row.
// Holds no state between changes; send runs on whatever thread calls it.
class NetworkChange {
public:
    // askedAtCheck: new addresses were asked when the plan was checked (changesToAskFirst); only an address that a
    // device of the plan has left since is asked again. Otherwise every new address is asked just before it is sent.
    explicit NetworkChange(SendChange send, AskAddress ask = {}, bool askedAtCheck = false);

    // The row whose device still holds the address this change takes (rowDone[row]: that row's device took its new
    // values); -1 when nothing holds it back. A change held back is not sent, or two devices would share an address.
    static int holdingRow(const PlannedChange& change, const std::vector<char>& rowDone);
    // The serial number of that row's device (deviceOfRow: PlanCheck::deviceOfRow); empty when it names none.
    static std::string holderSerial(int row, const std::vector<int>& deviceOfRow,
                                    const std::vector<PlanDevice>& devices);

    bool asksAddresses() const { return static_cast<bool>(m_ask); }
    // Asks the new address when the rules above say so, then sends: not sent (VEXA_ERR_ADDRESS_TAKEN, answered:
    // what answered) when anything answers there, else the device's outcome and its own words.
    ApplyOutcome send(const PlannedChange& change, const PlanDevice& device, const Credentials& credentials) const;

    // The receipt row of a settled change; result is the sentence in the receipt's language (englishResult by
    // default). New Address is the address the device was to get, whether or not it got it.
    static ReceiptEntry receiptEntry(const PlannedChange& change, const PlanDevice& device, const std::string& name,
                                     const ApplyOutcome& outcome, const std::string& result);
    static std::string englishResult(const ApplyOutcome& outcome);

private:
    SendChange m_send;
    AskAddress m_ask;
    bool m_askedAtCheck = false;
};

// The listed device as the plan rules see it, from the library's record or the program's (their fields share names
// and widths); capabilities are the library's VEXA_CAN_* and other bits for it.
template <typename Record>
PlanDevice planDeviceOf(const Record& record, uint32_t capabilities, bool detailsRead) {
    PlanDevice d;
    d.serial = fieldText(record.serialNo);
    d.mac = fieldText(record.mac);
    d.ipv4 = fieldText(record.ipv4Address);
    d.mask = fieldText(record.ipv4SubnetMask);
    d.gateway = fieldText(record.ipv4Gateway);
    d.ipv6Address = fieldText(record.ipv6Address);
    d.ipv6Gateway = fieldText(record.ipv6Gateway);
    d.name = deviceTextUtf8(fieldText(record.deviceName));
    d.port = record.port > 0 ? static_cast<uint32_t>(record.port) : 0;
    d.httpPort = record.httpPort > 0 ? static_cast<uint32_t>(record.httpPort) : 0;
    d.rtspPort = record.rtspPort;
    d.ipv6PrefixLength = record.ipv6PrefixLength;
    d.dhcpEnabled = record.dhcpEnabled != 0;
    d.supportsDhcp = (record.supportFlags & VEXA_SUPPORT_DHCP) != 0;
    d.activated = record.activationState == 0;
    d.capabilities = capabilities;
    d.detailsRead = detailsRead;
    return d;
}

} // namespace VexaTool::plan
