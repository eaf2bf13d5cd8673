#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace VexaTool::plan {

// The columns of a plan. Serial number, MAC or current address (any of them, all given must agree) names the
// device; port, HTTP port, RTSP port and DHCP are optional columns and, where empty, keep what the device has.
enum class PlanField { Row, Serial, Mac, CurrentIpv4, Ipv4, Mask, Gateway, Name, Port, HttpPort, RtspPort, Dhcp };

// One row of a plan: the texts as written (trimmed, the spreadsheet formula guard removed).
struct PlanRow {
    int line = 0;       // the line of the file the row starts on (1-based)
    int fieldCount = 0; // fields as written
    int textWidth = 0;  // fields up to the last one with text
    std::string serial;
    std::string mac;
    std::string currentIpv4; // the address the device has now: names it, as serial number and MAC do
    std::string ipv4;
    std::string mask;
    std::string gateway;
    std::string name;
    std::string port;
    std::string httpPort;
    std::string rtspPort;
    std::string dhcp;

    const std::string& value(PlanField field) const;
};

// A plan file: UTF-8 (a byte-order mark is allowed), a header row that names the columns, one device per row.
// Header names are compared without case, spaces, '_', '-', '.' or a trailing colon; acceptedNames() lists them.
class DeploymentPlan {
public:
    enum class FileError {
        None,
        Empty,             // no header row
        TooLarge,          // more than maxFileSize bytes
        Utf16,             // saved as UTF-16 ("Unicode text")
        NotUtf8,           // bytes that are not UTF-8 (errorLine says where)
        UnterminatedQuote, // a quoted field never ends (errorLine: where it starts)
        TextAfterQuote,    // text after a closing quote (errorLine)
        MissingColumn,     // a required column is not in the header (errorDetail: which)
        DuplicateColumn,   // two header cells name the same column (errorDetail: the second)
    };

    static constexpr size_t maxFileSize = 8 * 1024 * 1024;

    static DeploymentPlan parse(std::string_view data);

    FileError error() const { return m_error; }
    int errorLine() const { return m_errorLine; }
    const std::string& errorDetail() const { return m_errorDetail; }
    bool hasColumn(PlanField field) const;
    // Header cells up to the last one with text: a row must reach that far, and hold no text past it.
    int headerFieldCount() const { return m_headerFieldCount; }
    const std::vector<PlanRow>& rows() const { return m_rows; }

    // The header names accepted for a column, in their compared form.
    static std::vector<std::string_view> acceptedNames(PlanField field);
    static std::string_view columnName(PlanField field); // the English name used in messages
    // A DHCP cell: "", "0", "no", "off", "false", "n", "否" are off; "1", "yes", "on", "true", "y", "是" on.
    static bool parseDhcp(std::string_view text, bool& on);

private:
    FileError m_error = FileError::None;
    int m_errorLine = 0;
    std::string m_errorDetail;
    std::vector<PlanField> m_columns; // per header cell; Row for a column the plan does not use
    int m_headerFieldCount = 0;
    std::vector<PlanRow> m_rows;
};

std::string trimmed(std::string_view text);

} // namespace VexaTool::plan
