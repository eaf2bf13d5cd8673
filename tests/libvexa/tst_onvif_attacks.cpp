// ONVIF on a hostile link, through the public API: a simulated camera and a fake one of the test's own on
// loopback addresses. Grouped by what defends: messages are claims, the login goes where it is given, readers are
// bounded per host, a change checks who answers at the new address, HTTPS certificates are pinned.

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "Events.h"
#include "FakeCamera.h"
#include "onvif/CertificatePins.h"
#include "onvif/DeviceClient.h"
#include "vexa.h"

namespace {

using namespace std::chrono_literals;
using testutil::FakeCamera;
using Mode = FakeCamera::Mode;
using testutil::waitFor;

constexpr const char* kUser = "admin";
constexpr const char* kPassword = "Camera-2024";

uint16_t wsdPort() {
    const char* port = std::getenv("VEXA_WSD_PORT");
    return static_cast<uint16_t>(port ? std::atoi(port) : 3702);
}

// The latest record of every ONVIF device, by endpoint reference, and every flag each one showed.
std::map<std::string, VEXA_DEVICE_INFO> latest(const Events& events, std::map<std::string, uint8_t>* flags = nullptr) {
    std::map<std::string, VEXA_DEVICE_INFO> out;
    for (const VEXA_DEVICE_INFO& one : events.all()) {
        if (one.protocol != VEXA_PROTOCOL_ONVIF)
            continue;
        if (flags)
            (*flags)[text(one.endpointReference)] |= one.onvifFlags;
        if (one.eventType == VEXA_EVENT_GONE)
            out.erase(text(one.endpointReference));
        else
            out[text(one.endpointReference)] = one;
    }
    return out;
}

// One simulated camera on 127.8<block>.0.1, read, and a fake one on .66 of the same network.
class Site : public ::testing::Test {
protected:
    void TearDown() override { VEXA_Stop(); }

    bool startCamera(int block, const std::vector<std::string>& simArgs = {}) {
        base_ = "127.8" + std::to_string(block / 10) + "." + std::to_string(block % 10) + ".";
        std::vector<std::string> args{"--count", "0", "--onvif", "1", "--onvif-base", base_ + "1"};
        for (const std::string& more :
             {std::string("--wsd-port"), std::to_string(wsdPort()), std::string("--state"), dir_.file("state.json"),
              std::string("--onvif-reboot-delay"), std::string("300")})
            args.push_back(more);
        args.insert(args.end(), simArgs.begin(), simArgs.end());
        return sim_.startDevsim(args);
    }
    bool start(int block, const std::vector<std::string>& simArgs = {}) {
        return startCamera(block, simArgs) && VEXA_Start_V40(&Events::callback, 1, &events_) == 1;
    }
    std::string address(int n) const { return base_ + std::to_string(n); }
    // The simulated camera, once listed in the state wanted.
    bool camera(VEXA_DEVICE_INFO& out, uint8_t state, std::chrono::milliseconds timeout = 15s) {
        return waitFor(
            [&] {
                for (const auto& [endpoint, info] : latest(events_))
                    if (text(info.serviceAddress).find(address(1) + ":") != std::string::npos &&
                        info.detailsState == state) {
                        out = info;
                        return true;
                    }
                return false;
            },
            timeout);
    }
    bool signIn(const VEXA_DEVICE_INFO& device) {
        const std::string endpoint = text(device.endpointReference);
        const char* one[] = {endpoint.c_str()};
        return VEXA_SetOnvifCredentialsFor(one, 1, kUser, kPassword) == 1;
    }

