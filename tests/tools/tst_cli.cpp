// The command-line client's handling of secrets, checked before anything goes on the network.

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "CaseName.h"
#include "Commands.h"
#include "DevsimProcess.h"
#include "FakeCamera.h"
#include "Fleet.h"
#include "vexa_crypto.h"

using testutil::CliRun;
using testutil::runVexa;

TEST(Cli, ResetRefusesANewPasswordTheRecordWouldCut) {
    // The reset record holds 16 bytes: a longer password would reach the device cut short, and the installer
    // would not know the password the device now has.
    ::setenv("VEXA_PASSWORD", "Seventeen-Chars-1", 1);
    const CliRun tooLong = runVexa("reset NO-SUCH-DEVICE --key ABC --seconds 0.2");
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.output.find("longer than 16 bytes"), std::string::npos) << tooLong.output;

    ::setenv("VEXA_PASSWORD", "Sixteen-Chars-12", 1);
    const CliRun fits = runVexa("reset NO-SUCH-DEVICE --key ABC --seconds 0.2");
    EXPECT_EQ(fits.status, 1);
    EXPECT_NE(fits.output.find("not heard"), std::string::npos) << fits.output;
    ::unsetenv("VEXA_PASSWORD");
}

TEST(Cli, EveryCommandRefusesAPasswordBeyondTheDeviceBytes) {
    // UTF-8, 16 bytes at most, as the program sends it: "Pässwort-Lang-1" is 15 characters but 16 bytes, one more
    // letter is 17 and would be refused by the program too.
    for (const char* command : {"activate NO-SUCH-DEVICE", "set-network 02-00-00-00-00-01 --port 8000"}) {
        ::setenv("VEXA_PASSWORD", "P\xc3\xa4sswort-Lang-12", 1);
        const CliRun tooLong = runVexa(std::string(command) + " --seconds 0.2");
        EXPECT_EQ(tooLong.status, 1) << command;
        EXPECT_NE(tooLong.output.find("longer than 16 bytes"), std::string::npos) << command << ": " << tooLong.output;
        ::setenv("VEXA_PASSWORD", "P\xc3\xa4sswort-Lang-1", 1);
        const CliRun fits = runVexa(std::string(command) + " --seconds 0.2");
        EXPECT_EQ(fits.output.find("longer than 16 bytes"), std::string::npos) << command << ": " << fits.output;
    }
    ::unsetenv("VEXA_PASSWORD");
}

TEST(Cli, ValuesThatDoNotFitAreRefusedNotNarrowedOrCut) {
    // 70000 narrowed to 16 bits would quietly configure port 4464; eleven "\u5927" cut at 32 bytes would end
    // inside a character.
    const std::string big = "\xe5\xa4\xa7";
    std::string elevenBig;
    for (int i = 0; i < 11; ++i)
        elevenBig += big;
    const std::pair<std::string, const char*> cases[] = {
        {"--port 70000", "takes a number from 0 to"},
        {"--http-port -1", "takes a number from 0 to"},
        {"--rtsp-port 80x", "takes a number from 0 to"},
        {"--prefix 129", "takes a number from 0 to"},
        {"--dhcp 2", "takes a number from 0 to"},
        {"--name " + elevenBig, "--name takes at most 32 bytes"},
        {"--name " + std::string(33, 'n'), "--name takes at most 32 bytes"},
        {"--name Bad\xff", "--name takes at most 32 bytes"},
        {"--gateway 192.168.100.100.100.1", "--gateway takes at most 16 bytes"},
    };
    ::setenv("VEXA_PASSWORD", "Good-Pass1", 1);
    for (const auto& [option, message] : cases) {
        const CliRun run = runVexa("set-network 02-00-00-00-00-01 " + option + " --seconds 0.2");
        EXPECT_EQ(run.status, 1) << option;
        EXPECT_NE(run.output.find(message), std::string::npos) << option << ": " << run.output;
    }
    // Ten fit whole (30 bytes): not refused here (the device is simply not heard).
    const CliRun fits = runVexa("set-network 02-00-00-00-00-01 --name " + elevenBig.substr(3) + " --seconds 0.2");
    EXPECT_EQ(fits.output.find("takes at most"), std::string::npos) << fits.output;
}

