#pragma once

#include <QStandardItem>

namespace VexaTool {

// A table cell whose text is a number and which sorts by its value: "1000" after "999", which the
// zero-padded texts of the ID column do not do by themselves once a list passes 999 rows.
class NumericStandardItem : public QStandardItem {
public:
    explicit NumericStandardItem(const QString& text);

    bool operator<(const QStandardItem& other) const override;
    QStandardItem* clone() const override;
};

} // namespace VexaTool
