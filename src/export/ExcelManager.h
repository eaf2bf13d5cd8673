#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QStandardItemModel;

namespace VexaTool {

// Writes chosen rows of the device table into a new .xls workbook: one sheet named after the file, a header
// row of the table's column names (the serial number as "Device Serial Number") and one row per device,
// every cell as text. On Windows through the ODBC driver for Excel files; elsewhere, where that driver does
// not exist, through our own workbook writer with the same names and rows. GUI thread, synchronous.
class ExcelManager : public QObject {
    Q_OBJECT

public:
    // True in a column's header data when its cells are numbers (ports, counts): the workbook writes them as
    // numbers, so a spreadsheet sorts and sums them; every other cell is text.
    static constexpr int NumberColumnRole = Qt::UserRole + 60;

    explicit ExcelManager(QObject* parent = nullptr);

    // fileName without extension; folder ending in "/". True when every row was written.
    bool exportRows(const QString& fileName, const QString& folder, const QStandardItemModel* model,
                    const QList<int>& rows);

    // The sheet's column names: the model's columns 1 to last, as the header shows them now.
    QStringList columnNames(const QStandardItemModel* model) const;

    // The statements of the ODBC path. Names are bracket- or double-quote-quoted with the closing character
    // doubled, so a "]" or '"' in a name cannot end the quoting early.
    static QString connectionString(const QString& fileName, const QString& folder);
    static QString tableStatement(const QString& fileName, const QStringList& columns);
    static QString insertStatement(const QString& fileName, const QStringList& columns);

private:
    bool exportThroughOdbc(const QString& fileName, const QString& folder, const QStandardItemModel* model,
                           const QList<int>& rows, const QStringList& columns);
    bool exportThroughWriter(const QString& fileName, const QString& folder, const QStandardItemModel* model,
                             const QList<int>& rows, const QStringList& columns);
};

} // namespace VexaTool
