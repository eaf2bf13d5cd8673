#pragma once

#include <functional>

#include <QString>

class QObject;

namespace VexaTool {

// Where a remembered ONVIF login is kept between runs: the system keyring in the program, a fake in tests. Every
// call answers later, on the GUI thread, through its callback, and only while context lives.
class OnvifCredentialStore {
public:
    virtual ~OnvifCredentialStore() = default;

    // done(user, password): what is remembered; an empty user when nothing is, or when the store cannot be read.
    virtual void load(QObject* context, std::function<void(const QString& user, const QString& password)> done) = 0;
    // done(ok): false when the store refused (no keyring service, say); nothing is then remembered.
    virtual void save(const QString& user, const QString& password, QObject* context,
                      std::function<void(bool ok)> done) = 0;
    virtual void forget(QObject* context, std::function<void(bool ok)> done) = 0;
};

} // namespace VexaTool
