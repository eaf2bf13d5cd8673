#pragma once

// The addresses of a scan, as the user writes them: CIDR blocks, first-last spans and single addresses, several
// of them. Kept as spans, never as a list of addresses, so that a /16 costs a few bytes until it is walked.

#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

struct AddressSpan {
    uint32_t first = 0; // host order, both ends included
    uint32_t last = 0;
    bool operator==(const AddressSpan& o) const { return first == o.first && last == o.last; }
};

enum class RangeError : uint8_t {
    None,
    Syntax,   // not an address, a block or a span
    Reversed, // a span whose end comes before its start
    NotHost,  // 0.0.0.0/8, multicast, reserved or broadcast addresses
    Public,   // outside the private, link-local and loopback blocks, and not allowed
    TooLarge, // more than kMaxScanAddresses in all
    TooMany,  // more than kMaxScanSpans pieces
};

constexpr uint64_t kMaxScanAddresses = uint64_t{1} << 20; // a /12
constexpr size_t kMaxScanSpans = 256;

// Pieces separated by commas, semicolons or white space. A block of 4 or more addresses leaves out its network and
// broadcast addresses. Overlaps are merged, so no address is asked twice; the spans come back sorted. bad gets the
// piece at fault.
RangeError parseScanRanges(const std::string& text, bool allowPublic, std::vector<AddressSpan>& out, std::string& bad);

// Private (10/8, 172.16/12, 192.168/16, 100.64/10), link-local (169.254/16) or loopback (127/8).
bool privateAddress(uint32_t address);
bool privateSpan(const AddressSpan& span);

uint64_t spanSize(const AddressSpan& span);
std::string formatIpv4(uint32_t address);
bool parseIpv4(const std::string& text, uint32_t& out);

// Walks the spans one address at a time.
class SpanCursor {
public:
    explicit SpanCursor(const std::vector<AddressSpan>& spans)
        : spans_(spans) {}
    bool next(uint32_t& address);

private:
    const std::vector<AddressSpan>& spans_;
    size_t span_ = 0;
    uint64_t offset_ = 0;
};

} // namespace vexa
