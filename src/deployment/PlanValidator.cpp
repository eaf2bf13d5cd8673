#include "PlanValidator.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "Ipv4Rules.h"

namespace VexaTool::plan {

namespace {

// C0 controls, DEL, and the C1 controls U+0080 to U+009F (C2 80 to C2 9F in UTF-8), which devices refuse.
bool hasControl(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x20 || byte == 0x7F)
            return true;
        if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F)
            return true;
    }
    return false;
}

constexpr size_t kNameWidth = sizeof(VEXA_NET_PARAM::deviceName);

bool inRange(const std::string& text, uint32_t low, uint32_t high, uint32_t& value) {
    return parseDecimal(text, value) && value >= low && value <= high;
}

void copyField(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

bool dhcpOn(const PlanRow& row) {
    bool on = false;
    return DeploymentPlan::parseDhcp(row.dhcp, on) && on;
}

// The address a row holds on the network after the plan, or empty when it does not claim a fixed one.
std::string claimedAddress(const PlanRow& row) {
    if (dhcpOn(row) || !isValidIpv4(row.ipv4))
        return {};
    return canonicalIpv4(row.ipv4);
}

std::string replace(std::string text, std::string_view marker, const std::string& value) {
    const size_t at = text.find(marker);
    if (at != std::string::npos)
        text.replace(at, marker.size(), value);
    return text;
}

} // namespace

std::string macKey(std::string_view mac) {
    std::string key;
    for (const char c : mac) {
        if (c == '-' || c == ':' || c == '.' || c == ' ')
            continue;
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))
            key += c;
        else if (c >= 'A' && c <= 'F')
            key += static_cast<char>(c - 'A' + 'a');
        else
            return {};
    }
    return key.size() == 12 ? key : std::string();
}

std::vector<PlanIssue> PlanCheck::issuesOf(int row) const {
    std::vector<PlanIssue> out;
    std::copy_if(issues.begin(), issues.end(), std::back_inserter(out),
                 [row](const PlanIssue& issue) { return issue.row == row; });
    return out;
}

