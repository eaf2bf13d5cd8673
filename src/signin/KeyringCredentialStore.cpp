#include "signin/KeyringCredentialStore.h"

#include <qt6keychain/keychain.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

namespace VexaTool {

QByteArray encodeLogin(const QString& user, const QString& password) {
    QJsonObject object;
    object.insert(QStringLiteral("user"), user);
    object.insert(QStringLiteral("password"), password);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool decodeLogin(const QByteArray& data, QString& user, QString& password) {
    user.clear();
    password.clear();
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject())
        return false;
    const QJsonValue name = document.object().value(QStringLiteral("user"));
    const QJsonValue secret = document.object().value(QStringLiteral("password"));
    if (!name.isString() || !secret.isString() || name.toString().isEmpty())
        return false;
    user = name.toString();
    password = secret.toString();
    return true;
}

void KeyringCredentialStore::load(QObject* context, std::function<void(const QString&, const QString&)> done) {
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
        QString user;
        QString password;
        // No entry and no keyring service both mean: nothing remembered.
        if (job->error() == QKeychain::NoError)
            decodeLogin(job->binaryData(), user, password);
        done(user, password);
    });
    job->start();
}

void KeyringCredentialStore::save(const QString& user, const QString& password, QObject* context,
                                  std::function<void(bool)> done) {
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    QByteArray data = encodeLogin(user, password);
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
