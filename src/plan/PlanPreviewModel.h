#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QIcon>

#include "deployment/PlanValidator.h"

namespace VexaTool {

// The rows of a plan beside the devices they name, with the checks' marks: a marked cell carries the error
// icon and its messages as tool tip, the check column says what is wrong with the row or that it is ready.
class PlanPreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        ColumnLine,
        ColumnCheck, // first after the line: what is wrong matters before the values
        ColumnSerial,
        ColumnMac,
        ColumnCurrentAddress,
        ColumnNewAddress,
        ColumnMask,
        ColumnGateway,
        ColumnName,
        ColumnPort,
        ColumnHttpPort,
        ColumnRtspPort,
        ColumnDhcp,
        ColumnCount
    };
    enum Role {
        CellMarkedRole = Qt::UserRole + 1, // bool: this cell's value is refused
        RowMarkedRole,                     // bool: something in this row is refused
    };

    explicit PlanPreviewModel(QObject* parent = nullptr);

    void setPlan(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                 const std::vector<plan::PlanDevice>& devices);

    int markedRowCount() const;
    bool isReady() const { return !m_rows.empty() && m_check.ok(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static plan::PlanField fieldOf(int column);

private:
    QString text(int row, int column) const;
    QStringList messages(int row, int column) const;

    std::vector<plan::PlanRow> m_rows;
    std::vector<plan::PlanDevice> m_devices;
    plan::PlanCheck m_check;
    std::vector<std::vector<plan::PlanIssue>> m_issuesOfRow;
    QIcon m_errorIcon;
    QIcon m_okIcon;
};

} // namespace VexaTool
