#pragma once

// Reading a table as a user sees it: a column top to bottom, the rows that match, the row that shows a text.

#include <QAbstractItemModel>
#include <QStringList>

namespace testsupport {

// The data of `column` under `role`, as texts, from the top row down.
inline QStringList columnTexts(const QAbstractItemModel& model, int column, int role = Qt::DisplayRole) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data(role).toString();
    return texts;
}

// How many rows have an index in `column` for which `match` holds.
template <typename Match>
int countRows(const QAbstractItemModel& model, int column, Match match) {
    int n = 0;
    for (int row = 0; row < model.rowCount(); ++row)
        n += match(model.index(row, column)) ? 1 : 0;
    return n;
}

// The last row whose `column` shows `text`, or -1.
inline int rowShowing(const QAbstractItemModel& model, int column, const QString& text) {
    return int(columnTexts(model, column).lastIndexOf(text));
}

} // namespace testsupport
