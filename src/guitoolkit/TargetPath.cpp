#include "guitoolkit/TargetPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace OrvisGUIToolkit {

QString GetTargetPath() {
    QString path = QCoreApplication::applicationDirPath();
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

QString GetTargetPathFile(const QString& name) {
    return GetTargetPath() + name;
}

QString GetWritableTargetPathFile(const QString& name, QStandardPaths::StandardLocation userLocation) {
    return WritableFileIn(GetTargetPath(), QStandardPaths::writableLocation(userLocation), name);
}

// Tried, not read from the permission bits: those say nothing about read-only mounts, and an administrator
// passes every check while the package manager still owns the folder's files.
bool FolderTakesNewFiles(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".vexa-write-probe-XXXXXX")));
    return probe.open();
}

QString UserCopyOf(const QString& programFolder, const QString& userFolder, const QString& name) {
    if (userFolder.isEmpty() || !QDir().mkpath(userFolder))
        return {};
    const QString own = QDir(userFolder).filePath(name);
    const QString shipped = QDir(programFolder).filePath(name);
    if (!QFile::exists(own) && QFile::exists(shipped) && QFile::copy(shipped, own)) {
        // A copy keeps the shipped file's read-only bits; the user's copy must take changes.
        QFile::setPermissions(own, QFile::permissions(own) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    }
    return own;
}

QString WritableFileIn(const QString& programFolder, const QString& userFolder, const QString& name) {
    const QString beside = QDir(programFolder).filePath(name);
    if (FolderTakesNewFiles(programFolder))
        return beside;
    const QString own = UserCopyOf(programFolder, userFolder, name);
    return own.isEmpty() ? beside : own;
}

} // namespace OrvisGUIToolkit
