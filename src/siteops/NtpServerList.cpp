#include "siteops/NtpServerList.h"

#include <QRegularExpression>

#include "common/AddressValidation.h"

namespace VexaTool {

namespace {

// A DNS name (letters, digits, hyphens; labels of 1-63, not starting or ending with a hyphen) that is not all
// digits and dots, so that a mistyped address is not taken for a name.
bool isHostName(const QString& text) {
    static const QRegularExpression label(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    if (text.isEmpty() || text.size() > 253)
        return false;
    bool letter = false;
    for (const QString& part : text.split(QLatin1Char('.'))) {
        if (!label.match(part).hasMatch())
            return false;
        letter = letter || part.contains(QRegularExpression(QStringLiteral("[A-Za-z-]")));
    }
    return letter;
}

} // namespace

QStringList NtpServerList::parse(const QString& text, QString* error) {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList servers = text.split(separators, Qt::SkipEmptyParts);
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return QStringList();
    };
    if (servers.isEmpty())
        return fail(tr("Enter at least one NTP server."));
    if (servers.size() > kMaxServers)
        return fail(tr("Enter at most %1 NTP servers.").arg(kMaxServers));
    for (const QString& server : servers) {
        // An address must be a whole address: "10.0.0.300" is a typing error, not a host name.
        if (!isValidIpv4(server) && !isHostName(server))
            return fail(tr("\"%1\" is neither an IPv4 address nor a host name.").arg(server));
    }
    if (join(servers).size() > kFieldBytes)
        return fail(tr("The NTP servers are too long together (at most %1 characters).").arg(kFieldBytes));
    if (error)
        error->clear();
    return servers;
}

} // namespace VexaTool
