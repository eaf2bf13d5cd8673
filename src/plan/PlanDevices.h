#pragma once

#include <QVector>

#include <vector>

#include "discovery/DeviceRecord.h"
#include "plan/core/PlanValidator.h"

namespace VexaTool {

// The listed devices as the plan checks see them: every text bounded by its field.
plan::PlanDevice planDeviceFromRecord(const VEXA_DEVICE_MY_INFO& record);
std::vector<plan::PlanDevice> planDevicesFromRecords(const QVector<VEXA_DEVICE_MY_INFO>& records);

// Checks a plan against the listed devices; what validatePlan does, for the program's own records.
plan::PlanCheck checkPlan(const plan::DeploymentPlan& plan, const QVector<VEXA_DEVICE_MY_INFO>& records);

} // namespace VexaTool
