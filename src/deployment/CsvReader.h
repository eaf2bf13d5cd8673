#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace VexaTool::plan {

// One record of a CSV file: its fields (quotes removed, doubled quotes undone) and the line it starts on.
struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};

// Reads comma-separated text as spreadsheets write it: fields in double quotes may hold the separator, line
// breaks and doubled quotes; lines end in CRLF, LF or a lone CR; a UTF-8 byte-order mark is skipped. No
// Qt, so that the command-line client reads plans exactly as the program does.
class CsvReader {
public:
    enum class Error {
        None,
        UnterminatedQuote, // a quoted field runs to the end of the file
        TextAfterQuote,    // "abc"def: where the field ends is a guess, so it is refused
    };

    struct Result {
        std::vector<CsvRecord> records;
        Error error = Error::None;
        int errorLine = 0; // where the faulty field starts
    };

    // Reading stops at the first error; the records before it are kept.
    static Result parse(std::string_view data, char separator = ',');

    // The separator a header line uses: ';' when the first line has semicolons but no commas (spreadsheets in
    // locales with a decimal comma), else ','.
    static char detectSeparator(std::string_view data);

    static std::string_view skipByteOrderMark(std::string_view data);
};

} // namespace VexaTool::plan
