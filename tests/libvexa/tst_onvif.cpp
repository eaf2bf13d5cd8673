// ONVIF devices of the simulator on loopback, through the public API: discovery (Hello, probes, de-duplication,
// Bye, metadata changes), details with and without a login, clock offsets, Digest, every change with its read
// back, a restart to a new address, faults and a device that does not come back.

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "Events.h"
#include "vexa.h"

namespace {

using namespace std::chrono_literals;
using testutil::Process;
using testutil::TempDir;
using testutil::waitFor;

constexpr const char* kUser = "admin";
constexpr const char* kPassword = "Camera-2024";

std::string wsdPort() {
    const char* port = std::getenv("VEXA_WSD_PORT");
    return port ? port : "3702";
}

// A fleet of ONVIF devices only, on 127.<block>.0.1 onwards: each test its own block, so that a restarted
// simulator never meets the sockets of the last one.
class OnvifFleet {
public:
    bool start(int block, int count, const std::vector<std::string>& extra = {}) {
        base_ = "127.6" + std::to_string(block / 10) + "." + std::to_string(block % 10) + ".";
        std::vector<std::string> args{
            "--count",    "0",       "--onvif", std::to_string(count),   "--onvif-base",         base_ + "1",
            "--wsd-port", wsdPort(), "--state", dir_.file("state.json"), "--onvif-reboot-delay", "300"};
        args.insert(args.end(), extra.begin(), extra.end());
        return sim_.startDevsim(args);
    }
    std::string address(int n) const { return base_ + std::to_string(n); }
    Process& process() { return sim_; }

private:
    TempDir dir_;
    Process sim_;
    std::string base_;
};

// The latest record of every ONVIF device, by endpoint reference.
std::map<std::string, VEXA_DEVICE_INFO> latest(const Events& events) {
    std::map<std::string, VEXA_DEVICE_INFO> out;
    for (const VEXA_DEVICE_INFO& one : events.all()) {
        if (one.protocol != VEXA_PROTOCOL_ONVIF)
            continue;
        if (one.eventType == VEXA_EVENT_GONE)
            out.erase(text(one.endpointReference));
        else
            out[text(one.endpointReference)] = one;
    }
    return out;
}

size_t inState(const Events& events, uint8_t state) {
    size_t n = 0;
    for (const auto& [endpoint, info] : latest(events))
        n += info.detailsState == state ? 1 : 0;
    return n;
}

bool waitState(const Events& events, uint8_t state, size_t count, std::chrono::milliseconds timeout = 15s) {
    return waitFor([&] { return inState(events, state) >= count; }, timeout);
}

VEXA_DEVICE_INFO byAddress(const Events& events, const std::string& address) {
    for (const auto& [endpoint, info] : latest(events))
        if (text(info.ipv4Address) == address)
            return info;
    return VEXA_DEVICE_INFO{};
}

class OnvifTest : public ::testing::Test {
protected:
    void TearDown() override { VEXA_Stop(); }
    bool startLibrary() { return VEXA_Start_V40(&Events::callback, 1, &events_) == 1; }
    Events events_;
};

} // namespace

TEST_F(OnvifTest, HelloProbesOnceEachByeAndMetadata) {
    ASSERT_TRUE(startLibrary());
    OnvifFleet fleet;
    ASSERT_TRUE(fleet.start(1, 4));
    // Started after us: its Hellos are what we hear first.
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 4, 10s));
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 4));
    // Probe rounds find them again, and list none twice.
    ASSERT_TRUE(VEXA_SendInquiry());
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(events_.count(VEXA_EVENT_NEW), 4u);
    std::set<std::string> endpoints;
    for (const auto& info : events_.of(VEXA_EVENT_NEW))
        endpoints.insert(text(info.endpointReference));
    EXPECT_EQ(endpoints.size(), 4u);
    // Forgotten, then found by probes alone.
    ASSERT_TRUE(VEXA_Clearup());
    const size_t before = events_.size();
    ASSERT_TRUE(VEXA_SendInquiry());
    EXPECT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 4, 10s, before));

    // Another client renames one: its new metadata reaches us by Hello and is read again.
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 4));
    const VEXA_DEVICE_INFO one = byAddress(events_, fleet.address(2));
    ASSERT_EQ(one.detailsState, VEXA_DETAILS_READ);
    const std::string command = "echo " + std::string(kPassword) +
                                " | VEXA_PORT=" + std::to_string(testutil::testPort(5)) + " " + testutil::binDir() +
                                "/vexa set-network " + text(one.serialNo) + " --user admin --name Renamed-Elsewhere";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(
        waitFor([&] { return text(byAddress(events_, fleet.address(2)).deviceName) == "Renamed-Elsewhere"; }, 10s));

    // Leaving, each says Bye.
    const size_t gone = events_.count(VEXA_EVENT_GONE);
    fleet.process().signal(SIGTERM);
    EXPECT_EQ(fleet.process().wait(), 0);
    EXPECT_TRUE(events_.waitCount(VEXA_EVENT_GONE, gone + 4, 10s));
}

