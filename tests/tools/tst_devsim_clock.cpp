// The simulated ONVIF device's clock, NTP setting and account without sockets: what each write leaves, what its
// quirks refuse, what the state file keeps, and the lock-out after wrong sign-ins.

#include <ctime>
#include <gtest/gtest.h>

#include "CaseName.h"
#include "DeviceService.h"
#include "OnvifDevice.h"
#include "OnvifSoap.h"

using namespace devsim::onvif;
using namespace onviftest;

namespace {

const char* const kPassword = "Camera-2024";

struct ClockCase {
    const char* name;
    const char* quirks;
    std::string body;
    const char* subcode; // "" when it is taken
    const char* readBack;
    std::string expect;
    const char* readPassword = nullptr; // the read-back signs in with it; nullptr: anonymously
};

std::string setTime(const std::string& type, const std::string& zone, int64_t when) {
    const std::string iso = utc(when); // YYYY-MM-DDTHH:MM:SSZ
    return "<tds:SetSystemDateAndTime><tds:DateTimeType>" + type +
           "</tds:DateTimeType><tds:DaylightSavings>false</tds:DaylightSavings>" +
           (zone.empty() ? "" : "<tds:TimeZone><tt:TZ>" + zone + "</tt:TZ></tds:TimeZone>") +
           "<tds:UTCDateTime><tt:Time><tt:Hour>" + iso.substr(11, 2) + "</tt:Hour><tt:Minute>" + iso.substr(14, 2) +
           "</tt:Minute><tt:Second>" + iso.substr(17, 2) + "</tt:Second></tt:Time><tt:Date><tt:Year>" +
           iso.substr(0, 4) + "</tt:Year><tt:Month>" + iso.substr(5, 2) + "</tt:Month><tt:Day>" + iso.substr(8, 2) +
           "</tt:Day></tt:Date></tds:UTCDateTime></tds:SetSystemDateAndTime>";
}

class Clocks : public ::testing::TestWithParam<ClockCase> {};

TEST_P(Clocks, TakenAndReadBackOrRefusedUnchanged) {
    const ClockCase& c = GetParam();
    ServiceOptions options;
    options.password = kPassword;
    options.clockOffset = 10800;
    std::string error;
    ASSERT_TRUE(parseQuirks(c.quirks, options.quirks, error)) << error;
    DeviceService service(options);
    OnvifDevice device = generateOnvifFleet(1, 7, 0x7f2a0001, 8080).front();
    const std::string before = formatOnvifFleet({device});
    const int64_t now = std::time(nullptr);
    const Outcome out =
        service.handle(device, envelope(c.body, usernameToken("admin", kPassword, now + 10800)), {}, now, nullptr);
    EXPECT_EQ(faultSubcode(out.body), c.subcode) << out.body;
    if (*c.subcode) {
        EXPECT_EQ(formatOnvifFleet({device}), before) << "a refused write changed the device";
        return;
    }
    const std::string token = c.readPassword ? usernameToken("admin", c.readPassword, now + 10800) : "";
    const Outcome read = service.handle(device, envelope(c.readBack, token), {}, now, nullptr);
    EXPECT_NE(read.body.find(c.expect), std::string::npos) << read.body;
    // A restart plays what was set.
    std::vector<OnvifDevice> loaded;
    ASSERT_TRUE(parseOnvifFleet(formatOnvifFleet({device}), loaded, error)) << error;
    EXPECT_EQ(formatOnvifFleet(loaded), formatOnvifFleet({device}));
}

const int64_t kNow = std::time(nullptr);
// The hour as the device writes it: what a clock three hours off reads once set.
const std::string kHourNow = "<tt:Hour>" + std::to_string(std::stoi(utc(kNow).substr(11, 2))) + "</tt:Hour>";

INSTANTIATE_TEST_SUITE_P(
    Onvif, Clocks,
    ::testing::Values(
        ClockCase{"manualTimeCorrectsTheOffset", "", setTime("Manual", "", kNow), "", "<tds:GetSystemDateAndTime/>",
                  "<tt:Hour>"},
        ClockCase{"zoneTaken", "", setTime("Manual", "EST5EDT", kNow), "", "<tds:GetSystemDateAndTime/>",
                  "<tt:TZ>EST5EDT</tt:TZ>"},
        ClockCase{"zoneRefusedByQuirk", "no-timezone", setTime("Manual", "EST5EDT", kNow), "InvalidTimeZone", "", ""},
        ClockCase{"ntpMode", "", setTime("NTP", "", kNow), "", "<tds:GetSystemDateAndTime/>",
                  "<tt:DateTimeType>NTP</tt:DateTimeType>"},
        ClockCase{"ntpServers", "",
                  "<tds:SetNTP><tds:FromDHCP>false</tds:FromDHCP><tds:NTPManual><tt:Type>DNS</tt:Type>"
                  "<tt:DNSname>ntp.example</tt:DNSname></tds:NTPManual></tds:SetNTP>",
                  "", "<tds:GetNTP/>", "<tt:DNSname>ntp.example</tt:DNSname>"},
        ClockCase{"badDate", "",
                  "<tds:SetSystemDateAndTime><tds:DateTimeType>Manual</tds:DateTimeType>"
                  "<tds:DaylightSavings>false</tds:DaylightSavings></tds:SetSystemDateAndTime>",
                  "InvalidDateTime", "", ""},
        ClockCase{"passwordChanged", "",
                  "<tds:SetUser><tds:User><tt:Username>admin</tt:Username><tt:Password>New-Pass-99</tt:Password>"
                  "<tt:UserLevel>Administrator</tt:UserLevel></tds:User></tds:SetUser>",
                  "", "<tds:GetUsers/>", "<tt:Username>admin</tt:Username>", "New-Pass-99"},
        ClockCase{"passwordTooShort", "",
                  "<tds:SetUser><tds:User><tt:Username>admin</tt:Username><tt:Password>short</tt:Password>"
                  "<tt:UserLevel>Administrator</tt:UserLevel></tds:User></tds:SetUser>",
                  "PasswordTooWeak", "", ""},
        ClockCase{"passwordKeptByQuirk", "keeps-password",
                  "<tds:SetUser><tds:User><tt:Username>admin</tt:Username><tt:Password>New-Pass-99</tt:Password>"
                  "<tt:UserLevel>Administrator</tt:UserLevel></tds:User></tds:SetUser>",
                  "", "<tds:GetUsers/>", "<tt:Username>admin</tt:Username>", kPassword}),
    testutil::CaseName());

TEST(OnvifLockOut, WrongSignInsLockEvenTheRightPasswordOut) {
    ServiceOptions options;
    options.password = kPassword;
    options.lockAfter = 3;
    DeviceService service(options);
    OnvifDevice device = generateOnvifFleet(1, 7, 0x7f2a0001, 8080).front();
    const int64_t now = std::time(nullptr);
    auto signIn = [&](const char* password) {
        return faultSubcode(
            service.handle(device, envelope("<tds:GetUsers/>", usernameToken("admin", password, now)), {}, now, nullptr)
                .body);
    };
    EXPECT_EQ(signIn("Wrong-1"), "NotAuthorized");
    EXPECT_EQ(signIn("Wrong-2"), "NotAuthorized");
    EXPECT_EQ(signIn(kPassword), "") << "a right sign-in resets the count";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(signIn("Wrong-3"), "NotAuthorized");
    EXPECT_EQ(signIn(kPassword), "NotAuthorized") << "locked";
}

} // namespace
