#include "fleet/DeviceFleet.h"

#include <algorithm>
#include <cstring>

#include <QTimer>

#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"

namespace VexaTool {

namespace {

// A MAC as both protocols may write it, for finding the one device behind two answers.
QString macKey(const VEXA_DEVICE_MY_INFO& record) {
    return recordText(record.mac).toLower().replace(QLatin1Char(':'), QLatin1Char('-'));
}

bool byEndpoint(const VEXA_DEVICE_MY_INFO& record) {
    return can(record, VEXA_KNOWN_BY_ENDPOINT);
}

// A report that only claims something (a goodbye, another address) is not the device answering.
bool onlyClaims(const VEXA_DEVICE_MY_INFO& record) {
    return (record.onvifFlags & (VEXA_ONVIF_SAID_BYE | VEXA_ONVIF_ADDRESS_CLAIMED)) != 0;
}

} // namespace

DeviceFleet::DeviceFleet(QObject* parent)
    : QObject(parent) {
    m_turnTimer = new QTimer(this);
    m_turnTimer->setSingleShot(true);
    m_turnTimer->setInterval(0);
    connect(m_turnTimer, &QTimer::timeout, this, &DeviceFleet::onTurn);
}

DeviceFleet::~DeviceFleet() = default;

bool DeviceFleet::record(const DeviceKey& key, VEXA_DEVICE_MY_INFO& out) const {
    return !key.isNull() && VEXA::DeviceStore::instance()->get(key, out);
}

QVector<VEXA_DEVICE_MY_INFO> DeviceFleet::records() const {
    QVector<VEXA_DEVICE_MY_INFO> all;
    VEXA::DeviceStore::instance()->copyAll(all);
    return all;
}

int DeviceFleet::count() const {
    return VEXA::DeviceStore::instance()->count();
}

QStringList DeviceFleet::signInDevices() const {
    QStringList endpoints;
    for (const VEXA_DEVICE_MY_INFO& record : records()) {
        const QString endpoint = recordText(record.endpointReference);
        if (!endpoint.isEmpty())
            endpoints << endpoint;
    }
    return endpoints;
}

bool DeviceFleet::hasTwin(const DeviceKey& key) const {
    return std::find(m_twins.cbegin(), m_twins.cend(), key) != m_twins.cend();
}

QVector<DeviceKey> DeviceFleet::holdersOf(const QString& address) const {
    // A scan, asked once per plan check or batch, rather than an index that every listed device would pay for.
    QVector<DeviceKey> holders;
    if (address.isEmpty())
        return holders;
    for (const VEXA_DEVICE_MY_INFO& record : records()) {
        if (recordText(record.ipv4Address) == address)
            holders.append(deviceKeyOf(record));
    }
    return holders;
}

void DeviceFleet::clear() {
    // Reports still waiting are older than this, which forgets everything they would change.
    m_pending.clear();
    m_pendingNext = 0;
    {
        VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
        XRT_MutexGuard guard(store->lock());
        store->clear();
    }
    m_storedMacs.clear();
    m_storedTotal = 0;
    m_oursByMac.clear();
    m_onvifByMac.clear();
    m_twins.clear();
    m_twinRecords.clear();
    m_hiddenByMaker.clear();
    m_restarting.clear();
    emit cleared();
    emit countChanged();
}

void DeviceFleet::onDeviceOnline(VEXA_DEVICE_MY_INFO record) {
    if (!defer(Event::Online, record))
        online(record);
}

void DeviceFleet::onDeviceOffline(VEXA_DEVICE_MY_INFO record) {
    if (!m_hiddenByMaker.isEmpty() && m_hiddenByMaker.remove(keyText(deviceKeyOf(record)))) {
        emit countChanged();
        return;
    }
    if (!defer(Event::Offline, record))
        offline(record);
}

void DeviceFleet::onDeviceUpdate(VEXA_DEVICE_MY_INFO record) {
    if (!defer(Event::Update, record))
        update(record);
}

void DeviceFleet::onDeviceHiddenByMaker(VEXA_DEVICE_MY_INFO record) {
    m_hiddenByMaker.insert(keyText(deviceKeyOf(record)));
    emit countChanged();
}

bool DeviceFleet::defer(Event kind, const VEXA_DEVICE_MY_INFO& record) {
    if (m_eventSliceMs <= 0)
        return false;
    if (m_pending.isEmpty()) {
        // A burst of reports arrives as one long run of queued calls; the first of a run starts the clock, and the
        // turn timer, which fires once the run is through, stops it.
        if (!m_slice.isValid()) {
            m_slice.start();
            m_turnTimer->start();
        }
        if (m_slice.elapsed() < m_eventSliceMs)
            return false;
    }
    m_pending.append({kind, record});
    if (!m_turnTimer->isActive())
        m_turnTimer->start();
    return true;
}

void DeviceFleet::run(Event kind, const VEXA_DEVICE_MY_INFO& record) {
    switch (kind) {
    case Event::Online:
        online(record);
        break;
    case Event::Offline:
        offline(record);
        break;
    case Event::Update:
        update(record);
        break;
    }
}

void DeviceFleet::onTurn() {
    if (m_pending.isEmpty()) {
        m_slice.invalidate();
        return;
    }
    m_slice.start();
    while (m_pendingNext < m_pending.size() && m_slice.elapsed() < m_eventSliceMs) {
        // A copy: a slot reached from here (a refresh, say) may empty the queue.
        const PendingEvent event = m_pending.at(m_pendingNext++);
        run(event.kind, event.record);
    }
    if (m_pendingNext >= m_pending.size()) {
        m_pending.clear();
        m_pendingNext = 0;
        m_slice.invalidate();
    } else {
        m_turnTimer->start();
    }
}

void DeviceFleet::recount() {
    QVector<VEXA_DEVICE_MY_INFO> all;
    VEXA::DeviceStore::instance()->copyAll(all);
    m_storedMacs.clear();
    m_oursByMac.clear();
    m_onvifByMac.clear();
    for (const VEXA_DEVICE_MY_INFO& record : all) {
        const QString mac = macKey(record);
        if (byEndpoint(record)) {
            if (!mac.isEmpty())
                m_onvifByMac.insert(mac, recordText(record.endpointReference));
            continue;
        }
        ++m_storedMacs[recordText(record.mac)];
        m_oursByMac.insert(mac, deviceKeyOf(record));
    }
    m_storedTotal = static_cast<int>(all.size());
}

void DeviceFleet::forgetMac(const QString& mac) {
    auto found = m_storedMacs.find(mac);
    if (found == m_storedMacs.end())
        return;
    --m_storedTotal;
    if (--found.value() <= 0)
        m_storedMacs.erase(found);
}

DeviceKey DeviceFleet::listedKeyOf(const VEXA_DEVICE_MY_INFO& record) const {
    if (byEndpoint(record)) {
        VEXA_DEVICE_MY_INFO known;
        if (VEXA::DeviceStore::instance()->getByEndpoint(recordText(record.endpointReference), known))
            return deviceKeyOf(known);
    }
    return deviceKeyOf(record);
}

void DeviceFleet::online(const VEXA_DEVICE_MY_INFO& record) {
    if (byEndpoint(record)) {
        onlineByEndpoint(record);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    const QString mac = recordText(record.mac);
    {
        // The count per MAC mirrors the store (this is what adds to it and removes from it), so the test stays one
        // hash look-up however many devices are listed.
        XRT_MutexGuard guard(store->lock());
        // Someone else emptied or filled the store: count its MACs afresh (rare, and then once).
        if (m_storedTotal != store->count())
            recount();
        if (m_storedMacs.contains(mac)) {
            // A device we asked to restart announces itself again, perhaps at its new address: the same entry.
            const DeviceKey key = deviceKeyOf(record);
            if (m_restarting.contains(keyText(key)) && store->update(record)) {
                emit deviceUpdated(record);
                answered(key);
            }
            return;
        }
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_slot_add_") + recordText(record.ipv4Address);
        store->add(record);
        emit deviceAdded(record);
        ++m_storedMacs[mac];
        ++m_storedTotal;
        const QString twinMac = macKey(record);
        m_oursByMac.insert(twinMac, deviceKeyOf(record));
        // The same device was listed as an ONVIF device first: its entry gives way to ours.
        const QString endpoint = m_onvifByMac.value(twinMac);
        VEXA_DEVICE_MY_INFO other;
        if (!endpoint.isEmpty() && store->getByEndpoint(endpoint, other)) {
            emit deviceRemoved(other);
            if (store->remove(other))
                --m_storedTotal;
            m_onvifByMac.remove(twinMac);
            absorbTwin(other);
        }
    }
    emit countChanged();
}

void DeviceFleet::offline(const VEXA_DEVICE_MY_INFO& record) {
    if (byEndpoint(record)) {
        offlineByEndpoint(record);
        return;
    }
    const DeviceKey key = deviceKeyOf(record);
    if (const auto restart = m_restarting.find(keyText(key)); restart != m_restarting.end()) {
        restart->silent = true;
        return;
    }
    remove(record);
}

void DeviceFleet::remove(const VEXA_DEVICE_MY_INFO& record) {
    emit deviceRemoved(record);
    if (VEXA::DeviceStore::instance()->remove(record)) {
        forgetMac(recordText(record.mac));
        const QString mac = macKey(record);
        if (m_oursByMac.value(mac) == deviceKeyOf(record))
            m_oursByMac.remove(mac);
        releaseTwins(deviceKeyOf(record));
    }
    emit countChanged();
    emit keysChanged();
}

void DeviceFleet::update(const VEXA_DEVICE_MY_INFO& record) {
    if (byEndpoint(record)) {
        updateByEndpoint(record);
        return;
    }
    if (VEXA::DeviceStore::instance()->update(record)) {
        emit deviceUpdated(record);
        answered(deviceKeyOf(record));
    }
}

bool DeviceFleet::absorbTwin(const VEXA_DEVICE_MY_INFO& other) {
    const QString mac = macKey(other);
    const auto ours = m_oursByMac.constFind(mac);
    if (mac.isEmpty() || ours == m_oursByMac.cend())
        return false;
    const QString endpoint = recordText(other.endpointReference);
    m_twins.insert(endpoint, *ours);
    m_twinRecords.insert(endpoint, other);
    emit twinChanged(*ours, true);
    return true;
}

void DeviceFleet::releaseTwins(const DeviceKey& ours) {
    QVector<VEXA_DEVICE_MY_INFO> released;
    for (auto it = m_twins.begin(); it != m_twins.end();) {
        if (it.value() == ours) {
            released.append(m_twinRecords.take(it.key()));
            it = m_twins.erase(it);
        } else {
            ++it;
        }
    }
    emit twinChanged(ours, false);
    // Our side went quiet; its ONVIF side may still answer, and is listed on its own again.
    for (const VEXA_DEVICE_MY_INFO& other : std::as_const(released))
        onlineByEndpoint(other);
}

void DeviceFleet::onlineByEndpoint(const VEXA_DEVICE_MY_INFO& record) {
    const QString endpoint = recordText(record.endpointReference);
    if (m_twins.contains(endpoint)) {
        m_twinRecords.insert(endpoint, record);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    {
        XRT_MutexGuard guard(store->lock());
        if (m_storedTotal != store->count())
            recount();
        VEXA_DEVICE_MY_INFO known;
        if (store->getByEndpoint(endpoint, known)) {
            updateByEndpoint(record);
            return;
        }
        if (absorbTwin(record))
            return;
        store->add(record);
        emit deviceAdded(record);
        ++m_storedTotal;
        const QString mac = macKey(record);
        if (!mac.isEmpty())
            m_onvifByMac.insert(mac, endpoint);
    }
    if (record.detailsState == VEXA_DETAILS_NEED_LOGIN && VEXA::OnvifLogin::instance().covers(endpoint))
        emit refusalChanged(endpoint, VEXA::VexaHandler::instance()->onvifRefusal(endpoint));
    if (record.detailsState == VEXA_DETAILS_PARTIAL)
        emit detailsNoteChanged(endpoint, VEXA::VexaHandler::instance()->onvifDetailsNote(endpoint));
    emit countChanged();
}

void DeviceFleet::offlineByEndpoint(const VEXA_DEVICE_MY_INFO& record) {
    const QString endpoint = recordText(record.endpointReference);
    const auto twin = m_twins.constFind(endpoint);
    if (twin != m_twins.cend()) {
        const DeviceKey ours = *twin;
        m_twins.erase(twin);
        m_twinRecords.remove(endpoint);
        if (!hasTwin(ours))
            emit twinChanged(ours, false);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO known;
    const bool listed = store->getByEndpoint(endpoint, known);
    if (listed) {
        if (const auto restart = m_restarting.find(keyText(deviceKeyOf(known))); restart != m_restarting.end()) {
            restart->silent = true;
            return;
        }
    }
    emit deviceRemoved(record);
    if (listed && store->remove(known)) {
        --m_storedTotal;
        const QString mac = macKey(known);
        if (m_onvifByMac.value(mac) == endpoint)
            m_onvifByMac.remove(mac);
    }
    emit refusalChanged(endpoint, QString());
    emit countChanged();
    emit keysChanged();
}

void DeviceFleet::updateByEndpoint(const VEXA_DEVICE_MY_INFO& reported) {
    const QString endpoint = recordText(reported.endpointReference);
    if (m_twins.contains(endpoint)) {
        m_twinRecords.insert(endpoint, reported);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO known;
    if (!store->getByEndpoint(endpoint, known)) {
        onlineByEndpoint(reported);
        return;
    }
    VEXA_DEVICE_MY_INFO record = reported;
    const DeviceKey knownKey = deviceKeyOf(known);
    const auto restart = m_restarting.find(keyText(knownKey));
    const bool restarting = restart != m_restarting.end();
    // Heard again after its restart, before its details are read again: it keeps the identity it had.
    const bool kept = restarting && !detailsRead(record) && detailsRead(known);
    if (kept) {
        std::memcpy(record.serialNo, known.serialNo, sizeof record.serialNo);
        std::memcpy(record.mac, known.mac, sizeof record.mac);
    }
    if (restarting && !onlyClaims(record))
        restart->silent = false;
    const QString mac = macKey(record);
    if (!mac.isEmpty() && m_oursByMac.contains(mac)) {
        // Its details show it is one of ours: the ONVIF entry goes, ours stays and says so.
        emit deviceRemoved(known);
        if (store->remove(known))
            --m_storedTotal;
        absorbTwin(record);
        emit countChanged();
        emit keysChanged();
        return;
    }
    const bool rekeyed = !(knownKey == deviceKeyOf(record));
    if (record.detailsState == VEXA_DETAILS_NEED_LOGIN && VEXA::OnvifLogin::instance().covers(endpoint))
        emit refusalChanged(endpoint, VEXA::VexaHandler::instance()->onvifRefusal(endpoint));
    else
        emit refusalChanged(endpoint, QString());
    store->update(record);
    emit deviceUpdated(record);
    const QString oldMac = macKey(known);
    if (oldMac != mac && m_onvifByMac.value(oldMac) == endpoint)
        m_onvifByMac.remove(oldMac);
    if (!mac.isEmpty())
        m_onvifByMac.insert(mac, endpoint);
    if (restarting && !kept && !onlyClaims(record))
        answered(knownKey);
    // A ticked device's key is what the modify page holds: it needs the new one.
    if (rekeyed)
        emit keysChanged();
}

void DeviceFleet::changeStarted(const DeviceKey& key) {
    VEXA_DEVICE_MY_INFO known;
    if (!record(key, known) || m_restarting.contains(keyText(key)))
        return;
    m_restarting.insert(keyText(key), Restart{});
    emit restartingChanged(key, true);
}

void DeviceFleet::changeSettled(const DeviceKey& key, const VexaTool::Outcome& outcome,
                                const std::optional<VEXA_NET_PARAM>& readBack) {
    Q_UNUSED(outcome);
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO known;
    if (readBack && record(key, known)) {
        {
            XRT_MutexGuard guard(store->lock());
            VEXA::netParamsToRecord(*readBack, known);
            store->update(known);
        }
        emit deviceReadBack(known);
        answered(key);
        return;
    }
    const auto restart = m_restarting.constFind(keyText(key));
    if (restart == m_restarting.cend())
        return;
    const bool silent = restart->silent;
    endRestart(key);
    // It went quiet during the change and has not answered since: it is gone, as it would have been without us.
    if (silent && record(key, known)) {
        if (byEndpoint(known))
            offlineByEndpoint(known);
        else
            remove(known);
    }
}

void DeviceFleet::activated(const DeviceKey& key) {
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    {
        XRT_MutexGuard guard(store->lock());
        store->setActivationState(key.serialNo, key.mac, 0);
    }
    reread(key);
}

void DeviceFleet::reread(const DeviceKey& key) {
    VEXA_DEVICE_MY_INFO known;
    if (record(key, known))
        emit deviceUpdated(known);
}

void DeviceFleet::answered(const DeviceKey& key) {
    if (m_restarting.contains(keyText(key)))
        endRestart(key);
}

void DeviceFleet::endRestart(const DeviceKey& key) {
    m_restarting.remove(keyText(key));
    emit restartingChanged(key, false);
}

} // namespace VexaTool
