#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "Commands.h"
#include "PlanCommands.h"
#include "SafeText.h"
#include "deployment/CsvWriter.h"
#include "deployment/FieldText.h"
#include "deployment/PlanValidator.h"
#include "vexa.h"

namespace cli {

namespace {

using VexaTool::plan::CsvWriter;

struct CsvPrinter {
    std::mutex mutex;
    unsigned found = 0;
    std::set<std::string> onvifPrinted; // an ONVIF device makes a plan row once its details are read
    std::set<std::string> onvifUnread;
    std::set<std::string> notActivated; // no plan may change them: left out, so that the list applies unchanged
};

// UTF-8, as devices keep texts; an older device's Latin-1 bytes are converted, so the file is UTF-8 throughout.
template <size_t N>
std::string text(const char (&field)[N]) {
    return markedText(VexaTool::plan::deviceTextUtf8(VexaTool::plan::fieldText(field)));
}

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* printer = static_cast<CsvPrinter*>(user);
    if (!info)
        return;
    if (can(*info, VEXA_DETAILS_READ_LATER)) {
        const std::string key = deviceKey(*info);
        std::lock_guard<std::mutex> lock(printer->mutex);
        if (info->eventType == VEXA_EVENT_GONE || detailsRead(*info))
            printer->onvifUnread.erase(key);
        else if (!printer->onvifPrinted.count(key))
            printer->onvifUnread.insert(key);
        if (info->eventType == VEXA_EVENT_GONE || !detailsRead(*info) || !printer->onvifPrinted.insert(key).second)
            return;
    } else if (info->eventType != VEXA_EVENT_NEW) {
        return;
    } else if (info->activationState != 0) {
        std::lock_guard<std::mutex> lock(printer->mutex);
        printer->notActivated.insert(deviceKey(*info));
        return;
    }
    // No byte-order mark on a stream; device texts are guarded against spreadsheet formulas.
    CsvWriter writer(CsvWriter::Options{false, true});
    writer.addRow({text(info->serialNo), text(info->mac), text(info->ipv4Address), text(info->ipv4SubnetMask),
                   text(info->ipv4Gateway), text(info->deviceName), std::to_string(info->port),
                   std::to_string(info->httpPort), std::to_string(info->rtspPort), info->dhcpEnabled ? "yes" : "no",
                   text(info->deviceTypeName), info->activationState == 0 ? "yes" : "no", text(info->softwareVersion)});
    std::lock_guard<std::mutex> lock(printer->mutex);
    ++printer->found;
    std::fwrite(writer.data().data(), 1, writer.data().size(), stdout);
    std::fflush(stdout);
}

} // namespace

bool wantsCsv(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--csv") != args.end();
}

int discoverCsv(const std::vector<std::string>& args) {
    double seconds = 3.0;
    std::string user;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--csv")
            continue;
        if (args[i] == "--user" && i + 1 < args.size()) {
            user = args[++i];
            continue;
        }
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(args[++i], seconds))
                return 2;
        } else {
            std::fprintf(stderr, "vexa discover: unknown option %s (--csv takes only --seconds and --user)\n",
                         args[i].c_str());
            return 2;
        }
    }
    CsvWriter header(CsvWriter::Options{false, false});
    header.addRow({"Serial Number", "MAC", "IPv4 Address", "Subnet Mask", "Gateway", "Device Name", "Port", "HTTP Port",
                   "RTSP Port", "DHCP", "Device Type", "Activated", "Software Version"});
    std::fwrite(header.data().data(), 1, header.data().size(), stdout);
    std::fflush(stdout);
    std::string password = user.empty() ? std::string() : readSecretFrom("VEXA_PASSWORD");
    CsvPrinter printer;
    const bool started = discoverFor(seconds, onDevice, &printer, user, password);
    std::fill(password.begin(), password.end(), '\0');
    if (!started)
        return 1;
    std::fprintf(stderr, "vexa: %u devices\n", printer.found);
    if (!printer.notActivated.empty())
        std::fprintf(stderr, "vexa: %zu devices left out: not activated (activate them, then list again)\n",
                     printer.notActivated.size());
    if (!printer.onvifUnread.empty())
        std::fprintf(
            stderr,
            "vexa: %zu ONVIF devices left out: their details could not be read (a login may be needed: --user)\n",
            printer.onvifUnread.size());
    return 0;
}

} // namespace cli
