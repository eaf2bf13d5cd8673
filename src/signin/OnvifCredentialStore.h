#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QObject;

namespace VexaTool {

// What a remembered sign-in holds: the login, and where it goes (the devices signed in to, by endpoint reference,
// or every device when automatic).
struct RememberedLogin {
    QString user;
    QString password;
    bool automatic = false;
    QStringList endpoints;
    void wipe() {
        password.fill(QChar(0));
        *this = RememberedLogin();
    }
};

// Where a remembered ONVIF login is kept between runs: the system keyring in the program, a fake in tests. Every
// call answers later, on the GUI thread, through its callback, and only while context lives.
class OnvifCredentialStore {
public:
    virtual ~OnvifCredentialStore() = default;

    // done(login): what is remembered; an empty user when nothing is, or when the store cannot be read.
    virtual void load(QObject* context, std::function<void(const RememberedLogin& login)> done) = 0;
    // done(ok): false when the store refused (no keyring service, say); nothing is then remembered.
    virtual void save(const RememberedLogin& login, QObject* context, std::function<void(bool ok)> done) = 0;
    virtual void forget(QObject* context, std::function<void(bool ok)> done) = 0;
};

} // namespace VexaTool
