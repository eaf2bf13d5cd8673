#include "appbase/QtSingleApplication.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>

namespace SharedTools {

QtSingleApplication::QtSingleApplication(const QString& id, int& argc, char** argv)
    : QApplication(argc, argv)
    , m_id(id)
    , m_lock(std::make_unique<QLockFile>(lockFilePath(id))) {
    // A lock left behind by a crashed process is taken over: QLockFile checks that its owner is alive.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return;
    // Only a lock held by a live copy means "already running"; a lock that cannot be made at all (an
    // unwritable or missing temporary folder) must not keep a lone copy from starting.
    m_running = m_lock->error() == QLockFile::LockFailedError;
    if (!m_running) {
        qWarning("[QtSingleApplication]cannot take the instance lock %s (error %d); starting without it",
                 qUtf8Printable(lockFilePath(id)), static_cast<int>(m_lock->error()));
    }
}

QtSingleApplication::~QtSingleApplication() = default;

bool QtSingleApplication::isRunning() const {
    return m_running;
}

QString QtSingleApplication::id() const {
    return m_id;
}

QString QtSingleApplication::lockFilePath(const QString& id) {
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    const QByteArray key =
        QCryptographicHash::hash((id + QLatin1Char('|') + user).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir::temp().filePath(QStringLiteral("qtsingleapp-%1.lock").arg(QString::fromLatin1(key)));
}

} // namespace SharedTools
