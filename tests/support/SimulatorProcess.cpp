#include "support/SimulatorProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

namespace testsupport {

QString toolPath(const char* name) {
    return qEnvironmentVariable("VEXA_BIN_DIR") + QLatin1Char('/') + QLatin1String(name);
}

QString runKeyTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(toolPath("vexa-keytool"), arguments);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        qWarning("vexa-keytool %s: %s", qPrintable(arguments.join(u' ')), tool.readAllStandardError().constData());
        return {};
    }
    return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
}

QMap<QString, DeviceFields> readSavedState(const QString& path) {
    QMap<QString, DeviceFields> devices;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return devices;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        DeviceFields fields;
        for (const QByteArray& item : line.split('\t')) {
            const qsizetype eq = item.indexOf('=');
            if (eq > 0)
                fields.insert(QString::fromUtf8(item.left(eq)), QString::fromUtf8(item.mid(eq + 1)));
        }
        devices.insert(fields.value(QStringLiteral("serial")), fields);
    }
    return devices;
}

bool trustTestManufacturer() {
    QProcess keytool;
    keytool.start(qEnvironmentVariable("VEXA_BIN_DIR") + QStringLiteral("/vexa-keytool"),
                  {QStringLiteral("pubkey"), QStringLiteral("--test")});
    if (!keytool.waitForFinished(10000))
        return false;
    const QByteArray key = keytool.readAllStandardOutput().trimmed();
    if (key.size() != 64)
        return false;
    qputenv("VEXA_TRUSTED_KEYS", key);
    return true;
}

namespace {

bool loopbackOnly() {
    if (!qEnvironmentVariable("VEXA_IFACE").startsWith(QLatin1String("127."))) {
        qWarning("SimulatorProcess: VEXA_IFACE is not a loopback address; the simulator is not started");
        return false;
    }
    return true;
}

} // namespace

SimulatorProcess::SimulatorProcess() {
    m_process.setProgram(qEnvironmentVariable("VEXA_BIN_DIR") + QStringLiteral("/vexa-devsim"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimulatorProcess::~SimulatorProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SimulatorProcess::start(const QStringList& arguments, int timeoutMs) {
    if (!loopbackOnly() || m_process.state() != QProcess::NotRunning) {
        return false;
    }
    QFile::remove(dumpPath());
    m_process.setArguments(arguments + QStringList{QStringLiteral("--dump"), dumpPath()});
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!QFile::exists(dumpPath())) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

bool SimulatorProcess::startWith(const QList<DeviceFields>& devices, const QStringList& arguments, int timeoutMs) {
    const QString path = m_dir.filePath(QStringLiteral("devices.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    for (const DeviceFields& device : devices) {
        file.write(deviceLine(device));
    }
    file.close();
    return start(QStringList{QStringLiteral("--devices"), path} + arguments, timeoutMs);
}

bool SimulatorProcess::stop(int timeoutMs) {
    if (m_process.state() == QProcess::NotRunning) {
        return true;
    }
    m_process.terminate();
    return m_process.waitForFinished(timeoutMs);
}

QList<DeviceFields> SimulatorProcess::fleet() const {
    QList<DeviceFields> devices;
    QFile file(dumpPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return devices;
    }
    while (!file.atEnd()) {
        // Device texts are bytes; Latin-1 keeps every one of them.
        const QString line = QString::fromLatin1(file.readLine()).chopped(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        DeviceFields fields;
        for (const QString& item : line.split(QLatin1Char('\t'))) {
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            if (eq > 0) {
                fields.insert(item.left(eq), item.mid(eq + 1));
            }
        }
        devices.append(fields);
    }
    return devices;
}

QByteArray SimulatorProcess::deviceLine(const DeviceFields& device) {
    QByteArray line;
    for (auto it = device.cbegin(); it != device.cend(); ++it) {
        if (!line.isEmpty()) {
            line += '\t';
        }
        line += it.key().toLatin1() + '=' + it.value().toLatin1();
    }
    return line + '\n';
}

} // namespace testsupport
