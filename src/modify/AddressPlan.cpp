#include "modify/AddressPlan.h"

#include <array>
#include <optional>

#include <QHostAddress>

namespace VexaTool {

namespace {

std::optional<std::array<uint32_t, 4>> ipv4Parts(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<uint32_t, 4> values{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[static_cast<std::size_t>(i)] = parts.at(i).toUInt(&ok);
        if (!ok || values[static_cast<std::size_t>(i)] > 255)
            return std::nullopt;
    }
    return values;
}

uint32_t toNumber(const std::array<uint32_t, 4>& parts) {
    return (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
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
    const auto parts = ipv4Parts(text);
    return parts ? fromNumber(toNumber(*parts)) : QString();
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
    const auto startParts = ipv4Parts(start);
    const auto maskParts = ipv4Parts(mask);
    if (!startParts || !maskParts || count < 1)
        return Fault::NoStart;
    const uint32_t first = toNumber(*startParts);
    const uint32_t maskValue = toNumber(*maskParts);
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
