// Draws "Scan addresses…" while it scans and the summary it opens, with the real skin and style, for the README
// and the manual:
//
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/vexa-scan-screens docs/screenshots
//
// The results are made up here (a /24 with eight devices); nothing is sent.

#include <cstring>

#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>

#include "scan/RecentRanges.h"
#include "scan/ScanRangesDialog.h"
#include "scan/ScanSummaryDialog.h"
#include "scan/ScanTally.h"
#include "support/ScreenshotRun.h"
#include "vexa.h"

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("scan-screens", argc, argv);
    QTemporaryDir dir;
    const QString recentPath = dir.filePath(QStringLiteral("recent.txt"));
    VexaTool::RecentRanges recent(recentPath);
    recent.add(QStringLiteral("10.3.0.10-10.3.0.50"));
    recent.add(QStringLiteral("10.2.0.0/24, 10.2.1.0/24"));
    recent.save();

    VexaTool::ScanTally tally;
    for (int host = 1; host <= 254; ++host) {
        VEXA_SCAN_RESULT result{};
        const QByteArray address = "10.2.0." + QByteArray::number(host);
        std::memcpy(result.ipv4Address, address.constData(), static_cast<size_t>(address.size()));
        result.reason = host % 30 == 11 ? VEXA_SCAN_FOUND : VEXA_SCAN_NO_ANSWER;
        result.protocols = host % 60 == 11 ? VEXA_SCAN_ONVIF : VEXA_SCAN_OURS;
        if (host == 1 || host == 254)
            result.reason = VEXA_SCAN_PORT_CLOSED;
        if (host == 200)
            result.reason = VEXA_SCAN_NOT_CAMERA;
        tally.add(result);
    }
    return run.eachLanguage([&](const QString& prefix, int) {
        VexaTool::ScanRangesDialog dialog(nullptr, recentPath);
        dialog.rangesEdit()->setText(QStringLiteral("10.2.0.0/24"));
        bool ok = testsupport::saveOnBackdrop(dialog, prefix + QStringLiteral("scan_addresses.png"));
        VexaTool::ScanSummaryDialog summary(tally, QStringLiteral("10.2.0.0/24"), QString());
        summary.resize(560, 560);
        ok &= testsupport::saveOnBackdrop(summary, prefix + QStringLiteral("scan_summary.png"));
        return ok;
    });
}
