#include "fleet/ClockOffset.h"

#include <cstdlib>

#include "discovery/DeviceRecord.h"

namespace VexaTool {

QString ClockOffset::text(int seconds) {
    // A minus sign, not a hyphen: the column reads like a number.
    const QString sign = seconds > 0 ? QStringLiteral("+") : seconds < 0 ? QStringLiteral("\u2212") : QString();
    const long long magnitude = std::llabs(static_cast<long long>(seconds));
    const long long hours = magnitude / 3600;
    const long long minutes = magnitude / 60 % 60;
    const long long rest = magnitude % 60;
    if (hours > 0)
        return minutes > 0 ? tr("%1%2 h %3 min").arg(sign).arg(hours).arg(minutes) : tr("%1%2 h").arg(sign).arg(hours);
    if (minutes > 0)
        return rest > 0 ? tr("%1%2 min %3 s").arg(sign).arg(minutes).arg(rest) : tr("%1%2 min").arg(sign).arg(minutes);
    return tr("%1%2 s").arg(sign).arg(rest);
}

ClockOffset::Level ClockOffset::level(int seconds) {
    const long long magnitude = std::llabs(static_cast<long long>(seconds));
    if (magnitude > kFarBeyond)
        return Level::Far;
    return magnitude > kMarkedBeyond ? Level::Marked : Level::Fine;
}

QString ClockOffset::toolTip(const VEXA_CLOCK_INFO& clock) {
    const QString zone = recordText(clock.timeZone);
    QString tip = zone.isEmpty() ? tr("Time zone: not given") : tr("Time zone: %1").arg(zone);
    tip += QLatin1Char('\n');
    if (!(clock.flags & VEXA_CLOCK_NTP)) {
        tip += tr("NTP: off (time set by hand)");
    } else if (clock.flags & VEXA_CLOCK_NTP_FROM_DHCP) {
        tip += tr("NTP: servers from DHCP");
    } else if (clock.flags & VEXA_CLOCK_NTP_READ) {
        tip += tr("NTP: %1").arg(recordText(clock.ntpServers));
    } else {
        tip += tr("NTP: on (servers need a sign-in to read)");
    }
    return tip;
}

} // namespace VexaTool
