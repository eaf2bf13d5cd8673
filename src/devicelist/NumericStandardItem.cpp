#include "devicelist/NumericStandardItem.h"

namespace VexaTool {

NumericStandardItem::NumericStandardItem(const QString& text)
    : QStandardItem(text) {}

bool NumericStandardItem::operator<(const QStandardItem& other) const {
    bool ok = false;
    bool otherOk = false;
    const qlonglong mine = text().trimmed().toLongLong(&ok);
    const qlonglong theirs = other.text().trimmed().toLongLong(&otherOk);
    if (ok && otherOk)
        return mine < theirs;
    return QStandardItem::operator<(other);
}

QStandardItem* NumericStandardItem::clone() const {
    return new NumericStandardItem(*this);
}

} // namespace VexaTool
