#include "discovery/DeviceStore.h"

#include <cstring>

#include "discovery/NetworkPart.h"
#include "vexa.h"

namespace VEXA {

DeviceStore::DeviceStore() {
    XRT_Mutex_Create(&m_mutex);
}

DeviceStore::~DeviceStore() {
    XRT_Mutex_Destroy(&m_mutex);
}

void DeviceStore::add(const VEXA_DEVICE_MY_INFO& record) {
    XRT_MutexGuard guard(m_mutex);
    const int index = static_cast<int>(m_records.size());
    m_records.append(record);
    const DeviceKey key = deviceKeyOf(record);
    // The first record of a key is the one every look-up finds.
    if (!m_index.contains(keyText(key.serialNo, key.mac)))
        m_index.insert(keyText(key.serialNo, key.mac), index);
    if (can(record, VEXA_KNOWN_BY_ENDPOINT))
        m_endpoints.insert(recordText(record.endpointReference), index);
}

bool DeviceStore::remove(const VEXA_DEVICE_MY_INFO& record) {
    XRT_MutexGuard guard(m_mutex);
    const DeviceKey key = deviceKeyOf(record);
    int index = indexOf(key.serialNo, key.mac);
    if (index < 0 && can(record, VEXA_KNOWN_BY_ENDPOINT))
        index = m_endpoints.value(recordText(record.endpointReference), -1);
    if (index < 0)
        return false;
    m_records.removeAt(index);
    reindex();
    return true;
}

bool DeviceStore::update(const VEXA_DEVICE_MY_INFO& record) {
    XRT_MutexGuard guard(m_mutex);
    const DeviceKey key = deviceKeyOf(record);
    int index = indexOf(key.serialNo, key.mac);
    if (index >= 0) {
        m_records[index] = record;
        return true;
    }
    if (!can(record, VEXA_KNOWN_BY_ENDPOINT))
        return false;
    index = m_endpoints.value(recordText(record.endpointReference), -1);
    if (index < 0)
        return false;
    // Re-filed under its new key in one step: a thousand devices whose details arrive cost no scans of the store.
    const DeviceKey old = deviceKeyOf(m_records.at(index));
    const auto filed = m_index.constFind(keyText(old.serialNo, old.mac));
    if (filed != m_index.cend() && *filed == index)
        m_index.erase(filed);
    m_records[index] = record;
    const QString text = keyText(key.serialNo, key.mac);
    const auto other = m_index.constFind(text);
    if (other == m_index.cend() || *other > index)
        m_index.insert(text, index);
    return true;
}

bool DeviceStore::getByEndpoint(const QString& endpoint, VEXA_DEVICE_MY_INFO& record) const {
    XRT_MutexGuard guard(m_mutex);
    const int index = m_endpoints.value(endpoint, -1);
    if (index < 0)
        return false;
    record = m_records.at(index);
    return true;
}

void DeviceStore::reindex() {
    m_index.clear();
    m_endpoints.clear();
    // Backwards, so that the first record of a key wins, as on add.
    for (int i = static_cast<int>(m_records.size()) - 1; i >= 0; --i) {
        const VEXA_DEVICE_MY_INFO& record = m_records.at(i);
        const DeviceKey key = deviceKeyOf(record);
        m_index.insert(keyText(key.serialNo, key.mac), i);
        if (can(record, VEXA_KNOWN_BY_ENDPOINT))
            m_endpoints.insert(recordText(record.endpointReference), i);
    }
}

bool DeviceStore::get(const QString& serialNo, const QString& mac, VEXA_DEVICE_MY_INFO& record) const {
    XRT_MutexGuard guard(m_mutex);
    const int index = indexOf(serialNo, mac);
    if (index < 0)
        return false;
    record = m_records.at(index);
    return true;
}

void DeviceStore::copyAll(QVector<VEXA_DEVICE_MY_INFO>& records) const {
    XRT_MutexGuard guard(m_mutex);
    records = m_records;
}

bool DeviceStore::readNetParams(const QString& serialNo, const QString& mac, VEXA_NET_PARAM& params) const {
    XRT_MutexGuard guard(m_mutex);
    const int index = indexOf(serialNo, mac);
    if (index < 0)
        return false;
    netParamsFromRecord(m_records.at(index), params);
    return true;
}

bool DeviceStore::writeNetParams(const QString& serialNo, const QString& mac, const VEXA_NET_PARAM& params) {
    XRT_MutexGuard guard(m_mutex);
    const int index = indexOf(serialNo, mac);
    if (index < 0)
        return false;
    netParamsToRecord(params, m_records[index]);
    return true;
}

bool DeviceStore::setActivationState(const QString& serialNo, const QString& mac, uint8_t state) {
    XRT_MutexGuard guard(m_mutex);
    const int index = indexOf(serialNo, mac);
    if (index < 0)
        return false;
    m_records[index].activationState = state;
    return true;
}

int DeviceStore::indexOf(const QString& serialNo, const QString& mac) const {
    XRT_MutexGuard guard(m_mutex);
    return m_index.value(keyText(serialNo, mac), -1);
}

void DeviceStore::clear() {
    XRT_MutexGuard guard(m_mutex);
    m_records.clear();
    m_index.clear();
    m_endpoints.clear();
}

int DeviceStore::count() const {
    XRT_MutexGuard guard(m_mutex);
    return static_cast<int>(m_records.size());
}

void netParamsFromRecord(const VEXA_DEVICE_MY_INFO& record, VEXA_NET_PARAM& params) {
    std::memset(&params, 0, sizeof params);
    copyNetworkPart(params, record);
}

void netParamsToRecord(const VEXA_NET_PARAM& params, VEXA_DEVICE_MY_INFO& record) {
    copyNetworkPart(record, params);
}

} // namespace VEXA
