// The program's side of clocks and passwords at site scale: vexa-devsim with N ONVIF devices (each HTTP answer
// held D ms, some clocks hours off) listed through the discovery handler into the fleet, the device table and its
// Clock column; then "Set time" and "Change ONVIF password" (one shared password) over all of them through the
// program's batch with W workers. A 5 ms heartbeat on the GUI thread measures the longest stretch it was kept busy
// in each phase. Prints one JSON object. Needs VEXA_IFACE=127.0.0.1 and a VEXA_PORT and VEXA_WSD_PORT of its own
// (bench/run_siteops.sh runs it inside a private network namespace).
//
//     build/bin/vexa_bench_siteops [--count N] [--delay D] [--workers W]

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "fleet/DeviceFleet.h"
#include "fleet/FleetClocks.h"
#include "siteops/SiteBatch.h"

using namespace VexaTool;

namespace {

// The largest gap between two ticks of a 5 ms timer since the last reset: the GUI thread's longest busy stretch.
class Heartbeat {
public:
    explicit Heartbeat(QObject* context) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, context, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, static_cast<double>(now - m_last) / 1e6);
            m_last = now;
        });
        m_clock.start();
        m_timer.start(5);
    }
    double take() {
        const double longest = m_longest;
        m_longest = 0;
        m_last = m_clock.nsecsElapsed();
        return longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_longest = 0;
};

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

int argument(const QStringList& args, const QString& name, int fallback) {
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = argument(args, QStringLiteral("--count"), 1000);
    const int delay = argument(args, QStringLiteral("--delay"), 20);
    const int workers = argument(args, QStringLiteral("--workers"), 64);
    const QString wsd = qEnvironmentVariable("VEXA_WSD_PORT");
    if (qEnvironmentVariable("VEXA_IFACE") != QLatin1String("127.0.0.1") || wsd.isEmpty()) {
        std::fprintf(stderr, "set VEXA_IFACE=127.0.0.1 and VEXA_WSD_PORT (and run through scripts/netns.sh)\n");
        return 2;
    }
    const QString bin = qEnvironmentVariable("VEXA_BIN_DIR", QCoreApplication::applicationDirPath());
    QTemporaryDir dir;
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(bin + QStringLiteral("/vexa-devsim"),
                    {QStringLiteral("--count"), QStringLiteral("0"), QStringLiteral("--onvif"), QString::number(count),
                     QStringLiteral("--onvif-base"), QStringLiteral("127.84.0.1"), QStringLiteral("--wsd-port"), wsd,
                     QStringLiteral("--onvif-delay"), QString::number(delay), QStringLiteral("--onvif-clock-offset"),
                     QStringLiteral("0,10800,-45,3,-7200"), QStringLiteral("--state"),
                     dir.filePath(QStringLiteral("state.txt"))});
    if (!simulator.waitForStarted())
        return 1;
    waitFor([&] { return QFile::exists(dir.filePath(QStringLiteral("state.txt.onvif"))); }, 60000);

    DeviceFleet fleet;
    DeviceInfoModel model(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
    QObject::connect(&fleet, &DeviceFleet::deviceAdded, &model, &DeviceInfoModel::addDevice);
    QObject::connect(&fleet, &DeviceFleet::deviceUpdated, &model, &DeviceInfoModel::updateDevice);
    FleetClocks clocks(&fleet);
    int clocksRead = 0;
    QObject::connect(&clocks, &FleetClocks::clockRead, &model,
                     [&](const QString& endpoint, const VEXA_CLOCK_INFO& clock) {
                         model.setClock(endpoint, clock);
                         ++clocksRead;
                     });
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOnline, &fleet, &DeviceFleet::onDeviceOnline,
                     Qt::QueuedConnection);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, &fleet, &DeviceFleet::onDeviceUpdate,
                     Qt::QueuedConnection);
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), QStringLiteral("Camera-2024"), {}, true);

    Heartbeat heartbeat(&app);
    QElapsedTimer phase;
    phase.start();
    handler->start();
    QElapsedTimer lastLook;
    lastLook.start();
    const auto allRead = [&] {
        // Looked at a few times a second: counting 1,000 rows is work on the GUI thread too.
        if (clocksRead < count || lastLook.elapsed() < 250)
            return false;
        lastLook.restart();
        int read = 0;
        for (const VEXA_DEVICE_MY_INFO& r : fleet.records())
            read += r.detailsState == VEXA_DETAILS_READ ? 1 : 0;
        return read >= count && clocksRead >= count;
    };
    waitFor(allRead, 120000);
    const double listedMs = static_cast<double>(phase.elapsed());
    const double listedStall = heartbeat.take();
    QVector<SiteBatch::Target> targets;
    for (const VEXA_DEVICE_MY_INFO& r : fleet.records())
        if (can(r, VEXA_CAN_SET_TIME))
            targets.append({r, QString::number(targets.size() + 1), QString()});

    SiteBatch batch(workers);
    bool finished = false;
    QObject::connect(&batch, &SiteBatch::signalFinished, &app, [&] { finished = true; });
    QObject::connect(&batch, &SiteBatch::signalClocksSet, &clocks, &FleetClocks::read);
    VEXA_TIME_PARAM params{};
    phase.restart();
    batch.startSetTime(targets, params);
    waitFor([&] { return finished; }, 600000);
    const double timeMs = static_cast<double>(phase.elapsed());
    const int timeFailed = batch.batch()->failures();
    // The clocks read again after the batch, in the Clock column.
    clocksRead = 0;
    waitFor([&] { return clocksRead >= targets.size(); }, 120000);
    const double rereadMs = static_cast<double>(phase.elapsed()) - timeMs;
    // Rows whose clock is still marked (more than 5 s off) or not read.
    int worst = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QStandardItem* cell = model.item(row, model.columnOf(DeviceInfoModel::KindClock));
        worst += cell->data(Qt::ForegroundRole).isValid() || !cell->text().endsWith(u's') ? 1 : 0;
    }
    const double timeStall = heartbeat.take();

    finished = false;
    phase.restart();
    batch.startPasswords(targets, QStringList(targets.size(), QStringLiteral("Bench-new-2026")), true);
    waitFor([&] { return finished; }, 600000);
    const double passwordMs = static_cast<double>(phase.elapsed());
    const int passwordFailed = batch.batch()->failures();
    const double passwordStall = heartbeat.take();
    const bool loginFollowed = VEXA::OnvifLogin::instance().password() == QStringLiteral("Bench-new-2026");

    handler->stop();
    simulator.terminate();
    simulator.waitForFinished(10000);
    std::printf("{\"bench\":\"siteops\",\"count\":%d,\"delayMs\":%d,\"workers\":%d,\"devices\":%d,"
                "\"listedAndClocksReadMs\":%.0f,\"listingLongestGuiStallMs\":%.1f,\"setTimeMs\":%.0f,"
                "\"setTimeFailed\":%d,\"clocksRereadMs\":%.0f,\"rowsStillMarked\":%d,\"setTimeLongestGuiStallMs\":%.1f,"
                "\"setPasswordMs\":%.0f,\"setPasswordFailed\":%d,\"loginFollowed\":%s,"
                "\"setPasswordLongestGuiStallMs\":%.1f}\n",
                count, delay, workers, static_cast<int>(targets.size()), listedMs, listedStall, timeMs, timeFailed,
                rereadMs, worst, timeStall, passwordMs, passwordFailed, loginFollowed ? "true" : "false",
                passwordStall);
    return targets.size() == count && timeFailed == 0 && passwordFailed == 0 && worst == 0 ? 0 : 1;
}
