#include "fleet/FleetClocks.h"

#include "discovery/DeviceCall.h"
#include "fleet/DeviceFleet.h"

namespace VexaTool {

namespace {

bool libraryRead(const QByteArray& name, VEXA_CLOCK_INFO& out) {
    return VEXA_GetDeviceClock(name.constData(), &out) != 0;
}

bool readable(const VEXA_DEVICE_MY_INFO& record) {
    return can(record, VEXA_CAN_READ_CLOCK) && record.endpointReference[0] != '\0';
}

} // namespace

FleetClocks::FleetClocks(DeviceFleet* fleet, int readers, QObject* parent)
    : QObject(parent)
    , m_fleet(fleet)
    , m_reader(&libraryRead) {
    m_pool.setMaxThreadCount(std::max(1, readers));
    connect(fleet, &DeviceFleet::deviceAdded, this, &FleetClocks::onRecord);
    connect(fleet, &DeviceFleet::deviceUpdated, this, &FleetClocks::onRecord);
    connect(fleet, &DeviceFleet::cleared, this, [this] {
        // Reads under way come back and are dropped by the model (no such row); the waiting ones go.
        for (const QByteArray& endpoint : std::as_const(m_waiting))
            m_queued.remove(endpoint);
        m_waiting.clear();
        m_again.clear();
        m_details.clear();
    });
}

FleetClocks::~FleetClocks() {
    m_pool.waitForDone();
}

void FleetClocks::onRecord(const VEXA_DEVICE_MY_INFO& record) {
    if (!readable(record))
        return;
    const QByteArray endpoint = recordText(record.endpointReference).toUtf8();
    // Listed, or its details arrived: read. Every other report of a device already read changes nothing here.
    const auto known = m_details.constFind(endpoint);
    if (known != m_details.cend() && *known == record.detailsState)
        return;
    m_details.insert(endpoint, record.detailsState);
    readOne(endpoint);
}

void FleetClocks::read(const QStringList& endpoints) {
    const QSet<QString> wanted(endpoints.cbegin(), endpoints.cend());
    for (const VEXA_DEVICE_MY_INFO& record : m_fleet->records())
        if (readable(record) && wanted.contains(recordText(record.endpointReference)))
            readOne(recordText(record.endpointReference).toUtf8());
}

void FleetClocks::readAll() {
    for (const VEXA_DEVICE_MY_INFO& record : m_fleet->records())
        if (readable(record))
            readOne(recordText(record.endpointReference).toUtf8());
}

void FleetClocks::readOne(const QByteArray& endpoint) {
    // A read under way may have started before what the caller wants to see (a time just set): read once more.
    if (m_running.contains(endpoint)) {
        m_again.insert(endpoint);
        return;
    }
    if (m_queued.contains(endpoint))
        return;
    m_queued.insert(endpoint);
    m_waiting.append(endpoint);
    startReads();
}

void FleetClocks::startReads() {
    while (m_running.size() < m_pool.maxThreadCount() && !m_waiting.isEmpty()) {
        const QByteArray endpoint = m_waiting.takeFirst();
        m_running.insert(endpoint);
        runDeviceCall(
            this,
            [reader = m_reader, endpoint] {
                VEXA_CLOCK_INFO clock{};
                if (!reader(endpoint, clock))
                    clock.flags &= ~static_cast<uint32_t>(VEXA_CLOCK_READ);
                return clock;
            },
            [this, endpoint](const VEXA_CLOCK_INFO& clock) { onRead(endpoint, clock); }, &m_pool);
    }
}

void FleetClocks::onRead(const QByteArray& endpoint, const VEXA_CLOCK_INFO& clock) {
    m_running.remove(endpoint);
    m_queued.remove(endpoint);
    emit clockRead(QString::fromUtf8(endpoint), clock);
    if (m_again.remove(endpoint))
        readOne(endpoint);
    startReads();
}

} // namespace VexaTool
