#pragma once

// Reads a workbook back through python3-xlrd (tests/export/read_xls.py), a reader independent of ours.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace xlsreader {

inline QString python() {
    // Debian's interpreter, which has python3-xlrd, even when another python3 comes first on the path.
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

inline QJsonObject run(const QStringList& arguments) {
    QProcess reader;
    reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reader.start(python(),
                 QStringList{qEnvironmentVariable("VEXA_SOURCE_DIR") + QStringLiteral("/tests/export/read_xls.py")} +
                     arguments);
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0)
        return QJsonObject();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

inline bool available() {
    QProcess probe;
    probe.start(python(), {QStringLiteral("-c"), QStringLiteral("import xlrd")});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

inline QJsonObject read(const QString& path) {
    return run({path});
}

inline QJsonObject stream(const QString& path) {
    return run({QStringLiteral("--stream"), path});
}

} // namespace xlsreader
