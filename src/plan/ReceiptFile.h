#pragma once

#include <QString>

#include <vector>

#include "plan/core/Receipt.h"

namespace VexaTool {

// Saves a receipt as CSV with the translated header, replacing the file only once it is wholly written.
class ReceiptFile {
public:
    static bool save(const QString& path, const std::vector<plan::ReceiptEntry>& entries, QString* error = nullptr);
};

} // namespace VexaTool
