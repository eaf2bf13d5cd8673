#pragma once

// A simulated fleet on loopback and the library listening to it: what the operation and attack tests share.
// Each test gets its own state and dump files; the fleet is made from a fixed seed so its devices are known.
// The library trusts the test manufacturer and lists every device; the simulator hashes passwords cheaply.

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "libvexa/Events.h"
#include "support/LinkHelpers.h"
#include "vexa.h"
#include "vexa_crypto.h"

class LinkFixture : public ::testing::Test {
protected:
    explicit LinkFixture(int seed)
        : seed_(seed) {}
    void SetUp() override {
        const auto trusted = vexa::crypto::publicKeyToText(vexa::crypto::testManufacturerKeyPair().publicKey);
        ::setenv("VEXA_TRUSTED_KEYS", trusted.c_str(), 1);
        ::setenv("VEXA_SIM_CHEAP_HASH", "1", 1);
        ::unsetenv("VEXA_GONE_TIMEOUT_MS");
        ASSERT_NE(VEXA_SetDeviceFilterRule(0, 0, 0), 0);
    }
    void TearDown() override { VEXA_Stop(); }
    static uint32_t code() { return VEXA_GetLastError(); }

    // Starts the simulator with `count` devices and waits until it has written its device list.
    bool startSim(testutil::Process& sim, int count = 40, const std::vector<std::string>& extra = {}) {
        using namespace std::chrono_literals;
        std::remove(dir_.file("dump.txt").c_str());
        std::vector<std::string> args{"--count", std::to_string(count),  "--seed", std::to_string(seed_),
                                      "--state", dir_.file("state.txt"), "--dump", dir_.file("dump.txt")};
        args.insert(args.end(), extra.begin(), extra.end());
        return sim.startDevsim(args) &&
               testutil::waitFor([&] { return testutil::fileExists(dir_.file("dump.txt")); }, 20s);
    }
    bool startLibrary(size_t devices) {
        using namespace std::chrono_literals;
        return VEXA_Start_V40(&Events::callback, 1, &events_) && events_.waitCount(VEXA_EVENT_NEW, devices, 20s);
    }
    // The start of most tests: a port of their own, the simulator, and the library once it lists every device.
    bool startFleet(int port, testutil::Process& sim, int count = 40) {
        testutil::usePort(port);
        return startSim(sim, count) && startLibrary(static_cast<size_t>(count));
    }
    // The fleet as the simulator last wrote it.
    std::vector<devsim::SimDevice> dump() const {
        std::string text;
        std::vector<devsim::SimDevice> fleet;
        std::string error;
        devsim::readFile(dir_.file("dump.txt"), text);
        devsim::parseFleet(text, fleet, error);
        return fleet;
    }
    vexa::proto::DeviceRecord pick(const std::function<bool(const vexa::proto::DeviceRecord&)>& wanted) const {
        for (const auto& device : dump()) {
            if (wanted(device.record))
                return device.record;
        }
        ADD_FAILURE() << "no such device in the fleet";
        return {};
    }
    vexa::proto::DeviceRecord current(const std::string& serial) const {
        return pick([&](const auto& r) { return r.serialNo == serial; });
    }

    // The newest record the library reported for a device: what the program starts a change from.
    VEXA_DEVICE_INFO latest(const std::string& serial) const {
        VEXA_DEVICE_INFO found{};
        for (int type : {VEXA_EVENT_NEW, VEXA_EVENT_CHANGED}) {
            for (const auto& e : events_.of(type)) {
                if (field(e.serialNo, sizeof e.serialNo) == serial && e.recordVersion >= found.recordVersion)
                    found = e;
            }
        }
        return found;
    }
    // A change that keeps everything the device reported, built on that view of it.
    static VEXA_NET_PARAM paramsFrom(const VEXA_DEVICE_INFO& info) {
        VEXA_NET_PARAM p{};
        std::memcpy(p.ipv4Address, info.ipv4Address, sizeof p.ipv4Address);
        std::memcpy(p.ipv4SubnetMask, info.ipv4SubnetMask, sizeof p.ipv4SubnetMask);
        std::memcpy(p.ipv4Gateway, info.ipv4Gateway, sizeof p.ipv4Gateway);
        std::memcpy(p.ipv6Address, info.ipv6Address, std::min(sizeof p.ipv6Address, sizeof info.ipv6Address));
        std::memcpy(p.ipv6Gateway, info.ipv6Gateway, std::min(sizeof p.ipv6Gateway, sizeof info.ipv6Gateway));
        p.ipv6PrefixLength = info.ipv6PrefixLength;
        p.dhcpEnabled = info.dhcpEnabled;
        p.port = static_cast<uint16_t>(info.port);
        p.httpPort = info.httpPort;
        p.rtspPort = info.rtspPort;
        std::memcpy(p.deviceName, info.deviceName, std::min(sizeof p.deviceName, sizeof info.deviceName));
        p.recordVersion = info.recordVersion;
        return p;
    }

    // The key the test manufacturer signs for a key request; a shifted expiry or another signer makes a bad one.
    static std::string keyFor(const std::string& request, int64_t expiryShift = 0,
                              const vexa::crypto::KeyPair& signer = vexa::crypto::testManufacturerKeyPair()) {
        auto parsed = vexa::crypto::parseKeyRequest(request);
        if (!parsed)
            return {};
        parsed->expiry += expiryShift;
        return vexa::crypto::signResetKey(signer, *parsed).value_or("");
    }

    // The device's key request document; empty when it gives none.
    std::string keyRequest(const std::string& serial) {
        VEXA_KEY_REQUEST reply{};
        if (!VEXA_GetDeviceConfig(serial.c_str(), VEXA_CMD_KEY_REQUEST, nullptr, 0, &reply, sizeof reply))
            return {};
        EXPECT_LE(reply.dataLength, 256u);
        return std::string(reply.data, std::min<uint32_t>(reply.dataLength, 256));
    }

    // Resets by key, typed or from a file.
    static int reset(const std::string& serial, const std::string& key, const std::string& password,
                     const std::string& keyFile = {}) {
        VEXA_RESET_PARAM p{};
        std::strncpy(p.key, key.c_str(), sizeof p.key - 1);
        std::strncpy(p.keyFilePath, keyFile.c_str(), sizeof p.keyFilePath - 1);
        std::memcpy(p.newPassword, password.data(), std::min(password.size(), sizeof p.newPassword));
        return VEXA_ResetPasswd(serial.c_str(), &p);
    }
    // The test manufacturer's security code for a device, daysAgo days back; empty when none can be made.
    static std::string securityCode(const std::string& serial, int daysAgo = 0) {
        const auto secret = vexa::crypto::deriveDeviceSecret(vexa::crypto::testMasterSecret(), serial);
        const int64_t now =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        return secret ? vexa::crypto::securityCode(*secret, vexa::crypto::utcDate(now - daysAgo * 86400)).value_or("")
                      : std::string();
    }

    testutil::TempDir dir_;
    Events events_;

private:
    int seed_;
};
