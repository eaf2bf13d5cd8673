#include "devicelist/CIpStandardItem.h"

#include <QStringList>

namespace aptui {

CIpStandardItem::CIpStandardItem(const QString& text)
    : QStandardItem(text) {}

bool CIpStandardItem::operator<(const QStandardItem& other) const {
    return sortKey(text()) < sortKey(other.text());
}

QStandardItem* CIpStandardItem::clone() const {
    return new CIpStandardItem(*this);
}

QString CIpStandardItem::sortKey(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    QString key;
    key.reserve(12);
    for (int i = 0; i < 4; ++i) {
        int number = 0;
        if (i < parts.size()) {
            const QString& part = parts.at(i);
            qsizetype digits = 0;
            while (digits < part.size() && part.at(digits).isDigit() && part.at(digits).unicode() < 0x80)
                ++digits;
            number = part.left(digits).toInt();
        }
        key += QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
    }
    return key;
}

} // namespace aptui
