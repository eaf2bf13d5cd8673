#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QThreadPool>
#include <QVector>

#include "deployment/Inventory.h"
#include "discovery/DeviceRecord.h"

namespace VexaTool {

// Reads what the inventory needs of each device (its clock, and the media profiles of a signed-in ONVIF device) on a
// pool of its own, many devices at once, and hands back the inventory's rows. Each device's read stands alone. GUI
// thread; the reads run on the pool, and the destructor waits for those under way (Stop makes the rest return).
class InventoryRun : public QObject {
    Q_OBJECT

public:
    explicit InventoryRun(int workers = 64, QObject* parent = nullptr);
    ~InventoryRun() override;

    // Starts reading these devices; a run under way is stopped first.
    void start(const QVector<VEXA_DEVICE_MY_INFO>& records);
    // Devices not read yet are left unread; finished(true) follows once those under way return.
    void stop();
    bool isRunning() const { return m_running; }
    int done() const { return m_done; }
    int total() const { return static_cast<int>(m_records.size()); }

    // The rows of every device, in address order (after finished).
    std::vector<std::vector<std::string>> rows(bool userColumn, const std::string& user) const;

    // What the inventory shows of a record, and the blocking reads of one device (any thread).
    static plan::InventoryDevice deviceOf(const VEXA_DEVICE_MY_INFO& record);
    static plan::InventoryMedia readMedia(const VEXA_DEVICE_MY_INFO& record);

signals:
    void progress(int done, int total);
    void finished(bool stopped);

private:
    QThreadPool m_pool;
    QVector<VEXA_DEVICE_MY_INFO> m_records;
    std::vector<plan::InventoryMedia> m_media;
    std::vector<std::string> m_detailsNotes;
    std::shared_ptr<std::atomic_bool> m_stop;
    int m_done = 0;
    int m_generation = 0;
    bool m_running = false;
};

} // namespace VexaTool
