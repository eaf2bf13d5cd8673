#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace VexaTool {

// Writes an Excel 97-2003 workbook: a BIFF8 "Workbook" stream in a compound file, with one worksheet whose
// cells are text (shared strings), or numbers in the columns marked as such. Enough for any spreadsheet
// program and for the export's rows; no formats, formulas or further sheets.
class XlsWriter {
public:
    // The workbook with one sheet; rows[r][c] is the text at row r, column c. In a column c with
    // numberColumns[c] set, a cell that is a whole number (spaces around it allowed, no leading zero) is written
    // as a number; every other cell stays text. Empty when the table does not fit a sheet (65,536 rows, 256
    // columns).
    static QByteArray workbook(const QString& sheetName, const QVector<QStringList>& rows,
                               const QVector<bool>& numberColumns = {});
    // Writes it to path through a temporary file; a failure leaves no partial file and an old one whole.
    static bool write(const QString& path, const QString& sheetName, const QVector<QStringList>& rows,
                      const QVector<bool>& numberColumns = {});

    // The BIFF8 stream alone, and a compound file holding one stream named "Workbook".
    static QByteArray workbookStream(const QString& sheetName, const QVector<QStringList>& rows,
                                     const QVector<bool>& numberColumns = {});
    static QByteArray compoundFile(const QByteArray& workbookStream);

    // A name a spreadsheet program accepts for a sheet: at most 31 characters, none of : \ / ? * [ ],
    // not empty.
    static QString sheetName(const QString& name);
};

} // namespace VexaTool