TEST(Cli, EveryLibraryCodeHasASentence) {
    const char* source = std::getenv("VEXA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ifstream header(std::string(source) + "/libvexa/include/vexa.h");
    std::stringstream text;
    text << header.rdbuf();
    const std::string all = text.str();
    const std::regex define(R"(#define (VEXA_ERR_\w+) (\d+))");
    int codes = 0;
    for (auto it = std::sregex_iterator(all.begin(), all.end(), define); it != std::sregex_iterator(); ++it) {
        const uint32_t code = static_cast<uint32_t>(std::stoul((*it)[2]));
        EXPECT_STRNE(cli::errorSentence(code), "unknown error") << (*it)[1];
        ++codes;
    }
    EXPECT_GE(codes, 16);
}

TEST(Cli, SecondsOutOfRangeAndKeyListsWithoutKeysAreSaidPlainly) {
    testutil::usePort(0);
    for (const char* seconds : {"1e300", "-1", "nan", "inf", "3x"}) {
        const CliRun discover = runVexa(std::string("discover --seconds ") + seconds);
        EXPECT_NE(discover.status, 0) << seconds;
        EXPECT_NE(discover.output.find("--seconds takes a number"), std::string::npos) << discover.output;
        const CliRun activate = runVexa(std::string("activate NO-SUCH --seconds ") + seconds);
        EXPECT_NE(activate.status, 0) << seconds;
        EXPECT_NE(activate.output.find("--seconds takes a number"), std::string::npos) << activate.output;
    }
    ::setenv("VEXA_TRUSTED_KEYS", "not-a-key", 1);
    const CliRun run = runVexa("discover --seconds 0.1");
    EXPECT_NE(run.output.find("holds no valid key"), std::string::npos) << run.output;
    ::unsetenv("VEXA_TRUSTED_KEYS");
}

TEST(Cli, JsonCarriesEveryFieldAndDeviceTextsAsStringsAndErrorsAreSentences) {
    testutil::usePort(1);
    ::setenv("VEXA_TRUSTED_KEYS",
             vexa::crypto::publicKeyToText(vexa::crypto::testManufacturerKeyPair().publicKey).c_str(), 1);
    ::setenv("VEXA_SIM_CHEAP_HASH", "1", 1);
    testutil::TempDir dir;
    auto fleet = devsim::generateFleet(4, 3);
    fleet[1].record.deviceName = "Say \"hi\" \\ <b>";
    fleet[2].record.deviceName = "Caf\xc3\xa9 \xff";
    fleet[3].record.auxCount = 7;
    ASSERT_TRUE(devsim::writeFileAtomically(dir.file("devices.txt"), devsim::formatFleet(fleet, false)));
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim({"--devices", dir.file("devices.txt"), "--dump", dir.file("dump.txt")}));
    ASSERT_TRUE(
        testutil::waitFor([&] { return testutil::fileExists(dir.file("dump.txt")); }, std::chrono::seconds(20)));

    const CliRun run = runVexa("discover --json --seconds 2.5", false);
    ASSERT_EQ(run.status, 0);
    std::istringstream lines(run.output);
    std::string line;
    std::map<std::string, nlohmann::json> bySerial;
    while (std::getline(lines, line)) {
        const auto j = nlohmann::json::parse(line); // throws, and fails the test, on anything but JSON
        bySerial[j.at("serialNo").get<std::string>()] = j;
    }
    ASSERT_EQ(bySerial.size(), 4u) << run.output;
    for (const auto& device : fleet) {
        const auto& r = device.record;
        const nlohmann::json& j = bySerial.at(r.serialNo);
        EXPECT_EQ(j.at("mac"), r.mac);
        EXPECT_EQ(j.at("channelCount"), r.channelCount);
        EXPECT_EQ(j.at("auxCount"), r.auxCount);
        EXPECT_EQ(j.at("activationState"), r.activationState);
        EXPECT_EQ(j.at("capabilityLevel"), r.capabilityLevel);
        EXPECT_EQ(j.at("supportFlags"), r.supportFlags);
        EXPECT_EQ(j.at("resetFlags"), r.resetFlags);
        EXPECT_EQ(j.at("certified"), true);
        EXPECT_EQ(j.at("confirmed"), true);
        EXPECT_EQ(j.at("ipv6Gateway"), r.ipv6Gateway);
        EXPECT_EQ(j.at("protocol"), "vexa");
        EXPECT_EQ(j.at("source"), "discovery");
        EXPECT_EQ(j.size(), 33u);
    }
    EXPECT_EQ(bySerial.at(fleet[1].record.serialNo).at("deviceName"), "Say \"hi\" \\ <b>");
    EXPECT_EQ(bySerial.at(fleet[2].record.serialNo).at("deviceName"), "Caf\xc3\xa9 \xef\xbf\xbd");

    // An operation the device cannot do fails with a sentence, not only a number.
    const devsim::SimDevice* fixed = nullptr;
    for (const auto& d : fleet) {
        if (d.record.activationState == 0 && !(d.record.supportFlags & VEXA_SUPPORT_MODIFY_IPV6))
            fixed = &d;
    }
    ASSERT_NE(fixed, nullptr);
    ::setenv("VEXA_PASSWORD", "Install-2024", 1);
    const CliRun refused = runVexa("set-network " + fixed->record.mac + " --ipv6 fd00::7");
    ::unsetenv("VEXA_PASSWORD");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(
        refused.output.find("set-network failed: the device does not support this operation or setting (error 2015)"),
        std::string::npos)
        << refused.output;
}

