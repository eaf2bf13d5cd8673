#include "signin/KeyringCredentialStore.h"

#include <qt6keychain/keychain.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

namespace VexaTool {

QByteArray encodeLogin(const RememberedLogin& login) {
    QJsonObject object;
    object.insert(QStringLiteral("user"), login.user);
    object.insert(QStringLiteral("password"), login.password);
    if (login.automatic)
        object.insert(QStringLiteral("automatic"), true);
    QJsonArray devices;
    for (const QString& endpoint : login.endpoints.mid(0, kMaxRememberedDevices))
        devices.append(endpoint);
    if (!devices.isEmpty())
        object.insert(QStringLiteral("devices"), devices);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool decodeLogin(const QByteArray& data, RememberedLogin& login) {
    login = RememberedLogin();
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject())
        return false;
    const QJsonValue name = document.object().value(QStringLiteral("user"));
    const QJsonValue secret = document.object().value(QStringLiteral("password"));
    if (!name.isString() || !secret.isString() || name.toString().isEmpty())
        return false;
    login.user = name.toString();
    login.password = secret.toString();
    login.automatic = document.object().value(QStringLiteral("automatic")).toBool(false);
    const QJsonArray devices = document.object().value(QStringLiteral("devices")).toArray();
    for (const QJsonValue& device : devices) {
        if (login.endpoints.size() >= kMaxRememberedDevices)
            break;
        if (device.isString() && !device.toString().isEmpty())
            login.endpoints << device.toString();
    }
    return true;
}

void KeyringCredentialStore::load(QObject* context, std::function<void(const RememberedLogin&)> done) {
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
        RememberedLogin login;
        // No entry and no keyring service both mean: nothing remembered.
        if (job->error() == QKeychain::NoError)
            decodeLogin(job->binaryData(), login);
        done(login);
        login.wipe();
    });
    job->start();
}

void KeyringCredentialStore::save(const RememberedLogin& login, QObject* context, std::function<void(bool)> done) {
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    QByteArray data = encodeLogin(login);
    job->setBinaryData(data);
    data.fill('\0');
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [job, done = std::move(done)] { done(job->error() == QKeychain::NoError); });
    job->start();
}

void KeyringCredentialStore::forget(QObject* context, std::function<void(bool)> done) {
    auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
        done(job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound);
    });
    job->start();
}

} // namespace VexaTool
