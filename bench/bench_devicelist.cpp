// Device list benchmark: N simulated devices through the library, the handler, the list page and its model,
// offscreen. Measures, from the inquiry (the handler's start sends it): when the library reported the last
// device, when the last row was listed, the longest stretch the GUI thread was busy meanwhile, heap and
// resident memory per listed device, the time to export every row to a workbook, one tick report with many rows
// already ticked, and emptying the model after a sort (as Refresh does); for the model alone, removing every
// fiftieth device, then sorting and emptying. With --onvif M the simulator also plays M ONVIF devices that tell
// nothing without a login; once every row is listed the run signs in and measures when the details of all of them
// are in the rows. Prints one JSON object. Needs VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own;
// bench/run-devicelist.sh sets both.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "../tests/devicelist/FleetFile.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "export/ExcelManager.h"
#include "guitoolkit/CTableView.h"
#include "vexa_crypto.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double threadCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

size_t heapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

long residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int count = 10000;
    int sharedEvery = 50;
    int warmMs = 0; // time the shown page gets to settle (first layout and paint) before the inquiry
    bool trusted = false;
    int onvif = 0;
    QString verdicts; // kept certificate verdicts: empty keeps none
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--trusted")) {
            trusted = true;
            --i; // a flag without a value
            continue;
        }
        if (i + 1 >= args.size())
            break;
        if (args.at(i) == QLatin1String("--count"))
            count = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--shared-every"))
            sharedEvery = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--warm-ms"))
            warmMs = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--onvif"))
            onvif = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--verdicts"))
            verdicts = args.at(i + 1);
    }
    qputenv("VEXA_VERDICT_FILE", QFile::encodeName(verdicts));
    if (qEnvironmentVariable("VEXA_IFACE") != QLatin1String("127.0.0.1")) {
        std::fprintf(stderr, "bench_devicelist: set VEXA_IFACE=127.0.0.1 and a VEXA_PORT of its own\n");
        return 2;
    }
    // Real use: every announcement verified against the simulator's TEST manufacturer key.
    if (trusted)
        qputenv("VEXA_TRUSTED_KEYS", QByteArray::fromStdString(vexa::crypto::publicKeyToText(
                                         vexa::crypto::testManufacturerKeyPair().publicKey)));
    else
        qunsetenv("VEXA_TRUSTED_KEYS");
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");

    QTemporaryDir dir;
    const QString fleet = dir.filePath(QStringLiteral("fleet.txt"));
    const QString dump = dir.filePath(QStringLiteral("dump.txt"));
    if (!testfleet::write(fleet, count, 0, sharedEvery))
        return 1;
    QProcess simulator;
    simulator.setProgram(qEnvironmentVariable("VEXA_BIN_DIR", QStringLiteral(".")) + QStringLiteral("/vexa-devsim"));
    QStringList simulatorArgs{QStringLiteral("--devices"), fleet, QStringLiteral("--dump"), dump,
                              QStringLiteral("--no-boot-announce")};
    if (onvif > 0)
        simulatorArgs << QStringLiteral("--onvif") << QString::number(onvif) << QStringLiteral("--onvif-base")
                      << QStringLiteral("127.69.0.1") << QStringLiteral("--wsd-port")
                      << qEnvironmentVariable("VEXA_WSD_PORT", QStringLiteral("3702"))
                      << QStringLiteral("--onvif-quirks") << QStringLiteral("no-anonymous") << QStringLiteral("--state")
                      << dir.filePath(QStringLiteral("state.txt"));
    simulator.setArguments(simulatorArgs);
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start();
    if (!simulator.waitForStarted())
        return 1;
    for (int i = 0; i < 1000 && !QFile::exists(dump); ++i)
        QThread::msleep(10);

    VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
    page.resize(1400, 800);
    page.show();
    QCoreApplication::processEvents();
    // A real event loop, never a polling one: polling would burn the CPU the library and the page need.
    const auto runFor = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    if (warmMs > 0)
        runFor(warmMs);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    handler->setFilterRule(true);
    const int rowsExpected = count + onvif;

    std::atomic<int> reported{0};
    std::atomic<long long> lastReportNs{0};
    const Clock::time_point start = Clock::now();
    // On the library's thread, before the queued copy goes to the page.
    QObject::connect(
        handler, &VEXA::VexaHandler::signalDeviceOnline, handler,
        [&](VEXA_DEVICE_MY_INFO) {
            ++reported;
            lastReportNs = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
        },
        Qt::DirectConnection);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOnline, &page,
                     &VexaTool::DeviceDisplayPage::onDeviceLogin);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOffline, &page,
                     &VexaTool::DeviceDisplayPage::onDeviceLogout);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, &page,
                     &VexaTool::DeviceDisplayPage::onDeviceUpdate);

    const size_t heapBefore = heapInUse();
    const long rssBefore = residentBytes();
    double listedMs = -1;
    double maxStallMs = 0;
    double cpuAtListed = -1;
    double maxBusyMs = 0; // of a stall, the time the GUI thread itself ran (the rest it waited for a core)
    double lastBeatCpu = threadCpuMs();
    Clock::time_point lastBeat = Clock::now();
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(2);
    QObject::connect(&heartbeat, &QTimer::timeout, &app, [&] {
        const Clock::time_point now = Clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - lastBeat).count();
        const double cpu = threadCpuMs();
        const double busy = cpu - lastBeatCpu;
        if (gap > 50 && qEnvironmentVariableIsSet("VEXA_BENCH_TRACE"))
            std::fprintf(stderr, "stall %.1f ms (busy %.1f) ending at %.1f ms, %d rows, %d waiting\n", gap, busy,
                         msSince(start), page.model()->rowCount(), page.pendingDeviceEvents());
        maxStallMs = std::max(maxStallMs, gap);
        maxBusyMs = std::max(maxBusyMs, busy);
        lastBeat = now;
        lastBeatCpu = cpu;
        if (listedMs < 0 && page.model()->rowCount() >= rowsExpected)
            listedMs = msSince(start);
    });
    QObject::connect(page.model(), &QAbstractItemModel::rowsInserted, &app, [&] {
        if (listedMs < 0 && page.model()->rowCount() >= rowsExpected) {
            listedMs = msSince(start);
            cpuAtListed = threadCpuMs();
        }
    });
    heartbeat.start();
    lastBeat = Clock::now();
    lastBeatCpu = threadCpuMs();
    const double cpuAtStart = threadCpuMs();
    handler->start();
    {
        QEventLoop loop;
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        QObject::connect(page.model(), &QAbstractItemModel::rowsInserted, &loop, [&] {
            if (page.model()->rowCount() >= rowsExpected)
                loop.quit();
        });
        loop.exec();
    }
    // Late repeats and the repaint after the last row belong to the window too.
    runFor(500);
    const double listMaxStallMs = maxStallMs;
    const double listMaxBusyMs = maxBusyMs;

    // The sign-in: every ONVIF row's details, from the moment the login is handed over.
    double detailsMs = -1;
    double signInMaxStallMs = 0;
    double signInMaxBusyMs = 0;
    int detailsRead = 0;
    if (onvif > 0) {
        maxStallMs = 0;
        maxBusyMs = 0;
        const Clock::time_point signInStart = Clock::now();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            detailsRead = page.model()->onvifRowsIn(VEXA_DETAILS_READ);
            if (detailsRead >= onvif) {
                detailsMs = msSince(signInStart);
                loop.quit();
            }
        });
        poll.start(20);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        VEXA::OnvifLogin::instance().set(QStringLiteral("admin"), QStringLiteral("Camera-2024"));
        loop.exec();
        runFor(300);
        signInMaxStallMs = maxStallMs;
        signInMaxBusyMs = maxBusyMs;
    }
    heartbeat.stop();
    const int listed = page.model()->rowCount();
    const size_t heapAfter = heapInUse();
    const long rssAfter = residentBytes();

    // The model alone, fed directly: its own cost per row, without the library's records of the devices.
    double modelPerDevice = 0;
    double modelAddUs = 0;
    double modelRemoveMs = 0;
    double modelSortMs = 0;
    double modelEmptyMs = 0;
    {
        QVector<VEXA_DEVICE_MY_INFO> records;
        VEXA::DeviceStore::instance()->copyAll(records);
        const size_t before = heapInUse();
        auto model = std::make_unique<VexaTool::DeviceInfoModel>(nullptr, dir.filePath(QStringLiteral("C2.xml")));
        const double cpuBefore = threadCpuMs();
        for (const VEXA_DEVICE_MY_INFO& record : records)
            model->addDevice(record);
        modelAddUs = records.isEmpty() ? 0.0 : (threadCpuMs() - cpuBefore) * 1000.0 / records.size();
        modelPerDevice = records.isEmpty() ? 0.0 : double(heapInUse() - before) / records.size();
        // Then a fiftieth of the devices go, spread over the list, the rest are sorted by address, and all go.
        const Clock::time_point goneStart = Clock::now();
        int gone = 0;
        for (int i = 0; i < records.size(); i += 50, ++gone)
            model->removeDevice(records.at(i));
        modelRemoveMs = gone ? msSince(goneStart) / gone : 0.0;
        const Clock::time_point sortStart = Clock::now();
        model->sort(model->columnOf(VexaTool::DeviceInfoModel::KindIpv4Address), Qt::AscendingOrder);
        modelSortMs = msSince(sortStart);
        const Clock::time_point emptyStart = Clock::now();
        model->removeRows(0, model->rowCount());
        modelEmptyMs = msSince(emptyStart);
    }

    // Export of every row.
    QList<int> rows;
    for (int r = 0; r < listed; ++r)
        rows << r;
    VexaTool::ExcelManager excel;
    Clock::time_point exportStart = Clock::now();
    const bool exported = excel.exportRows(QStringLiteral("all"), dir.path() + QLatin1Char('/'), page.model(), rows);
    const double exportMs = msSince(exportStart);
    const qint64 exportBytes = QFileInfo(dir.filePath(QStringLiteral("all.xls"))).size();

    // A click on the address column's header: the view sorts, and the page sorts once more.
    const Clock::time_point sortStart = Clock::now();
    const double sortCpuStart = threadCpuMs();
    page.tableView()->header()->sectionClicked(page.model()->columnOf(VexaTool::DeviceInfoModel::KindIpv4Address));
    const double sortMs = msSince(sortStart);
    const double sortCpuMs = threadCpuMs() - sortCpuStart;

    // One more tick with a thousand rows ticked already.
    QObject::disconnect(page.model(), &QStandardItemModel::itemChanged, &page,
                        &VexaTool::DeviceDisplayPage::onItemCheckChanged);
    const int check = page.model()->columnOf(VexaTool::DeviceInfoModel::KindCheck);
    for (int r = 0; r < std::min(1000, listed - 1); ++r)
        page.model()->item(r, check)->setCheckState(Qt::Checked);
    QObject::connect(page.model(), &QStandardItemModel::itemChanged, &page,
                     &VexaTool::DeviceDisplayPage::onItemCheckChanged);
    const Clock::time_point tickStart = Clock::now();
    if (listed > 1)
        page.model()->item(listed - 1, check)->setCheckState(Qt::Checked);
    const double tickMs = msSince(tickStart);

    // What the page's model and the store hold: freed by emptying both. Emptying the model after the sort above is
    // what Refresh does after a sort, so it is timed too.
    const size_t heapFull = heapInUse();
    const Clock::time_point emptyStart = Clock::now();
    page.model()->removeRows(0, page.model()->rowCount());
    const double emptyMs = msSince(emptyStart);
    VEXA::DeviceStore::instance()->clear();
    const double listPerDevice = listed ? double(heapFull - heapInUse()) / listed : 0.0;

    simulator.terminate();
    simulator.waitForFinished(10000);
    handler->stop();

    std::printf(
        "{\"devices\":%d,\"trusted\":%s,\"listed\":%d,\"library_reported\":%d,\"library_last_ms\":%.1f,"
        "\"listed_last_ms\":%.1f,\"gui_added_ms\":%.1f,\"max_gui_stall_ms\":%.1f,\"max_gui_busy_ms\":%.1f,"
        "\"heap_per_device_bytes\":%.0f,\"rss_per_device_bytes\":%.0f,\"model_heap_per_device_bytes\":%.0f,"
        "\"model_and_store_per_device_bytes\":%.0f,\"gui_cpu_ms\":%.1f,\"model_add_cpu_us\":%.1f,"
        "\"export_ok\":%s,\"export_ms\":%.1f,\"export_bytes\":%lld,\"tick_report_1000_ticked_ms\":%.1f,"
        "\"sort_by_address_ms\":%.1f,\"sort_by_address_cpu_ms\":%.1f,\"empty_after_sort_ms\":%.1f,\"model_remove_ms_"
        "per_row\":%.2f,\"model_sort_after_removals_ms\":%.1f,\"model_empty_after_sort_ms\":%.1f,\"onvif\":%d,"
        "\"onvif_details_read\":%d,"
        "\"onvif_details_ms\":%.1f,\"sign_in_max_gui_stall_ms\":%.1f,\"sign_in_max_gui_busy_ms\":%.1f}\n",
        count, trusted ? "true" : "false", listed, reported.load(), lastReportNs.load() / 1e6, listedMs,
        listedMs - lastReportNs.load() / 1e6, listMaxStallMs, listMaxBusyMs,
        listed ? double(heapAfter - heapBefore) / listed : 0.0, listed ? double(rssAfter - rssBefore) / listed : 0.0,
        modelPerDevice, listPerDevice, cpuAtListed - cpuAtStart, modelAddUs, exported ? "true" : "false", exportMs,
        static_cast<long long>(exportBytes), tickMs, sortMs, sortCpuMs, emptyMs, modelRemoveMs, modelSortMs,
        modelEmptyMs, onvif, detailsRead, detailsMs, signInMaxStallMs, signInMaxBusyMs);
    return listed == rowsExpected && exported && detailsRead >= onvif ? 0 : 1;
}
