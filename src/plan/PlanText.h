#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include "deployment/PlanValidator.h"

namespace VexaTool {

// The translated words of plans and receipts: the same sentences the command-line client prints in English.
class PlanText {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::PlanText)

public:
    static QString issue(const plan::PlanIssue& issue);
    static QString fileError(const plan::DeploymentPlan& plan);
    static QString column(plan::PlanField field);
    static QStringList receiptHeader();
    // The result text of a batch modification for a library code (0 is success).
    static QString result(uint32_t code);
    // The result of a row not sent because the device it waited for kept the address.
    static QString notSent(const QString& serial);
    // The result of a row not sent because the batch was stopped.
    static QString stopped();
    // A row not sent because something answered at its new address (who: what answered, in English).
    static QString addressTaken(const std::string& who);
    // A change sent to a device that had not answered when the run was stopped: it may be in force.
    static QString stoppedWaiting();
    // A result with the device's own words about it (none: the result alone).
    static QString withDetail(const QString& result, const std::string& detail);
};

} // namespace VexaTool