    Events events_;
    testutil::TempDir dir_;
    testutil::Process sim_;
    std::string base_;
};

// --- A message is a claim ---

struct Context {
    std::string endpoint; // the camera's
    std::string fakeUrl;
    std::string freeUrl;   // on an address nobody has
    std::string cameraUrl; // the camera's own
};

struct MessageCase {
    const char* name;
    FakeCamera::Mode fake;
    std::string (*datagram)(const Context&);
    size_t listed;           // ONVIF devices listed afterwards
    uint8_t flagShown;       // shown by the camera meanwhile
    bool countsRefused;      // VEXA_STATISTICS.onvifRefused grows
    bool countsTrimmed;      // VEXA_STATISTICS.onvifTrimmed grows
    bool fromCamera = false; // sent from the camera's own address
};

class Claims : public Site, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(Claims, MoveNorRemoveNorFloodTheList) {
    const MessageCase& c = GetParam();
    static int block = 10;
    ASSERT_TRUE(start(block++));
    VEXA_DEVICE_INFO before{};
    ASSERT_TRUE(camera(before, VEXA_DETAILS_READ));
    ASSERT_TRUE(signIn(before));
    // The list shows which devices have a login.
    ASSERT_TRUE(waitFor(
        [&] { return camera(before, VEXA_DETAILS_READ, 0ms) && before.onvifFlags == VEXA_ONVIF_LOGIN_GIVEN; }, 5s));
    FakeCamera fake(address(66), 8080, c.fake);
    ASSERT_TRUE(fake.ok());
    VEXA_STATISTICS statsBefore{}, stats{};
    ASSERT_TRUE(VEXA_GetStatistics(&statsBefore));
    const Context context{text(before.endpointReference), fake.url(),
                          "http://" + address(99) + ":8080/onvif/device_service", text(before.serviceAddress)};
    const size_t mark = events_.size();
    const FakeCamera atCamera(address(1), 9, Mode::Answer); // only to send from the camera's address
    ASSERT_TRUE((c.fromCamera ? atCamera : fake).send(c.datagram(context), wsdPort()));
    // Time to act on it, then until the checks a goodbye or a claim start are done.
    std::this_thread::sleep_for(1500ms);
    waitFor([&] { return camera(before, VEXA_DETAILS_READ, 0ms) && before.onvifFlags == VEXA_ONVIF_LOGIN_GIVEN; }, 10s);

