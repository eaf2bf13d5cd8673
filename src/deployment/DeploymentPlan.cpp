#include "DeploymentPlan.h"

#include <algorithm>

#include "CsvReader.h"
#include "CsvWriter.h"

namespace VexaTool::plan {

namespace {

struct ColumnNames {
    PlanField field;
    std::string_view english;
    std::vector<std::string_view> names;
};

const std::vector<ColumnNames>& columns() {
    static const std::vector<ColumnNames> table = {
        {PlanField::Serial,
         "Serial Number",
         {"serial", "serialno", "serialnumber", "deviceserial", "deviceserialnumber", "sn", "序列号", "设备序列号"}},
        {PlanField::Mac, "MAC", {"mac", "macaddress", "mac地址", "物理地址"}},
        {PlanField::CurrentIpv4,
         "Current Address",
         {"currentaddress", "currentip", "currentipv4", "currentipaddress", "currentipv4address", "当前地址",
          "当前ip地址"}},
        {PlanField::Ipv4, "IPv4 Address", {"ip", "ipv4", "ipaddress", "ipv4address", "ip地址", "ipv4地址"}},
        {PlanField::Mask, "Subnet Mask", {"mask", "subnetmask", "netmask", "ipv4subnetmask", "子网掩码"}},
        {PlanField::Gateway, "Gateway", {"gateway", "ipv4gateway", "defaultgateway", "网关", "默认网关"}},
        {PlanField::Name, "Device Name", {"name", "devicename", "名称", "设备名称"}},
        {PlanField::Port, "Port", {"port", "deviceport", "serviceport", "端口", "设备端口"}},
        {PlanField::HttpPort, "HTTP Port", {"httpport", "http", "http端口"}},
        {PlanField::RtspPort, "RTSP Port", {"rtspport", "rtsp", "rtsp端口"}},
        {PlanField::Dhcp, "DHCP", {"dhcp", "enabledhcp", "启用dhcp"}},
    };
    return table;
}

// Lower-case ASCII, without spaces, '_', '-', '.' and a trailing colon (ASCII or full-width).
std::string headerKey(std::string_view cell) {
    std::string key;
    for (const char c : trimmed(cell)) {
        if (c == ' ' || c == '_' || c == '-' || c == '.')
            continue;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (!key.empty() && key.back() == ':')
        key.pop_back();
    static constexpr std::string_view fullWidthColon = "\xEF\xBC\x9A";
    if (key.size() >= fullWidthColon.size() && key.compare(key.size() - 3, 3, fullWidthColon) == 0)
        key.resize(key.size() - 3);
    return key;
}

// The line (1-based) of the first byte that is not part of well-formed UTF-8, or 0 when all is well.
int firstNonUtf8Line(std::string_view data) {
    int line = 1;
    for (size_t i = 0; i < data.size();) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c == '\n')
            ++line;
        size_t length = 0;
        uint32_t min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            min = 0x10000;
        } else {
            return line;
        }
        if (i + length > data.size())
            return line;
        uint32_t code = c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(data[i + k]);
            if ((next & 0xC0) != 0x80)
                return line;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return line;
        i += length;
    }
    return 0;
}

} // namespace

std::string trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

const std::string& PlanRow::value(PlanField field) const {
    static const std::string none;
    switch (field) {
    case PlanField::Serial:
        return serial;
    case PlanField::Mac:
        return mac;
    case PlanField::CurrentIpv4:
        return currentIpv4;
    case PlanField::Ipv4:
        return ipv4;
    case PlanField::Mask:
        return mask;
    case PlanField::Gateway:
        return gateway;
    case PlanField::Name:
        return name;
    case PlanField::Port:
        return port;
    case PlanField::HttpPort:
        return httpPort;
    case PlanField::RtspPort:
        return rtspPort;
    case PlanField::Dhcp:
        return dhcp;
    case PlanField::Row:
        break;
    }
    return none;
}

std::vector<std::string_view> DeploymentPlan::acceptedNames(PlanField field) {
    for (const ColumnNames& c : columns()) {
        if (c.field == field)
            return c.names;
    }
    return {};
}

std::string_view DeploymentPlan::columnName(PlanField field) {
    for (const ColumnNames& c : columns()) {
        if (c.field == field)
            return c.english;
    }
    return "Row";
}

bool DeploymentPlan::parseDhcp(std::string_view text, bool& on) {
    std::string key = headerKey(text);
    static constexpr std::string_view off[] = {"", "0", "no", "off", "false", "n", "否"};
    static constexpr std::string_view yes[] = {"1", "yes", "on", "true", "y", "是"};
    if (std::find(std::begin(off), std::end(off), key) != std::end(off)) {
        on = false;
        return true;
    }
    if (std::find(std::begin(yes), std::end(yes), key) != std::end(yes)) {
        on = true;
        return true;
    }
    return false;
}

