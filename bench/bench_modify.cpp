// Batch network changes through the modify page against the simulator: wall time of the whole batch and the
// longest stall of the GUI thread while it runs, for several numbers of worker threads. Prints one JSON
// object per thread count:
//
//     bash scripts/netns.sh build/bin/vexa_bench_modify --count 256 --threads 1,8,32 --apply-delay 200
//
// --apply-delay is the time each simulated device takes to apply a change (passed on to the simulator when it
// offers the option). Runs with QT_QPA_PLATFORM=offscreen unless a display is set.
#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "aptui/MultiStateLineEdit.h"
#include "discovery/DeviceStore.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "outcome/ErrorText.h"

namespace {

// The longest single event the GUI thread handled while a batch ran: what our own code costs it, apart from
// what the machine's other load does to the whole process.
bool g_measureEvents = false;
double g_longestEventMs = 0;

QString argument(const QStringList& args, const QString& name, const QString& fallback) {
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

QString deviceLine(int i) {
    return QStringLiteral("serial=VXBENCH%1\tmac=02-56-b0-00-%2-%3\tipv4=127.40.%4.%5\tmask=255.255.0.0\t"
                          "gateway=127.40.0.1\ttypeCode=4096\tport=8000\tchannels=1\taux=0\tsoftware=V5.7.2\t"
                          "dsp=V7.3\tbootTime=2024-08-18 21:37:12\ttypeName=VX-IPC-B120\toemInfo=Fynmar_quelbrok\t"
                          "ipv6=\tipv6Gateway=\tipv6Prefix=0\tsupport=4\tdhcp=0\tcapability=2\thttpPort=80\tclass=1\t"
                          "oemCode=1\tactivation=0\tresetFlags=0\tname=Camera %1\tserviceTag=ST%1\trtspPort=554\n")
        .arg(i, 5, 10, QLatin1Char('0'))
        .arg(i / 256, 2, 16, QLatin1Char('0'))
        .arg(i % 256, 2, 16, QLatin1Char('0'))
        .arg(i / 200)
        .arg(i % 200 + 10);
}

struct Measurement {
    double wallMs = 0;
    double longestStallMs = 0;
    double longestEventMs = 0;
    int succeeded = 0;
    int failed = 0;
};

Measurement runBatch(const QVector<DeviceInfo>& entries, int threads, int round) {
    VexaTool::DeviceModifyPage page;
    page.setTaskThreads(threads);
    page.show();
    page.onCurrentSelectionChange(MODIFY_BATCH, entries);
    auto set = [&page](const char* name, const QString& text) {
        page.findChild<aptui::MultiStateLineEdit*>(QString::fromLatin1(name))->setText(text);
    };
    set("m_lineEditAdminPassword", QStringLiteral("Install-2024"));
    set("m_lineEditStartIp", QStringLiteral("10.%1.0.10").arg(100 + round));
    set("m_lineEditSubnetMask", QStringLiteral("255.255.0.0"));
    set("m_lineEditPort", QStringLiteral("8000"));
    set("m_lineEditHttpPort", QStringLiteral("80"));
    set("m_lineEditRTSP", QStringLiteral("554"));
    set("m_lineEditDeviceName", QStringLiteral("Bench %1").arg(round));

    // The window is on screen and painted before the user can press Modify.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);

    Measurement m;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    bool running = true;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, &page, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (running) {
            m.longestStallMs = std::max(m.longestStallMs, (now - lastTick) / 1e6);
            if (qEnvironmentVariableIsSet("BENCH_TRACE") && (now - lastTick) > 20000000)
                std::fprintf(stderr, "stall %.1f ms at %.1f ms\n", (now - lastTick) / 1e6, now / 1e6);
        }
        lastTick = now;
    });
    QObject::connect(&page, &VexaTool::DeviceModifyPage::signalModifyResult, &page,
                     [&](const QVector<DeviceInfo>& results) {
                         m.wallMs = clock.nsecsElapsed() / 1e6;
                         running = false;
                         g_measureEvents = false;
                         m.longestEventMs = g_longestEventMs;
                         for (const DeviceInfo& entry : results)
                             (entry.outcome.isDone() ? m.succeeded : m.failed)++;
                     });
    // The results list is the end of a batch: close it as soon as it is up.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &page, [] {
        if (auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(QApplication::activeModalWidget()))
            results->accept();
        else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    closer.start(20);
    g_longestEventMs = 0;
    g_measureEvents = true;
    clock.start();
    ticker.start(5);
    QEventLoop loop;
    // The batch ends when its results list has been closed.
    QObject::connect(&page, &VexaTool::DeviceModifyPage::signalDisCoverMainPage, &loop, &QEventLoop::quit);
    page.findChild<QPushButton*>(QStringLiteral("m_btnModify"))->click();
    loop.exec();
    return m;
}

// Times every event while measuring; with BENCH_TRACE set, names each that takes more than 20 ms.
class TracingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (!m_trace && !g_measureEvents)
            return QApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const int type = event->type();
        const bool result = QApplication::notify(receiver, event);
        if (g_measureEvents)
            g_longestEventMs = std::max(g_longestEventMs, timer.nsecsElapsed() / 1e6);
        if (m_trace && timer.elapsed() > 20)
            std::fprintf(stderr, "event %d to %s %s took %lld ms\n", type, receiver->metaObject()->className(),
                         qPrintable(receiver->objectName()), static_cast<long long>(timer.elapsed()));
        return result;
    }

