#pragma once

#include <memory>

#include <QApplication>
#include <QString>

class QLockFile;

namespace SharedTools {

// An application object that knows whether another process with the same identifier runs. The first
// process holds a lock file named after the identifier (and the user); later ones fail to take it.
// Nothing is sent between the processes.
class QtSingleApplication : public QApplication {
    Q_OBJECT

public:
    QtSingleApplication(const QString& id, int& argc, char** argv);
    ~QtSingleApplication() override;

    // True when another live process with this identifier held the lock at construction. A lock that could
    // not be made for any other reason is logged and does not count.
    bool isRunning() const;
    QString id() const;

    // The lock file's path for an identifier; per user, in the system's temporary folder.
    static QString lockFilePath(const QString& id);

private:
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    bool m_running = false;
};

} // namespace SharedTools
