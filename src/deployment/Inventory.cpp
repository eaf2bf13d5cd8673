#include "deployment/Inventory.h"

#include <algorithm>
#include <cstdio>

#include "deployment/CsvWriter.h"
#include "deployment/FieldText.h"
#include "deployment/PlanValidator.h"

namespace VexaTool::plan {

namespace {

const char* const kColumns[Inventory::ColumnCount] = {
    "Maker",      "Model",      "Serial Number",    "MAC",          "Firmware",           "Address",
    "HTTP Port",  "RTSP Port",  "Clock Offset",     "Profile",      "Encoding",           "Resolution",
    "Frame Rate", "Stream URI", "Stream URI Given", "Snapshot URI", "Snapshot URI Given", "Sign-in",
    "Protocol",   "Note"};

template <std::size_t N>
std::string text(const char (&field)[N]) {
    return deviceTextUtf8(fieldText(field));
}

std::string number(uint32_t value) {
    return value ? std::to_string(value) : std::string();
}

void addNote(std::vector<std::string>& row, const std::string& note) {
    std::string& cell = row[Inventory::Note];
    if (!note.empty())
        cell += (cell.empty() ? "" : "; ") + note;
}

} // namespace

std::vector<std::string> Inventory::header(bool userColumn) {
    std::vector<std::string> names(std::begin(kColumns), std::end(kColumns));
    if (userColumn)
        names.insert(names.begin() + SignIn + 1, "User");
    return names;
}

std::vector<std::vector<std::string>> Inventory::rows(const InventoryDevice& device, const InventoryMedia& media,
                                                      bool userColumn, const std::string& user) {
    std::vector<std::string> base(ColumnCount);
    base[Maker] = device.maker;
    base[Model] = device.model;
    base[SerialNo] = device.serialNo;
    base[Mac] = device.mac;
    base[Firmware] = device.firmware;
    base[Address] = device.address;
    base[HttpPort] = number(device.httpPort);
    base[RtspPort] = number(device.rtspPort);
    base[SignIn] = device.signIn;
    base[Protocol] = device.protocol;
    addNote(base, device.note);

    if (media.clockRead)
        base[ClockOffset] = std::to_string(media.clockOffset);
    else if (media.state == InventoryMedia::State::Read && media.info.clockKnown)
        base[ClockOffset] = std::to_string(media.info.clockOffset);

    std::vector<std::vector<std::string>> out;
    switch (media.state) {
    case InventoryMedia::State::NotAsked:
        break;
    case InventoryMedia::State::Refused:
        addNote(base, media.failure);
        break;
    case InventoryMedia::State::Failed:
        addNote(base, "media not read" + (media.failure.empty() ? std::string() : ": " + media.failure));
        break;
    case InventoryMedia::State::Read: {
        addNote(base, text(media.info.note));
        const size_t count = std::min<size_t>(media.info.profileCount, media.profiles.size());
        for (size_t i = 0; i < count; ++i) {
            const VEXA_MEDIA_PROFILE& p = media.profiles[i];
            std::vector<std::string> row = base;
            row[Profile] = text(p.name).empty() ? text(p.token) : text(p.name);
            row[Encoding] = text(p.encoding);
            row[Resolution] = p.width && p.height ? std::to_string(p.width) + "x" + std::to_string(p.height) : "";
            row[FrameRate] = number(p.frameRate);
            row[StreamUri] = text(p.streamUri);
            row[StreamUriGiven] = text(p.streamUriOriginal);
            row[SnapshotUri] = text(p.snapshotUri);
            row[SnapshotUriGiven] = text(p.snapshotUriOriginal);
            addNote(row, text(p.note));
            out.push_back(std::move(row));
        }
        break;
    }
    }
    if (out.empty())
        out.push_back(std::move(base));
    if (userColumn)
        for (std::vector<std::string>& row : out)
            row.insert(row.begin() + SignIn + 1, user);
    return out;
}

bool Inventory::isNumberColumn(const std::string& name) {
    return name == kColumns[HttpPort] || name == kColumns[RtspPort] || name == kColumns[ClockOffset] ||
           name == kColumns[FrameRate];
}

std::string Inventory::csv(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows,
                           bool byteOrderMark) {
    CsvWriter writer(CsvWriter::Options{byteOrderMark, true});
    writer.addRow(header);
    for (const std::vector<std::string>& row : rows)
        writer.addRow(row);
    return writer.data();
}

std::string Inventory::signInState(bool hasActivationState, uint8_t activationState, bool onvif, uint8_t detailsState,
                                   bool loginGiven) {
    if (hasActivationState)
        return activationState == 0 ? "activated" : "not activated";
    if (!onvif)
        return {};
    switch (detailsState) {
    case VEXA_DETAILS_READ:
    case VEXA_DETAILS_PARTIAL:
        return loginGiven ? "signed in" : "read without login";
    case VEXA_DETAILS_NEED_LOGIN:
        return "login needed";
    case VEXA_DETAILS_UNREACHABLE:
        return "unreachable";
    default:
        return "not read";
    }
}

uint32_t Inventory::addressOrder(const std::string& address) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (std::sscanf(address.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 ||
        c > 255 || d > 255)
        return 0;
    return (a << 24) | (b << 16) | (c << 8) | d;
}

} // namespace VexaTool::plan
