// Draws the plan preview with the real skin and style for docs/screenshots:
//
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/vexa-plan-screens docs/screenshots
//
// The plan is a sample with the faults a preview marks: a device planned twice, an address planned twice, an
// address already in use, a device that is not listed and values the form refuses. The Chinese pictures take
// their texts from the program's built translations.

#include <QPainter>

#include "plan/PlanPreviewPage.h"
#include "support/PlanTestDevices.h"
#include "support/ScreenshotRun.h"

using testsupport::planDevice;

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("plan-screens", argc, argv);
    const std::vector<VexaTool::plan::PlanDevice> devices = {
        planDevice("VXIPC0410000001", "02-56-21-00-00-01", "127.37.0.11"),
        planDevice("VXIPC0410000002", "02-56-21-00-00-02", "127.37.0.12"),
        planDevice("VXIPC0410000003", "02-56-21-00-00-03", "127.37.0.13"),
        planDevice("VXIPC0410000004", "02-56-21-00-00-04", "127.37.0.14"),
        planDevice("VXNVR0800000005", "02-56-21-00-00-05", "127.37.0.15"),
        planDevice("VXIPC0410000006", "02-56-21-00-00-06", "127.37.2.40"),
    };
    const auto plan = VexaTool::plan::DeploymentPlan::parse(
        "Serial Number,MAC,IP Address,Subnet Mask,Gateway,Device Name,Port,DHCP\r\n"
        "VXIPC0410000001,,127.37.2.11,255.255.255.0,127.37.2.254,Lobby north,,no\r\n"
        "VXIPC0410000002,,127.37.2.12,255.255.255.0,127.37.2.254,Lobby south,,no\r\n"
        ",02-56-21-00-00-03,127.37.2.12,255.255.255.0,127.37.2.254,\"Gate, east\",,no\r\n"
        "VXIPC0410000004,,127.37.2.40,255.255.255.0,127.37.2.254,Yard,1999,no\r\n"
        "VXNVR0800000005,,127.37.2.50,255.255.255.255,127.37.2.254,Recorder,8000,no\r\n"
        "VXIPC0410000001,,127.37.2.51,255.255.255.0,127.37.2.254,Stairs,,no\r\n"
        "VXIPC0410000099,,127.37.2.52,255.255.255.0,127.37.2.254,Roof,,no\r\n");
    const auto check = VexaTool::plan::validatePlan(plan, devices);

    const auto cleanPlan = VexaTool::plan::DeploymentPlan::parse(
        "Serial Number,IP Address,Subnet Mask,Gateway,Device Name\r\n"
        "VXIPC0410000001,127.37.2.11,255.255.255.0,127.37.2.254,Lobby north\r\n"
        "VXIPC0410000002,127.37.2.12,255.255.255.0,127.37.2.254,Lobby south\r\n"
        "VXIPC0410000003,127.37.2.13,255.255.255.0,127.37.2.254,\"Gate, east\"\r\n");
    const QString file = QStringLiteral("/home/installer/site-b/cameras.csv");
    return run.eachLanguage([&](const QString& prefix, int) {
        bool ok = true;
        VexaTool::PlanPreviewPage page;
        page.resize(1180, 420);
        page.setPlan(file, plan, check, devices);
        ok &= testsupport::saveOnBackdrop(page, prefix + QStringLiteral("plan_preview.png"));
        page.resize(1180, 300);
        page.setPlan(file, cleanPlan, VexaTool::plan::validatePlan(cleanPlan, devices), devices);
        ok &= testsupport::saveOnBackdrop(page, prefix + QStringLiteral("plan_preview_ready.png"));
        return ok;
    });
}
