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

plan::ReceiptEntry ReceiptFile::entry(const QDateTime& time, const DeviceInfo& before, const DeviceInfo& after,
                                      const QString& name) {
    return {time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(),
            before.serialNo.toStdString(),
            before.mac.toStdString(),
            before.ipv4Address.toStdString(),
            after.ipv4Address.toStdString(),
            name.toStdString(),
            after.result.toStdString(),
            after.outcome,
            std::string()};
}

} // namespace VexaTool
