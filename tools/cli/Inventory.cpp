// vexa inventory: one row per device and media profile, what a video management system imports.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "Commands.h"
#include "DeviceCollector.h"
#include "SafeText.h"
#include "deployment/CsvWriter.h"
#include "deployment/FieldText.h"
#include "deployment/PlanValidator.h"
#include "vexa.h"

namespace cli {

namespace {

using VexaTool::plan::fieldText;

// Columns in order; the user name column only when asked for.
const char* const kColumns[] = {
    "Maker",      "Model",      "Serial Number",    "MAC",          "Firmware",           "Address",
    "HTTP Port",  "RTSP Port",  "Clock Offset",     "Profile",      "Encoding",           "Resolution",
    "Frame Rate", "Stream URI", "Stream URI Given", "Snapshot URI", "Snapshot URI Given", "Sign-in",
    "Protocol",   "Note"};
constexpr size_t kUserColumn = 18; // after "Sign-in"

struct Row {
    std::vector<std::string> cells; // as kColumns
};

// UTF-8 throughout: an older device's Latin-1 bytes converted, as in the plan files.
template <size_t N>
std::string deviceText(const char (&field)[N]) {
    return VexaTool::plan::deviceTextUtf8(fieldText(field));
}

std::string signIn(const VEXA_DEVICE_INFO& d) {
    if (can(d, VEXA_HAS_ACTIVATION_STATE))
        return d.activationState == 0 ? "activated" : "not activated";
    if (d.detailsState == VEXA_DETAILS_NEED_LOGIN)
        return "login needed";
    if (!detailsRead(d))
        return detailsText(d.detailsState);
    return (d.onvifFlags & VEXA_ONVIF_LOGIN_GIVEN) ? "signed in" : "read without login";
}

std::vector<std::string> deviceCells(const VEXA_DEVICE_INFO& d) {
    return {can(d, VEXA_DETAILS_READ_LATER) ? deviceText(d.manufacturer) : std::string(),
            deviceText(d.deviceTypeName),
            deviceText(d.serialNo),
            deviceText(d.mac),
            deviceText(d.softwareVersion),
            deviceText(d.ipv4Address),
            d.httpPort ? std::to_string(d.httpPort) : std::string(),
            d.rtspPort ? std::to_string(d.rtspPort) : std::string(),
            std::string(),
            std::string(),
            std::string(),
            std::string(),
            std::string(),
            std::string(),
            std::string(),
            std::string(),
            std::string(),
            signIn(d),
            protocolName(d),
            std::string()};
}

void note(Row& row, const std::string& text) {
    std::string& cell = row.cells.back();
    if (!text.empty())
        cell += (cell.empty() ? "" : "; ") + text;
}

// The rows of one device: one per profile, or one saying why there are none.
std::vector<Row> rowsOf(const VEXA_DEVICE_INFO& d) {
    Row base{deviceCells(d)};
    if (!can(d, VEXA_CAN_READ_MEDIA))
        return {base};
    if (!detailsRead(d)) {
        char refusal[256] = "";
        VEXA_GetOnvifRefusal(fieldText(d.endpointReference).c_str(), refusal, sizeof refusal);
        note(base, refusal);
        return {base};
    }
    if (d.detailsState == VEXA_DETAILS_PARTIAL)
        note(base, detailsNote(d));
    const std::string name = fieldText(d.endpointReference);
    VEXA_MEDIA_INFO info{};
    std::vector<VEXA_MEDIA_PROFILE> profiles(32);
    if (!VEXA_GetOnvifMedia(name.c_str(), &info, profiles.data(), static_cast<uint32_t>(profiles.size()))) {
        const uint32_t code = VEXA_GetLastError();
        char detail[512] = "";
        VEXA_GetLastErrorDetail(detail, sizeof detail);
        note(base, std::string("media not read: ") + errorSentence(code) +
                       (detail[0] ? std::string(" (") + detail + ")" : ""));
        return {base};
    }
    if (info.clockKnown)
        base.cells[8] = std::to_string(info.clockOffset);
    note(base, fieldText(info.note));
    if (info.profileCount == 0)
        return {base};
    std::vector<Row> rows;
    for (uint32_t i = 0; i < std::min<uint32_t>(info.profileCount, static_cast<uint32_t>(profiles.size())); ++i) {
        const VEXA_MEDIA_PROFILE& p = profiles[i];
        Row row = base;
        row.cells[9] = deviceText(p.name).empty() ? deviceText(p.token) : deviceText(p.name);
        row.cells[10] = deviceText(p.encoding);
        row.cells[11] = p.width && p.height ? std::to_string(p.width) + "x" + std::to_string(p.height) : "";
        row.cells[12] = p.frameRate ? std::to_string(p.frameRate) : "";
        row.cells[13] = deviceText(p.streamUri);
        row.cells[14] = deviceText(p.streamUriOriginal);
        row.cells[15] = deviceText(p.snapshotUri);
        row.cells[16] = deviceText(p.snapshotUriOriginal);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

int inventory(const std::vector<std::string>& args) {
    enum class Format { Table, Json, Csv } format = Format::Table;
    double seconds = 3.0;
    std::string user;
    bool userColumn = false;
    unsigned workers = 64;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            format = Format::Json;
        } else if (args[i] == "--csv") {
            format = Format::Csv;
        } else if (args[i] == "--user-column") {
            userColumn = true;
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(args[++i], seconds))
                return 2;
        } else if (args[i] == "--user" && i + 1 < args.size()) {
            user = args[++i];
        } else if (args[i] == "--workers" && i + 1 < args.size()) {
            workers = static_cast<unsigned>(std::clamp(std::atoi(args[++i].c_str()), 1, 256));
        } else {
            std::fprintf(stderr, "vexa inventory: unknown option %s\n", args[i].c_str());
            return 2;
        }
    }
    std::string password = user.empty() ? std::string() : readSecretFrom("VEXA_PASSWORD");
    DeviceCollector collector;
    const bool started = startDiscovery(&DeviceCollector::callback, &collector, user, password);
    std::fill(password.begin(), password.end(), '\0');
    if (!started)
        return 1;
    listenFor(seconds);
    std::vector<VEXA_DEVICE_INFO> devices;
    {
        std::lock_guard<std::mutex> lock(collector.mutex);
        for (const auto& [key, info] : collector.devices)
            devices.push_back(info);
    }
    // Media reads block on each device: many at once, each worker one device at a time.
    std::vector<std::vector<Row>> rows(devices.size());
    std::atomic<size_t> next{0};
    std::vector<std::thread> pool;
    for (unsigned w = 0; w < std::min<size_t>(workers, devices.size()); ++w)
        pool.emplace_back([&] {
            for (size_t i; (i = next++) < devices.size();)
                rows[i] = rowsOf(devices[i]);
        });
    for (std::thread& t : pool)
        t.join();
    VEXA_Stop();

