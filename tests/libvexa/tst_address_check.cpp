// The address check against what may stand at an address: one of our devices, a host that answers WS-Discovery, a
// service on one of the TCP ports, nothing at all. Every target is a 127.x address where this test's own sockets or
// simulator stand; on loopback a refused connection proves nothing, so "nothing" must come out free.

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "libvexa/Events.h"
#include "proto/DeviceRecord.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
using testutil::Process;

namespace {

// A socket of the test's own at one address and port: a listener (TCP) or a host that answers every datagram, our
// inquiry as a device of ours behind a router would (to the asker alone, never to the group).
class Stand {
public:
    Stand(int type, const std::string& address, uint16_t port) {
        fd_ = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
        const int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
              (type != SOCK_STREAM || ::listen(fd_, 16) == 0);
        if (type == SOCK_DGRAM)
            answerer_ = std::thread([this] { answer(); });
    }
    ~Stand() {
        stop_ = true;
        if (answerer_.joinable())
            answerer_.join();
        ::close(fd_);
    }
    bool ok() const { return ok_; }

private:
    void answer() {
        char buffer[2048];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            vexa::proto::Frame inquiry;
            if (n > 0 &&
                vexa::proto::decodeFrame(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(n), inquiry) ==
                    vexa::proto::DecodeError::None &&
                inquiry.type == vexa::proto::MsgType::Inquiry) {
                vexa::proto::DeviceRecord record;
                record.serialNo = "STAND17";
                record.mac = "02-00-00-00-00-17";
                record.ipv4Address = "127.61.0.17";
                const std::vector<uint8_t> answer = vexa::proto::encodeAnnounce(record, inquiry.requestId);
                ::sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
            } else if (n > 0) {
                ::sendto(fd_, "<not a camera/>", 15, 0, reinterpret_cast<sockaddr*>(&from), length);
            }
        }
    }
    int fd_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread answerer_;
};

} // namespace

