#include "preview/InventoryRun.h"

#include <algorithm>
#include <atomic>
#include <numeric>

#include "deployment/FieldText.h"
#include "deployment/PlanValidator.h"
#include "discovery/DeviceCall.h"
#include "outcome/ErrorText.h"
#include "vexa.h"

namespace VexaTool {

namespace {

template <std::size_t N>
std::string text(const char (&field)[N]) {
    return plan::deviceTextUtf8(plan::fieldText(field));
}

// The name the library knows a device by: an ONVIF device's endpoint reference, else its serial number.
std::string nameOf(const VEXA_DEVICE_MY_INFO& record) {
    const std::string endpoint = plan::fieldText(record.endpointReference);
    return endpoint.empty() ? plan::fieldText(record.serialNo) : endpoint;
}

// Profiles beyond these are counted, not listed; a site's camera has a handful.
constexpr uint32_t kProfileCapacity = 32;

} // namespace

InventoryRun::InventoryRun(int workers, QObject* parent)
    : QObject(parent) {
    m_pool.setMaxThreadCount(workers);
}

InventoryRun::~InventoryRun() {
    if (m_stop)
        m_stop->store(true);
    m_pool.waitForDone();
}

plan::InventoryDevice InventoryRun::deviceOf(const VEXA_DEVICE_MY_INFO& record) {
    const bool onvif = can(record, VEXA_DETAILS_READ_LATER);
    plan::InventoryDevice device;
    device.maker = onvif ? text(record.manufacturer) : std::string();
    device.model = text(record.deviceTypeName);
    device.serialNo = text(record.serialNo);
    device.mac = text(record.mac);
    device.firmware = text(record.softwareVersion);
    device.address = text(record.ipv4Address);
    device.httpPort = static_cast<uint32_t>(std::max(record.httpPort, 0));
    device.rtspPort = record.rtspPort;
    device.signIn =
        plan::Inventory::signInState(can(record, VEXA_HAS_ACTIVATION_STATE), record.activationState, onvif,
                                     record.detailsState, (record.onvifFlags & VEXA_ONVIF_LOGIN_GIVEN) != 0);
    device.protocol = record.protocol == VEXA_PROTOCOL_ONVIF ? "onvif" : "vexa";
    return device;
}

plan::InventoryMedia InventoryRun::readMedia(const VEXA_DEVICE_MY_INFO& record) {
    plan::InventoryMedia media;
    const std::string name = nameOf(record);
    if (can(record, VEXA_CAN_READ_CLOCK)) {
        VEXA_CLOCK_INFO clock{};
        if (VEXA_GetDeviceClock(name.c_str(), &clock) && (clock.flags & VEXA_CLOCK_READ)) {
            media.clockRead = true;
            media.clockOffset = clock.offsetSeconds;
        }
    }
    if (!can(record, VEXA_CAN_READ_MEDIA))
        return media;
    if (!detailsRead(record)) {
        char refusal[256] = "";
        VEXA_GetOnvifRefusal(name.c_str(), refusal, sizeof refusal);
        media.state = plan::InventoryMedia::State::Refused;
        media.failure = plan::deviceTextUtf8(plan::fieldText(refusal));
        return media;
    }
    media.profiles.resize(kProfileCapacity);
    if (!VEXA_GetOnvifMedia(name.c_str(), &media.info, media.profiles.data(), kProfileCapacity)) {
        const uint32_t code = VEXA_GetLastError();
        char detail[512] = "";
        VEXA_GetLastErrorDetail(detail, sizeof detail);
        media.state = plan::InventoryMedia::State::Failed;
        media.failure = ErrorText::sentence(code).toStdString();
        if (detail[0])
            media.failure += " (" + plan::deviceTextUtf8(plan::fieldText(detail)) + ")";
        media.profiles.clear();
        return media;
    }
    media.state = plan::InventoryMedia::State::Read;
    // A thousand devices keep only the profiles they have.
    media.profiles.resize(std::min(media.info.profileCount, kProfileCapacity));
    media.profiles.shrink_to_fit();
    return media;
}

void InventoryRun::start(const QVector<VEXA_DEVICE_MY_INFO>& records) {
    if (m_stop)
        m_stop->store(true);
    m_stop = std::make_shared<std::atomic_bool>(false);
    const int generation = ++m_generation;
    m_records = records;
    m_media.assign(static_cast<size_t>(records.size()), plan::InventoryMedia{});
    m_detailsNotes.assign(static_cast<size_t>(records.size()), std::string());
    m_done = 0;
    m_running = true;
    emit progress(0, total());
    if (records.isEmpty()) {
        m_running = false;
        emit finished(false);
        return;
    }
    for (int i = 0; i < records.size(); ++i) {
        struct Result {
            plan::InventoryMedia media;
            std::string detailsNote;
        };
        const VEXA_DEVICE_MY_INFO record = records.at(i);
        runDeviceCall(
            this,
            [record, stop = m_stop] {
                Result result;
                if (stop->load())
                    return result;
                if (record.detailsState == VEXA_DETAILS_PARTIAL) {
                    char note[512] = "";
                    VEXA_GetOnvifDetailsNote(plan::fieldText(record.endpointReference).c_str(), note, sizeof note);
                    result.detailsNote = plan::deviceTextUtf8(plan::fieldText(note));
                }
                result.media = readMedia(record);
                return result;
            },
            [this, i, generation](Result result) {
                if (generation != m_generation)
                    return;
                m_media[static_cast<size_t>(i)] = std::move(result.media);
                m_detailsNotes[static_cast<size_t>(i)] = std::move(result.detailsNote);
                ++m_done;
                emit progress(m_done, total());
                if (m_done == total()) {
                    m_running = false;
                    emit finished(m_stop->load());
                }
            },
            &m_pool);
    }
}

void InventoryRun::stop() {
    if (m_stop)
        m_stop->store(true);
}

std::vector<std::vector<std::string>> InventoryRun::rows(bool userColumn, const std::string& user) const {
    std::vector<size_t> order(static_cast<size_t>(m_records.size()));
    std::iota(order.begin(), order.end(), size_t{0});
    std::vector<uint32_t> keys(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        keys[i] = plan::Inventory::addressOrder(plan::fieldText(m_records.at(static_cast<int>(i)).ipv4Address));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<std::vector<std::string>> out;
    for (const size_t i : order) {
        plan::InventoryDevice device = deviceOf(m_records.at(static_cast<int>(i)));
        device.note = m_detailsNotes[i];
        for (std::vector<std::string>& row : plan::Inventory::rows(device, m_media[i], userColumn, user))
            out.push_back(std::move(row));
    }
    return out;
}

} // namespace VexaTool
