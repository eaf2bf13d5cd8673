#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace VEXA {

// The one user name and password the program uses for ONVIF devices during this run: to read their details and
// to change their settings. Kept in memory only (the keyring, when the user asks to remember them, is the sign-in
// dialog's business). The login goes only to the devices it covers: those listed when the user signed in, or
// every device, later ones too, when the user chose so. GUI thread only.
class OnvifLogin : public QObject {
    Q_OBJECT

public:
    static OnvifLogin& instance();

    QString user() const { return m_user; }
    QString password() const { return m_password; }
    bool isSet() const { return !m_user.isEmpty(); }

    // Emits changed() when either differs from what was held; an empty user forgets both, and the scope.
    void set(const QString& user, const QString& password);
    void clear() { set(QString(), QString()); }

    // The devices (endpoint references) the login goes to, or every device when automatic. Emits changed() when
    // the scope differs.
    void setScope(const QStringList& endpoints, bool automatic);
    // The login and its scope at once: one changed(), so that no device gets the new login under the old scope or
    // the old login under the new one.
    void assign(const QString& user, const QString& password, const QStringList& endpoints, bool automatic);
    // Adds devices to the scope (a change the user sends to ticked devices with this login, say).
    void addToScope(const QStringList& endpoints);
    // Devices that took a password of their own (a generated one): the run's login leaves them now, and no scope
    // takes them in again; each keeps its own login in the library. Forgotten with the login.
    void keepOwnLogin(const QStringList& endpoints);
    bool hasOwnLogin(const QString& endpoint) const { return m_own.contains(endpoint); }
    bool isAutomatic() const { return m_automatic; }
    QStringList endpoints() const { return QStringList(m_endpoints.cbegin(), m_endpoints.cend()); }
    // True when the login is set and goes to that device.
    bool covers(const QString& endpoint) const {
        return isSet() && !m_own.contains(endpoint) && (m_automatic || m_endpoints.contains(endpoint));
    }

signals:
    void changed();

private:
    OnvifLogin() = default;

    QString m_user;
    QString m_password;
    QSet<QString> m_endpoints;
    QSet<QString> m_own;
    bool m_automatic = false;
};

} // namespace VEXA
