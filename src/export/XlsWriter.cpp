#include "export/XlsWriter.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include <QHash>
#include <QSaveFile>

namespace VexaTool {

namespace {

constexpr int kMaxRecordData = 8224;
constexpr int kMaxCellChars = 32767;
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;

constexpr quint32 kFreeSector = 0xFFFFFFFFu;
constexpr quint32 kEndOfChain = 0xFFFFFFFEu;
constexpr quint32 kFatSector = 0xFFFFFFFDu;
constexpr quint32 kDifatSector = 0xFFFFFFFCu;
constexpr quint32 kNoStream = 0xFFFFFFFFu;
constexpr int kSectorSize = 512;
constexpr int kMiniStreamCutoff = 4096;

void put8(QByteArray& out, quint8 value) {
    out.append(static_cast<char>(value));
}

void put16(QByteArray& out, quint16 value) {
    put8(out, static_cast<quint8>(value & 0xFF));
    put8(out, static_cast<quint8>(value >> 8));
}

void put32(QByteArray& out, quint32 value) {
    put16(out, static_cast<quint16>(value & 0xFFFF));
    put16(out, static_cast<quint16>(value >> 16));
}

void set32(QByteArray& out, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putUtf16(QByteArray& out, const QString& text) {
    for (QChar c : text)
        put16(out, c.unicode());
}

void putDouble(QByteArray& out, double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put32(out, static_cast<quint32>(bits));
    put32(out, static_cast<quint32>(bits >> 32));
}

// Digits only, spaces around allowed; a leading zero ("007") is an identifier, kept as text.
std::optional<quint32> wholeNumber(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9 || (digits.size() > 1 && digits.front() == QLatin1Char('0')))
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return digits.toUInt();
}

void record(QByteArray& out, quint16 type, const QByteArray& data) {
    put16(out, type);
    put16(out, static_cast<quint16>(data.size()));
    out.append(data);
}

QByteArray bof(quint16 kind) {
    QByteArray d;
    put16(d, 0x0600); // BIFF8
    put16(d, kind);
    put16(d, 0x0DBB);
    put16(d, 0x07CC);
    put32(d, 0);
    put32(d, 0x06);
    return d;
}

QByteArray font() {
    QByteArray d;
    put16(d, 200); // 10 pt
    put16(d, 0);
    put16(d, 0x7FFF);
    put16(d, 400);
    put16(d, 0);
    put8(d, 0);
    put8(d, 0);
    put8(d, 0);
    put8(d, 0);
    const QByteArray name("Arial");
    put8(d, static_cast<quint8>(name.size()));
    put8(d, 0); // 8-bit characters
    d.append(name);
    return d;
}

QByteArray xf(bool style) {
    QByteArray d;
    put16(d, 0);                       // font
    put16(d, 0);                       // number format "General"
    put16(d, style ? 0xFFF5 : 0x0001); // style XF with no parent, or cell XF on style 0; locked
    put8(d, 0x20);                     // bottom aligned
    put8(d, 0);
    put8(d, 0);
    put8(d, style ? 0xF4 : 0x00);
    put32(d, 0);
    put32(d, 0);
    put16(d, 0x20C0);
    return d;
}

// Shared strings, split over CONTINUE records where they pass the record size; a string cut in two carries
// its option byte again at the start of the continuation. Then the index of every dsst-th string (EXTSST), which
// the format requires after the table.
void sharedStrings(QByteArray& out, const QStringList& strings, quint32 total) {
    const quint16 perBucket = static_cast<quint16>(std::max<qsizetype>(8, (strings.size() + 127) / 128));
    QByteArray index;
    put16(index, perBucket);
    QByteArray data;
    quint16 type = 0x00FC;
    put32(data, total);
    put32(data, static_cast<quint32>(strings.size()));
    auto close = [&out, &data, &type]() {
        record(out, type, data);
        data.clear();
        type = 0x003C;
    };
    for (qsizetype i = 0; i < strings.size(); ++i) {
        const QString& text = strings.at(i);
        const qsizetype minimum = text.isEmpty() ? 3 : 5;
        if (data.size() + minimum > kMaxRecordData)
            close();
        if (i % perBucket == 0) {
            // Where the string starts in the stream, and within its record counting the record's header.
            put32(index, static_cast<quint32>(out.size() + 4 + data.size()));
            put16(index, static_cast<quint16>(4 + data.size()));
            put16(index, 0);
        }
        put16(data, static_cast<quint16>(text.size()));
        put8(data, 0x01); // UTF-16
        qsizetype next = 0;
        while (next < text.size()) {
            qsizetype room = (kMaxRecordData - data.size()) / 2;
            if (room <= 0) {
                close();
                put8(data, 0x01);
                continue;
            }
            const qsizetype take = std::min(room, text.size() - next);
            putUtf16(data, text.mid(next, take));
            next += take;
        }
    }
    record(out, type, data);
    record(out, 0x00FF, index);
}

} // namespace

QString XlsWriter::sheetName(const QString& name) {
    QString result;
    for (QChar c : name) {
        const bool refused = c == QLatin1Char(':') || c == QLatin1Char('\\') || c == QLatin1Char('/') ||
                             c == QLatin1Char('?') || c == QLatin1Char('*') || c == QLatin1Char('[') ||
                             c == QLatin1Char(']') || c.unicode() < 0x20;
        result += refused ? QLatin1Char('_') : c;
    }
    result = result.left(31);
    if (result.trimmed().isEmpty())
        return QStringLiteral("Sheet1");
    // Nor may it begin or end with an apostrophe.
    if (result.startsWith(QLatin1Char('\'')))
        result[0] = QLatin1Char('_');
    if (result.endsWith(QLatin1Char('\'')))
        result[result.size() - 1] = QLatin1Char('_');
    return result;
}

QByteArray XlsWriter::workbookStream(const QString& name, const QVector<QStringList>& rows,
                                     const QVector<bool>& numberColumns) {
    int columns = 0;
    for (const QStringList& row : rows)
        columns = std::max(columns, static_cast<int>(row.size()));
    if (rows.size() > kMaxRows || columns > kMaxColumns)
        return QByteArray();

    QStringList strings;
    QHash<QString, quint32> indexOf;
    quint32 total = 0;
    QByteArray cells;
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows.at(r);
        for (int c = 0; c < row.size(); ++c) {
            const QString text = row.at(c).left(kMaxCellChars);
            if (c < numberColumns.size() && numberColumns.at(c)) {
                if (const std::optional<quint32> value = wholeNumber(text)) {
                    QByteArray d;
                    put16(d, static_cast<quint16>(r));
                    put16(d, static_cast<quint16>(c));
                    put16(d, 15);
                    putDouble(d, *value);
                    record(cells, 0x0203, d); // NUMBER
                    continue;
                }
            }
            auto found = indexOf.constFind(text);
            if (found == indexOf.cend()) {
                found = indexOf.insert(text, static_cast<quint32>(strings.size()));
                strings.append(text);
            }
            QByteArray d;
            put16(d, static_cast<quint16>(r));
            put16(d, static_cast<quint16>(c));
            put16(d, 15); // the one cell XF
            put32(d, *found);
            record(cells, 0x00FD, d); // LABELSST
            ++total;
        }
    }

