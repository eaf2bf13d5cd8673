#include "password/PasswordRecovery.h"

#include <cstring>

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "outcome/ErrorText.h"

namespace VexaTool {

namespace {

// A key file is a few hundred bytes; anything far larger is the wrong file and is not read whole.
constexpr qint64 kMaxKeyFileSize = 64 * 1024;

} // namespace

QString defaultLocation() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return QDir::homePath();
#endif
}

QString& keyFolder() {
    static QString folder = defaultLocation();
    return folder;
}

QString& keyFile() {
    static QString file = defaultLocation();
    return file;
}

QString keyRequestFileName(const QString& serialNo, const QDateTime& when) {
    QString name = serialNo;
    name.replace(QLatin1Char('\\'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
    return name + QLatin1Char('-') + when.toString(QStringLiteral("yyyyMMdd")) + when.toString(QStringLiteral("HHmm")) +
           QStringLiteral(".xml");
}

bool keyRequestData(uint32_t length, const char* data, uint32_t capacity, QByteArray& out) {
    if (length > capacity)
        return false;
    out = QByteArray(data, static_cast<qsizetype>(length));
    return true;
}

QString keyRequestText(const QByteArray& data) {
    const qsizetype end = data.indexOf('\0');
    return QString::fromLatin1(end < 0 ? data : data.left(end));
}

KeyCopy copyKeyFile(const QString& keyPath, const QString& copyPath, qsizetype maxKeyBytes) {
    KeyCopy result;
    // Read before the old copy goes: the key file the user chose may be the copy itself.
    QFile key(keyPath);
    QByteArray text;
    const bool readable = key.open(QIODevice::ReadOnly | QIODevice::Text);
    if (readable) {
        if (key.size() > kMaxKeyFileSize) {
            result.status = KeyCopy::TooLong;
            return result;
        }
        text = key.readAll();
        key.close();
    }
    if (QFile::exists(copyPath))
        QFile::remove(copyPath);
    if (!readable) {
        // A stale copy would let the library send an old key; without one it reports the unreadable file.
        result.status = KeyCopy::Unreadable;
        result.path = copyPath;
        return result;
    }
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    if (text.size() > maxKeyBytes) {
        result.status = KeyCopy::TooLong;
        return result;
    }
    QSaveFile copy(copyPath);
    // The copy holds a key that resets the device's password until it expires: its owner's eyes only, set before
    // a byte of it is written.
    if (!copy.open(QIODevice::WriteOnly) || !copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        copy.write(text) != text.size() || !copy.commit()) {
        result.status = KeyCopy::CopyFailed;
        return result;
    }
    result.status = KeyCopy::Written;
    result.path = copyPath;
    return result;
}

RecordFit fillResetRecord(VEXA_RESET_PARAM& record, const QByteArray& key, const QByteArray& keyFilePath,
                          const QByteArray& newPassword, bool resetIpc) {
    std::memset(&record, 0, sizeof record);
    if (key.size() > kMaxKeyBytes)
        return RecordFit::KeyTooLong;
    if (keyFilePath.size() > kMaxPathBytes)
        return RecordFit::PathTooLong;
    if (newPassword.size() > kMaxPasswordBytes)
        return RecordFit::PasswordTooLong;
    std::memcpy(record.key, key.constData(), static_cast<size_t>(key.size()));
    std::memcpy(record.keyFilePath, keyFilePath.constData(), static_cast<size_t>(keyFilePath.size()));
    std::memcpy(record.newPassword, newPassword.constData(), static_cast<size_t>(newPassword.size()));
    record.resetIpc = resetIpc ? 1 : 0;
    return RecordFit::Ok;
}

QString libraryErrorSentence(uint32_t code) {
    switch (code) {
    case VEXA_ERR_UNKNOWN_DEVICE:
    case VEXA_ERR_UNTRUSTED_DEVICE:
    case VEXA_ERR_FILE:
    case VEXA_ERR_TIMEOUT:
    case VEXA_ERR_LOCKED:
    case VEXA_ERR_WEAK_PASSWORD:
    case VEXA_ERR_NOT_SUPPORTED:
    case VEXA_ERR_OUTCOME_UNKNOWN:
        return ErrorText::sentence(code);
    default:
        return {};
    }
}

} // namespace VexaTool