// Every command that listens first reads --seconds and the trusted-key list the same way: a NaN once slipped past
// the range check of some and reached the conversion to milliseconds.
TEST(Cli, EveryListeningCommandRefusesBadSecondsWarnsOfAKeylessListAndSaysWhyItCannotStart) {
    testutil::usePort(2);
    testutil::TempDir dir;
    {
        std::ofstream plan(dir.file("plan.csv"), std::ios::binary);
        plan << "Serial Number,IP Address,Subnet Mask,Gateway,Device Name\r\n"
                "NO-SUCH,127.60.1.1,255.255.0.0,127.60.0.254,a\r\n";
    }
    ::setenv("VEXA_PASSWORD", "Install-2024", 1);
    const std::string commands[] = {"discover",
                                    "discover --json",
                                    "discover --csv",
                                    "apply-plan " + dir.file("plan.csv"),
                                    "activate NO-SUCH",
                                    "set-network 02-00-00-00-00-01",
                                    "key-request NO-SUCH",
                                    "reset NO-SUCH --key ABC",
                                    "restore NO-SUCH 1234"};
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        for (const char* seconds : {"nan", "inf", "-inf", "-1", "86401", "text", "2s"}) {
            const CliRun run = runVexa(command + " --seconds " + seconds);
            EXPECT_NE(run.status, 0) << seconds;
            EXPECT_NE(run.output.find("--seconds takes a number from 0 to 86400"), std::string::npos)
                << seconds << ": " << run.output;
        }
        ::setenv("VEXA_TRUSTED_KEYS", "not-a-key", 1);
        const CliRun keyless = runVexa(command + " --seconds 0.1");
        ::unsetenv("VEXA_TRUSTED_KEYS");
        EXPECT_NE(keyless.output.find("VEXA_TRUSTED_KEYS holds no valid key"), std::string::npos) << keyless.output;
        ::setenv("VEXA_PORT", "no-port", 1);
        const CliRun unstarted = runVexa(command + " --seconds 0.1");
        testutil::usePort(2);
        EXPECT_NE(unstarted.status, 0);
        EXPECT_TRUE(
            std::regex_search(unstarted.output, std::regex("cannot start discovery: [a-z][^(]+ \\(error [0-9]+\\)")))
            << unstarted.output;
    }
    ::unsetenv("VEXA_PASSWORD");
}

// ONVIF on a hostile link, as the client meets it: a simulated camera and a fake one that announces itself all the
// while. The login goes only to the device named; a serial number two devices claim is refused, naming both.
struct NamingCase {
    const char* name;
    bool byAddress; // else by serial number
    testutil::FakeCamera::Mode fake;
    bool fakeClaimsSerial;
    std::string password; // the camera's
    int status;
    const char* says;
};

class CliOnvif : public ::testing::TestWithParam<NamingCase> {};

