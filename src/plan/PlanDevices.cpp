#include "PlanDevices.h"

#include <cstring>

#include "deployment/FieldText.h"
#include "deployment/PlanValidator.h"
#include "vexa.h"

namespace VexaTool {

plan::PlanDevice planDeviceFromRecord(const VEXA_DEVICE_MY_INFO& record) {
    plan::PlanDevice device;
    device.serial = plan::fieldText(record.serialNo);
    device.mac = plan::fieldText(record.mac);
    device.ipv4 = plan::fieldText(record.ipv4Address);
    device.mask = plan::fieldText(record.ipv4SubnetMask);
    device.gateway = plan::fieldText(record.ipv4Gateway);
    device.ipv6Address = plan::fieldText(record.ipv6Address);
    device.ipv6Gateway = plan::fieldText(record.ipv6Gateway);
    device.name = plan::deviceTextUtf8(plan::fieldText(record.deviceName));
    device.port = record.port > 0 ? static_cast<uint32_t>(record.port) : 0;
    device.httpPort = record.httpPort > 0 ? static_cast<uint32_t>(record.httpPort) : 0;
    device.rtspPort = record.rtspPort;
    device.ipv6PrefixLength = record.ipv6PrefixLength;
    device.dhcpEnabled = record.dhcpEnabled != 0;
    device.supportsDhcp = (record.supportFlags & VEXA_SUPPORT_DHCP) != 0;
    device.activated = record.activationState == 0;
    device.onvif = record.protocol == VEXA_PROTOCOL_ONVIF;
    device.detailsRead = detailsRead(record);
    return device;
}

std::vector<plan::PlanDevice> planDevicesFromRecords(const QVector<VEXA_DEVICE_MY_INFO>& records) {
    std::vector<plan::PlanDevice> devices;
    devices.reserve(static_cast<std::size_t>(records.size()));
    for (const VEXA_DEVICE_MY_INFO& record : records)
        devices.push_back(planDeviceFromRecord(record));
    return devices;
}

plan::PlanCheck checkPlan(const plan::DeploymentPlan& plan, const QVector<VEXA_DEVICE_MY_INFO>& records) {
    return plan::validatePlan(plan, planDevicesFromRecords(records));
}

QVector<DeviceInfo> planSelection(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                                  const QVector<VEXA_DEVICE_MY_INFO>& records) {
    QVector<DeviceInfo> entries;
    if (!check.ok() || check.deviceOfRow.size() != plan.rows().size())
        return entries;
    for (std::size_t r = 0; r < plan.rows().size(); ++r) {
        const int d = check.deviceOfRow[r];
        if (d < 0 || d >= records.size())
            return {};
        const VEXA_DEVICE_MY_INFO& record = records.at(d);
        entries.append(DeviceInfo{QString::number(plan.rows()[r].line), recordText(record.deviceTypeName),
                                  recordText(record.ipv4Address), recordText(record.serialNo), recordText(record.mac),
                                  QString()});
    }
    return entries;
}

} // namespace VexaTool
