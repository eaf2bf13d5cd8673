#pragma once

#include <functional>

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include "discovery/DeviceRecord.h"
#include "vexa.h"

namespace VexaTool {

class DeviceFleet;

// Reads the clocks of the listed devices that have one readable without a login: when such a device is listed,
// when its details arrive, and when asked (Refresh, after its time was set). The reads run on a small pool of its
// own, never one thread per device; the others wait in a queue here, so that a thousand devices cost the GUI thread
// no burst, and at most one read per device is waiting or under way. Results come back on the GUI thread.
// Destroying it waits for the reads under way. GUI thread only.
class FleetClocks : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultReaders = 16;
    // The device call, on a worker thread: the library's by default. name: the device's endpoint reference.
    using Reader = std::function<bool(const QByteArray& name, VEXA_CLOCK_INFO& out)>;

    explicit FleetClocks(DeviceFleet* fleet, int readers = kDefaultReaders, QObject* parent = nullptr);
    ~FleetClocks() override;

    void setReader(Reader reader) { m_reader = std::move(reader); }
    // Reads these devices' clocks again (endpoint references; whichever of them can be read).
    void read(const QStringList& endpoints);
    void readAll();
    int waiting() const { return static_cast<int>(m_waiting.size()); }

signals:
    // flags lacks VEXA_CLOCK_READ when the device did not answer.
    void clockRead(const QString& endpoint, const VEXA_CLOCK_INFO& clock);

private:
    void onRecord(const VEXA_DEVICE_MY_INFO& record);
    void readOne(const QByteArray& endpoint);
    void startReads();
    void onRead(const QByteArray& endpoint, const VEXA_CLOCK_INFO& clock);

    DeviceFleet* m_fleet;
    QThreadPool m_pool;
    Reader m_reader;
    QList<QByteArray> m_waiting;      // endpoint references in the order asked
    QSet<QByteArray> m_queued;        // waiting or being read
    QSet<QByteArray> m_running;       // being read
    QSet<QByteArray> m_again;         // asked again while being read: read once more when back
    QHash<QByteArray, int> m_details; // endpoint reference -> VEXA_DETAILS_* when last read
};

} // namespace VexaTool

Q_DECLARE_METATYPE(VEXA_CLOCK_INFO)
