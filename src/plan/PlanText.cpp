#include "plan/PlanText.h"

#include "outcome/ErrorText.h"

namespace VexaTool {

using plan::IssueCode;
using plan::PlanField;

QString PlanText::issue(const plan::PlanIssue& issue) {
    switch (issue.code) {
    case IssueCode::RaggedRow:
        return tr("This row has %1 fields; the header has %2.").arg(issue.count).arg(issue.expected);
    case IssueCode::NoIdentity:
        return tr("Neither a serial number nor a MAC address is given.");
    case IssueCode::InvalidMac:
        return tr("MAC address not correct.");
    case IssueCode::IdentityMismatch:
        return tr("The serial number and the MAC address belong to different devices.");
    case IssueCode::NoSuchDevice:
        return tr("No listed device has this serial number or MAC address.");
    case IssueCode::AmbiguousDevice:
        return tr("Several listed devices have this serial number; add the MAC address.");
    case IssueCode::NotActivated:
        return tr("The device is not activated.");
    case IssueCode::DevicePlannedTwice:
        return tr("The device is planned twice (also in line %1).").arg(issue.otherLine);
    case IssueCode::AddressPlannedTwice:
        return tr("The address is planned twice (also in line %1).").arg(issue.otherLine);
    case IssueCode::AddressInUse:
        return tr("The address is used by device %1, which the plan does not change.")
            .arg(QString::fromLocal8Bit(issue.other.data(), static_cast<qsizetype>(issue.other.size())));
    case IssueCode::AddressEmpty:
        return tr("Please input IP Address.");
    case IssueCode::AddressInvalid:
        return tr("IP Address not correct.");
    case IssueCode::MaskEmpty:
        return tr("Subnet mask can not be empty.");
    case IssueCode::MaskInvalid:
        return tr("Subnet Mask not correct.");
    case IssueCode::GatewayEmpty:
        return tr("Gateway can not be empty");
    case IssueCode::GatewayInvalid:
        return tr("Gateway not correct.");
    case IssueCode::PortInvalid:
        return tr("Device port ranges from 2000 to 65535.");
    case IssueCode::HttpPortInvalid:
        return tr("Http port ranges from 1 to 65535.");
    case IssueCode::HttpPortUnsupported:
        return tr("The device has no HTTP port.");
    case IssueCode::RtspPortInvalid:
        return tr("RTSP port ranges from 1 to 65535.");
    case IssueCode::NameEmpty:
        return tr("Device name cannot be empty.");
    case IssueCode::NameTooLong:
        return tr("Device name is longer than 32 bytes.");
    case IssueCode::NameControl:
        return tr("Device name contains control characters.");
    case IssueCode::NameNotUtf8:
        return tr("Device name is not UTF-8 text.");
    case IssueCode::NoDeviceAtAddress:
        return tr("No listed device has this current address.");
    case IssueCode::AmbiguousAddress:
        return tr("Several listed devices have this current address; add the serial number or MAC address.");
    case IssueCode::AddressMismatch:
        return tr("The current address belongs to another device than the serial number or MAC address.");
    case IssueCode::PortUnsupported:
        return tr("The port of an ONVIF device cannot be changed.");
    case IssueCode::DetailsNotRead:
        return tr("The ONVIF device's settings are not read yet; sign in first.");
    case IssueCode::AddressAnswers:
        return tr("Something answers at this address: %1.")
            .arg(QString::fromLocal8Bit(issue.other.data(), static_cast<qsizetype>(issue.other.size())));
    case IssueCode::DhcpInvalid:
        return tr("DHCP must be yes or no.");
    case IssueCode::DhcpUnsupported:
        return tr("The device does not support DHCP.");
    case IssueCode::AddressCycle:
        return tr("Devices would take each other's addresses (see line %1); give one a free address first.")
            .arg(issue.otherLine);
    }
    return {};
}

QString PlanText::fileError(const plan::DeploymentPlan& plan) {
    using Error = plan::DeploymentPlan::FileError;
    switch (plan.error()) {
    case Error::None:
        return {};
    case Error::Empty:
        return tr("The plan file is empty.");
    case Error::TooLarge:
        return tr("The plan file is larger than 8 MB.");
    case Error::Utf16:
        return tr("The plan file is UTF-16 text; save it as CSV UTF-8.");
    case Error::NotUtf8:
        return tr("Line %1 is not UTF-8 text; save the plan as CSV UTF-8.").arg(plan.errorLine());
    case Error::UnterminatedQuote:
        return tr("The quoted field starting in line %1 never ends.").arg(plan.errorLine());
    case Error::TextAfterQuote:
        return tr("Line %1 has text after a closing quote.").arg(plan.errorLine());
    case Error::MissingColumn:
        return tr("The plan has no column \"%1\".").arg(QString::fromStdString(plan.errorDetail()));
    case Error::DuplicateColumn:
        return tr("The column \"%1\" appears twice.").arg(QString::fromStdString(plan.errorDetail()));
    }
    return {};
}

QString PlanText::column(PlanField field) {
    switch (field) {
    case PlanField::Row:
        return tr("Row");
    case PlanField::Serial:
        return tr("Serial Number");
    case PlanField::Mac:
        return tr("MAC");
    case PlanField::CurrentIpv4:
        return tr("Current Address");
    case PlanField::Ipv4:
        return tr("IPv4 Address");
    case PlanField::Mask:
        return tr("Subnet Mask");
    case PlanField::Gateway:
        return tr("Gateway");
    case PlanField::Name:
        return tr("Device Name");
    case PlanField::Port:
        return tr("Port");
    case PlanField::HttpPort:
        return tr("HTTP Port");
    case PlanField::RtspPort:
        return tr("RTSP Port");
    case PlanField::Dhcp:
        return tr("DHCP");
    }
    return {};
}

QStringList PlanText::receiptHeader() {
    return {tr("Time"), tr("Serial Number"), tr("MAC"),     tr("Old Address"), tr("New Address"),
            tr("Name"), tr("Result"),        tr("Outcome"), tr("Code"),        tr("Device Says")};
}

QString PlanText::notSent(const QString& serial) {
    return tr("Not sent: device %1 still has the address.").arg(serial);
}

QString PlanText::addressTaken(const std::string& who) {
    return tr("Not sent: something answers at the address: %1.")
        .arg(QString::fromLocal8Bit(who.data(), static_cast<qsizetype>(who.size())));
}

QString PlanText::stopped() {
    return tr("Not sent: stopped.");
}

QString PlanText::stoppedWaiting() {
    return tr("Stopped waiting for the device: the change may be in force; check the device.");
}

QString PlanText::withDetail(const QString& result, const std::string& detail) {
    if (detail.empty())
        return result;
    return tr("%1 The device says: %2")
        .arg(result, QString::fromUtf8(detail.data(), static_cast<qsizetype>(detail.size())));
}

QString PlanText::result(uint32_t code) {
    return ErrorText::text(ErrorText::Form::PlanResult, code);
}

} // namespace VexaTool
