#include "plan/ReceiptHistory.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

#include "deployment/CsvWriter.h"
#include "plan/PlanText.h"

namespace VexaTool {

namespace {

// The file's first row carries the byte-order mark that spreadsheets need; the later ones must not.
bool writeRow(QFile& file, const std::vector<std::string>& fields, bool first) {
    plan::CsvWriter::Options options;
    options.byteOrderMark = first;
    plan::CsvWriter csv(options);
    csv.addRow(fields);
    const std::string& text = csv.data();
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
           file.flush();
}

} // namespace

ReceiptHistory::ReceiptHistory() = default;
ReceiptHistory::~ReceiptHistory() = default;

QString ReceiptHistory::folder() {
    // A fixed name rather than the application's, which is translated.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString path = QDir(base).filePath(QStringLiteral("vexatool/receipts"));
    QDir().mkpath(path);
    return path;
}

bool ReceiptHistory::begin() {
    m_file.reset();
    m_path.clear();
    const QString dir = folder();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // Two runs within one second get their own files: the name is taken, never replaced.
    for (int n = 1; n < 100; ++n) {
        const QString name = n == 1 ? QStringLiteral("receipt-%1.csv").arg(stamp)
                                    : QStringLiteral("receipt-%1-%2.csv").arg(stamp).arg(n);
        auto file = std::make_unique<QFile>(QDir(dir).filePath(name));
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            std::vector<std::string> header;
            for (const QString& column : PlanText::receiptHeader())
                header.push_back(column.toStdString());
            if (!writeRow(*file, header, true))
                return false;
            m_path = file->fileName();
            m_file = std::move(file);
            return true;
        }
        if (!file->exists())
            return false; // not taken, so the folder refuses
    }
    return false;
}

void ReceiptHistory::append(const plan::ReceiptEntry& entry) {
    if (m_file)
        writeRow(*m_file, plan::receiptRow(entry), false);
}

} // namespace VexaTool
