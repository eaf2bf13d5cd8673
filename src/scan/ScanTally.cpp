#include "scan/ScanTally.h"

#include <cstring>

#include "deployment/CsvWriter.h"
#include "vexa.h"

namespace VexaTool {

namespace {

bool parseIpv4(const char* text, size_t width, uint32_t& address) {
    const size_t length = strnlen(text, width);
    uint32_t value = 0;
    int parts = 0;
    size_t at = 0;
    while (at < length && parts < 4) {
        uint32_t part = 0;
        size_t digits = 0;
        while (at < length && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            part = part * 10 + static_cast<uint32_t>(text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || part > 255)
            return false;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (at >= length || text[at] != '.')
                return false;
            ++at;
        }
    }
    if (parts != 4 || at != length)
        return false;
    address = value;
    return true;
}

} // namespace

void ScanTally::clear() {
    m_counts.fill(0);
    m_dropped = 0;
    m_entries.clear();
}

bool ScanTally::add(const VEXA_SCAN_RESULT& result) {
    Entry entry;
    if (result.reason >= kReasons || !parseIpv4(result.ipv4Address, sizeof result.ipv4Address, entry.address)) {
        ++m_dropped;
        return false;
    }
    entry.reason = static_cast<uint8_t>(result.reason);
    entry.protocols = result.protocols & (VEXA_SCAN_OURS | VEXA_SCAN_ONVIF);
    ++m_counts[entry.reason];
    m_entries.push_back(entry);
    return true;
}

QString ScanTally::addressText(uint32_t address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

QString ScanTally::reasonText(int reason, uint8_t protocols) {
    switch (reason) {
    case VEXA_SCAN_FOUND:
        if (protocols == (VEXA_SCAN_OURS | VEXA_SCAN_ONVIF))
            return tr("Found (both protocols)");
        return protocols == VEXA_SCAN_ONVIF ? tr("Found (ONVIF)") : tr("Found");
    case VEXA_SCAN_NO_ANSWER:
        return tr("No answer");
    case VEXA_SCAN_PORT_CLOSED:
        return tr("Port closed");
    case VEXA_SCAN_NOT_CAMERA:
        return tr("Answered, but not a camera");
    case VEXA_SCAN_REFUSED_LOGIN:
        return tr("Refused sign-in");
    default:
        return tr("Unknown");
    }
}

std::string ScanTally::csv() const {
    plan::CsvWriter writer;
    writer.addRow({tr("Address").toStdString(), tr("Result").toStdString()});
    for (const Entry& entry : m_entries)
        writer.addRow(
            {addressText(entry.address).toStdString(), reasonText(entry.reason, entry.protocols).toStdString()});
    return writer.data();
}

} // namespace VexaTool
