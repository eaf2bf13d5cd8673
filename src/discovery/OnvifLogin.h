#pragma once

#include <QObject>
#include <QString>

namespace VEXA {

// The one user name and password the program uses for ONVIF devices during this run: to read their details and
// to change their settings. Kept in memory only (the keyring, when the user asks to remember them, is the sign-in
// dialog's business). GUI thread only.
class OnvifLogin : public QObject {
    Q_OBJECT

public:
    static OnvifLogin& instance();

    QString user() const { return m_user; }
    QString password() const { return m_password; }
    bool isSet() const { return !m_user.isEmpty(); }

    // Emits changed() when either differs from what was held; an empty user forgets both.
    void set(const QString& user, const QString& password);
    void clear() { set(QString(), QString()); }

signals:
    void changed();

private:
    OnvifLogin() = default;

    QString m_user;
    QString m_password;
};

} // namespace VEXA
