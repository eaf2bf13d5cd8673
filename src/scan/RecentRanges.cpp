#include "scan/RecentRanges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include "guitoolkit/TargetPath.h"

namespace VexaTool {

RecentRanges::RecentRanges(const QString& path)
    : m_path(path) {
    if (m_path.isEmpty())
        m_path = OrvisGUIToolkit::GetWritableTargetPathFile(QStringLiteral("scan-ranges.txt"),
                                                            QStandardPaths::AppConfigLocation);
}

QString RecentRanges::normalized(const QString& ranges) {
    static const QRegularExpression separators(QStringLiteral("\\s*[,;]\\s*|\\s+"));
    QStringList pieces = ranges.trimmed().split(separators, Qt::SkipEmptyParts);
    for (QString& piece : pieces)
        piece.remove(QLatin1Char(' '));
    return pieces.join(QStringLiteral(", "));
}

void RecentRanges::load() {
    m_list.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    // A file edited by hand or cut short still gives what it holds of the list, within its bounds.
    while (!file.atEnd() && m_list.size() < kMax) {
        const QString line = normalized(QString::fromUtf8(file.readLine(4 * kMaxLength)));
        if (!line.isEmpty() && line.size() <= kMaxLength && !m_list.contains(line))
            m_list.append(line);
    }
}

bool RecentRanges::save() const {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    for (const QString& line : m_list)
        file.write(line.toUtf8() + '\n');
    return file.commit();
}

void RecentRanges::add(const QString& ranges) {
    const QString line = normalized(ranges);
    if (line.isEmpty() || line.size() > kMaxLength)
        return;
    m_list.removeAll(line);
    m_list.prepend(line);
    while (m_list.size() > kMax)
        m_list.removeLast();
}

} // namespace VexaTool
