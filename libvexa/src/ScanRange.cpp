#include "ScanRange.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>

namespace vexa {

namespace {

struct Block {
    uint32_t base;
    unsigned bits;
};

constexpr Block kPrivate[] = {{0x0a000000, 8},  {0xac100000, 12}, {0xc0a80000, 16},
                              {0x64400000, 10}, {0xa9fe0000, 16}, {0x7f000000, 8}};

uint32_t maskOf(unsigned bits) {
    return bits == 0 ? 0 : ~uint32_t{0} << (32 - bits);
}

bool inBlock(uint32_t address, const Block& block) {
    return (address & maskOf(block.bits)) == block.base;
}

bool hostAddress(uint32_t address) {
    // 0/8, multicast and 240/4 (reserved, broadcast) are never a device.
    return (address >> 24) != 0 && (address >> 28) < 0xe;
}

std::string trimmed(const std::string& text) {
    const size_t a = text.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    return text.substr(a, text.find_last_not_of(" \t") - a + 1);
}

RangeError parsePiece(const std::string& piece, AddressSpan& out) {
    const size_t slash = piece.find('/');
    const size_t dash = piece.find('-');
    if (slash != std::string::npos) {
        uint32_t base = 0;
        const std::string bitsText = piece.substr(slash + 1);
        char* end = nullptr;
        const long bits = std::strtol(bitsText.c_str(), &end, 10);
        if (!parseIpv4(piece.substr(0, slash), base) || bitsText.empty() || bitsText.size() > 2 || *end != '\0' ||
            bits < 0 || bits > 32)
            return RangeError::Syntax;
        const uint32_t mask = maskOf(static_cast<unsigned>(bits));
        out.first = base & mask;
        out.last = out.first | ~mask;
        if (bits <= 30) {
            ++out.first; // network and broadcast address: nobody's
            --out.last;
        }
        return RangeError::None;
    }
    if (dash != std::string::npos) {
        if (!parseIpv4(trimmed(piece.substr(0, dash)), out.first) ||
            !parseIpv4(trimmed(piece.substr(dash + 1)), out.last))
            return RangeError::Syntax;
        return out.last < out.first ? RangeError::Reversed : RangeError::None;
    }
    if (!parseIpv4(piece, out.first))
        return RangeError::Syntax;
    out.last = out.first;
    return RangeError::None;
}

} // namespace

bool parseIpv4(const std::string& text, uint32_t& out) {
    in_addr address{};
    if (text.empty() || text.size() > 15 || ::inet_pton(AF_INET, text.c_str(), &address) != 1)
        return false;
    out = ntohl(address.s_addr);
    return true;
}

std::string formatIpv4(uint32_t address) {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

bool privateAddress(uint32_t address) {
    return std::any_of(std::begin(kPrivate), std::end(kPrivate),
                       [address](const Block& block) { return inBlock(address, block); });
}

bool privateSpan(const AddressSpan& span) {
    // Within one block, since the blocks do not touch one another.
    return std::any_of(std::begin(kPrivate), std::end(kPrivate),
                       [&span](const Block& block) { return inBlock(span.first, block) && inBlock(span.last, block); });
}

uint64_t spanSize(const AddressSpan& span) {
    return uint64_t{span.last} - span.first + 1;
}

RangeError parseScanRanges(const std::string& text, bool allowPublic, std::vector<AddressSpan>& out, std::string& bad) {
    out.clear();
    bad.clear();
    std::vector<AddressSpan> spans;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find_first_of(",; \t\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string piece = text.substr(at, end - at);
        at = end + 1;
        if (piece.empty())
            continue;
        bad = piece;
        if (spans.size() >= kMaxScanSpans)
            return RangeError::TooMany;
        AddressSpan span;
        if (const RangeError error = parsePiece(piece, span); error != RangeError::None)
            return error;
        if (!hostAddress(span.first) || !hostAddress(span.last))
            return RangeError::NotHost;
        if (!allowPublic && !privateSpan(span))
            return RangeError::Public;
        spans.push_back(span);
    }
    if (spans.empty()) {
        bad = text;
        return RangeError::Syntax;
    }
    std::sort(spans.begin(), spans.end(), [](const AddressSpan& a, const AddressSpan& b) { return a.first < b.first; });
    uint64_t total = 0;
    for (const AddressSpan& span : spans) {
        if (!out.empty() && uint64_t{span.first} <= uint64_t{out.back().last} + 1)
            out.back().last = std::max(out.back().last, span.last);
        else
            out.push_back(span);
    }
    for (const AddressSpan& span : out)
        total += spanSize(span);
    bad.clear();
    if (total > kMaxScanAddresses) {
        out.clear();
        bad = text;
        return RangeError::TooLarge;
    }
    return RangeError::None;
}

bool SpanCursor::next(uint32_t& address) {
    while (span_ < spans_.size()) {
        const AddressSpan& span = spans_[span_];
        if (offset_ < spanSize(span)) {
            address = static_cast<uint32_t>(span.first + offset_++);
            return true;
        }
        ++span_;
        offset_ = 0;
    }
    return false;
}

} // namespace vexa
