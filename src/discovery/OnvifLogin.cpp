#include "discovery/OnvifLogin.h"

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
    emit changed();
}

} // namespace VEXA
