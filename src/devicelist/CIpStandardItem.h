#pragma once

#include <QStandardItem>

namespace aptui {

// A table cell holding a dotted address that sorts by its numbers, so 10.0.0.9 comes before 10.0.0.10.
class CIpStandardItem : public QStandardItem {
public:
    explicit CIpStandardItem(const QString& text);

    bool operator<(const QStandardItem& other) const override;
    QStandardItem* clone() const override;

    // Each of the first four dot-separated parts as its leading number ("%03d" each, missing parts 0).
    static QString sortKey(const QString& text);
};

} // namespace aptui
