#include "ModelCsvExport.h"

#include <QAbstractItemModel>
#include <QSaveFile>

#include "plan/core/CsvWriter.h"

namespace VexaTool {

std::string ModelCsvExport::toCsv(const QAbstractItemModel& model, const QList<int>& columns) {
    QList<int> order = columns;
    if (order.isEmpty()) {
        for (int c = 0; c < model.columnCount(); ++c)
            order << c;
    }
    plan::CsvWriter writer;
    std::vector<std::string> fields;
    for (const int c : order)
        fields.push_back(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    writer.addRow(fields);
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (const int c : order)
            fields.push_back(model.index(r, c).data(Qt::DisplayRole).toString().toStdString());
        writer.addRow(fields);
    }
    return writer.data();
}

bool ModelCsvExport::save(const QAbstractItemModel& model, const QString& path, const QList<int>& columns,
                          QString* error) {
    const std::string text = toCsv(model, columns);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace VexaTool
