#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace VexaTool::plan {

// Writes comma-separated text that CsvReader and spreadsheets read back field for field: CRLF line ends,
// quotes only where a field needs them.
class CsvWriter {
public:
    struct Options {
        // A UTF-8 byte-order mark first, so that spreadsheet programs do not read the text in a local code page.
        bool byteOrderMark = true;
        // Text from devices may start with "=", "+", "-" or "@", which a spreadsheet would run as a formula; such
        // a field gets a leading apostrophe (spreadsheets hide it, and the plan reader removes it again).
        bool guardFormulas = true;
    };

    CsvWriter();
    explicit CsvWriter(Options options);

    void addRow(const std::vector<std::string>& fields);
    const std::string& data() const { return m_data; }

    static std::string field(std::string_view text, bool guardFormulas);
    // Undoes the guard of field(): "'=x" reads as "=x", "''x" as "'x"; any other text is returned as it is.
    static std::string_view unguard(std::string_view text);

private:
    Options m_options;
    std::string m_data;
};

} // namespace VexaTool::plan
