#pragma once

#include "signin/OnvifCredentialStore.h"

namespace VexaTool {

// The ONVIF login in the system keyring (the Secret Service on Linux, the Credential Manager on Windows) through
// QtKeychain: one entry of this program holding the user and the password; never a file of ours, no plain-text
// fallback.
class KeyringCredentialStore : public OnvifCredentialStore {
public:
    void load(QObject* context, std::function<void(const RememberedLogin&)> done) override;
    void save(const RememberedLogin& login, QObject* context, std::function<void(bool)> done) override;
    void forget(QObject* context, std::function<void(bool)> done) override;

    static constexpr const char* kService = "VEXA Tool";
    static constexpr const char* kKey = "onvif-login";
};

// The keyring entry's text: a small JSON object; what cannot be read as one gives an empty user. An entry of an
// earlier version names no devices and is not automatic. At most kMaxRememberedDevices devices are kept.
QByteArray encodeLogin(const RememberedLogin& login);
bool decodeLogin(const QByteArray& data, RememberedLogin& login);
constexpr int kMaxRememberedDevices = 4096;

} // namespace VexaTool
