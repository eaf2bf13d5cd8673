#pragma once

#include <optional>

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVector>

#include "discovery/DeviceRecord.h"
#include "vexa.h"

class QTimer;

namespace VexaTool {

// The set of listed devices: the only writer of the device store. Takes the discovery handler's reports, keeps one
// device that answers on both protocols as one entry (ours for the data), counts the records per MAC, re-keys an
// ONVIF device when its details arrive, holds a device that restarts because we asked it to, and applies what a
// device reports back after a change. Pages ask it and listen to its signals; they never write the store.
// GUI thread only; the handler's reports arrive queued from the library's thread.
class DeviceFleet : public QObject {
    Q_OBJECT

public:
    explicit DeviceFleet(QObject* parent = nullptr);
    ~DeviceFleet() override;

    // The listed device with this key (first record of the key), false when there is none.
    bool record(const DeviceKey& key, VEXA_DEVICE_MY_INFO& out) const;
    QVector<VEXA_DEVICE_MY_INFO> records() const;
    int count() const;
    // Devices of ours left out for their maker mark, until they leave or the list is forgotten.
    int hiddenByMaker() const { return static_cast<int>(m_hiddenByMaker.size()); }
    // Devices that sign in as a user (endpoint references): those a sign-in goes to. Ours that also answer that way
    // are not among them: they are changed as ours.
    QStringList signInDevices() const;
    // Whether this listed device is one of ours that also answers as an ONVIF device.
    bool hasTwin(const DeviceKey& key) const;
    // A change was sent to it and it has neither answered since nor settled.
    bool isRestarting(const DeviceKey& key) const { return m_restarting.contains(keyText(key)); }
    // The listed devices that show this IPv4 address now, in list order.
    QVector<DeviceKey> holdersOf(const QString& address) const;

    // Longest stretch spent on reports before the event loop gets a turn; later reports wait, in order.
    // 0: every report is handled at once.
    void setEventSlice(int ms) { m_eventSliceMs = ms; }
    int pendingEvents() const { return static_cast<int>(m_pending.size() - m_pendingNext); }

    // Forgets every device and every waiting report (Refresh).
    void clear();

public slots:
    void onDeviceOnline(VEXA_DEVICE_MY_INFO record);
    void onDeviceOffline(VEXA_DEVICE_MY_INFO record);
    void onDeviceUpdate(VEXA_DEVICE_MY_INFO record);
    void onDeviceHiddenByMaker(VEXA_DEVICE_MY_INFO record);

    // A change was sent to this device and it may restart: it keeps its entry and key until it answers again or
    // the change settles; silence, a goodbye or an announcement elsewhere never removes or re-keys it meanwhile.
    void changeStarted(const DeviceKey& key);
    // The change ended. With readBack (what the device reports after it) the entry takes those values; without,
    // it keeps what the device itself last announced, never what was sent.
    void changeSettled(const DeviceKey& key, const VexaTool::Outcome& outcome,
                       const std::optional<VEXA_NET_PARAM>& readBack);
    // Shows the device's record again, as the store holds it now.
    void reread(const DeviceKey& key);
    // The device answered that it took its first password.
    void activated(const DeviceKey& key);

signals:
    void deviceAdded(const VEXA_DEVICE_MY_INFO& record);
    void deviceRemoved(const VEXA_DEVICE_MY_INFO& record);
    // The entry's record changed; an ONVIF device found by its endpoint reference may carry a new key.
    void deviceUpdated(const VEXA_DEVICE_MY_INFO& record);
    // What the device reported after a change: each value it gave stands, also those a later announcement of its
    // kind leaves out.
    void deviceReadBack(const VEXA_DEVICE_MY_INFO& record);
    void twinChanged(const DeviceKey& ours, bool alsoOnvif);
    // The device's words when it refused the sign-in, and what its last read missed; empty: none.
    void refusalChanged(const QString& endpoint, const QString& reason);
    void detailsNoteChanged(const QString& endpoint, const QString& note);
    void restartingChanged(const DeviceKey& key, bool restarting);
    // The count of listed or hidden devices changed.
    void countChanged();
    // Devices left or changed key: whoever holds keys of ticked devices asks again.
    void keysChanged();
    void cleared();

private:
    enum class Event { Online, Offline, Update };
    struct PendingEvent {
        Event kind;
        VEXA_DEVICE_MY_INFO record;
    };
    struct Restart {
        bool silent = false; // went quiet (or said goodbye) since the change started
    };

    static QString keyText(const DeviceKey& key) { return key.serialNo + QChar(0) + key.mac; }
    bool defer(Event kind, const VEXA_DEVICE_MY_INFO& record);
    void run(Event kind, const VEXA_DEVICE_MY_INFO& record);
    void onTurn();

    void online(const VEXA_DEVICE_MY_INFO& record);
    void offline(const VEXA_DEVICE_MY_INFO& record);
    void update(const VEXA_DEVICE_MY_INFO& record);
    void onlineByEndpoint(const VEXA_DEVICE_MY_INFO& record);
    void offlineByEndpoint(const VEXA_DEVICE_MY_INFO& record);
    void updateByEndpoint(const VEXA_DEVICE_MY_INFO& record);
    void remove(const VEXA_DEVICE_MY_INFO& record);
    bool absorbTwin(const VEXA_DEVICE_MY_INFO& other);
    void releaseTwins(const DeviceKey& ours);
    void recount();
    void forgetMac(const QString& mac);
    // The stored key of the device a report names: its own key, or for a device known by its endpoint the key it
    // is listed under.
    DeviceKey listedKeyOf(const VEXA_DEVICE_MY_INFO& record) const;
    // The device answered: it is no longer restarting.
    void answered(const DeviceKey& key);
    void endRestart(const DeviceKey& key);

    QHash<QString, int> m_storedMacs; // records of ours per MAC: the duplicate test without a scan
    int m_storedTotal = 0;            // every stored record, to notice someone else changing the store
    QSet<QString> m_hiddenByMaker;
    // A device answering on both protocols is one entry, ours: MACs (lower case, '-') of ours and of ONVIF devices
    // with details, and the ONVIF side of each such device by its endpoint reference.
    QHash<QString, DeviceKey> m_oursByMac;
    QHash<QString, QString> m_onvifByMac;
    QHash<QString, DeviceKey> m_twins;
    QHash<QString, VEXA_DEVICE_MY_INFO> m_twinRecords;
    QHash<QString, Restart> m_restarting; // key text -> a device a change was sent to

    int m_eventSliceMs = 20;
    QElapsedTimer m_slice;
    QTimer* m_turnTimer = nullptr;
    QVector<PendingEvent> m_pending;
    qsizetype m_pendingNext = 0;
};

} // namespace VexaTool