PlanCheck validatePlan(const DeploymentPlan& plan, const std::vector<PlanDevice>& devices) {
    PlanCheck check;
    const std::vector<PlanRow>& rows = plan.rows();
    check.deviceOfRow.assign(rows.size(), -1);
    auto add = [&](int row, PlanField field, IssueCode code) -> PlanIssue& {
        PlanIssue issue;
        issue.row = row;
        issue.field = field;
        issue.code = code;
        check.issues.push_back(issue);
        return check.issues.back();
    };

    // Hashed by serial number and MAC, so that a site of thousands is checked in a blink.
    std::unordered_map<std::string, std::vector<int>> devicesBySerial;
    std::unordered_map<std::string, std::vector<int>> devicesByMac;
    for (int d = 0; d < static_cast<int>(devices.size()); ++d) {
        devicesBySerial[devices[static_cast<size_t>(d)].serial].push_back(d);
        if (const std::string key = macKey(devices[static_cast<size_t>(d)].mac); !key.empty())
            devicesByMac[key].push_back(d);
    }
    std::unordered_map<std::string, std::vector<int>> devicesByAddress;
    for (int d = 0; d < static_cast<int>(devices.size()); ++d) {
        if (const std::string key = canonicalIpv4(devices[static_cast<size_t>(d)].ipv4); !key.empty())
            devicesByAddress[key].push_back(d);
    }
    const auto lookup = [](const std::unordered_map<std::string, std::vector<int>>& index, const std::string& key) {
        const auto found = index.find(key);
        return found == index.end() ? std::vector<int>() : found->second;
    };

    // A row naming its device by current address (an ONVIF device before sign-in has nothing else); a serial
    // number or MAC given beside it narrows the devices at that address and must belong to one of them.
    const auto identifyByAddress = [&](int r, const PlanRow& row, const std::vector<int>& bySerial,
                                       const std::vector<int>& byMac) {
        const std::string address = canonicalIpv4(row.currentIpv4);
        if (address.empty() || !isValidIpv4(row.currentIpv4)) {
            add(r, PlanField::CurrentIpv4, IssueCode::AddressInvalid);
            return -1;
        }
        std::vector<int> candidates = lookup(devicesByAddress, address);
        if (candidates.empty()) {
            add(r, PlanField::CurrentIpv4, IssueCode::NoDeviceAtAddress);
            return -1;
        }
        for (const auto& [given, matches, field] : {std::tuple(!row.serial.empty(), &bySerial, PlanField::Serial),
                                                    std::tuple(!row.mac.empty(), &byMac, PlanField::Mac)}) {
            if (!given)
                continue;
            if (matches->empty()) {
                add(r, field, IssueCode::NoSuchDevice);
                return -1;
            }
            std::vector<int> both;
            std::set_intersection(candidates.begin(), candidates.end(), matches->begin(), matches->end(),
                                  std::back_inserter(both));
            if (both.empty()) {
                add(r, PlanField::CurrentIpv4, IssueCode::AddressMismatch);
                return -1;
            }
            candidates = both;
        }
        if (candidates.size() > 1) {
            add(r, PlanField::CurrentIpv4, IssueCode::AmbiguousAddress);
            return -1;
        }
        return candidates.front();
    };

    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const PlanRow& row = rows[static_cast<size_t>(r)];
        if (row.textWidth > plan.headerFieldCount() || row.fieldCount < plan.headerFieldCount()) {
            PlanIssue& issue = add(r, PlanField::Row, IssueCode::RaggedRow);
            issue.count = row.textWidth > plan.headerFieldCount() ? row.textWidth : row.fieldCount;
            issue.expected = plan.headerFieldCount();
        }

        // Which device: by serial number, by MAC, by current address; all that are given must agree.
        const std::string mac = macKey(row.mac);
        const std::vector<int> bySerial = row.serial.empty() ? std::vector<int>() : lookup(devicesBySerial, row.serial);
        const std::vector<int> byMac = mac.empty() ? std::vector<int>() : lookup(devicesByMac, mac);
        int device = -1;
        const PlanField identityField = plan.hasColumn(PlanField::Serial) ? PlanField::Serial
                                        : plan.hasColumn(PlanField::Mac)  ? PlanField::Mac
                                                                          : PlanField::CurrentIpv4;
        if (row.serial.empty() && row.mac.empty() && row.currentIpv4.empty()) {
            add(r, identityField, IssueCode::NoIdentity);
        } else if (!row.mac.empty() && mac.empty()) {
            add(r, PlanField::Mac, IssueCode::InvalidMac);
        } else if (!row.currentIpv4.empty()) {
            device = identifyByAddress(r, row, bySerial, byMac);
        } else if (!row.serial.empty() && !mac.empty()) {
            std::vector<int> both;
            std::set_intersection(bySerial.begin(), bySerial.end(), byMac.begin(), byMac.end(),
                                  std::back_inserter(both));
            if (!both.empty())
                device = both.front();
            else if (!bySerial.empty() && !byMac.empty())
                add(r, PlanField::Mac, IssueCode::IdentityMismatch);
            else
                add(r, bySerial.empty() ? PlanField::Serial : PlanField::Mac, IssueCode::NoSuchDevice);
        } else if (!row.serial.empty()) {
            if (bySerial.size() > 1)
                add(r, PlanField::Serial, IssueCode::AmbiguousDevice);
            else if (bySerial.empty())
                add(r, PlanField::Serial, IssueCode::NoSuchDevice);
            else
                device = bySerial.front();
        } else {
            if (byMac.empty())
                add(r, PlanField::Mac, IssueCode::NoSuchDevice);
            else
                device = byMac.front();
        }
        check.deviceOfRow[static_cast<size_t>(r)] = device;
        const PlanDevice* target = device >= 0 ? &devices[static_cast<size_t>(device)] : nullptr;
        if (target && !target->detailsRead)
            add(r, identityField, IssueCode::DetailsNotRead);
        else if (target && !target->activated)
            add(r, identityField, IssueCode::NotActivated);

        bool dhcp = false;
        if (!DeploymentPlan::parseDhcp(row.dhcp, dhcp)) {
            add(r, PlanField::Dhcp, IssueCode::DhcpInvalid);
        } else if (dhcp && target && !target->supportsDhcp) {
            add(r, PlanField::Dhcp, IssueCode::DhcpUnsupported);
            dhcp = false; // so that the addresses the row then needs are checked at once
        }

        // With DHCP on, an address left empty keeps the device's own, as the batch form's DHCP box does.
        if (!(dhcp && row.ipv4.empty())) {
            if (row.ipv4.empty())
                add(r, PlanField::Ipv4, IssueCode::AddressEmpty);
            else if (!isValidIpv4(row.ipv4))
                add(r, PlanField::Ipv4, IssueCode::AddressInvalid);
        }
        if (!(dhcp && row.mask.empty())) {
            if (row.mask.empty())
                add(r, PlanField::Mask, IssueCode::MaskEmpty);
            else if (!isValidSubnetMask(row.mask))
                add(r, PlanField::Mask, IssueCode::MaskInvalid);
        }
        // An empty gateway is what a device without one lists: kept as it is, as ports of 0 are.
        const bool noGatewayAsListed = row.gateway.empty() && target && target->gateway.empty();
        if (!(dhcp && row.gateway.empty()) && !noGatewayAsListed) {
            if (row.gateway.empty())
                add(r, PlanField::Gateway, IssueCode::GatewayEmpty);
            else if (!isValidGateway(row.gateway))
                add(r, PlanField::Gateway, IssueCode::GatewayInvalid);
        }

        uint32_t number = 0;
        // A device whose port is where its service answers (ONVIF): the plan may repeat it (as vexa discover --csv
        // writes it, whatever the number), never move it.
        if (target && !(target->capabilities & VEXA_CAN_SET_PORT) && !row.port.empty()) {
            if (!parseDecimal(row.port, number) || number != target->port)
                add(r, PlanField::Port, IssueCode::PortUnsupported);
        } else if (!row.port.empty() && !inRange(row.port, 2000, 65535, number)) {
            add(r, PlanField::Port, IssueCode::PortInvalid);
        }
        // A 0 that the device itself reports (no such service) is what a listed device exports: it changes nothing.
        const auto noneAsListed = [&](const std::string& text, uint32_t current) {
            return target && current == 0 && parseDecimal(text, number) && number == 0;
        };
        if (!row.httpPort.empty() && !noneAsListed(row.httpPort, target ? target->httpPort : 1)) {
            if (target && target->httpPort == 0)
                add(r, PlanField::HttpPort, IssueCode::HttpPortUnsupported);
            else if (!inRange(row.httpPort, 1, 65535, number))
                add(r, PlanField::HttpPort, IssueCode::HttpPortInvalid);
        }
        if (!row.rtspPort.empty() && !noneAsListed(row.rtspPort, target ? target->rtspPort : 1) &&
            !inRange(row.rtspPort, 1, 65535, number))
            add(r, PlanField::RtspPort, IssueCode::RtspPortInvalid);

        // Sent as the plan wrote it, UTF-8, which the device's 32 bytes must hold whole.
        if (row.name.empty())
            add(r, PlanField::Name, IssueCode::NameEmpty);
        else if (!validUtf8(row.name))
            add(r, PlanField::Name, IssueCode::NameNotUtf8);
        else if (row.name.size() > kNameWidth)
            add(r, PlanField::Name, IssueCode::NameTooLong);
        else if (hasControl(row.name))
            add(r, PlanField::Name, IssueCode::NameControl);
    }

    // Across rows: every row of a duplicate is marked, naming the first other row.
    std::map<int, std::vector<int>> rowsOfDevice;
    std::map<std::string, std::vector<int>> rowsOfAddress;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        if (const int d = check.deviceOfRow[static_cast<size_t>(r)]; d >= 0)
            rowsOfDevice[d].push_back(r);
        if (const std::string address = claimedAddress(rows[static_cast<size_t>(r)]); !address.empty())
            rowsOfAddress[address].push_back(r);
    }
    auto markDuplicates = [&](const std::vector<int>& group, PlanField field, IssueCode code) {
        if (group.size() < 2)
            return;
        for (const int r : group) {
            const int other = group.front() == r ? group[1] : group.front();
            add(r, field, code).otherLine = rows[static_cast<size_t>(other)].line;
        }
    };
    const PlanField identityField = plan.hasColumn(PlanField::Serial) ? PlanField::Serial
                                    : plan.hasColumn(PlanField::Mac)  ? PlanField::Mac
                                                                      : PlanField::CurrentIpv4;
    for (const auto& [device, group] : rowsOfDevice)
        markDuplicates(group, identityField, IssueCode::DevicePlannedTwice);
    for (const auto& [address, group] : rowsOfAddress)
        markDuplicates(group, PlanField::Ipv4, IssueCode::AddressPlannedTwice);

    // A listed device that the plan does not move keeps its address, so nobody else may be given it.
    std::vector<bool> planned(devices.size(), false);
    for (const int d : check.deviceOfRow) {
        if (d >= 0)
            planned[static_cast<size_t>(d)] = true;
    }
    for (int d = 0; d < static_cast<int>(devices.size()); ++d) {
        if (planned[static_cast<size_t>(d)])
            continue;
        const auto found = rowsOfAddress.find(canonicalIpv4(devices[static_cast<size_t>(d)].ipv4));
        if (found == rowsOfAddress.end())
            continue;
        for (const int r : found->second)
            add(r, PlanField::Ipv4, IssueCode::AddressInUse).other = devices[static_cast<size_t>(d)].serial;
    }

    // Sending order: a row that takes an address another planned device holds now waits for that device to
    // move away. Devices that would take each other's addresses can never be ordered so: refused.
    check.waitsFor.assign(rows.size(), {});
    std::map<std::string, std::vector<int>> plannedRowsHolding;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        if (const int d = check.deviceOfRow[static_cast<size_t>(r)]; d >= 0)
            plannedRowsHolding[canonicalIpv4(devices[static_cast<size_t>(d)].ipv4)].push_back(r);
    }
    std::vector<int> waiting(rows.size(), 0);
    std::vector<std::vector<int>> waitedOnBy(rows.size());
    for (const auto& [address, claimants] : rowsOfAddress) {
        const auto holders = plannedRowsHolding.find(address);
        if (address.empty() || holders == plannedRowsHolding.end())
            continue;
        for (const int r : claimants) {
            for (const int q : holders->second) {
                // A row keeping its own address waits for nobody; one planned twice is refused already.
                if (q == r || claimedAddress(rows[static_cast<size_t>(q)]) == address)
                    continue;
                check.waitsFor[static_cast<size_t>(r)].push_back(q);
                waitedOnBy[static_cast<size_t>(q)].push_back(r);
                ++waiting[static_cast<size_t>(r)];
            }
        }
    }
    std::set<int> ready;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        if (waiting[static_cast<size_t>(r)] == 0)
            ready.insert(r);
    }
    while (!ready.empty()) {
        const int r = *ready.begin();
        ready.erase(ready.begin());
        check.order.push_back(r);
        for (const int next : waitedOnBy[static_cast<size_t>(r)]) {
            if (--waiting[static_cast<size_t>(next)] == 0)
                ready.insert(next);
        }
    }
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        if (waiting[static_cast<size_t>(r)] == 0)
            continue;
        const int holder = check.waitsFor[static_cast<size_t>(r)].front();
        add(r, PlanField::Ipv4, IssueCode::AddressCycle).otherLine = rows[static_cast<size_t>(holder)].line;
        check.order.push_back(r);
    }

    std::stable_sort(check.issues.begin(), check.issues.end(), [](const PlanIssue& a, const PlanIssue& b) {
        return a.row != b.row ? a.row < b.row : static_cast<int>(a.field) < static_cast<int>(b.field);
    });
    return check;
}

