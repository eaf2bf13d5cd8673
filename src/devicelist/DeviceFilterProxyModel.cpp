#include "devicelist/DeviceFilterProxyModel.h"

#include <algorithm>

namespace VexaTool {

DeviceFilterProxyModel::DeviceFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent) {
    // Devices arrive and change while a filter is on: rows must come and go with their texts.
    setDynamicSortFilter(true);
}

void DeviceFilterProxyModel::setFilterColumns(const QList<int>& columns) {
    m_columns = columns;
    invalidateFilter();
    emit signalFilterChanged();
}

void DeviceFilterProxyModel::setFilterWords(const QString& text) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList cleaned;
    for (const QString& word : words) {
        const QString w = word.trimmed();
        if (!w.isEmpty())
            cleaned << w;
    }
    if (cleaned == m_words)
        return;
    m_words = cleaned;
    invalidateFilter();
    emit signalFilterChanged();
}

void DeviceFilterProxyModel::sort(int column, Qt::SortOrder order) {
    if (m_sortsSource && sourceModel()) {
        sourceModel()->sort(column, order);
        return;
    }
    QSortFilterProxyModel::sort(column, order);
}

bool DeviceFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_words.isEmpty())
        return true;
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    QStringList texts;
    const int columns = source->columnCount(sourceParent);
    if (m_columns.isEmpty()) {
        for (int c = 0; c < columns; ++c)
            texts << source->index(sourceRow, c, sourceParent).data(Qt::DisplayRole).toString();
    } else {
        for (const int c : m_columns) {
            if (c >= 0 && c < columns)
                texts << source->index(sourceRow, c, sourceParent).data(Qt::DisplayRole).toString();
        }
    }
    if (m_keywordRole != 0 && m_checkColumn >= 0 && m_checkColumn < columns) {
        const QString keywords = source->index(sourceRow, m_checkColumn, sourceParent).data(m_keywordRole).toString();
        if (!keywords.isEmpty())
            texts << keywords;
    }
    return std::all_of(m_words.cbegin(), m_words.cend(), [&texts](const QString& word) {
        return std::any_of(texts.cbegin(), texts.cend(),
                           [&word](const QString& text) { return text.contains(word, Qt::CaseInsensitive); });
    });
}

QList<int> DeviceFilterProxyModel::shownCheckedSourceRows() const {
    QList<int> rows;
    for (int r = 0; r < rowCount(); ++r) {
        const QModelIndex shown = index(r, m_checkColumn);
        if (shown.data(Qt::CheckStateRole).toInt() == Qt::Checked)
            rows << mapToSource(shown).row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DeviceFilterProxyModel::setShownCheckState(Qt::CheckState state) {
    for (int r = 0; r < rowCount(); ++r)
        setData(index(r, m_checkColumn), static_cast<int>(state), Qt::CheckStateRole);
}

} // namespace VexaTool
