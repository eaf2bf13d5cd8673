#include "scan/ScanResultModel.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace VexaTool {

ScanResultModel::ScanResultModel(const ScanTally& tally, QObject* parent)
    : QAbstractTableModel(parent)
    , m_tally(tally)
    , m_order(static_cast<size_t>(tally.size())) {
    std::iota(m_order.begin(), m_order.end(), 0);
}

int ScanResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int ScanResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ScanResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return QVariant();
    const ScanTally::Entry& entry = m_tally.at(m_order[static_cast<size_t>(index.row())]);
    if (index.column() == ColumnAddress)
        return ScanTally::addressText(entry.address);
    return ScanTally::reasonText(entry.reason, entry.protocols);
}

QVariant ScanResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == ColumnAddress ? tr("Address") : tr("Result");
}

void ScanResultModel::sort(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> rowsBefore;
    rowsBefore.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        rowsBefore.push_back(m_order[static_cast<size_t>(index.row())]);
    // Either way each result's addresses stay in address order.
    const bool byResult = column == ColumnResult;
    const bool ascending = order == Qt::AscendingOrder;
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const ScanTally::Entry& x = m_tally.at(a);
        const ScanTally::Entry& y = m_tally.at(b);
        if (byResult && (x.reason != y.reason || x.protocols != y.protocols)) {
            const bool less = std::tie(x.reason, x.protocols) < std::tie(y.reason, y.protocols);
            return ascending ? less : !less;
        }
        return byResult || ascending ? x.address < y.address : y.address < x.address;
    });
    std::vector<int> place(m_order.size());
    for (size_t row = 0; row < m_order.size(); ++row)
        place[static_cast<size_t>(m_order[row])] = static_cast<int>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(place[static_cast<size_t>(rowsBefore[static_cast<size_t>(i)])], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace VexaTool