private:
    bool m_trace = qEnvironmentVariableIsSet("BENCH_TRACE");
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TracingApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int count = argument(args, QStringLiteral("--count"), QStringLiteral("256")).toInt();
    const int applyDelay = argument(args, QStringLiteral("--apply-delay"), QStringLiteral("200")).toInt();
    QList<int> threadCounts;
    for (const QString& n : argument(args, QStringLiteral("--threads"), QStringLiteral("1,8,32")).split(u','))
        threadCounts << n.toInt();
    if (qEnvironmentVariable("VEXA_IFACE") != QLatin1String("127.0.0.1")) {
        std::fprintf(stderr, "set VEXA_IFACE=127.0.0.1 (and run through scripts/netns.sh)\n");
        return 2;
    }
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });

    const QString bin = qEnvironmentVariable("VEXA_BIN_DIR", QCoreApplication::applicationDirPath());
    QProcess probe;
    probe.start(bin + QStringLiteral("/vexa-devsim"), {QStringLiteral("--help")});
    probe.waitForFinished(5000);
    const QString help = QString::fromUtf8(probe.readAllStandardError() + probe.readAllStandardOutput());
    const bool hasApplyDelay = help.contains(QStringLiteral("--apply-delay"));
    const bool hasFastHash = help.contains(QStringLiteral("--fast-hash"));

    QProcess keytool;
    keytool.start(bin + QStringLiteral("/vexa-keytool"), {QStringLiteral("pubkey"), QStringLiteral("--test")});
    keytool.waitForFinished(10000);
    qputenv("VEXA_TRUSTED_KEYS", keytool.readAllStandardOutput().trimmed());
    if (!hasFastHash)
        qputenv("VEXA_SIM_CHEAP_HASH", "1");

    QTemporaryDir dir;
    QFile devices(dir.filePath(QStringLiteral("devices.txt")));
    if (!devices.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < count; ++i)
        devices.write(deviceLine(i).toUtf8());
    devices.close();
    QStringList simArgs{QStringLiteral("--devices"), devices.fileName(),
                        QStringLiteral("--state"),   dir.filePath(QStringLiteral("state.txt")),
                        QStringLiteral("--dump"),    dir.filePath(QStringLiteral("dump.txt"))};
    if (hasApplyDelay)
        simArgs << QStringLiteral("--apply-delay") << QString::number(applyDelay);
    if (hasFastHash)
        simArgs << QStringLiteral("--fast-hash");
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(bin + QStringLiteral("/vexa-devsim"), simArgs);
    if (!simulator.waitForStarted())
        return 1;
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(dir.filePath(QStringLiteral("dump.txt"))) && wait.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);

    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOnline, &app,
                     [](VEXA_DEVICE_MY_INFO record) { VEXA::DeviceStore::instance()->add(record); });
    handler->start();
    wait.restart();
    while (VEXA::DeviceStore::instance()->count() < count && wait.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    std::sort(records.begin(), records.end(), [](const VEXA_DEVICE_MY_INFO& a, const VEXA_DEVICE_MY_INFO& b) {
        return recordText(a.serialNo) < recordText(b.serialNo);
    });
    QVector<DeviceInfo> entries;
    for (const VEXA_DEVICE_MY_INFO& r : records)
        entries << DeviceInfo{QString::number(entries.size() + 1),
                              recordText(r.deviceTypeName),
                              recordText(r.ipv4Address),
                              recordText(r.serialNo),
                              recordText(r.mac),
                              QStringLiteral("0")};

    {
        // The same stall measure with nothing to do: what the machine itself costs the GUI thread.
        double idleStall = 0;
        QElapsedTimer clock;
        qint64 lastTick = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, &app, [&] {
            const qint64 now = clock.nsecsElapsed();
            idleStall = std::max(idleStall, (now - lastTick) / 1e6);
            lastTick = now;
        });
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        clock.start();
        ticker.start(5);
        loop.exec();
        std::printf("{\"bench\":\"modify_idle\",\"seconds\":3,\"longest_gui_stall_ms\":%.1f}\n", idleStall);
        std::fflush(stdout);
    }

    int round = 0;
    for (int threads : threadCounts) {
        const Measurement m = runBatch(entries, threads, round++);
        std::printf(
            "{\"bench\":\"modify_batch\",\"devices\":%d,\"listed\":%d,\"threads\":%d,\"apply_delay_ms\":%d,"
            "\"sim_apply_delay\":%s,\"wall_ms\":%.0f,\"longest_gui_stall_ms\":%.1f,\"longest_gui_event_ms\":%.1f,"
            "\"succeeded\":%d,"
            "\"failed\":%d}\n",
            count, static_cast<int>(entries.size()), threads, hasApplyDelay ? applyDelay : 0,
            hasApplyDelay ? "true" : "false", m.wallMs, m.longestStallMs, m.longestEventMs, m.succeeded, m.failed);
        std::fflush(stdout);
    }
    handler->stop();
    simulator.terminate();
    simulator.waitForFinished(10000);
    return 0;
}