    QByteArray out;
    record(out, 0x0809, bof(0x0005));
    QByteArray codepage;
    put16(codepage, 1200); // UTF-16
    record(out, 0x0042, codepage);
    QByteArray window1;
    for (quint16 v : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258})
        put16(window1, v);
    record(out, 0x003D, window1);
    for (int i = 0; i < 5; ++i)
        record(out, 0x0031, font());
    for (int i = 0; i < 16; ++i)
        record(out, 0x00E0, xf(i < 15));
    QByteArray style;
    put16(style, 0x8000);
    put8(style, 0x00);
    put8(style, 0xFF);
    record(out, 0x0293, style);

    const QString sheet = sheetName(name);
    QByteArray boundSheet;
    put32(boundSheet, 0); // stream position of the sheet, set below
    put8(boundSheet, 0);
    put8(boundSheet, 0);
    put8(boundSheet, static_cast<quint8>(sheet.size()));
    put8(boundSheet, 0x01);
    putUtf16(boundSheet, sheet);
    const qsizetype sheetPositionAt = out.size() + 4;
    record(out, 0x0085, boundSheet);
    sharedStrings(out, strings, total);
    record(out, 0x000A, QByteArray());

    set32(out, sheetPositionAt, static_cast<quint32>(out.size()));
    record(out, 0x0809, bof(0x0010));
    QByteArray dimensions;
    put32(dimensions, 0);
    put32(dimensions, static_cast<quint32>(rows.size()));
    put16(dimensions, 0);
    put16(dimensions, static_cast<quint16>(columns));
    put16(dimensions, 0);
    record(out, 0x0200, dimensions);
    QByteArray window2;
    put16(window2, 0x06B6);
    put16(window2, 0);
    put16(window2, 0);
    put32(window2, 0x40);
    put16(window2, 0);
    put16(window2, 0);
    put32(window2, 0);
    record(out, 0x023E, window2);
    out.append(cells);
    record(out, 0x000A, QByteArray());
    return out;
}

