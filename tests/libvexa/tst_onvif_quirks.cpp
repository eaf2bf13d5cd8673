// Our ONVIF client against the simulator playing one quirk of real devices at a time: each read stands alone, so a
// quirk costs at most the fields of the read it touches, and the state names what is missing and why.

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "Events.h"
#include "vexa.h"

namespace {

using namespace std::chrono_literals;

struct QuirkCase {
    const char* name;
    std::vector<std::string> simArgs;
    const char* password; // nullptr: no login
    uint8_t state;
    uint8_t missing;
    std::string note; // found in the details note (or the refusal, for a refused login)
    friend void PrintTo(const QuirkCase& c, std::ostream* os) { *os << c.name; }
};

class OnvifQuirk : public ::testing::TestWithParam<QuirkCase> {
protected:
    void TearDown() override { VEXA_Stop(); }
    // Outlives the library's start: its callbacks may still run until the stop in TearDown.
    Events events_;
};

TEST_P(OnvifQuirk, LosesOnlyWhatTheQuirkTouches) {
    const QuirkCase& c = GetParam();
    static int block = 70;
    const std::string base = "127.6" + std::to_string(block / 10) + "." + std::to_string(block % 10) + ".";
    ++block;
    testutil::TempDir dir;
    testutil::Process sim;
    const char* wsd = std::getenv("VEXA_WSD_PORT");
    std::vector<std::string> args{"--count",  "0",          "--onvif",          "1",       "--onvif-base",
                                  base + "1", "--wsd-port", wsd ? wsd : "3702", "--state", dir.file("state.json")};
    args.insert(args.end(), c.simArgs.begin(), c.simArgs.end());
    ASSERT_TRUE(sim.startDevsim(args));
    Events& events = events_;
    ASSERT_EQ(VEXA_Start_V40(&Events::callback, 1, &events), 1);
    if (c.password) {
        ASSERT_TRUE(VEXA_SetOnvifCredentials("admin", c.password));
    }

    VEXA_DEVICE_INFO d{};
    const bool settled = testutil::waitFor(
        [&] {
            for (const VEXA_DEVICE_INFO& e : events.all())
                if (e.protocol == VEXA_PROTOCOL_ONVIF && e.detailsState != VEXA_DETAILS_PENDING)
                    d = e;
            return d.detailsState == c.state;
        },
        20s);
    ASSERT_TRUE(settled) << "state " << int(d.detailsState) << ", missing " << int(d.missingDetails);
    EXPECT_EQ(d.missingDetails, c.missing);
    char note[512];
    const std::string endpoint = text(d.endpointReference);
    if (c.state == VEXA_DETAILS_NEED_LOGIN)
        ASSERT_TRUE(VEXA_GetOnvifRefusal(endpoint.c_str(), note, sizeof note));
    else
        ASSERT_TRUE(VEXA_GetOnvifDetailsNote(endpoint.c_str(), note, sizeof note));
    EXPECT_NE(std::string(note).find(c.note), std::string::npos) << note;
    EXPECT_EQ(c.note.empty(), note[0] == '\0') << note;
    if (c.state == VEXA_DETAILS_NEED_LOGIN)
        return;
    // What the other reads give is there, whatever the quirk took.
    EXPECT_EQ(text(d.ipv4Address), base + "1");
    EXPECT_EQ(text(d.serialNo).empty(), (c.missing & VEXA_READ_INFORMATION) != 0);
    EXPECT_EQ(text(d.manufacturer).empty(), (c.missing & VEXA_READ_INFORMATION) != 0);
    EXPECT_EQ(text(d.mac).size(), (c.missing & VEXA_READ_INTERFACES) ? 0u : 17u);
    EXPECT_EQ(text(d.ipv4Gateway).empty(), (c.missing & VEXA_READ_GATEWAY) != 0);
    EXPECT_EQ(d.httpPort == 0, (c.missing & VEXA_READ_PROTOCOLS) != 0);
    EXPECT_FALSE(text(d.deviceName).empty()); // from discovery when GetScopes failed
}

constexpr const char* kPassword = "Camera-2024";
const std::vector<std::string> kLoginOnly{"--onvif-quirks", "no-anonymous"};

std::vector<std::string> quirks(const std::string& list, std::vector<std::string> more = {}) {
    more.insert(more.begin(), {"--onvif-quirks", list});
    return more;
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, OnvifQuirk,
    ::testing::Values(QuirkCase{"faultOnClock", quirks("fault=GetSystemDateAndTime"), nullptr, VEXA_DETAILS_PARTIAL,
                                VEXA_READ_CLOCK, "GetSystemDateAndTime: not supported"},
                      QuirkCase{"faultOnInformation", quirks("fault=GetDeviceInformation"), nullptr,
                                VEXA_DETAILS_PARTIAL, VEXA_READ_INFORMATION, "GetDeviceInformation: not supported"},
                      QuirkCase{"faultOnInterfaces", quirks("fault=GetNetworkInterfaces"), nullptr,
                                VEXA_DETAILS_PARTIAL, VEXA_READ_INTERFACES, "GetNetworkInterfaces: not supported"},
                      QuirkCase{"faultOnGateway", quirks("fault=GetNetworkDefaultGateway"), nullptr,
                                VEXA_DETAILS_PARTIAL, VEXA_READ_GATEWAY, "GetNetworkDefaultGateway: not supported"},
                      QuirkCase{"faultOnProtocols", quirks("fault=GetNetworkProtocols"), nullptr, VEXA_DETAILS_PARTIAL,
                                VEXA_READ_PROTOCOLS, "GetNetworkProtocols: not supported"},
                      QuirkCase{"faultOnScopes", quirks("fault=GetScopes"), nullptr, VEXA_DETAILS_PARTIAL,
                                VEXA_READ_SCOPES, "GetScopes: not supported"},
                      QuirkCase{"noInterface", quirks("no-interfaces"), nullptr, VEXA_DETAILS_PARTIAL,
                                VEXA_READ_INTERFACES, "GetNetworkInterfaces: no interface reported"},
                      QuirkCase{"interfaceWithoutMac", quirks("partial-interfaces"), nullptr, VEXA_DETAILS_PARTIAL,
                                VEXA_READ_INTERFACES, "GetNetworkInterfaces: no MAC address reported"},
                      QuirkCase{"answersOnlyTransmitterProbes", quirks("only-transmitter", {"--no-boot-announce"}),
                                nullptr, VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"answersOnlyDeviceProbes", quirks("only-device", {"--no-boot-announce"}), nullptr,
                                VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"digestSha256Only", quirks("no-anonymous,digest-only,digest-sha256"), kPassword,
                                VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"clockDaysOff", quirks("no-anonymous", {"--onvif-clock-offset", "-200000"}), kPassword,
                                VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"localTimeAsUtc", quirks("no-anonymous,local-as-utc"), kPassword, VEXA_DETAILS_READ, 0,
                                ""},
                      QuirkCase{"undeclaredPrefixesBomPlainType", quirks("prefixes,undeclared,bom,plain-content-type"),
                                nullptr, VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"refusesAddressingHeaders", quirks("no-anonymous,no-addressing"), kPassword,
                                VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"noKeepAlive", quirks("no-anonymous,close"), kPassword, VEXA_DETAILS_READ, 0, ""},
                      QuirkCase{"notAuthorizedUnderAnotherCode", quirks("no-anonymous,other-auth-code"), "Wrong-Pass1",
                                VEXA_DETAILS_NEED_LOGIN, 0, "Not Authorized"}),
    testutil::CaseName());

} // namespace
