#pragma once

#include "signin/OnvifCredentialStore.h"

namespace VexaTool {

// The ONVIF login in the system keyring (the Secret Service on Linux, the Credential Manager on Windows) through
// QtKeychain: one entry of this program holding the user and the password; never a file of ours, no plain-text
// fallback.
class KeyringCredentialStore : public OnvifCredentialStore {
public:
    void load(QObject* context, std::function<void(const QString&, const QString&)> done) override;
    void save(const QString& user, const QString& password, QObject* context, std::function<void(bool)> done) override;
    void forget(QObject* context, std::function<void(bool)> done) override;

    static constexpr const char* kService = "VEXA Tool";
    static constexpr const char* kKey = "onvif-login";
};

// The keyring entry's text: a small JSON object; what cannot be read as one gives an empty user.
QByteArray encodeLogin(const QString& user, const QString& password);
bool decodeLogin(const QByteArray& data, QString& user, QString& password);

} // namespace VexaTool
