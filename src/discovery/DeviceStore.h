#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include "discovery/DeviceRecord.h"
#include "sync/Singleton.h"
#include "sync/XRT_Mutex.h"

struct VEXA_NET_PARAM;

namespace VEXA {

// The process-wide list of discovered devices, in the order they were added, keyed by deviceKeyOf(): serial
// number plus MAC (both compared as whole texts, case-sensitive), or an ONVIF device's endpoint reference until
// its details arrive. Found through a hashed index. Used on the GUI thread; every operation holds the store's
// re-entrant lock and releases it on every path. Callers that test and then add take lock() around both steps.
class DeviceStore : public Singleton::CSingleton<DeviceStore> {
    friend class Singleton::CSingleton<DeviceStore>;

public:
    ~DeviceStore();

    void add(const VEXA_DEVICE_MY_INFO& record);
    // Removes the first record with the same serial number and MAC; false when there is none.
    bool remove(const VEXA_DEVICE_MY_INFO& record);
    // Overwrites the first record with the same key, whole; false when there is none. An ONVIF record whose key
    // changed replaces the record with its endpoint reference, in place.
    bool update(const VEXA_DEVICE_MY_INFO& record);
    bool get(const DeviceKey& key, VEXA_DEVICE_MY_INFO& record) const { return get(key.serialNo, key.mac, record); }
    // The ONVIF device with this endpoint reference.
    bool getByEndpoint(const QString& endpoint, VEXA_DEVICE_MY_INFO& record) const;
    bool get(const QString& serialNo, const QString& mac, VEXA_DEVICE_MY_INFO& record) const;
    void copyAll(QVector<VEXA_DEVICE_MY_INFO>& records) const;
    bool readNetParams(const QString& serialNo, const QString& mac, VEXA_NET_PARAM& params) const;
    bool writeNetParams(const QString& serialNo, const QString& mac, const VEXA_NET_PARAM& params);
    bool setActivationState(const QString& serialNo, const QString& mac, uint8_t state);
    int indexOf(const QString& serialNo, const QString& mac) const;
    void clear();
    int count() const;

    XRT_MUTEX lock() const { return m_mutex; }

private:
    DeviceStore();
    void reindex();
    static QString keyText(const QString& serialNo, const QString& mac) { return serialNo + QChar(0) + mac; }

    QVector<VEXA_DEVICE_MY_INFO> m_records;
    QHash<QString, int> m_index;     // key text -> the first record with that key
    QHash<QString, int> m_endpoints; // endpoint reference -> the ONVIF record
    XRT_MUTEX m_mutex = nullptr;
};

// Copies between a device record and the library's network-parameter record: addresses, ports (narrowed
// to and widened from 16 bits), IPv6 prefix, DHCP flag and device name.
void netParamsFromRecord(const VEXA_DEVICE_MY_INFO& record, VEXA_NET_PARAM& params);
void netParamsToRecord(const VEXA_NET_PARAM& params, VEXA_DEVICE_MY_INFO& record);

} // namespace VEXA