QByteArray XlsWriter::compoundFile(const QByteArray& workbookStream) {
    QByteArray stream = workbookStream;
    // A stream below the cut-off would belong in the mini stream; padding it keeps to plain sectors, as the
    // spreadsheet programs themselves do.
    if (stream.size() < kMiniStreamCutoff)
        stream.append(QByteArray(kMiniStreamCutoff - stream.size(), '\0'));
    const quint32 streamSize = static_cast<quint32>(stream.size());
    if (stream.size() % kSectorSize)
        stream.append(QByteArray(kSectorSize - stream.size() % kSectorSize, '\0'));
    const quint32 dataSectors = static_cast<quint32>(stream.size() / kSectorSize);

    quint32 fatSectors = 0;
    quint32 difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + 126) / 127 : 0;
        const quint32 all = dataSectors + 1 + fatSectors + difatSectors;
        if (fatSectors * 128 >= all)
            break;
        ++fatSectors;
    }
    const quint32 directorySector = dataSectors;
    const quint32 firstFat = directorySector + 1;
    const quint32 firstDifat = firstFat + fatSectors;

    QVector<quint32> fat(static_cast<qsizetype>(fatSectors) * 128, kFreeSector);
    for (quint32 i = 0; i < dataSectors; ++i)
        fat[i] = i + 1 < dataSectors ? i + 1 : kEndOfChain;
    fat[directorySector] = kEndOfChain;
    for (quint32 i = 0; i < fatSectors; ++i)
        fat[firstFat + i] = kFatSector;
    for (quint32 i = 0; i < difatSectors; ++i)
        fat[firstDifat + i] = kDifatSector;

    QByteArray out;
    out.reserve(static_cast<qsizetype>(kSectorSize) * (1 + dataSectors + 1 + fatSectors + difatSectors));
    out.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.append(QByteArray(16, '\0'));
    put16(out, 0x003E);
    put16(out, 0x0003);
    put16(out, 0xFFFE);
    put16(out, 9); // 512-byte sectors
    put16(out, 6); // 64-byte mini sectors
    out.append(QByteArray(6, '\0'));
    put32(out, 0);
    put32(out, fatSectors);
    put32(out, directorySector);
    put32(out, 0);
    put32(out, kMiniStreamCutoff);
    put32(out, kEndOfChain);
    put32(out, 0);
    put32(out, difatSectors ? firstDifat : kEndOfChain);
    put32(out, difatSectors);
    for (quint32 i = 0; i < 109; ++i)
        put32(out, i < fatSectors ? firstFat + i : kFreeSector);

    out.append(stream);

    auto entry = [&out](const QString& name, quint8 type, quint32 child, quint32 start, quint32 size) {
        QByteArray e;
        putUtf16(e, name);
        e.append(QByteArray(64 - e.size(), '\0'));
        put16(e, name.isEmpty() ? 0 : static_cast<quint16>((name.size() + 1) * 2));
        put8(e, type);
        put8(e, type ? 1 : 0); // black
        put32(e, kNoStream);
        put32(e, kNoStream);
        put32(e, child);
        e.append(QByteArray(16 + 4 + 8 + 8, '\0'));
        put32(e, start);
        put32(e, size);
        put32(e, 0);
        out.append(e);
    };
    entry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    entry(QStringLiteral("Workbook"), 2, kNoStream, 0, streamSize);
    entry(QString(), 0, kNoStream, 0, 0);
    entry(QString(), 0, kNoStream, 0, 0);

    for (quint32 value : fat)
        put32(out, value);
    for (quint32 d = 0; d < difatSectors; ++d) {
        for (quint32 i = 0; i < 127; ++i) {
            const quint32 fatIndex = 109 + d * 127 + i;
            put32(out, fatIndex < fatSectors ? firstFat + fatIndex : kFreeSector);
        }
        put32(out, d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }
    return out;
}

QByteArray XlsWriter::workbook(const QString& sheetName, const QVector<QStringList>& rows,
                               const QVector<bool>& numberColumns) {
    const QByteArray stream = workbookStream(sheetName, rows, numberColumns);
    return stream.isEmpty() ? QByteArray() : compoundFile(stream);
}

bool XlsWriter::write(const QString& path, const QString& sheetName, const QVector<QStringList>& rows,
                      const QVector<bool>& numberColumns) {
    const QByteArray bytes = workbook(sheetName, rows, numberColumns);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace VexaTool
