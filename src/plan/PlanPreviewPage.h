#pragma once

#include <memory>
#include <vector>

#include <QSortFilterProxyModel>
#include <QString>

#include "aptui/Widget.h"
#include "deployment/PlanValidator.h"

namespace Ui {
class PlanPreviewPage;
}

namespace VexaTool {

class PlanPreviewModel;

// Shows a checked plan before anything is sent: every row beside the device it names, the refused values
// marked, and "Apply plan" only when no row is marked. The page sends nothing itself: the list page hands
// it the plan and its check, and the batch workers act on signalApplyPlan().
class PlanPreviewPage : public aptui::Widget {
    Q_OBJECT

public:
    explicit PlanPreviewPage(QWidget* parent = nullptr);
    ~PlanPreviewPage() override;

    void setPlan(const QString& fileName, const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                 const std::vector<plan::PlanDevice>& devices);

    PlanPreviewModel* model() const { return m_model; }
    QString summaryText() const;
    // Whether a row names one of our devices, which take the admin password; ONVIF devices take the sign-in's.
    bool needsPassword() const;
    // The administrator password our devices of the plan are changed with.
    QString adminPassword() const;
    void clearPassword();
    bool applyEnabled() const;

signals:
    void signalApplyPlan();
    void signalCancelPlan();

private:
    void onOnlyMarkedToggled(bool onlyMarked);
    void updateApply();

    std::unique_ptr<Ui::PlanPreviewPage> m_ui;
    PlanPreviewModel* m_model = nullptr;
    QSortFilterProxyModel* m_markedFilter = nullptr;
    bool m_ready = false;
    bool m_needsPassword = true;
};

} // namespace VexaTool
