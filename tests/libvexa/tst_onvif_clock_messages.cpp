// The clock's messages as devices write them (either SOAP version, any prefixes, NTP by address or by name), the
// checks of what a caller asks, and the judgement of a read-back. The samples follow the published schemas.

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "CaseName.h"
#include "onvif/Clock.h"
#include "onvif/DeviceMessages.h"

using namespace vexa::onvif;
using namespace std::chrono;

namespace {

const char* kClock = R"(<SOAP-ENV:Envelope xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/"
 xmlns:ns1="http://www.onvif.org/ver10/device/wsdl" xmlns:ns2="http://www.onvif.org/ver10/schema"><SOAP-ENV:Body>
<ns1:GetSystemDateAndTimeResponse><ns1:SystemDateAndTime><ns2:DateTimeType>NTP</ns2:DateTimeType>
<ns2:DaylightSavings>true</ns2:DaylightSavings><ns2:TimeZone><ns2:TZ>CET-1CEST,M3.5.0,M10.5.0/3</ns2:TZ></ns2:TimeZone>
<ns2:UTCDateTime><ns2:Time><ns2:Hour>13</ns2:Hour><ns2:Minute>0</ns2:Minute><ns2:Second>5</ns2:Second></ns2:Time>
<ns2:Date><ns2:Year>2026</ns2:Year><ns2:Month>12</ns2:Month><ns2:Day>9</ns2:Day></ns2:Date></ns2:UTCDateTime>
</ns1:SystemDateAndTime></ns1:GetSystemDateAndTimeResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>)";

const char* kNtp = R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"
 xmlns:tds="http://www.onvif.org/ver10/device/wsdl" xmlns:tt="http://www.onvif.org/ver10/schema"><s:Body>
<tds:GetNTPResponse><tds:NTPInformation><tt:FromDHCP>false</tt:FromDHCP>
<tt:NTPManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>10.0.0.1</tt:IPv4Address></tt:NTPManual>
<tt:NTPManual><tt:Type>DNS</tt:Type><tt:DNSname>pool.example</tt:DNSname></tt:NTPManual>
<tt:NTPFromDHCP><tt:Type>IPv4</tt:Type><tt:IPv4Address>10.9.9.9</tt:IPv4Address></tt:NTPFromDHCP>
</tds:NTPInformation></tds:GetNTPResponse></s:Body></s:Envelope>)";

TEST(OnvifClock, ReadsOffsetZoneModeAndTheServersInUse) {
    Answer clock, ntp;
    ASSERT_TRUE(parseAnswer(kClock, std::strlen(kClock), clock));
    ASSERT_TRUE(parseAnswer(kNtp, std::strlen(kNtp), ntp));
    ClockState state;
    // Ours is 3 h 5 s behind the device.
    const auto ours = system_clock::time_point(seconds(1796821205 - 3 * 3600 - 5));
    ASSERT_TRUE(readClock(clock.response, ours, state));
    EXPECT_TRUE(state.offsetRead);
    EXPECT_EQ(state.offset, seconds(3 * 3600 + 5));
    EXPECT_TRUE(state.ntp);
    EXPECT_TRUE(state.daylightSavings);
    EXPECT_EQ(state.timeZone, "CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(readNtp(ntp.response, state));
    EXPECT_EQ(state.ntpServers, (std::vector<std::string>{"10.0.0.1", "pool.example"}));
    EXPECT_FALSE(readNtp(clock.response, state));
}

struct ServersCase {
    const char* name;
    const char* list;
    bool valid;
    size_t count;
};

class NtpServers : public ::testing::TestWithParam<ServersCase> {};

TEST_P(NtpServers, AreRefusedRatherThanSentHalfRight) {
    std::vector<std::string> out;
    EXPECT_EQ(parseNtpServers(GetParam().list, out), GetParam().valid);
    if (GetParam().valid) {
        EXPECT_EQ(out.size(), GetParam().count);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, NtpServers,
    ::testing::Values(ServersCase{"one", "10.0.0.1", true, 1},
                      ServersCase{"addressAndName", "10.0.0.1,ntp.example", true, 2},
                      ServersCase{"four", "a,b,c,d", true, 4}, ServersCase{"five", "a,b,c,d,e", false, 0},
                      ServersCase{"empty", "", false, 0}, ServersCase{"emptyEntry", "a,,b", false, 0},
                      ServersCase{"trailingComma", "a,", false, 0}, ServersCase{"space", "a b", false, 0},
                      ServersCase{"markup", "a<b>", false, 0}),
    testutil::CaseName());

struct AppliedCase {
    const char* name;
    TimeRequest asked;
    bool zoneSent;
    ClockState after;
    bool applied;
};

ClockState read(int offset, bool ntp = false, std::vector<std::string> servers = {}, std::string zone = "UTC0") {
    ClockState s;
    s.offsetRead = true;
    s.offset = seconds(offset);
    s.ntp = ntp;
    s.ntpRead = ntp;
    s.ntpServers = std::move(servers);
    s.timeZone = std::move(zone);
    return s;
}

class TimeApplied : public ::testing::TestWithParam<AppliedCase> {};

TEST_P(TimeApplied, OnlyWhatReadsBackCounts) {
    const AppliedCase& c = GetParam();
    EXPECT_EQ(timeApplied(c.asked, c.zoneSent, c.after, seconds(2)), c.applied);
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, TimeApplied,
    ::testing::Values(AppliedCase{"withinTwoSeconds", {}, false, read(-2), true},
                      AppliedCase{"threeSecondsOff", {}, false, read(3), false},
                      AppliedCase{"stillOnNtp", {}, false, read(0, true, {"a"}), false},
                      AppliedCase{"notRead", {}, false, ClockState{}, false},
                      AppliedCase{"ntpAsSent", {{"a", "b"}, ""}, false, read(500, true, {"a", "b"}), true},
                      AppliedCase{"ntpOtherServers", {{"a", "b"}, ""}, false, read(0, true, {"a"}), false},
                      AppliedCase{"ntpButManual", {{"a"}, ""}, false, read(0, false, {"a"}), false},
                      AppliedCase{"zoneTaken", {{}, "EST5"}, true, read(0, false, {}, "EST5"), true},
                      AppliedCase{"zoneNotTaken", {{}, "EST5"}, true, read(0), false},
                      AppliedCase{"zoneRefusedAndSaidSo", {{}, "EST5"}, false, read(0), true}),
    testutil::CaseName());

} // namespace