bool DeploymentPlan::hasColumn(PlanField field) const {
    return std::find(m_columns.begin(), m_columns.end(), field) != m_columns.end();
}

DeploymentPlan DeploymentPlan::parse(std::string_view data) {
    DeploymentPlan plan;
    if (data.size() > maxFileSize) {
        plan.m_error = FileError::TooLarge;
        return plan;
    }
    if (data.size() >= 2 && (data.substr(0, 2) == "\xFF\xFE" || data.substr(0, 2) == "\xFE\xFF")) {
        plan.m_error = FileError::Utf16;
        return plan;
    }
    data = CsvReader::skipByteOrderMark(data);
    if (const int line = firstNonUtf8Line(data)) {
        plan.m_error = FileError::NotUtf8;
        plan.m_errorLine = line;
        return plan;
    }
    const CsvReader::Result csv = CsvReader::parse(data, CsvReader::detectSeparator(data));
    if (csv.error != CsvReader::Error::None) {
        plan.m_error =
            csv.error == CsvReader::Error::UnterminatedQuote ? FileError::UnterminatedQuote : FileError::TextAfterQuote;
        plan.m_errorLine = csv.errorLine;
        return plan;
    }

    const auto blank = [](const CsvRecord& record) {
        return std::all_of(record.fields.begin(), record.fields.end(),
                           [](const std::string& f) { return trimmed(f).empty(); });
    };
    auto record = csv.records.begin();
    while (record != csv.records.end() && blank(*record))
        ++record;
    if (record == csv.records.end()) {
        plan.m_error = FileError::Empty;
        return plan;
    }

    // Spreadsheets pad rows with empty cells; only cells with text count towards a row's width.
    const auto width = [](const CsvRecord& r) {
        int n = static_cast<int>(r.fields.size());
        while (n > 0 && trimmed(r.fields[static_cast<size_t>(n - 1)]).empty())
            --n;
        return n;
    };

    plan.m_headerFieldCount = width(*record);
    for (const std::string& cell : record->fields) {
        const std::string key = headerKey(cell);
        PlanField field = PlanField::Row;
        for (const ColumnNames& c : columns()) {
            if (std::find(c.names.begin(), c.names.end(), key) != c.names.end())
                field = c.field;
        }
        if (field != PlanField::Row && plan.hasColumn(field)) {
            plan.m_error = FileError::DuplicateColumn;
            plan.m_errorLine = record->line;
            plan.m_errorDetail = trimmed(cell);
            return plan;
        }
        plan.m_columns.push_back(field);
    }
    if (!plan.hasColumn(PlanField::Serial) && !plan.hasColumn(PlanField::Mac) &&
        !plan.hasColumn(PlanField::CurrentIpv4)) {
        plan.m_error = FileError::MissingColumn;
        plan.m_errorLine = record->line;
        plan.m_errorDetail = "Serial Number / MAC";
        return plan;
    }
    for (const PlanField required : {PlanField::Ipv4, PlanField::Mask, PlanField::Gateway, PlanField::Name}) {
        if (!plan.hasColumn(required)) {
            plan.m_error = FileError::MissingColumn;
            plan.m_errorLine = record->line;
            plan.m_errorDetail = std::string(columnName(required));
            return plan;
        }
    }

    for (++record; record != csv.records.end(); ++record) {
        if (blank(*record))
            continue;
        PlanRow row;
        row.line = record->line;
        row.fieldCount = static_cast<int>(record->fields.size());
        row.textWidth = width(*record);
        for (size_t i = 0; i < record->fields.size() && i < plan.m_columns.size(); ++i) {
            const std::string value = trimmed(CsvWriter::unguard(trimmed(record->fields[i])));
            switch (plan.m_columns[i]) {
            case PlanField::Serial:
                row.serial = value;
                break;
            case PlanField::Mac:
                row.mac = value;
                break;
            case PlanField::CurrentIpv4:
                row.currentIpv4 = value;
                break;
            case PlanField::Ipv4:
                row.ipv4 = value;
                break;
            case PlanField::Mask:
                row.mask = value;
                break;
            case PlanField::Gateway:
                row.gateway = value;
                break;
            case PlanField::Name:
                row.name = value;
                break;
            case PlanField::Port:
                row.port = value;
                break;
            case PlanField::HttpPort:
                row.httpPort = value;
                break;
            case PlanField::RtspPort:
                row.rtspPort = value;
                break;
            case PlanField::Dhcp:
                row.dhcp = value;
                break;
            case PlanField::Row:
                break;
            }
        }
        plan.m_rows.push_back(std::move(row));
    }
    return plan;
}

} // namespace VexaTool::plan