struct LoginCase {
    const char* name;
    std::vector<std::string> simArgs;
    bool login;
    uint8_t state;
};

class OnvifLogin : public OnvifTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(OnvifLogin, ReadsWhatTheDeviceTells) {
    const LoginCase& c = GetParam();
    OnvifFleet fleet;
    static int block = 10;
    ASSERT_TRUE(fleet.start(block++, 2, c.simArgs));
    ASSERT_TRUE(startLibrary());
    if (c.login) {
        ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, kPassword));
    }
    ASSERT_TRUE(waitFor([&] { return inState(events_, c.state) == 2; }, 15s)) << inState(events_, c.state);
    if (c.state != VEXA_DETAILS_READ) {
        // Signing in later reads them again.
        ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, kPassword));
        ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 2));
    }
    const VEXA_DEVICE_INFO d = byAddress(events_, fleet.address(1));
    EXPECT_FALSE(text(d.serialNo).empty());
    EXPECT_EQ(text(d.mac).size(), 17u);
    EXPECT_EQ(text(d.ipv4SubnetMask), "255.255.255.0");
    EXPECT_FALSE(text(d.ipv4Gateway).empty());
    EXPECT_FALSE(text(d.manufacturer).empty());
    EXPECT_FALSE(text(d.deviceTypeName).empty());
    EXPECT_FALSE(text(d.softwareVersion).empty());
    EXPECT_FALSE(text(d.deviceName).empty());
    EXPECT_EQ(d.httpPort, 8080);
    EXPECT_EQ(text(d.serviceAddress), "http://" + fleet.address(1) + ":8080/onvif/device_service");
    EXPECT_EQ(d.certified, 0); // nothing we could verify
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, OnvifLogin,
    ::testing::Values(LoginCase{"anonymous", {}, false, VEXA_DETAILS_READ},
                      LoginCase{"loginAsked", {"--onvif-quirks", "no-anonymous"}, false, VEXA_DETAILS_NEED_LOGIN},
                      LoginCase{"wrongClockAhead",
                                {"--onvif-quirks", "no-anonymous", "--onvif-clock-offset", "3600"},
                                true,
                                VEXA_DETAILS_READ},
                      LoginCase{"wrongClockBehind",
                                {"--onvif-quirks", "no-anonymous", "--onvif-clock-offset", "-3600"},
                                true,
                                VEXA_DETAILS_READ},
                      LoginCase{"digestOnly", {"--onvif-quirks", "no-anonymous,digest-only"}, true, VEXA_DETAILS_READ},
                      LoginCase{"otherShapes", {"--onvif-quirks", "prefixes,soap11,xaddrs"}, false, VEXA_DETAILS_READ}),
    testutil::CaseName());

TEST_F(OnvifTest, WrongPasswordIsNotALogin) {
    OnvifFleet fleet;
    ASSERT_TRUE(fleet.start(20, 1, {"--onvif-quirks", "no-anonymous"}));
    ASSERT_TRUE(startLibrary());
    ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, "Wrong-Pass1"));
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_NEED_LOGIN, 1));
    EXPECT_EQ(inState(events_, VEXA_DETAILS_READ), 0u);
    // The device's own words are kept for the device, not only for the thread that read it.
    const std::string endpoint = latest(events_).begin()->first;
    char reason[64];
    std::memset(reason, 'x', sizeof reason);
    ASSERT_TRUE(waitFor(
        [&] { return VEXA_GetOnvifRefusal(endpoint.c_str(), reason, sizeof reason) && reason[0] != '\0'; }, 5s));
    EXPECT_STREQ(reason, "Sender not authorized");
    char cut[7];
    ASSERT_TRUE(VEXA_GetOnvifRefusal(endpoint.c_str(), cut, sizeof cut));
    EXPECT_STREQ(cut, "Sender");
    EXPECT_FALSE(VEXA_GetOnvifRefusal("urn:uuid:nobody", reason, sizeof reason));
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_UNKNOWN_DEVICE));
    EXPECT_FALSE(VEXA_GetOnvifRefusal(endpoint.c_str(), nullptr, 16));
    // The right password clears the refusal with the read.
    ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, kPassword));
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 1));
    ASSERT_TRUE(VEXA_GetOnvifRefusal(endpoint.c_str(), reason, sizeof reason));
    EXPECT_STREQ(reason, "");
}

