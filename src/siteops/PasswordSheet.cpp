#include "siteops/PasswordSheet.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

#include "deployment/CsvWriter.h"

namespace VexaTool {

namespace {

const QString kDigits = QStringLiteral("23456789");
const QString kUpper = QStringLiteral("ABCDEFGHJKLMNPQRSTUVWXYZ");
const QString kLower = QStringLiteral("abcdefghijkmnopqrstuvwxyz");
// No ';': the sheet would quote the field, and a quote copied with a password breaks it.
const QString kSigns = QStringLiteral("!#$%()*+-./:=?@[]^_{|}~");

QChar pick(const QString& from) {
    return from.at(static_cast<qsizetype>(QRandomGenerator::system()->bounded(static_cast<quint32>(from.size()))));
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

QString PasswordSheet::generate(int length) {
    const QString all = kDigits + kUpper + kLower + kSigns;
    const int size = std::max(length, 4);
    QString password;
    // One of each kind, the rest from all; then shuffled so that the kinds sit nowhere in particular.
    password += pick(kDigits);
    password += pick(kUpper);
    password += pick(kLower);
    password += pick(kSigns);
    while (password.size() < size)
        password += pick(all);
    for (qsizetype i = password.size() - 1; i > 0; --i) {
        const auto j = static_cast<qsizetype>(QRandomGenerator::system()->bounded(static_cast<quint32>(i + 1)));
        std::swap(password[i], password[j]);
    }
    // Starts with a letter or digit: the sheet's formula guard would put an apostrophe before a leading sign.
    if (!password.front().isLetterOrNumber()) {
        const auto first = std::find_if(password.begin(), password.end(), [](QChar c) { return c.isLetterOrNumber(); });
        std::swap(*password.begin(), *first);
    }
    return password;
}

bool PasswordSheet::write(const QString& path, const QVector<Row>& rows, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return fail(errno == EEXIST
                        ? tr("%1 exists already; choose a new file.").arg(path)
                        : tr("%1 cannot be created: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    plan::CsvWriter writer;
    writer.addRow({tr("Serial Number").toStdString(), tr("MAC").toStdString(), tr("Address").toStdString(),
                   tr("User").toStdString(), tr("Password").toStdString()});
    for (const Row& row : rows)
        writer.addRow({row.serialNo.toStdString(), row.mac.toStdString(), row.address.toStdString(),
                       row.user.toStdString(), row.password.toStdString()});
    std::string data = writer.data();
    const bool ok = writeAll(fd, data) && ::fsync(fd) == 0;
    const int saved = errno;
    std::fill(data.begin(), data.end(), '\0');
    if (::close(fd) != 0 || !ok) {
        ::unlink(name.constData());
        return fail(
            tr("%1 cannot be written: %2").arg(path, QString::fromLocal8Bit(std::strerror(ok ? errno : saved))));
    }
    return true;
}

} // namespace VexaTool
