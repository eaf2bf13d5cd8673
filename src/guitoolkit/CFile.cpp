#include "guitoolkit/CFile.h"

#include <QDir>
#include <QFile>

namespace OrvisGUIToolkit {

QString CFile::ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QString CFile::ReadAll(const QStringList& names, const QString& folder) {
    const QDir dir(folder);
    QString text;
    for (const QString& name : names) {
        text += ReadAll(dir.filePath(name));
    }
    return text;
}

} // namespace OrvisGUIToolkit