struct ChangeCase {
    const char* name;
    std::vector<std::string> simArgs;
    std::function<void(VEXA_NET_PARAM&, const OnvifFleet&)> change;
    std::function<bool(const VEXA_DEVICE_INFO&, const OnvifFleet&)> check;
};

class OnvifChange : public OnvifTest, public ::testing::WithParamInterface<ChangeCase> {};

VEXA_NET_PARAM paramsOf(const VEXA_DEVICE_INFO& d) {
    VEXA_NET_PARAM p{};
    std::memcpy(p.ipv4Address, d.ipv4Address, sizeof d.ipv4Address);
    std::memcpy(p.ipv4SubnetMask, d.ipv4SubnetMask, sizeof d.ipv4SubnetMask);
    std::memcpy(p.ipv4Gateway, d.ipv4Gateway, sizeof d.ipv4Gateway);
    std::memcpy(p.deviceName, d.deviceName, sizeof d.deviceName);
    p.port = static_cast<uint16_t>(d.port);
    p.dhcpEnabled = d.dhcpEnabled;
    p.httpPort = d.httpPort;
    p.rtspPort = d.rtspPort;
    return p;
}

void setText(char* field, size_t width, const std::string& value) {
    std::memset(field, 0, width);
    std::memcpy(field, value.data(), std::min(width, value.size()));
}

TEST_P(OnvifChange, AnswersOnlyWhatItReadsBack) {
    const ChangeCase& c = GetParam();
    OnvifFleet fleet;
    static int block = 30;
    ASSERT_TRUE(fleet.start(block++, 2, c.simArgs));
    ASSERT_TRUE(startLibrary());
    ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, kPassword));
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 2));
    const VEXA_DEVICE_INFO before = byAddress(events_, fleet.address(1));
    VEXA_NET_PARAM p = paramsOf(before);
    c.change(p, fleet);
    // Named by its serial number, with the password of the login.
    ASSERT_EQ(VEXA_ModifyDeviceNetParam(text(before.serialNo).c_str(), nullptr, &p), 1) << VEXA_GetLastError();
    // A fresh read, not our own record, shows the change.
    ASSERT_TRUE(VEXA_Clearup());
    ASSERT_TRUE(VEXA_SendInquiry());
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 2));
    VEXA_DEVICE_INFO after{};
    for (const auto& [endpoint, info] : latest(events_))
        if (endpoint == text(before.endpointReference))
            after = info;
    EXPECT_TRUE(c.check(after, fleet)) << text(after.ipv4Address) << " " << text(after.ipv4Gateway) << " "
                                       << text(after.deviceName) << " " << after.httpPort << " " << after.rtspPort;
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, OnvifChange,
    ::testing::Values(
        ChangeCase{
            "gateway",
            {},
            [](VEXA_NET_PARAM& p, const OnvifFleet& f) {
                setText(p.ipv4Gateway, sizeof p.ipv4Gateway, f.address(200));
            },
            [](const VEXA_DEVICE_INFO& d, const OnvifFleet& f) { return text(d.ipv4Gateway) == f.address(200); }},
        ChangeCase{"nameKeepsOtherScopes",
                   {},
                   [](VEXA_NET_PARAM& p, const OnvifFleet&) { setText(p.deviceName, sizeof p.deviceName, "Gate 4/B"); },
                   [](const VEXA_DEVICE_INFO& d, const OnvifFleet&) {
                       return text(d.deviceName) == "Gate 4/B" && !text(d.location).empty();
                   }},
        ChangeCase{"ports",
                   {},
                   [](VEXA_NET_PARAM& p, const OnvifFleet&) {
                       p.httpPort = 8081;
                       p.rtspPort = 8554;
                   },
                   [](const VEXA_DEVICE_INFO& d, const OnvifFleet& f) {
                       return d.httpPort == 8081 && d.rtspPort == 8554 &&
                              text(d.serviceAddress) == "http://" + f.address(1) + ":8081/onvif/device_service";
                   }},
        ChangeCase{
            "addressAfterRestart",
            {},
            [](VEXA_NET_PARAM& p, const OnvifFleet& f) { setText(p.ipv4Address, sizeof p.ipv4Address, f.address(77)); },
            [](const VEXA_DEVICE_INFO& d, const OnvifFleet& f) { return text(d.ipv4Address) == f.address(77); }},
        ChangeCase{"dhcpAfterRestart",
                   {},
                   [](VEXA_NET_PARAM& p, const OnvifFleet&) { p.dhcpEnabled = 1; },
                   [](const VEXA_DEVICE_INFO& d, const OnvifFleet&) { return d.dhcpEnabled == 1; }},
        ChangeCase{
            "faultButApplied",
            {"--onvif-quirks", "fault-applied"},
            [](VEXA_NET_PARAM& p, const OnvifFleet& f) {
                setText(p.ipv4Gateway, sizeof p.ipv4Gateway, f.address(201));
            },
            [](const VEXA_DEVICE_INFO& d, const OnvifFleet& f) { return text(d.ipv4Gateway) == f.address(201); }},
        ChangeCase{
            "digestOnly",
            {"--onvif-quirks", "digest-only"},
            [](VEXA_NET_PARAM& p, const OnvifFleet& f) {
                setText(p.ipv4Gateway, sizeof p.ipv4Gateway, f.address(202));
            },
            [](const VEXA_DEVICE_INFO& d, const OnvifFleet& f) { return text(d.ipv4Gateway) == f.address(202); }}),
    testutil::CaseName());

