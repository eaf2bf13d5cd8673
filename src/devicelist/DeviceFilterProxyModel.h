#pragma once

#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>

namespace VexaTool {

// The quick filter in front of the device table: a row is shown when every typed word appears, without
// regard to case, in the visible text of one of the filter columns (the words may sit in different columns).
// The source model keeps its own rows and order; ticking and the selection act on what is shown.
class DeviceFilterProxyModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit DeviceFilterProxyModel(QObject* parent = nullptr);

    // Columns of the source model whose texts are searched; empty: every column.
    void setFilterColumns(const QList<int>& columns);
    QList<int> filterColumns() const { return m_columns; }

    // The column whose check box ticks a row (Qt::CheckStateRole).
    void setCheckColumn(int column) { m_checkColumn = column; }
    int checkColumn() const { return m_checkColumn; }
    // A role of the check column whose text the filter also matches (words a row does not show, "ONVIF"); 0: none.
    void setKeywordRole(int role) { m_keywordRole = role; }

    // When on, sorting is handed to the source model, which keeps its own order and sort keys; the proxy
    // then only hides rows and shows the rest in the source's order.
    void setSortsSource(bool on) { m_sortsSource = on; }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    QString filterWords() const { return m_words.join(QLatin1Char(' ')); }
    bool isFiltering() const { return !m_words.isEmpty(); }

    // Source rows that are ticked and shown, in source order: what the modify page and export receive.
    QList<int> shownCheckedSourceRows() const;
    // Ticks or unticks every shown row; hidden rows keep their state.
    void setShownCheckState(Qt::CheckState state);

public slots:
    void setFilterWords(const QString& text);

signals:
    void signalFilterChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QStringList m_words;
    QList<int> m_columns;
    int m_checkColumn = 0;
    int m_keywordRole = 0;
    bool m_sortsSource = false;
};

} // namespace VexaTool
