#pragma once

// A settings file for a test or a picture: Setup.xml holding only the items given, as the program reads it.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace testsupport {

// The item that picks the interface language (0 English, 1 Chinese).
inline QByteArray languageItem(int language) {
    return "<Translator><Value>" + QByteArray::number(language) + "</Value></Translator>";
}

// Writes <Setup>items</Setup> to Setup.xml in `folder`, replacing what was there; returns its path, or an empty
// path when the file could not be written, so that loading it fails.
inline QString writeSetup(const QString& folder, const QByteArray& items) {
    const QString path = QDir(folder).filePath(QStringLiteral("Setup.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write("<Setup>" + items + "</Setup>") < 0 ||
        !file.flush())
        return QString();
    return path;
}

} // namespace testsupport
