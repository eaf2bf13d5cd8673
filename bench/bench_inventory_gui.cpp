// The program's inventory export: starts vexa-devsim with N ONVIF devices (two profiles each) that hold every HTTP
// answer D ms, signs in to all of them and waits until their details are read; then runs "Export inventory…" as
// the user does (the dialog, its reads on W workers, the rows, the workbook written) while a 5 ms heartbeat on the
// GUI thread records its longest gap. Prints one JSON object. Needs VEXA_IFACE=127.0.0.1, a VEXA_PORT and
// VEXA_WSD_PORT of its own, VEXA_BIN_DIR, and QT_QPA_PLATFORM=offscreen.

#include <csignal>
#include <map>
#include <sys/wait.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "OnvifBench.h"
#include "discovery/DeviceRecord.h"
#include "preview/InventoryDialog.h"

namespace {

struct Details {
    std::mutex mutex;
    std::map<std::string, VEXA_DEVICE_INFO> read;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    if (info->protocol != VEXA_PROTOCOL_ONVIF || info->detailsState != VEXA_DETAILS_READ)
        return;
    auto* details = static_cast<Details*>(user);
    std::lock_guard<std::mutex> lock(details->mutex);
    details
        ->read[std::string(info->endpointReference, strnlen(info->endpointReference, sizeof info->endpointReference))] =
        *info;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int count = 1000, delay = 20, workers = 64;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--count"))
            count = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--delay"))
            delay = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--workers"))
            workers = std::max(1, args[i + 1].toInt());
    }
    if (count < 1) {
        std::fprintf(stderr, "needs a positive count\n");
        return 2;
    }
    const pid_t sim = onvifbench::startOnvifSimulator(count, 141, delay, {"--onvif-quirks", "internal-uri"});
    if (sim == -2)
        return 2;
    if (sim < 0)
        return 1;
    Details details;
    if (!VEXA_Start_V40(onDevice, 1, &details) || !VEXA_SetOnvifCredentials("admin", "Camera-2024")) {
        ::kill(sim, SIGKILL);
        return 1;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        {
            std::lock_guard<std::mutex> lock(details.mutex);
            if (static_cast<int>(details.read.size()) >= count)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    QVector<VEXA_DEVICE_MY_INFO> records;
    {
        std::lock_guard<std::mutex> lock(details.mutex);
        for (const auto& [endpoint, info] : details.read) {
            VEXA_DEVICE_MY_INFO record{};
            buildDeviceRecord(info, record);
            records.append(record);
        }
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("inventory.xls"));
    VexaTool::InventoryDialog dialog(records, nullptr, workers);
    dialog.fileEdit()->setText(path);
    dialog.show();
    // The GUI thread's longest stretch without a turn of the event loop, seen as the heartbeat's largest gap.
    QElapsedTimer beat;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, &app, [&] { longestGap = std::max(longestGap, beat.restart()); });
    QSignalSpy done(&dialog, &VexaTool::InventoryDialog::exportDone);
    QElapsedTimer took;
    const double cpuBefore = onvifbench::cpuSeconds();
    beat.start();
    heartbeat.start();
    took.start();
    dialog.exportButton()->click();
    const bool finished = done.wait(600000);
    const qint64 ms = took.elapsed();
    heartbeat.stop();
    const double cpu = onvifbench::cpuSeconds() - cpuBefore;
    const bool written = finished && done.first().first().toBool();
    const qint64 bytes = QFile(path).size();
    VEXA_Stop();
    ::kill(sim, SIGKILL);
    ::waitpid(sim, nullptr, 0);
    std::printf("{\"count\":%d,\"delayMs\":%d,\"workers\":%d,\"read\":%lld,\"written\":%s,\"fileBytes\":%lld,"
                "\"exportMs\":%lld,\"longestGuiGapMs\":%lld,\"clientCpuSeconds\":%.2f}\n",
                count, delay, workers, static_cast<long long>(records.size()), written ? "true" : "false",
                static_cast<long long>(bytes), static_cast<long long>(ms), static_cast<long long>(longestGap), cpu);
    return written ? 0 : 1;
}