    std::map<std::string, uint8_t> flags;
    const auto listed = latest(events_, &flags);
    EXPECT_EQ(listed.size(), c.listed);
    ASSERT_TRUE(listed.count(context.endpoint)) << "the camera left the list";
    const VEXA_DEVICE_INFO& after = listed.at(context.endpoint);
    EXPECT_EQ(text(after.serviceAddress), text(before.serviceAddress));
    EXPECT_EQ(after.detailsState, VEXA_DETAILS_READ);
    EXPECT_EQ(after.onvifFlags, VEXA_ONVIF_LOGIN_GIVEN);
    EXPECT_EQ(flags[context.endpoint] & c.flagShown, c.flagShown);
    // Nothing else made it read again.
    if (c.flagShown == 0) {
        for (size_t i = mark; i < events_.size(); ++i)
            EXPECT_NE(text(events_.all()[i].endpointReference), context.endpoint) << i;
    }
    // Whatever it asked, the fake was never sent a login; a newcomer is where its message came from.
    EXPECT_EQ(fake.seen().tokens + fake.seen().authorizations, 0);
    for (const auto& [endpoint, info] : listed)
        EXPECT_TRUE(endpoint == context.endpoint || text(info.ipv4Address) == address(66)) << endpoint;
    ASSERT_TRUE(VEXA_GetStatistics(&stats));
    EXPECT_EQ(stats.onvifRefused > statsBefore.onvifRefused, c.countsRefused);
    EXPECT_EQ(stats.onvifTrimmed > statsBefore.onvifTrimmed, c.countsTrimmed);
}

std::string probeMatchesForNoProbe(const Context& c) {
    std::string matches;
    for (int i = 0; i < 50; ++i)
        matches += "<d:ProbeMatch>" + FakeCamera::describe("urn:uuid:made-up-" + std::to_string(i), c.fakeUrl, 1) +
                   "</d:ProbeMatch>";
    return FakeCamera::envelope("<d:ProbeMatches>" + matches + "</d:ProbeMatches>");
}

std::string oversizedHello(const Context& c) {
    std::string scopes;
    for (int i = 0; i < 200; ++i)
        scopes += "onvif://www.onvif.org/location/" + std::string(280, static_cast<char>('a' + i % 26)) + " ";
    return FakeCamera::hello("urn:uuid:big", c.fakeUrl, 1, scopes);
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, Claims,
    ::testing::Values(
        MessageCase{"helloMovesToAnotherDevice", Mode::Answer,
                    [](const Context& c) { return FakeCamera::hello(c.endpoint, c.fakeUrl, 99); }, 1,
                    VEXA_ONVIF_ADDRESS_CLAIMED, false, false},
        MessageCase{"helloMovesToALoginAsker", Mode::Digest,
                    [](const Context& c) { return FakeCamera::hello(c.endpoint, c.fakeUrl, 99); }, 1,
                    VEXA_ONVIF_ADDRESS_CLAIMED, false, false},
        MessageCase{"forgedBye", Mode::Answer, [](const Context& c) { return FakeCamera::bye(c.endpoint); }, 1,
                    VEXA_ONVIF_SAID_BYE, false, false},
        MessageCase{"probeMatchesAnsweringNoProbe", Mode::Answer, probeMatchesForNoProbe, 1, 0, true, false},
        MessageCase{"oversizedHello", Mode::Answer, oversizedHello, 2, 0, false, true},
        MessageCase{"olderMetadataFromTheCamera", Mode::Answer,
                    [](const Context& c) {
                        return FakeCamera::hello(c.endpoint, c.cameraUrl, 0, "onvif://www.onvif.org/name/Renamed");
                    },
                    1, 0, false, false, true},
        MessageCase{"helloNamesAFreeAddress", Mode::Digest,
                    [](const Context& c) { return FakeCamera::hello("urn:uuid:newcomer", c.freeUrl, 1); }, 2, 0, false,
                    false}),
    testutil::CaseName());

// --- The login goes where it is given ---

struct LoginCase {
    const char* name;
    FakeCamera::Mode fake;
    bool everyDevice; // VEXA_SetOnvifCredentials, the risky mode
    bool fakeGetsDigest;
    bool fakeGetsToken;
};

class Logins : public Site, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(Logins, ReachOnlyTheDevicesSignedInTo) {
    const LoginCase& c = GetParam();
    static int block = 30;
    ASSERT_TRUE(start(block++, {"--onvif-quirks", "no-anonymous"}));
    VEXA_DEVICE_INFO camera{};
    ASSERT_TRUE(this->camera(camera, VEXA_DETAILS_NEED_LOGIN));
    ASSERT_TRUE(c.everyDevice ? VEXA_SetOnvifCredentials(kUser, kPassword) == 1 : signIn(camera));
    ASSERT_TRUE(this->camera(camera, VEXA_DETAILS_READ));
    // Heard after the sign-in.
    FakeCamera fake(address(66), 8080, c.fake);
    ASSERT_TRUE(fake.ok());
    ASSERT_TRUE(fake.send(FakeCamera::hello("urn:uuid:fake", fake.url(), 1), wsdPort()));
    ASSERT_TRUE(waitFor(
        [&] {
            const auto listed = latest(events_);
            return listed.count("urn:uuid:fake") && listed.at("urn:uuid:fake").detailsState == VEXA_DETAILS_NEED_LOGIN;
        },
        10s));
    EXPECT_EQ(fake.seen().authorizations > 0, c.fakeGetsDigest);
    EXPECT_EQ(fake.seen().tokens > 0, c.fakeGetsToken);
    EXPECT_EQ(latest(events_).at("urn:uuid:fake").onvifFlags & VEXA_ONVIF_LOGIN_GIVEN,
              c.everyDevice ? VEXA_ONVIF_LOGIN_GIVEN : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, Logins,
    ::testing::Values(LoginCase{"oneDeviceDigestAsker", FakeCamera::Mode::Digest, false, false, false},
                      LoginCase{"oneDeviceTokenAsker", FakeCamera::Mode::NoChallenge, false, false, false},
                      // The device's nonce, never a token it could replay elsewhere.
                      LoginCase{"everyDeviceDigestAsker", FakeCamera::Mode::Digest, true, true, false},
                      LoginCase{"everyDeviceTokenAsker", FakeCamera::Mode::NoChallenge, true, false, true}),
    testutil::CaseName());

// --- Readers are bounded per host ---

TEST_F(Site, StallingHostsDoNotHoldTheRealCamera) {
    // Each stalled read would hold a reader for 15 s (the budget); 70 of them on one host hold two.
    ::setenv("VEXA_ONVIF_TIMEOUT_MS", "20000", 1);
    FakeCamera staller("127.89.0.66", 8080, FakeCamera::Mode::Stall);
    ASSERT_TRUE(staller.ok());
    const bool started = VEXA_Start_V40(&Events::callback, 1, &events_) == 1;
    ::unsetenv("VEXA_ONVIF_TIMEOUT_MS");
    ASSERT_TRUE(started);
    for (int i = 0; i < 70; ++i)
        ASSERT_TRUE(
            staller.send(FakeCamera::hello("urn:uuid:stall-" + std::to_string(i), staller.url(), 1), wsdPort()));
    ASSERT_TRUE(waitFor([&] { return latest(events_).size() >= 70; }, 5s));
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(startCamera(90));
    VEXA_DEVICE_INFO camera{};
    ASSERT_TRUE(this->camera(camera, VEXA_DETAILS_READ, 20s));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 8s);
}

// --- A change checks who answers at the new address ---

TEST_F(Site, SquatterAtTheNewAddressGetsNoLogin) {
    ASSERT_TRUE(start(91));
    VEXA_DEVICE_INFO camera{};
    ASSERT_TRUE(this->camera(camera, VEXA_DETAILS_READ));
    ASSERT_TRUE(signIn(camera));
    FakeCamera squatter(address(77), 8080, FakeCamera::Mode::Answer);
    ASSERT_TRUE(squatter.ok());
    // Everything as it is but the address.
    VEXA_NET_PARAM p{};
    std::memcpy(p.ipv4SubnetMask, camera.ipv4SubnetMask, sizeof p.ipv4SubnetMask);
    std::memcpy(p.ipv4Gateway, camera.ipv4Gateway, sizeof p.ipv4Gateway);
    std::memcpy(p.deviceName, camera.deviceName, sizeof p.deviceName);
    std::memcpy(p.ipv4Address, address(77).c_str(), address(77).size());
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(text(camera.endpointReference).c_str(), nullptr, &p), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_BACK));
    char detail[256] = {};
    VEXA_GetLastErrorDetail(detail, sizeof detail);
    EXPECT_NE(std::string(detail).find("FAKE-0001"), std::string::npos) << detail;
    EXPECT_GT(squatter.seen().requests, 0);
    EXPECT_EQ(squatter.seen().tokens + squatter.seen().authorizations, 0);
}

