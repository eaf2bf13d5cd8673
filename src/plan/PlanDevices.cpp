#include "PlanDevices.h"

#include <cstring>

#include "deployment/NetworkChange.h"
#include "deployment/PlanValidator.h"
#include "vexa.h"

namespace VexaTool {

plan::PlanDevice planDeviceFromRecord(const VEXA_DEVICE_MY_INFO& record) {
    return plan::planDeviceOf(record, capabilitiesOf(record), detailsRead(record));
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
