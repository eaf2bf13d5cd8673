// Deployment plans and the quick filter at site scale; prints one JSON object per size.
//
//     build/bin/vexa_bench_plan [--count N]...      (default: 1000 and 10000)
//
// plan: parse a CSV plan of N rows, check it against N planned and N more listed devices, build the records.
// filter: a device table of N rows behind the filter proxy; typing two words, devices arriving while the
// filter is on, and clearing it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>

#include "deployment/CsvWriter.h"
#include "deployment/DeploymentPlan.h"
#include "deployment/PlanValidator.h"
#include "devicelist/DeviceFilterProxyModel.h"

using namespace VexaTool;

namespace {

std::string address(int i, int net) {
    return "127." + std::to_string(net) + "." + std::to_string(i / 250) + "." + std::to_string(1 + i % 250);
}

std::string mac(int i) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "02-56-%02x-%02x-%02x-%02x", (i >> 24) & 0xff, (i >> 16) & 0xff,
                  (i >> 8) & 0xff, i & 0xff);
    return buffer;
}

double ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void benchPlan(int n) {
    std::vector<plan::PlanDevice> devices;
    for (int i = 0; i < 2 * n; ++i) {
        plan::PlanDevice d;
        d.serial = "VXIPC" + std::to_string(100000 + i);
        d.mac = mac(i);
        d.ipv4 = address(i, 17);
        d.activated = true;
        d.capabilities = VEXA_DeviceCapabilities(VEXA_PROTOCOL_VEXA);
        d.httpPort = 80;
        d.rtspPort = 554;
        devices.push_back(d);
    }
    plan::CsvWriter writer;
    writer.addRow({"Serial Number", "MAC", "IP Address", "Subnet Mask", "Gateway", "Device Name", "Port"});
    for (int i = 0; i < n; ++i)
        writer.addRow({i % 2 ? devices[static_cast<size_t>(i)].serial : "",
                       i % 2 ? "" : devices[static_cast<size_t>(i)].mac, address(i, 60), "255.255.0.0",
                       "127.60.255.254", "Site B, camera " + std::to_string(i), std::to_string(8000 + i % 100)});

    QElapsedTimer timer;
    timer.start();
    const plan::DeploymentPlan parsed = plan::DeploymentPlan::parse(writer.data());
    const double parseMs = ms(timer);
    timer.restart();
    const plan::PlanCheck check = plan::validatePlan(parsed, devices);
    const double checkMs = ms(timer);
    timer.restart();
    const auto changes = plan::plannedChanges(parsed, check, devices);
    const double buildMs = ms(timer);
    std::printf("{\"bench\":\"plan\",\"rows\":%d,\"devices\":%d,\"bytes\":%zu,\"ok\":%s,\"changes\":%zu,"
                "\"parse_ms\":%.2f,\"check_ms\":%.2f,\"records_ms\":%.2f}\n",
                n, 2 * n, writer.data().size(), check.ok() ? "true" : "false", changes.size(), parseMs, checkMs,
                buildMs);
}

QList<QStandardItem*> row(int i) {
    QList<QStandardItem*> items;
    auto* check = new QStandardItem(QString::number(i + 1));
    check->setCheckable(true);
    items << check << new QStandardItem(i % 3 ? QStringLiteral("IPC-D200") : QStringLiteral("NVR-800"))
          << new QStandardItem(QString::fromStdString(address(i, 17)))
          << new QStandardItem(QStringLiteral("VXIPC%1").arg(100000 + i))
          << new QStandardItem(QString::fromStdString(mac(i))) << new QStandardItem(QStringLiteral("camera %1").arg(i))
          << new QStandardItem(QStringLiteral("V5.5.%1").arg(i % 40)) << new QStandardItem(QStringLiteral("Yes"));
    return items;
}

void benchFilter(int n) {
    QStandardItemModel source(0, 8);
    for (int i = 0; i < n; ++i)
        source.appendRow(row(i));
    DeviceFilterProxyModel proxy;
    proxy.setSourceModel(&source);
    proxy.setFilterColumns({1, 2, 3, 4, 5});
    (void)proxy.rowCount(); // the proxy maps lazily: build the unfiltered mapping first
    QElapsedTimer timer;
    timer.start();
    proxy.setFilterWords(QStringLiteral("ipc 17.0.1"));
    const int shown = proxy.rowCount();
    const double typeMs = ms(timer);
    const int arrivals = 1000;
    timer.restart();
    for (int i = n; i < n + arrivals; ++i)
        source.appendRow(row(i));
    const double arriveMs = ms(timer);
    timer.restart();
    proxy.setFilterWords(QString());
    const int afterClear = proxy.rowCount();
    const double clearMs = ms(timer);
    std::printf("{\"bench\":\"filter\",\"rows\":%d,\"shown\":%d,\"filter_ms\":%.2f,\"arrivals\":%d,"
                "\"arrival_us_each\":%.1f,\"clear_ms\":%.2f,\"after_clear\":%d}\n",
                n, shown, typeMs, arrivals, arriveMs * 1000.0 / arrivals, clearMs, afterClear);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--count")
            counts.push_back(std::atoi(argv[++i]));
    }
    if (counts.empty())
        counts = {1000, 10000};
    for (const int n : counts) {
        benchPlan(n);
        benchFilter(n);
    }
    return 0;
}