std::string plannedAddress(const PlanRow& row, const PlanDevice& device) {
    if (row.ipv4.empty() && dhcpOn(row))
        return device.ipv4;
    const std::string canonical = canonicalIpv4(row.ipv4);
    return canonical.empty() ? row.ipv4 : canonical;
}

void buildNetParam(const PlanRow& row, const PlanDevice& device, VEXA_NET_PARAM& params) {
    params = VEXA_NET_PARAM{};
    const bool dhcp = dhcpOn(row);
    auto address = [&](const std::string& planned, const std::string& current) {
        if (planned.empty() && dhcp)
            return current;
        const std::string canonical = canonicalIpv4(planned);
        return canonical.empty() ? planned : canonical;
    };
    copyField(params.ipv4Address, sizeof params.ipv4Address, address(row.ipv4, device.ipv4));
    copyField(params.ipv4SubnetMask, sizeof params.ipv4SubnetMask, address(row.mask, device.mask));
    copyField(params.ipv4Gateway, sizeof params.ipv4Gateway, address(row.gateway, device.gateway));
    copyField(params.ipv6Address, sizeof params.ipv6Address, device.ipv6Address);
    copyField(params.ipv6Gateway, sizeof params.ipv6Gateway, device.ipv6Gateway);
    params.ipv6PrefixLength = device.ipv6PrefixLength;
    params.dhcpEnabled = dhcp ? 1 : 0;
    uint32_t value = 0;
    params.port = static_cast<uint16_t>(parseDecimal(row.port, value) ? value : device.port);
    params.httpPort = static_cast<uint16_t>(parseDecimal(row.httpPort, value) ? value : device.httpPort);
    params.rtspPort = static_cast<uint16_t>(parseDecimal(row.rtspPort, value) ? value : device.rtspPort);
    copyField(params.deviceName, sizeof params.deviceName, validUtf8(row.name) ? row.name : std::string());
}

