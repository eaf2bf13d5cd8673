// vexa inventory: one row per device and media profile, what a video management system imports.

#include "deployment/Inventory.h"

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
using VexaTool::plan::Inventory;
using VexaTool::plan::InventoryDevice;
using VexaTool::plan::InventoryMedia;

using Row = std::vector<std::string>;

// UTF-8 throughout: an older device's Latin-1 bytes converted, as in the plan files.
template <size_t N>
std::string deviceText(const char (&field)[N]) {
    return VexaTool::plan::deviceTextUtf8(fieldText(field));
}

InventoryDevice deviceOf(const VEXA_DEVICE_INFO& d) {
    InventoryDevice device;
    device.maker = can(d, VEXA_DETAILS_READ_LATER) ? deviceText(d.manufacturer) : std::string();
    device.model = deviceText(d.deviceTypeName);
    device.serialNo = deviceText(d.serialNo);
    device.mac = deviceText(d.mac);
    device.firmware = deviceText(d.softwareVersion);
    device.address = deviceText(d.ipv4Address);
    device.httpPort = d.httpPort;
    device.rtspPort = d.rtspPort;
    device.signIn =
        Inventory::signInState(can(d, VEXA_HAS_ACTIVATION_STATE), d.activationState, can(d, VEXA_DETAILS_READ_LATER),
                               d.detailsState, d.onvifFlags & VEXA_ONVIF_LOGIN_GIVEN);
    device.protocol = protocolName(d);
    return device;
}

// The media read of one device; each read stands alone, so a failure only empties its own fields.
InventoryMedia mediaOf(const VEXA_DEVICE_INFO& d) {
    InventoryMedia media;
    if (!can(d, VEXA_CAN_READ_MEDIA))
        return media;
    const std::string name = fieldText(d.endpointReference);
    if (!detailsRead(d)) {
        char refusal[256] = "";
        VEXA_GetOnvifRefusal(name.c_str(), refusal, sizeof refusal);
        media.state = InventoryMedia::State::Refused;
        media.failure = fieldText(refusal);
        return media;
    }
    media.profiles.resize(32);
    if (!VEXA_GetOnvifMedia(name.c_str(), &media.info, media.profiles.data(),
                            static_cast<uint32_t>(media.profiles.size()))) {
        const uint32_t code = VEXA_GetLastError();
        char detail[512] = "";
        VEXA_GetLastErrorDetail(detail, sizeof detail);
        media.state = InventoryMedia::State::Failed;
        media.failure = std::string(errorSentence(code)) + (detail[0] ? std::string(" (") + detail + ")" : "");
        return media;
    }
    media.state = InventoryMedia::State::Read;
    return media;
}

std::vector<Row> rowsOf(const VEXA_DEVICE_INFO& d, bool userColumn, const std::string& user) {
    InventoryDevice device = deviceOf(d);
    if (d.detailsState == VEXA_DETAILS_PARTIAL)
        device.note = detailsNote(d);
    return Inventory::rows(device, mediaOf(d), userColumn, user);
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
                rows[i] = rowsOf(devices[i], userColumn, user);
        });
    for (std::thread& t : pool)
        t.join();
    VEXA_Stop();

    std::vector<size_t> order(devices.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // By address, numerically, so that a site reads in order.
    const auto addressKey = [&](size_t i) { return Inventory::addressOrder(fieldText(devices[i].ipv4Address)); };
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return addressKey(x) < addressKey(y); });

    const std::vector<std::string> header = Inventory::header(userColumn);
    size_t count = 0;
    VexaTool::plan::CsvWriter csv(VexaTool::plan::CsvWriter::Options{false, true});
    nlohmann::ordered_json json = nlohmann::ordered_json::array();
    if (format == Format::Csv)
        csv.addRow(header);
    for (const size_t i : order) {
        for (Row& row : rows[i]) {
            ++count;
            if (format == Format::Csv) {
                for (std::string& cell : row)
                    cell = markedText(cell);
                csv.addRow(row);
            } else if (format == Format::Json) {
                nlohmann::ordered_json object = nlohmann::ordered_json::object();
                for (size_t c = 0; c < header.size(); ++c)
                    object[header[c]] = row[c];
                json.push_back(std::move(object));
            } else {
                std::printf("%-15s %-12s %-10s %-9s %-10s %s\n", terminalText(row[5]).c_str(),
                            terminalText(row[1]).c_str(), terminalText(row[9]).c_str(), terminalText(row[10]).c_str(),
                            terminalText(row[11]).c_str(), terminalText(row[13]).c_str());
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
