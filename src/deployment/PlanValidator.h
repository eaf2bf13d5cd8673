#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeploymentPlan.h"
#include "vexa.h"

namespace VexaTool::plan {

// What the plan needs to know of a listed device: its identity, its current network parameters and what it
// supports. Texts are the device's bytes, bounded by their fields.
struct PlanDevice {
    std::string serial;
    std::string mac;
    std::string ipv4;
    std::string mask;
    std::string gateway;
    std::string ipv6Address;
    std::string ipv6Gateway;
    std::string name;
    uint32_t port = 0;
    uint32_t httpPort = 0; // 0: the device has no web server
    uint32_t rtspPort = 0;
    uint8_t ipv6PrefixLength = 0;
    bool dhcpEnabled = false;
    bool supportsDhcp = false;
    bool activated = false;
    uint32_t capabilities = 0; // the library's VEXA_CAN_* and other bits: without VEXA_CAN_SET_PORT its port stays
    bool detailsRead = true;   // a device whose settings are not read yet (no sign-in) cannot be planned
};

enum class IssueCode {
    RaggedRow,           // the row has another number of fields than the header
    NoIdentity,          // neither serial number nor MAC
    InvalidMac,          // not twelve hex digits
    IdentityMismatch,    // serial number and MAC name different devices
    NoSuchDevice,        // no listed device has that serial number or MAC
    AmbiguousDevice,     // several listed devices have that serial number
    NotActivated,        // network parameters can only be changed on an activated device
    DevicePlannedTwice,  // another row names the same device (otherLine)
    AddressPlannedTwice, // another row plans the same address (otherLine)
    AddressInUse,        // a listed device that the plan leaves alone has the address (other: its serial number)
    AddressEmpty,
    AddressInvalid,
    MaskEmpty,
    MaskInvalid,
    GatewayEmpty,
    GatewayInvalid,
    PortInvalid,         // device port outside 2000 to 65535
    HttpPortInvalid,     // outside 1 to 65535
    HttpPortUnsupported, // the device has no HTTP port to set
    RtspPortInvalid,     // outside 1 to 65535
    NameEmpty,
    NameTooLong, // more bytes than the device's 32-byte name field
    NameControl, // control characters, which the device refuses
    DhcpInvalid, // not a yes or no
    DhcpUnsupported,
    AddressCycle,      // devices that would take each other's addresses (otherLine: the row holding this one's)
    NameNotUtf8,       // bytes that are not UTF-8 text: devices keep and report names as UTF-8
    NoDeviceAtAddress, // no listed device has the current address
    AmbiguousAddress,  // several listed devices have the current address, and nothing else tells them apart
    AddressMismatch,   // the current address belongs to another device than the serial number or MAC
    PortUnsupported,   // another service port for an ONVIF device, which cannot change it
    DetailsNotRead,    // an ONVIF device whose settings are not read yet
    AddressAnswers,    // something answered when the new address was asked (other: what, in English)
};

struct PlanIssue {
    int row = 0; // index into DeploymentPlan::rows()
    PlanField field = PlanField::Row;
    IssueCode code = IssueCode::NoSuchDevice;
    int otherLine = 0; // the other row of a duplicate
    std::string other; // the serial number of the device already using an address
    int count = 0;     // a ragged row's fields
    int expected = 0;  // and the header's
};

// The outcome of checking a plan against the listed devices, before anything is sent.
struct PlanCheck {
    std::vector<int> deviceOfRow; // index into the device list, -1 when the row names no single listed device
    std::vector<PlanIssue> issues;
    // The rows in the order to send them: a device leaves an address before another device takes it, else in
    // file order. waitsFor[row]: the rows whose devices now hold the address this row takes; if one of them
    // fails, this row must not be sent, or two devices would end up with one address.
    std::vector<int> order;
    std::vector<std::vector<int>> waitsFor;

    bool ok() const { return issues.empty(); }
    std::vector<PlanIssue> issuesOf(int row) const;
};

// Checks every row with the network-parameter form's rules and across rows and devices; pure, sends nothing.
PlanCheck validatePlan(const DeploymentPlan& plan, const std::vector<PlanDevice>& devices);

// The address a row leaves its device with: the planned one written canonically, or the device's own when the
// row turns DHCP on and gives none.
std::string plannedAddress(const PlanRow& row, const PlanDevice& device);

// The record to send for a checked row: the device's current parameters with the planned values over them.
void buildNetParam(const PlanRow& row, const PlanDevice& device, VEXA_NET_PARAM& params);

// One device's change as a checked plan asks for it, in the order of the plan's rows: what a batch sends.
struct PlannedChange {
    int row = 0;               // index into DeploymentPlan::rows()
    int device = 0;            // index into the device list
    std::vector<int> waitsFor; // rows that must have succeeded before this one is sent
    VEXA_NET_PARAM params{};
    std::string oldAddress;
    std::string newAddress;
};

// In the check's order; empty unless the check passed: a plan with any fault sends nothing.
std::vector<PlannedChange> plannedChanges(const DeploymentPlan& plan, const PlanCheck& check,
                                          const std::vector<PlanDevice>& devices);

// The message for an issue, in English (the program translates its own copy of these texts).
std::string issueText(const PlanIssue& issue);
std::string fileErrorText(const DeploymentPlan& plan);
// The result of a row not sent because a device it waited for kept the address (serial: that device's).
std::string notSentText(const std::string& serial);
// The result of a row not sent because something answered at its new address (who: what answered).
std::string addressTakenText(const std::string& who);

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates, nothing beyond U+10FFFF).
bool validUtf8(std::string_view text);
// A device's text as UTF-8: as it is when it is UTF-8, else read as Latin-1 (older devices keep 8-bit names).
std::string deviceTextUtf8(std::string_view bytes);

// Normalised MAC: twelve lower-case hex digits, or empty when the text is not a MAC address.
std::string macKey(std::string_view mac);

} // namespace VexaTool::plan
