// What a user may write as scan ranges, and which addresses each writing means.

#include <gtest/gtest.h>

#include "ScanRange.h"

using vexa::AddressSpan;
using vexa::RangeError;

namespace {

uint32_t ip(const char* text) {
    uint32_t out = 0;
    EXPECT_TRUE(vexa::parseIpv4(text, out)) << text;
    return out;
}

struct Case {
    const char* name;
    const char* text;
    bool allowPublic;
    RangeError error;
    std::vector<std::pair<const char*, const char*>> spans;
};

TEST(ScanRange, WritingsAndTheAddressesTheyMean) {
    const Case cases[] = {
        {"block leaves out network and broadcast",
         "10.2.0.0/24",
         false,
         RangeError::None,
         {{"10.2.0.1", "10.2.0.254"}}},
        {"block from a host address", "10.2.0.77/24", false, RangeError::None, {{"10.2.0.1", "10.2.0.254"}}},
        {"/31 and /32 keep every address",
         "10.2.0.4/31,10.2.0.9/32",
         false,
         RangeError::None,
         {{"10.2.0.4", "10.2.0.5"}, {"10.2.0.9", "10.2.0.9"}}},
        {"span and single, sorted",
         "10.3.0.50 10.3.0.10-10.3.0.20",
         false,
         RangeError::None,
         {{"10.3.0.10", "10.3.0.20"}, {"10.3.0.50", "10.3.0.50"}}},
        {"overlaps and neighbours merge",
         "192.168.1.10-192.168.1.20;192.168.1.15-192.168.1.30,192.168.1.31",
         false,
         RangeError::None,
         {{"192.168.1.10", "192.168.1.31"}}},
        {"spaces around a dash", "10.0.0.1 - 10.0.0.3", false, RangeError::Syntax, {}},
        {"a /16 is fine", "172.16.0.0/16", false, RangeError::None, {{"172.16.0.1", "172.16.255.254"}}},
        {"loopback and link-local are private",
         "127.0.0.1,169.254.1.1",
         false,
         RangeError::None,
         {{"127.0.0.1", "127.0.0.1"}, {"169.254.1.1", "169.254.1.1"}}},
        {"reversed span", "10.0.0.9-10.0.0.1", false, RangeError::Reversed, {}},
        {"not an address", "10.0.0.256", false, RangeError::Syntax, {}},
        {"prefix too long", "10.0.0.0/33", false, RangeError::Syntax, {}},
        {"empty", " , ", false, RangeError::Syntax, {}},
        {"multicast", "239.255.255.250", true, RangeError::NotHost, {}},
        {"zero network", "0.0.0.1", true, RangeError::NotHost, {}},
        {"public refused", "8.8.8.0/30", false, RangeError::Public, {}},
        {"public allowed", "8.8.8.0/30", true, RangeError::None, {{"8.8.8.1", "8.8.8.2"}}},
        {"straddling a private block is public", "10.255.255.250-11.0.0.5", false, RangeError::Public, {}},
        {"more than a /12", "10.0.0.0/11", false, RangeError::TooLarge, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<AddressSpan> spans;
        std::string bad;
        EXPECT_EQ(vexa::parseScanRanges(c.text, c.allowPublic, spans, bad), c.error);
        if (c.error != RangeError::None) {
            EXPECT_FALSE(bad.empty());
            continue;
        }
        std::vector<AddressSpan> expected;
        for (const auto& [first, last] : c.spans)
            expected.push_back({ip(first), ip(last)});
        EXPECT_EQ(spans, expected);
    }
}

TEST(ScanRange, TooManyPiecesAndTheCursorWalksEachAddressOnce) {
    std::string many;
    for (int i = 0; i <= 256; ++i)
        many += "10.0." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1) + ",";
    std::vector<AddressSpan> spans;
    std::string bad;
    EXPECT_EQ(vexa::parseScanRanges(many, false, spans, bad), RangeError::TooMany);

    ASSERT_EQ(vexa::parseScanRanges("10.0.0.1-10.0.0.3,10.0.0.2,10.0.1.0/30", false, spans, bad), RangeError::None);
    vexa::SpanCursor cursor(spans);
    std::vector<std::string> walked;
    for (uint32_t address = 0; cursor.next(address);)
        walked.push_back(vexa::formatIpv4(address));
    EXPECT_EQ(walked, (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.1.1", "10.0.1.2"}));
}

} // namespace
