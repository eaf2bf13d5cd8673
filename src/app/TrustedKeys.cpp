#include "app/TrustedKeys.h"

#include <QChar>

namespace apt {

namespace {

// The library skips empty entries, so a text of separators alone names no key at all.
bool namesSomething(const QByteArray& variable) {
    for (const char c : variable) {
        if (c != ',' && c != ';' && !QChar::isSpace(static_cast<uchar>(c)))
            return true;
    }
    return false;
}

bool noKeyFromText(const VEXA_STATISTICS& statistics, const QByteArray& variable) {
    return statistics.trustedKeys == 0 && namesSomething(variable);
}

} // namespace

QString TrustedKeys::warning(const VEXA_STATISTICS& statistics, const QByteArray& variable) {
    if (!noKeyFromText(statistics, variable))
        return {};
    return tr("VEXA_TRUSTED_KEYS holds no valid key: no device can prove that it is genuine, and no password "
              "will be sent to any. Correct the keys and restart the program.");
}

QString TrustedKeys::logLine(const VEXA_STATISTICS& statistics, const QByteArray& variable) {
    if (noKeyFromText(statistics, variable))
        return QStringLiteral("[Tool]VEXA_TRUSTED_KEYS holds no valid key (%1 entries ignored)")
            .arg(statistics.rejectedKeys);
    if (statistics.rejectedKeys > 0)
        return QStringLiteral("[Tool]VEXA_TRUSTED_KEYS: %1 entries ignored, %2 keys trusted")
            .arg(statistics.rejectedKeys)
            .arg(statistics.trustedKeys);
    return {};
}

} // namespace apt
