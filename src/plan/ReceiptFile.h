#pragma once

#include <vector>

#include <QDateTime>
#include <QString>

#include "deployment/Receipt.h"
#include "discovery/DeviceRecord.h"

namespace VexaTool {

// Saves a receipt as CSV with the translated header, replacing the file only once it is wholly written.
class ReceiptFile {
public:
    static bool save(const QString& path, const std::vector<plan::ReceiptEntry>& entries, QString* error = nullptr);

    // One line from a results page's entry as it went out (before) and came back (after, with its result).
    static plan::ReceiptEntry entry(const QDateTime& time, const DeviceInfo& before, const DeviceInfo& after,
                                    const QString& name);
};

} // namespace VexaTool
