#include "common/AddressValidation.h"

#include <QStringList>

#include "deployment/Ipv4Rules.h"

// The IPv4 rules are the deployment layer's, on the text's UTF-8 bytes: anything not ASCII is refused there.
bool isValidIpv4(const QString& text) {
    return VexaTool::plan::isValidIpv4(text.toStdString());
}

bool isValidGateway(const QString& text) {
    return VexaTool::plan::isValidGateway(text.toStdString());
}

bool isValidSubnetMask(const QString& text) {
    return VexaTool::plan::isValidSubnetMask(text.toStdString());
}

bool isValidIpv6(const QString& text) {
    if (text.trimmed() == QLatin1String("::"))
        return true;

    QString address = text;
    const int zone = static_cast<int>(address.lastIndexOf(QLatin1Char('%')));
    if (zone >= 0)
        address.truncate(zone);

    const QStringList parts = address.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    const int count = static_cast<int>(parts.size());
    if (count < 3 || count > 8)
        return false;

    int doubleColons = 0; // overlapping: ":::" counts two
    for (int i = 0; i + 1 < address.size(); ++i) {
        if (address.at(i) == QLatin1Char(':') && address.at(i + 1) == QLatin1Char(':'))
            ++doubleColons;
    }
    if (count == 8 && doubleColons > 1)
        return false;
    const int needed = address.contains(QLatin1Char('.')) ? 7 : 8;
    if (doubleColons != 1 && count < needed)
        return false;

    // Walk from the end so that an IPv4 tail is seen first; the "::" gap fills what the groups leave.
    int budget = 16;
    int fill = 9 - count;
    for (int i = count - 1; i >= 0; --i) {
        if (budget < 1)
            return false;
        const QString& part = parts.at(i);
        if (!part.isEmpty()) {
            bool ok = false;
            const uint group = part.toUInt(&ok, 16);
            if (ok && group <= 0xFFFF) {
                budget -= 2;
            } else if (i == count - 1 && isValidIpv4(part)) {
                budget -= 4;
                --fill;
            } else {
                return false;
            }
        } else if (i == count - 1) {
            if (!parts.at(i - 1).isEmpty())
                return false;
            budget -= 2;
        } else if (i == 0) {
            if (!parts.at(1).isEmpty())
                return false;
            budget -= 2;
        } else {
            for (int group = 0; group < fill; ++group) {
                if (budget < 1)
                    return false;
                budget -= 2;
            }
        }
    }
    return true;
}