TEST_P(CliOnvif, LoginReachesOnlyTheNamedDevice) {
    const NamingCase& c = GetParam();
    static int block = 0;
    const std::string base = "127.95." + std::to_string(block++) + ".";
    testutil::TempDir dir;
    ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    const std::string wsd = std::getenv("VEXA_WSD_PORT") ? std::getenv("VEXA_WSD_PORT") : "3702";
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim({"--count", "0", "--onvif", "1", "--onvif-base", base + "1", "--wsd-port", wsd,
                                 "--state", dir.file("state.json"), "--onvif-password", c.password}));
    // The camera's serial number, as anyone may read it.
    std::string serial;
    ASSERT_TRUE(testutil::waitFor(
        [&] {
            const CliRun run = testutil::runVexa("discover --json --seconds 1", false);
            std::istringstream lines(run.output);
            for (std::string line; std::getline(lines, line);)
                if (line.find("\"onvif\"") != std::string::npos)
                    serial = nlohmann::json::parse(line)["serialNo"].get<std::string>();
            return !serial.empty();
        },
        std::chrono::seconds(10)));
    testutil::FakeCamera fake(base + "66", 8080, c.fake, c.fakeClaimsSerial ? serial : "FAKE-0001");
    ASSERT_TRUE(fake.ok());
    std::atomic<bool> done{false};
    std::thread announcer([&] {
        while (!done) {
            fake.send(testutil::FakeCamera::hello("urn:uuid:fake-cli", fake.url(), 1),
                      static_cast<uint16_t>(std::atoi(wsd.c_str())));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    ::setenv("VEXA_PASSWORD", c.password.c_str(), 1);
    const CliRun run = testutil::runVexa("set-network " + (c.byAddress ? base + "1" : serial) + " --gateway " + base +
                                         "254 --user admin --seconds 2");
    done = true;
    announcer.join();
    ::unsetenv("VEXA_PASSWORD");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    if (c.fakeClaimsSerial) {
        EXPECT_NE(run.output.find(base + "66"), std::string::npos) << run.output;
    }
    EXPECT_EQ(fake.seen().tokens, 0);
    EXPECT_EQ(fake.seen().authorizations, 0);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliOnvif,
                         ::testing::Values(
                             // 40 bytes: an ONVIF login is not held to our devices' 16.
                             NamingCase{"byAddress", true, testutil::FakeCamera::Mode::NoChallenge, false,
                                        "Long-Onvif-Passphrase-For-Offline-Guess", 0, "set-network: ok"},
                             NamingCase{"bySerialAlone", false, testutil::FakeCamera::Mode::Digest, false,
                                        "Camera-2024", 0, "set-network: ok"},
                             NamingCase{"serialClaimedTwice", false, testutil::FakeCamera::Mode::Answer, true,
                                        "Camera-2024", 1, "error 2016"}),
                         testutil::CaseName());

// A device whose interface list is empty and that has no GetNetworkProtocols is listed with what it did tell,
// and the state names the reads that failed.
struct PartlyReadCase {
    const char* name;
    const char* options;
    std::vector<std::string> expected; // found in the output
    friend void PrintTo(const PartlyReadCase& c, std::ostream* os) { *os << c.name; }
};

class CliPartlyRead : public ::testing::TestWithParam<PartlyReadCase> {};

TEST_P(CliPartlyRead, ListsWhatWasReadAndNamesTheRest) {
    testutil::usePort(3);
    testutil::TempDir dir;
    testutil::Process sim;
    const char* wsd = std::getenv("VEXA_WSD_PORT");
    // An address block no other test uses: tests share the loopback of one namespace.
    ASSERT_TRUE(sim.startDevsim({"--count", "0", "--onvif", "1", "--onvif-base", "127.58.3.1", "--wsd-port",
                                 wsd ? wsd : "3702", "--state", dir.file("state.json"), "--onvif-quirks",
                                 "no-anonymous,no-interfaces,fault=GetNetworkProtocols"}));
    ::setenv("VEXA_PASSWORD", "Camera-2024", 1);
    const CliRun run = runVexa(std::string("discover --user admin --seconds 2.5 ") + GetParam().options, false);
    ::unsetenv("VEXA_PASSWORD");
    ASSERT_EQ(run.status, 0);
    for (const std::string& expected : GetParam().expected)
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << " in " << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliPartlyRead,
    ::testing::Values(
        PartlyReadCase{"json",
                       "--json",
                       {"\"details\":\"partial\"",
                        "\"missing\":\"GetNetworkInterfaces: no interface reported; GetNetworkProtocols: not "
                        "supported\"",
                        "\"serialNo\":\"OV", "\"model\":\"", "\"manufacturer\":\"", "\"firmware\":\"",
                        "\"deviceName\":\"", "\"ipv4Address\":\"127.58.3.1\""}},
        PartlyReadCase{"text",
                       "",
                       {"partial", "127.58.3.1",
                        "Details partly read: GetNetworkInterfaces: no interface reported; GetNetworkProtocols: not "
                        "supported"}}),
    testutil::CaseName());
