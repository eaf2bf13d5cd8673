#include "modify/AddressPlan.h"

#include <optional>

#include <QHostAddress>

#include "deployment/Ipv4Rules.h"

namespace VexaTool {

namespace {

std::optional<uint32_t> ipv4Number(const QString& text) {
    uint32_t value = 0;
    return plan::ipv4Number(text.toStdString(), value) ? std::optional<uint32_t>(value) : std::nullopt;
}

QString fromNumber(uint32_t value) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(value >> 24)
        .arg((value >> 16) & 0xff)
        .arg((value >> 8) & 0xff)
        .arg(value & 0xff);
}

} // namespace

QString AddressPlan::canonicalIpv4(const QString& text) {
    return QString::fromStdString(plan::canonicalIpv4(text.toStdString()));
}

QString AddressPlan::canonicalIpv6(const QString& text) {
    QString address = text.trimmed();
    const qsizetype zone = address.indexOf(QLatin1Char('%'));
    if (zone >= 0)
        address.truncate(zone);
    QHostAddress parsed;
    if (address.isEmpty() || !parsed.setAddress(address) || parsed.protocol() != QAbstractSocket::IPv6Protocol)
        return {};
    return parsed.toString();
}

AddressPlan::Fault AddressPlan::consecutive(const QString& start, const QString& mask, int count,
                                            QStringList& addresses) {
    addresses.clear();
    const auto startNumber = ipv4Number(start);
    const auto maskNumber = ipv4Number(mask);
    if (!startNumber || !maskNumber || count < 1)
        return Fault::NoStart;
    const uint32_t first = *startNumber;
    const uint32_t maskValue = *maskNumber;
    const uint32_t network = first & maskValue;
    const uint32_t broadcast = network | ~maskValue;
    // The count runs in the last two parts only: past x.x.255.255 the first two parts would have to change.
    const uint32_t lowTwo = first & 0xffffu;
    if (lowTwo + static_cast<uint32_t>(count - 1) > 0xffffu)
        return Fault::PastEnd;
    const uint32_t last = first + static_cast<uint32_t>(count - 1);
    if ((last & maskValue) != network)
        return Fault::LeavesSubnet;
    if (first <= network || last >= broadcast)
        return Fault::NetworkOrBroadcast;
    addresses.reserve(count);
    for (uint32_t value = first; value <= last; ++value)
        addresses.append(fromNumber(value));
    return Fault::None;
}

} // namespace VexaTool