std::string deviceTextUtf8(std::string_view bytes) {
    if (validUtf8(bytes))
        return std::string(bytes);
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

bool validUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const uint32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::vector<PlannedChange> plannedChanges(const DeploymentPlan& plan, const PlanCheck& check,
                                          const std::vector<PlanDevice>& devices) {
    std::vector<PlannedChange> changes;
    if (!check.ok() || check.deviceOfRow.size() != plan.rows().size())
        return changes;
    if (check.order.size() != plan.rows().size())
        return changes;
    for (const int row : check.order) {
        const size_t r = static_cast<size_t>(row);
        const int d = check.deviceOfRow[r];
        if (d < 0 || static_cast<size_t>(d) >= devices.size())
            return {};
        PlannedChange change;
        change.row = row;
        change.device = d;
        change.waitsFor = check.waitsFor[r];
        const PlanDevice& device = devices[static_cast<size_t>(d)];
        buildNetParam(plan.rows()[r], device, change.params);
        change.oldAddress = device.ipv4;
        change.newAddress = plannedAddress(plan.rows()[r], device);
        changes.push_back(change);
    }
    return changes;
}

std::string issueText(const PlanIssue& issue) {
    switch (issue.code) {
    case IssueCode::RaggedRow:
        return replace(replace("This row has %1 fields; the header has %2.", "%1", std::to_string(issue.count)), "%2",
                       std::to_string(issue.expected));
    case IssueCode::NoIdentity:
        return "Neither a serial number nor a MAC address is given.";
    case IssueCode::InvalidMac:
        return "MAC address not correct.";
    case IssueCode::IdentityMismatch:
        return "The serial number and the MAC address belong to different devices.";
    case IssueCode::NoSuchDevice:
        return "No listed device has this serial number or MAC address.";
    case IssueCode::AmbiguousDevice:
        return "Several listed devices have this serial number; add the MAC address.";
    case IssueCode::NotActivated:
        return "The device is not activated.";
    case IssueCode::DevicePlannedTwice:
        return replace("The device is planned twice (also in line %1).", "%1", std::to_string(issue.otherLine));
    case IssueCode::AddressPlannedTwice:
        return replace("The address is planned twice (also in line %1).", "%1", std::to_string(issue.otherLine));
    case IssueCode::AddressInUse:
        return replace("The address is used by device %1, which the plan does not change.", "%1", issue.other);
    case IssueCode::AddressAnswers:
        return replace("Something answers at this address: %1.", "%1", issue.other);
    case IssueCode::AddressEmpty:
        return "Please input IP Address.";
    case IssueCode::AddressInvalid:
        return "IP Address not correct.";
    case IssueCode::MaskEmpty:
        return "Subnet mask can not be empty.";
    case IssueCode::MaskInvalid:
        return "Subnet Mask not correct.";
    case IssueCode::GatewayEmpty:
        return "Gateway can not be empty";
    case IssueCode::GatewayInvalid:
        return "Gateway not correct.";
    case IssueCode::PortInvalid:
        return "Device port ranges from 2000 to 65535.";
    case IssueCode::HttpPortInvalid:
        return "Http port ranges from 1 to 65535.";
    case IssueCode::HttpPortUnsupported:
        return "The device has no HTTP port.";
    case IssueCode::RtspPortInvalid:
        return "RTSP port ranges from 1 to 65535.";
    case IssueCode::NameEmpty:
        return "Device name cannot be empty.";
    case IssueCode::NameTooLong:
        return "Device name is longer than 32 bytes.";
    case IssueCode::NameControl:
        return "Device name contains control characters.";
    case IssueCode::NameNotUtf8:
        return "Device name is not UTF-8 text.";
    case IssueCode::DhcpInvalid:
        return "DHCP must be yes or no.";
    case IssueCode::DhcpUnsupported:
        return "The device does not support DHCP.";
    case IssueCode::NoDeviceAtAddress:
        return "No listed device has this current address.";
    case IssueCode::AmbiguousAddress:
        return "Several listed devices have this current address; add the serial number or MAC address.";
    case IssueCode::AddressMismatch:
        return "The current address belongs to another device than the serial number or MAC address.";
    case IssueCode::PortUnsupported:
        return "The port of an ONVIF device cannot be changed.";
    case IssueCode::DetailsNotRead:
        return "The ONVIF device's settings are not read yet; sign in first.";
    case IssueCode::AddressCycle:
        return replace("Devices would take each other's addresses (see line %1); give one a free address first.", "%1",
                       std::to_string(issue.otherLine));
    }
    return {};
}

std::string notSentText(const std::string& serial) {
    return replace("Not sent: device %1 still has the address.", "%1", serial);
}

std::string addressTakenText(const std::string& who) {
    return replace("Not sent: something answers at the address: %1.", "%1", who);
}

std::string fileErrorText(const DeploymentPlan& plan) {
    const std::string line = std::to_string(plan.errorLine());
    switch (plan.error()) {
    case DeploymentPlan::FileError::None:
        return {};
    case DeploymentPlan::FileError::Empty:
        return "The plan file is empty.";
    case DeploymentPlan::FileError::TooLarge:
        return "The plan file is larger than 8 MB.";
    case DeploymentPlan::FileError::Utf16:
        return "The plan file is UTF-16 text; save it as CSV UTF-8.";
    case DeploymentPlan::FileError::NotUtf8:
        return replace("Line %1 is not UTF-8 text; save the plan as CSV UTF-8.", "%1", line);
    case DeploymentPlan::FileError::UnterminatedQuote:
        return replace("The quoted field starting in line %1 never ends.", "%1", line);
    case DeploymentPlan::FileError::TextAfterQuote:
        return replace("Line %1 has text after a closing quote.", "%1", line);
    case DeploymentPlan::FileError::MissingColumn:
        return replace("The plan has no column \"%1\".", "%1", plan.errorDetail());
    case DeploymentPlan::FileError::DuplicateColumn:
        return replace("The column \"%1\" appears twice.", "%1", plan.errorDetail());
    }
    return {};
}

} // namespace VexaTool::plan
