#include "CsvWriter.h"

namespace VexaTool::plan {

namespace {

bool startsFormula(std::string_view text) {
    return !text.empty() &&
           (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' || text[0] == '\t' || text[0] == '\r');
}

} // namespace

CsvWriter::CsvWriter()
    : CsvWriter(Options()) {}

CsvWriter::CsvWriter(Options options)
    : m_options(options) {
    if (m_options.byteOrderMark)
        m_data = "\xEF\xBB\xBF";
}

void CsvWriter::addRow(const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            m_data += ',';
        m_data += field(fields[i], m_options.guardFormulas);
    }
    m_data += "\r\n";
}

std::string CsvWriter::field(std::string_view text, bool guardFormulas) {
    std::string value;
    // A text that really starts with an apostrophe gets one more, so that the reader, which takes one away from
    // a guarded cell, gives it back exactly.
    if (guardFormulas && (startsFormula(text) || (!text.empty() && text[0] == '\'')))
        value = "'";
    value.append(text);
    // A leading or trailing space is quoted too: some readers trim unquoted fields.
    const bool quote = value.find_first_of(",;\"\r\n") != std::string::npos ||
                       (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quote)
        return value;
    std::string out = "\"";
    for (const char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string_view CsvWriter::unguard(std::string_view text) {
    if (text.size() >= 2 && text[0] == '\'' && (startsFormula(text.substr(1)) || text[1] == '\''))
        text.remove_prefix(1);
    return text;
}

} // namespace VexaTool::plan
