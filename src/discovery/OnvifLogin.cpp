#include "discovery/OnvifLogin.h"

#include <QSignalBlocker>

namespace VEXA {

OnvifLogin& OnvifLogin::instance() {
    static OnvifLogin login;
    return login;
}

void OnvifLogin::set(const QString& user, const QString& password) {
    const QString newPassword = user.isEmpty() ? QString() : password;
    if (user == m_user && newPassword == m_password)
        return;
    m_user = user;
    m_password.fill(QChar(0));
    m_password = newPassword;
    if (user.isEmpty()) {
        m_endpoints.clear();
        m_own.clear();
        m_automatic = false;
    }
    emit changed();
}

void OnvifLogin::setScope(const QStringList& endpoints, bool automatic) {
    const QSet<QString> scope = QSet<QString>(endpoints.cbegin(), endpoints.cend()).subtract(m_own);
    if (scope == m_endpoints && automatic == m_automatic)
        return;
    m_endpoints = scope;
    m_automatic = automatic;
    if (isSet())
        emit changed();
}

void OnvifLogin::assign(const QString& user, const QString& password, const QStringList& endpoints, bool automatic) {
    QSignalBlocker quiet(this);
    const QString oldUser = m_user;
    const QString oldPassword = m_password;
    const QSet<QString> oldScope = m_endpoints;
    const bool oldAutomatic = m_automatic;
    setScope(endpoints, automatic);
    set(user, password);
    quiet.unblock();
    if (m_user != oldUser || m_password != oldPassword || m_endpoints != oldScope || m_automatic != oldAutomatic)
        emit changed();
}

void OnvifLogin::addToScope(const QStringList& endpoints) {
    const qsizetype before = m_endpoints.size();
    for (const QString& endpoint : endpoints)
        if (!m_own.contains(endpoint))
            m_endpoints.insert(endpoint);
    if (m_endpoints.size() != before && isSet())
        emit changed();
}

void OnvifLogin::keepOwnLogin(const QStringList& endpoints) {
    for (const QString& endpoint : endpoints) {
        m_own.insert(endpoint);
        m_endpoints.remove(endpoint);
    }
    if (isSet() && !endpoints.isEmpty())
        emit changed();
}

} // namespace VEXA
