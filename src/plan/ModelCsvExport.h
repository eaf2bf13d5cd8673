#pragma once

#include <string>

#include <QList>
#include <QString>

class QAbstractItemModel;

namespace VexaTool {

// Writes what a table shows as CSV: the header texts, then every row of the model as given (behind the quick
// filter: only the rows shown), visible texts only. The file is replaced only once it is wholly written.
class ModelCsvExport {
public:
    // columns: the model's columns in the order to write; empty: all, left to right.
    static bool save(const QAbstractItemModel& model, const QString& path, const QList<int>& columns = {},
                     QString* error = nullptr);
    static std::string toCsv(const QAbstractItemModel& model, const QList<int>& columns = {});
};

} // namespace VexaTool
