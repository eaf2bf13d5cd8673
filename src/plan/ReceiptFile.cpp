#include "ReceiptFile.h"

#include <QSaveFile>

#include "PlanText.h"

namespace VexaTool {

bool ReceiptFile::save(const QString& path, const std::vector<plan::ReceiptEntry>& entries, QString* error) {
    std::vector<std::string> header;
    for (const QString& column : PlanText::receiptHeader())
        header.push_back(column.toStdString());
    const std::string text = plan::receiptCsv(entries, header);
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
