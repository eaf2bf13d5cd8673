#include "export/ExcelManager.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>

#include "export/XlsWriter.h"

namespace VexaTool {

namespace {

const char* const kConnectionName = "excelexport";
const char* const kOdbcDriver = "{Microsoft Excel Driver (*.xls)}";

QString bracketed(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QLatin1Char('[') + quoted + QLatin1Char(']');
}

QString doubleQuoted(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString cellText(const QStandardItemModel* model, int row, int column) {
    // What the table shows, which a model may derive from the item's text.
    return model->index(row, column).data(Qt::DisplayRole).toString();
}

} // namespace

ExcelManager::ExcelManager(QObject* parent)
    : QObject(parent) {}

QStringList ExcelManager::columnNames(const QStandardItemModel* model) const {
    QStringList names;
    const QString serialNumber = tr("Serial Number");
    for (int column = 1; column < model->columnCount(); ++column) {
        const QString header = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        names.append(header == serialNumber ? tr("Device Serial Number") : header);
    }
    return names;
}

QString ExcelManager::connectionString(const QString& fileName, const QString& folder) {
    return QStringLiteral("DRIVER=%1;DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"%2.xls\";DBQ=%3.xls")
        .arg(QLatin1String(kOdbcDriver), fileName, folder + fileName);
}

QString ExcelManager::tableStatement(const QString& fileName, const QStringList& columns) {
    QStringList entries;
    for (const QString& column : columns)
        entries.append(bracketed(column) + QStringLiteral(" char(64)"));
    return QStringLiteral("CREATE TABLE %1 (").arg(bracketed(fileName)) + entries.join(QLatin1Char(',')) +
           QLatin1Char(')');
}

QString ExcelManager::insertStatement(const QString& fileName, const QStringList& columns) {
    QStringList names;
    QStringList placeholders;
    for (int i = 0; i < columns.size(); ++i) {
        names.append(doubleQuoted(columns.at(i)));
        // Model column j (the first exported one is 1) binds to ":" followed by j + 1.
        placeholders.append(QLatin1Char(':') + QString::number(i + 2));
    }
    return QStringLiteral("INSERT INTO %1 ").arg(bracketed(fileName)) + QLatin1Char('(') +
           names.join(QLatin1Char(',')) + QStringLiteral(")VALUES(") + placeholders.join(QLatin1Char(',')) +
           QLatin1Char(')');
}

bool ExcelManager::exportRows(const QString& fileName, const QString& folder, const QStandardItemModel* model,
                              const QList<int>& rows) {
    if (!model)
        return false;
    const QStringList columns = columnNames(model);
#ifdef Q_OS_WIN
    return exportThroughOdbc(fileName, folder, model, rows, columns);
#else
    // No ODBC driver for Excel files exists here.
    return exportThroughWriter(fileName, folder, model, rows, columns);
#endif
}

bool ExcelManager::exportThroughOdbc(const QString& fileName, const QString& folder, const QStandardItemModel* model,
                                     const QList<int>& rows, const QStringList& columns) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QString::fromLatin1(kConnectionName));
    if (!database.isValid()) {
        const QString error = database.lastError().text();
        Q_UNUSED(error)
        return false;
    }
    database.setDatabaseName(connectionString(fileName, folder));
    if (!database.open()) {
        const QString error = database.lastError().text();
        Q_UNUSED(error)
        return false;
    }
    QSqlQuery query(database);
    if (!query.prepare(tableStatement(fileName, columns)) || !query.exec())
        return false;
    if (!query.prepare(insertStatement(fileName, columns)))
        return false;
    for (int row : rows) {
        for (int column = 1; column < model->columnCount(); ++column)
            query.bindValue(QLatin1Char(':') + QString::number(column + 1), cellText(model, row, column), QSql::In);
        if (!query.exec()) {
            database.close();
            return false;
        }
    }
    database.close();
    return true;
}

bool ExcelManager::exportThroughWriter(const QString& fileName, const QString& folder, const QStandardItemModel* model,
                                       const QList<int>& rows, const QStringList& columns) {
    // The driver refuses a table without columns and creating a sheet that exists; so does this path.
    if (columns.isEmpty())
        return false;
    const QString path = folder + fileName + QStringLiteral(".xls");
    if (QFile::exists(path))
        return false;
    QVector<QStringList> table;
    table.reserve(rows.size() + 1);
    table.append(columns);
    QVector<bool> numberColumns;
    for (int column = 1; column < model->columnCount(); ++column)
        numberColumns.append(model->headerData(column, Qt::Horizontal, NumberColumnRole).toBool());
    for (int row : rows) {
        if (row < 0 || row >= model->rowCount())
            return false;
        QStringList cells;
        cells.reserve(columns.size());
        for (int column = 1; column < model->columnCount(); ++column)
            cells.append(cellText(model, row, column));
        table.append(cells);
    }
    return XlsWriter::write(path, fileName, table, numberColumns);
}

} // namespace VexaTool
