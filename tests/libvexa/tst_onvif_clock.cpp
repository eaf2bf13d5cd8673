// Clocks and passwords of a batch of five ONVIF devices, one of which is odd (a process of its own with its own
// clock, quirk or login): the four others must come out right whatever the odd one does, and the odd one must be
// reported as it is.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "Events.h"
#include "vexa.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kPassword = "Camera-2024";
constexpr const char* kNewPassword = "Site-7 new pass";
constexpr const char* kZone = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kNtp = "127.0.0.9,ntp.example";

enum class Action { Manual, Zone, Ntp, Password };

struct BatchCase {
    const char* name;
    std::vector<std::string> oddArgs;
    Action action;
    const char* oddLogin; // the odd device's password as given; nullptr: the right one
    uint32_t oddCode;
    uint32_t oddFlags;     // VEXA_CLOCK_* bits its clock shows after a time change
    const char* oddDetail; // found in its error detail
    friend void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }
};

struct Result {
    uint32_t code = 0;
    std::string detail;
    VEXA_CLOCK_INFO before{}, after{};
};

class OnvifBatch : public ::testing::TestWithParam<BatchCase> {
protected:
    void TearDown() override { VEXA_Stop(); }
    Events events_;
};

Result act(const std::string& name, Action action, const char* newPassword = kNewPassword) {
    Result r;
    int ok = 0;
    if (action == Action::Password) {
        ok = VEXA_SetUserPassword(name.c_str(), newPassword);
    } else {
        VEXA_TIME_PARAM p{};
        if (action == Action::Zone)
            std::strcpy(p.timeZone, kZone);
        if (action == Action::Ntp)
            std::strcpy(p.ntpServers, kNtp);
        ok = VEXA_SetDeviceTime(name.c_str(), &p, &r.before, &r.after);
    }
    r.code = ok ? 0 : VEXA_GetLastError();
    char detail[256];
    VEXA_GetLastErrorDetail(detail, sizeof detail);
    r.detail = detail;
    return r;
}

void setLogin(const std::string& endpoint, const char* password) {
    const char* one[] = {endpoint.c_str()};
    ASSERT_EQ(VEXA_SetOnvifCredentialsFor(one, 1, "admin", password), 1);
}

