#pragma once

#include <QString>

#include "deployment/DeploymentPlan.h"

namespace VexaTool {

// Reads a plan file from disk; a file that cannot be read gives an empty plan and the reason in error.
class PlanFile {
public:
    static plan::DeploymentPlan load(const QString& path, QString* error = nullptr);
};

} // namespace VexaTool
