#include "CsvReader.h"

namespace VexaTool::plan {

std::string_view CsvReader::skipByteOrderMark(std::string_view data) {
    if (data.size() >= 3 && data.substr(0, 3) == "\xEF\xBB\xBF")
        data.remove_prefix(3);
    return data;
}

char CsvReader::detectSeparator(std::string_view data) {
    data = skipByteOrderMark(data);
    bool quoted = false;
    bool semicolon = false;
    for (const char c : data) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == ',')
            return ',';
        else if (c == ';')
            semicolon = true;
        else if (c == '\n' || c == '\r')
            break;
    }
    return semicolon ? ';' : ',';
}

CsvReader::Result CsvReader::parse(std::string_view data, char separator) {
    Result result;
    data = skipByteOrderMark(data);
    if (data.empty())
        return result;

    int line = 1;
    size_t i = 0;
    const size_t n = data.size();
    CsvRecord record;
    record.line = line;
    std::string field;

    // A line end is CRLF, LF or a lone CR; returns its length at i, 0 when there is none.
    auto lineEndAt = [&](size_t at) -> size_t {
        if (at >= n)
            return 0;
        if (data[at] == '\r')
            return at + 1 < n && data[at + 1] == '\n' ? 2 : 1;
        return data[at] == '\n' ? 1 : 0;
    };

    for (;;) {
        // One field starts at i.
        field.clear();
        if (i < n && data[i] == '"') {
            const int startLine = line;
            ++i;
            for (;;) {
                if (i >= n) {
                    result.error = Error::UnterminatedQuote;
                    result.errorLine = startLine;
                    return result;
                }
                if (data[i] == '"') {
                    if (i + 1 < n && data[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (const size_t end = lineEndAt(i)) {
                    // Line breaks inside a field are kept as they were written.
                    field.append(data.substr(i, end));
                    i += end;
                    ++line;
                    continue;
                }
                field += data[i++];
            }
            if (i < n && data[i] != separator && !lineEndAt(i)) {
                result.error = Error::TextAfterQuote;
                result.errorLine = startLine;
                return result;
            }
        } else {
            const size_t start = i;
            while (i < n && data[i] != separator && !lineEndAt(i))
                ++i;
            field.assign(data.substr(start, i - start));
        }
        record.fields.push_back(field);

        if (i < n && data[i] == separator) {
            ++i;
            continue;
        }
        // End of the record: a line end or the end of the data.
        result.records.push_back(std::move(record));
        record = CsvRecord();
        const size_t end = lineEndAt(i);
        i += end;
        if (end)
            ++line;
        if (i >= n)
            return result;
        record.line = line;
    }
}

} // namespace VexaTool::plan