TEST_P(OnvifBatch, FourRightAndTheOddOneAsItIs) {
    const BatchCase& c = GetParam();
    static int block = 0;
    const std::string n = std::to_string(++block);
    testutil::TempDir dir;
    const char* wsd = std::getenv("VEXA_WSD_PORT");
    const std::string wsdPort = wsd ? wsd : "3702";
    testutil::Process four, odd;
    ASSERT_TRUE(four.startDevsim({"--count", "0", "--onvif", "4", "--onvif-base", "127.150." + n + ".1", "--wsd-port",
                                  wsdPort, "--state", dir.file("four"), "--onvif-clock-offset", "0,-7,3,40"}));
    std::vector<std::string> oddArgs{
        "--count", "0",      "--onvif", "1",       "--onvif-base",  "127.151." + n + ".1", "--wsd-port",
        wsdPort,   "--seed", "2",       "--state", dir.file("odd"), "--onvif-lock-after",  "3"};
    oddArgs.insert(oddArgs.end(), c.oddArgs.begin(), c.oddArgs.end());
    ASSERT_TRUE(odd.startDevsim(oddArgs));
    ASSERT_EQ(VEXA_Start_V40(&Events::callback, 1, &events_), 1);

    std::vector<std::string> endpoints;
    std::string oddEndpoint;
    ASSERT_TRUE(testutil::waitFor(
        [&] {
            endpoints.clear();
            for (const VEXA_DEVICE_INFO& e : events_.all())
                if (e.protocol == VEXA_PROTOCOL_ONVIF && e.detailsState == VEXA_DETAILS_READ &&
                    std::find(endpoints.begin(), endpoints.end(), text(e.endpointReference)) == endpoints.end()) {
                    endpoints.push_back(text(e.endpointReference));
                    if (text(e.ipv4Address).rfind("127.151.", 0) == 0)
                        oddEndpoint = endpoints.back();
                }
            return endpoints.size() == 5 && !oddEndpoint.empty();
        },
        20s));
    const char* allOf[5];
    for (size_t i = 0; i < 5; ++i)
        allOf[i] = endpoints[i].c_str();
    ASSERT_EQ(VEXA_SetOnvifCredentialsFor(allOf, 5, "admin", kPassword), 1);
    if (c.oddLogin)
        setLogin(oddEndpoint, c.oddLogin);

    // One worker per device, as a batch runs them.
    std::vector<Result> results(5);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < 5; ++i)
        workers.emplace_back([&, i] { results[i] = act(endpoints[i], c.action); });
    for (std::thread& w : workers)
        w.join();

    for (size_t i = 0; i < 5; ++i) {
        const bool isOdd = endpoints[i] == oddEndpoint;
        const Result& r = results[i];
        SCOPED_TRACE(endpoints[i] + (isOdd ? " (odd)" : ""));
        EXPECT_EQ(r.code, isOdd ? c.oddCode : 0u) << r.detail;
        if (isOdd) {
            EXPECT_NE(r.detail.find(c.oddDetail), std::string::npos) << r.detail;
        }
        if (c.action == Action::Password || r.code != 0)
            continue;
        EXPECT_EQ(r.after.flags & VEXA_CLOCK_ZONE_REFUSED, isOdd ? c.oddFlags & VEXA_CLOCK_ZONE_REFUSED : 0u);
        if (c.action == Action::Ntp) {
            EXPECT_EQ(r.after.flags & (VEXA_CLOCK_NTP | VEXA_CLOCK_NTP_READ),
                      0u + (VEXA_CLOCK_NTP | VEXA_CLOCK_NTP_READ));
            EXPECT_STREQ(r.after.ntpServers, kNtp);
            continue;
        }
        EXPECT_LE(std::abs(r.after.offsetSeconds), 2) << "before " << r.before.offsetSeconds;
        const bool zoneTaken = c.action == Action::Zone && !(r.after.flags & VEXA_CLOCK_ZONE_REFUSED);
        EXPECT_STREQ(r.after.timeZone, zoneTaken ? kZone : "UTC0");
    }
    if (c.action != Action::Password)
        return;

    if (c.oddLogin) {
        // Two refusals: the next attempt sends nothing (the device locks after three), a login given again does.
        EXPECT_EQ(act(oddEndpoint, Action::Password).code, static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
        const Result third = act(oddEndpoint, Action::Password);
        EXPECT_EQ(third.code, static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
        EXPECT_NE(third.detail.find("two refused sign-ins"), std::string::npos) << third.detail;
        setLogin(oddEndpoint, kPassword);
        const Result again = act(oddEndpoint, Action::Password);
        EXPECT_EQ(again.code, 0u) << again.detail;
        return;
    }
    // Signing in afresh: the four with the new password, the odd one with the one it kept.
    for (const std::string& endpoint : endpoints) {
        const bool kept = endpoint == oddEndpoint && c.oddCode != 0;
        setLogin(endpoint, kept ? kPassword : kNewPassword);
        EXPECT_EQ(act(endpoint, Action::Manual).code, 0u) << endpoint;
        if (kept) {
            setLogin(endpoint, kNewPassword);
            EXPECT_EQ(act(endpoint, Action::Manual).code, static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, OnvifBatch,
    ::testing::Values(
        BatchCase{"clockHoursOff", {"--onvif-clock-offset", "10800"}, Action::Manual, nullptr, 0, 0, ""},
        BatchCase{"zoneTakenOrRefused",
                  {"--onvif-quirks", "no-timezone"},
                  Action::Zone,
                  nullptr,
                  0,
                  VEXA_CLOCK_ZONE_REFUSED,
                  ""},
        BatchCase{"ntpServers", {"--onvif-quirks", "digest-only"}, Action::Ntp, nullptr, 0, 0, ""},
        BatchCase{"faultButApplied", {"--onvif-quirks", "fault-applied"}, Action::Manual, nullptr, 0, 0, ""},
        BatchCase{"passwordChanged",
                  {"--onvif-quirks", "digest-only", "--onvif-clock-offset", "-5000"},
                  Action::Password,
                  nullptr,
                  0,
                  0,
                  ""},
        BatchCase{"keepsOldPassword",
                  {"--onvif-quirks", "keeps-password"},
                  Action::Password,
                  nullptr,
                  VEXA_ERR_PASSWORD_NOT_TAKEN,
                  0,
                  "the old password still works"},
        BatchCase{
            "wrongLoginStopsAfterTwoRefusals", {}, Action::Password, "Wrong-Pass1", VEXA_ERR_DEVICE_REFUSED, 0, ""}),
    testutil::CaseName());

} // namespace
