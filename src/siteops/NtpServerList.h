#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace VexaTool {

// The NTP servers a user types for "Set time…": 1 to 4 host names or IPv4 addresses, separated by commas or
// spaces, that together fit the library's field.
class NtpServerList {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::NtpServerList)

public:
    static constexpr int kMaxServers = 4;
    static constexpr int kFieldBytes = 127; // VEXA_TIME_PARAM::ntpServers without its NUL

    // The servers, or an empty list and the reason in error.
    static QStringList parse(const QString& text, QString* error = nullptr);
    // The library's form: comma separated.
    static QByteArray join(const QStringList& servers) { return servers.join(QLatin1Char(',')).toLatin1(); }
};

} // namespace VexaTool