// --- HTTPS: trust on first use ---

TEST(OnvifPins, ACertificateOtherThanThePinnedOneGetsNothing) {
    testutil::TempDir dir;
    for (const char* name : {"a", "b"}) {
        const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 "
                                    "-subj /CN=camera -keyout " +
                                    dir.file(std::string(name) + ".key") + " -out " +
                                    dir.file(std::string(name) + ".pem") + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    const std::string port = std::to_string(testutil::testPort(7));
    const auto serve = [&](testutil::Process& server, const char* name) {
        return server.start("/usr/bin/openssl",
                            {"s_server", "-quiet", "-www", "-accept", "127.0.0.1:" + port, "-cert",
                             dir.file(std::string(name) + ".pem"), "-key", dir.file(std::string(name) + ".key")});
    };
    const std::string pinFile = dir.file("data/vexa/pins");
    vexa::onvif::CertificatePins pins(pinFile);
    vexa::onvif::DeviceClient client(nullptr, 2000ms);
    client.setPins(&pins);
    vexa::onvif::Session session;
    session.url = "https://127.0.0.1:" + port + "/onvif/device_service";
    session.pinKey = "urn:uuid:tls-camera";
    const auto call = [&] { return client.call(session, "GetSystemDateAndTime", nullptr, nullptr, true).code; };

    struct Step {
        const char* name;
        const char* certificate;
        bool forgetFirst;
        bool refused;
    };
    for (const Step& step : {Step{"first contact pins", "a", false, false}, Step{"same again", "a", false, false},
                             Step{"another one", "b", false, true}, Step{"accepted anew", "b", true, false},
                             Step{"the old one now", "a", false, true}}) {
        testutil::Process server;
        ASSERT_TRUE(serve(server, step.certificate)) << step.name;
        if (step.forgetFirst) {
            ASSERT_TRUE(pins.forget(session.pinKey));
        }
        uint32_t code = 0;
        // The server needs a moment to listen.
        ASSERT_TRUE(waitFor([&] { return (code = call()) != VEXA_ERR_CONNECTION; }, 5s)) << step.name;
        EXPECT_EQ(code == VEXA_ERR_CERTIFICATE_CHANGED, step.refused) << step.name << ": " << code;
    }
    struct stat st {};
    ASSERT_EQ(::stat(pinFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(vexa::onvif::CertificatePins(pinFile).size(), 1u);
    // Writable by others: not read, and never written over.
    ::chmod(pinFile.c_str(), 0666);
    vexa::onvif::CertificatePins refused(pinFile);
    EXPECT_EQ(refused.size(), 0u);
    EXPECT_EQ(refused.refusedWhy(), "writable by others");
}

} // namespace