    std::vector<size_t> order(devices.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // By address, numerically, so that a site reads in order.
    const auto addressKey = [&](size_t i) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        std::sscanf(fieldText(devices[i].ipv4Address).c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
        return (static_cast<uint64_t>(a) << 24) | (b << 16) | (c << 8) | d;
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return addressKey(x) < addressKey(y); });

    std::vector<std::string> header(std::begin(kColumns), std::end(kColumns));
    if (userColumn)
        header.insert(header.begin() + kUserColumn, "User");
    size_t count = 0;
    VexaTool::plan::CsvWriter csv(VexaTool::plan::CsvWriter::Options{false, true});
    nlohmann::ordered_json json = nlohmann::ordered_json::array();
    if (format == Format::Csv)
        csv.addRow(header);
    for (const size_t i : order) {
        for (Row& row : rows[i]) {
            ++count;
            if (userColumn)
                row.cells.insert(row.cells.begin() + kUserColumn, user);
            if (format == Format::Csv) {
                for (std::string& cell : row.cells)
                    cell = markedText(cell);
                csv.addRow(row.cells);
            } else if (format == Format::Json) {
                nlohmann::ordered_json object = nlohmann::ordered_json::object();
                for (size_t c = 0; c < header.size(); ++c)
                    object[header[c]] = row.cells[c];
                json.push_back(std::move(object));
            } else {
                std::printf("%-15s %-12s %-10s %-9s %-10s %s\n", terminalText(row.cells[5]).c_str(),
                            terminalText(row.cells[1]).c_str(), terminalText(row.cells[9]).c_str(),
                            terminalText(row.cells[10]).c_str(), terminalText(row.cells[11]).c_str(),
                            terminalText(row.cells[13]).c_str());
            }
        }
    }
    if (format == Format::Csv)
        std::fwrite(csv.data().data(), 1, csv.data().size(), stdout);
    else if (format == Format::Json)
        std::printf("%s\n",
                    inertJson(json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)).c_str());
    std::fprintf(stderr, "vexa: %zu devices, %zu rows\n", devices.size(), count);
    return 0;
}

} // namespace cli
