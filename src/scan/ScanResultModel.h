#pragma once

#include <QAbstractTableModel>

#include "scan/ScanTally.h"

namespace VexaTool {

// The settled addresses of a scan as a table: address and result. Holds its own copy of the tally (eight bytes a
// row), so a /16 shows without an item per cell. GUI thread only.
class ScanResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColumnAddress, ColumnResult, ColumnCount };

    explicit ScanResultModel(const ScanTally& tally, QObject* parent = nullptr);

    const ScanTally& tally() const { return m_tally; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    ScanTally m_tally;
    std::vector<int> m_order; // rows in shown order, as indexes into the tally
};

} // namespace VexaTool