TEST_F(OnvifTest, RefusalsCarryCodeAndTheDevicesWords) {
    OnvifFleet fleet;
    ASSERT_TRUE(fleet.start(50, 2));
    ASSERT_TRUE(startLibrary());
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 2));
    const VEXA_DEVICE_INFO d = byAddress(events_, fleet.address(1));
    const std::string serial = text(d.serialNo);
    char detail[256];

    // No login: asked for one, nothing changed.
    VEXA_NET_PARAM p = paramsOf(d);
    setText(p.ipv4Gateway, sizeof p.ipv4Gateway, fleet.address(210));
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(serial.c_str(), nullptr, &p), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NEED_CREDENTIALS));

    ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, "Wrong-Pass1"));
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(serial.c_str(), nullptr, &p), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
    ASSERT_GT(VEXA_GetLastErrorDetail(detail, sizeof detail), 0);
    EXPECT_STREQ(detail, "Sender not authorized");

    // The address of the other device: a refused value, in the device's words.
    ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, kPassword));
    p = paramsOf(d);
    setText(p.ipv4Address, sizeof p.ipv4Address, fleet.address(2));
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(serial.c_str(), nullptr, &p), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_VALUE_REFUSED));
    ASSERT_GT(VEXA_GetLastErrorDetail(detail, sizeof detail), 0);
    EXPECT_STREQ(detail, "Another device uses this address");

    // What ONVIF has no word for is refused before anything is sent.
    p = paramsOf(d);
    setText(p.ipv6Address, sizeof p.ipv6Address, "2001:db8::7");
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(serial.c_str(), nullptr, &p), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_SUPPORTED));
    EXPECT_EQ(VEXA_ActivateDevice(serial.c_str(), "New-Pass-123"), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_SUPPORTED));
    EXPECT_EQ(VEXA_ResetDefaultPasswd(serial.c_str(), "123456", "New-Pass-123"), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_SUPPORTED));
    VEXA_KEY_REQUEST request{};
    EXPECT_EQ(VEXA_GetDeviceConfig(serial.c_str(), VEXA_CMD_KEY_REQUEST, nullptr, 0, &request, sizeof request), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_SUPPORTED));
}

TEST_F(OnvifTest, DeviceThatDoesNotComeBackIsSaidSo) {
    OnvifFleet fleet;
    // Restarts take 20 s; we wait 1.5 s.
    ::setenv("VEXA_ONVIF_REBOOT_WAIT_MS", "1500", 1);
    ASSERT_TRUE(fleet.start(60, 1, {"--onvif-reboot-delay", "20000"}));
    ASSERT_TRUE(startLibrary());
    ::unsetenv("VEXA_ONVIF_REBOOT_WAIT_MS");
    ASSERT_TRUE(VEXA_SetOnvifCredentials(kUser, kPassword));
    ASSERT_TRUE(waitState(events_, VEXA_DETAILS_READ, 1));
    const VEXA_DEVICE_INFO d = byAddress(events_, fleet.address(1));
    VEXA_NET_PARAM p = paramsOf(d);
    setText(p.ipv4Address, sizeof p.ipv4Address, fleet.address(90));
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(text(d.endpointReference).c_str(), nullptr, &p), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_BACK));
}
