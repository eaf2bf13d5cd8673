#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QString>

struct VEXA_SCAN_RESULT;

namespace VexaTool {

// What an address scan gave, address by address: counts per reason and every settled address with its reason.
// Eight bytes an address, so the largest range the library takes (about a million) stays within 8 MiB.
// GUI thread only; the scan runner fills it in batches.
class ScanTally {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::ScanTally)

public:
    // The library's reasons (VEXA_SCAN_FOUND ... VEXA_SCAN_REFUSED_LOGIN), in that order.
    static constexpr int kReasons = 5;

    struct Entry {
        uint32_t address = 0; // host order
        uint8_t reason = 0;
        uint8_t protocols = 0; // VEXA_SCAN_OURS, VEXA_SCAN_ONVIF
    };

    void clear();
    // A result with an address that does not read as IPv4 or an unknown reason is dropped, and counted as such.
    bool add(const VEXA_SCAN_RESULT& result);

    int count(int reason) const { return reason >= 0 && reason < kReasons ? m_counts[reason] : 0; }
    int size() const { return static_cast<int>(m_entries.size()); }
    int dropped() const { return m_dropped; }
    const Entry& at(int index) const { return m_entries[static_cast<size_t>(index)]; }

    static QString addressText(uint32_t address);
    // The reason as the summary and the CSV file say it; a found device says which protocols answered.
    static QString reasonText(int reason, uint8_t protocols = 0);
    // Comma-separated values, a header line first: address, result. Read back by any CSV reader.
    std::string csv() const;

private:
    std::array<int, kReasons> m_counts{};
    int m_dropped = 0;
    std::vector<Entry> m_entries;
};

} // namespace VexaTool
