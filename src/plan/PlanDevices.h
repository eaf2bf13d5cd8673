#pragma once

#include <vector>

#include <QVector>

#include "deployment/PlanValidator.h"
#include "discovery/DeviceRecord.h"

namespace VexaTool {

// The listed devices as the plan checks see them: every text bounded by its field.
plan::PlanDevice planDeviceFromRecord(const VEXA_DEVICE_MY_INFO& record);
std::vector<plan::PlanDevice> planDevicesFromRecords(const QVector<VEXA_DEVICE_MY_INFO>& records);

// Checks a plan against the listed devices; what validatePlan does, for the program's own records.
plan::PlanCheck checkPlan(const plan::DeploymentPlan& plan, const QVector<VEXA_DEVICE_MY_INFO>& records);

// The devices of a checked plan as the modify page's entries, in the order of the rows (index: the row's line
// in the file, result empty): what the batch workers and the results page take. Empty unless the check passed.
QVector<DeviceInfo> planSelection(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                                  const QVector<VEXA_DEVICE_MY_INFO>& records);

} // namespace VexaTool