TEST(AddressCheck, WhatAnswersAtAnAddressMakesItTakenAndIsNamed) {
    testutil::TempDir dir;
    testutil::usePort(0);
    const uint16_t wsd = static_cast<uint16_t>(testutil::testPort(1));
    ::setenv("VEXA_WSD_PORT", std::to_string(wsd).c_str(), 1);
    ::setenv("VEXA_ONVIF", "0", 1); // the probe's port is this test's
    Process sim;
    ASSERT_TRUE(sim.startDevsim({"--count", "3", "--seed", "61", "--dump", dir.file("dump.txt")}));
    ASSERT_TRUE(testutil::waitFor([&] { return testutil::fileExists(dir.file("dump.txt")); }, 20s));
    std::string text, error;
    std::vector<devsim::SimDevice> fleet;
    devsim::readFile(dir.file("dump.txt"), text);
    ASSERT_TRUE(devsim::parseFleet(text, fleet, error)) << error;
    const auto& device = fleet.front().record;

    struct Case {
        std::string address;
        int type; // SOCK_STREAM or SOCK_DGRAM of a stand of ours; 0: none
        uint16_t port;
        uint32_t result;
        std::string named; // what the refusal must say
    };
    const std::vector<Case> cases = {
        {"127.61.0.10", 0, 0, VEXA_NOERROR, ""},
        {device.ipv4Address, 0, 0, VEXA_ERR_ADDRESS_TAKEN,
         "device " + device.serialNo + " answered our inquiry (UDP port " + std::to_string(testutil::testPort(0)) +
             ")"},
        {"127.61.0.17", SOCK_DGRAM, static_cast<uint16_t>(testutil::testPort(0)), VEXA_ERR_ADDRESS_TAKEN,
         "device STAND17 answered our inquiry (UDP port " + std::to_string(testutil::testPort(0)) + ")"},
        {"127.61.0.11", SOCK_DGRAM, wsd, VEXA_ERR_ADDRESS_TAKEN,
         "answered a WS-Discovery probe (UDP port " + std::to_string(wsd) + ")"},
        {"127.61.0.12", SOCK_STREAM, 80, VEXA_ERR_ADDRESS_TAKEN, "TCP port 80 accepted a connection"},
        {"127.61.0.13", SOCK_STREAM, 443, VEXA_ERR_ADDRESS_TAKEN, "TCP port 443 accepted a connection"},
        {"127.61.0.14", SOCK_STREAM, 554, VEXA_ERR_ADDRESS_TAKEN, "TCP port 554 accepted a connection"},
        {"127.61.0.15", SOCK_STREAM, 8000, VEXA_ERR_ADDRESS_TAKEN, "TCP port 8000 accepted a connection"},
        {"127.61.0.16", SOCK_STREAM, 8080, VEXA_NOERROR, ""}, // a port the check does not ask
        {"239.255.0.1", 0, 0, VEXA_ERR_BAD_ARGUMENT, ""},     // no host's address: nothing is sent
    };
    std::vector<std::unique_ptr<Stand>> stands;
    std::vector<VEXA_ADDRESS_CHECK> checks(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].type != 0) {
            stands.push_back(std::make_unique<Stand>(cases[i].type, cases[i].address, cases[i].port));
            ASSERT_TRUE(stands.back()->ok()) << cases[i].address << ":" << cases[i].port << " " << std::strerror(errno);
        }
        std::strncpy(checks[i].ipv4Address, cases[i].address.c_str(), sizeof checks[i].ipv4Address - 1);
    }

    char who[64];
    EXPECT_EQ(VEXA_CheckAddressFree("127.61.0.12", 0, who, sizeof who), 0) << "not started";
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_STARTED));
    Events events;
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
    EXPECT_EQ(VEXA_CheckAddressFree("127.61.0.12", 0, who, sizeof who), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_ADDRESS_TAKEN));
    EXPECT_STREQ(who, "TCP port 80 accepted a connection");

    // Once the start's inquiry round is over nobody announces (every 30 s only): an answer of our device can then
    // only come from the inquiry sent to its address.
    ASSERT_TRUE(events.waitCount(VEXA_EVENT_NEW, fleet.size(), 20s));
    std::this_thread::sleep_for(2500ms);
    const size_t heardBefore = events.size();

    // The whole table at once, as a batch asks: each address its own answer, and the time shown as it goes.
    std::vector<uint32_t> progress;
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(VEXA_CheckAddressesFree(
                  checks.data(), static_cast<uint32_t>(checks.size()), 0,
                  [](uint32_t done, uint32_t, uint32_t, void* user) {
                      static_cast<std::vector<uint32_t>*>(user)->push_back(done);
                  },
                  &progress),
              0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_ADDRESS_TAKEN));
    EXPECT_LT(std::chrono::steady_clock::now() - began, 4s) << "the addresses are asked at once";
    EXPECT_EQ(progress.size(), cases.size() - 1);
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string said(checks[i].whoAnswered, strnlen(checks[i].whoAnswered, sizeof checks[i].whoAnswered));
        EXPECT_EQ(checks[i].result, cases[i].result) << cases[i].address << ": " << said;
        if (cases[i].named.empty())
            EXPECT_EQ(said, "") << cases[i].address;
        else
            EXPECT_NE(said.find(cases[i].named), std::string::npos) << cases[i].address << ": " << said;
    }
    EXPECT_EQ(events.size(), heardBefore) << "answers to the address check change nothing in the list";
    EXPECT_NE(VEXA_Stop(), 0);
    ::unsetenv("VEXA_ONVIF");
    ::unsetenv("VEXA_WSD_PORT");
}

// Silence is not proof that a device left: a certified device that stops announcing stays listed for as long as it
// answers an inquiry at its address, and is reported gone once it answers nothing there.
TEST(AddressCheck, ASilentDeviceIsGoneOnlyWhenItsAddressDoesNotAnswer) {
    testutil::TempDir dir;
    testutil::usePort(2);
    ::setenv("VEXA_GONE_TIMEOUT_MS", "600", 1);
    ::setenv("VEXA_TRUSTED_KEYS",
             vexa::crypto::publicKeyToText(vexa::crypto::testManufacturerKeyPair().publicKey).c_str(), 1);
    ::setenv("VEXA_SIM_ANNOUNCE_MS", "600000", 1);
    Process sim;
    ASSERT_TRUE(sim.startDevsim({"--count", "3", "--seed", "62", "--dump", dir.file("dump.txt")}));
    ASSERT_TRUE(testutil::waitFor([&] { return testutil::fileExists(dir.file("dump.txt")); }, 20s));
    Events events;
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
    ASSERT_TRUE(events.waitCount(VEXA_EVENT_NEW, 3, 20s));
    std::this_thread::sleep_for(4s); // the round is long over, and nobody announces
    EXPECT_EQ(events.count(VEXA_EVENT_GONE), 0u);
    sim.signal(SIGSTOP);
    EXPECT_TRUE(events.waitCount(VEXA_EVENT_GONE, 3, 10s));
    EXPECT_NE(VEXA_Stop(), 0);
    sim.signal(SIGKILL);
    sim.wait();
    ::unsetenv("VEXA_GONE_TIMEOUT_MS");
    ::unsetenv("VEXA_SIM_ANNOUNCE_MS");
    ::unsetenv("VEXA_TRUSTED_KEYS");
}
