// Device operations against the simulator on loopback: every result code, the secure channel seen from the
// wire, replay, trust, lock-out across restarts, and durability across SIGKILL.

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <thread>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "Sniffer.h"
#include "proto/Transport.h"
#include "support/LinkFixture.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
namespace crypto = vexa::crypto;
using testutil::Process;
using testutil::TempDir;
using testutil::waitFor;

namespace {

bool contains(const std::vector<uint8_t>& haystack, const std::string& needle) {
    return !needle.empty() &&
           std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// The password in every form the program or a careless implementation might put on the wire.
std::vector<std::string> encodings(const std::string& password) {
    std::string utf16;
    for (char c : password) {
        utf16 += c;
        utf16 += '\0';
    }
    const crypto::Bytes bytes(password.begin(), password.end());
    return {password, utf16, crypto::toHex(crypto::ByteView(bytes)), crypto::toBase64Url(crypto::ByteView(bytes)),
            crypto::toBase32(crypto::ByteView(bytes))};
}

class Operations : public LinkFixture {
protected:
    Operations()
        : LinkFixture(21) {}
    void SetUp() override {
        LinkFixture::SetUp();
        ::setenv("VEXA_SIM_LOCK_MS", "1500", 1);
    }

    static VEXA_NET_PARAM paramsFor(const vexa::proto::DeviceRecord& r, const std::string& ipv4) {
        VEXA_NET_PARAM p{};
        std::strncpy(p.ipv4Address, ipv4.c_str(), sizeof p.ipv4Address - 1);
        std::strncpy(p.ipv4SubnetMask, r.ipv4SubnetMask.c_str(), sizeof p.ipv4SubnetMask - 1);
        std::strncpy(p.ipv4Gateway, r.ipv4Gateway.c_str(), sizeof p.ipv4Gateway - 1);
        std::strncpy(p.deviceName, r.deviceName.c_str(), sizeof p.deviceName - 1);
        p.port = static_cast<uint16_t>(r.port);
        p.httpPort = r.httpPort;
        p.rtspPort = r.rtspPort;
        return p;
    }
};

} // namespace

TEST_F(Operations, ActivationCodes) {
    Process sim;
    ASSERT_TRUE(startFleet(0, sim));
    const auto device = pick([](const auto& r) { return r.activationState == 1; });

    struct Case {
        const char* serial;
        const char* password;
        uint32_t expected;
    };
    const std::string serial = device.serialNo;
    const Case cases[] = {
        {"NO-SUCH-DEVICE", "Good-Pass1", VEXA_ERR_UNKNOWN_DEVICE},
        {serial.c_str(), "", VEXA_ERR_BAD_ARGUMENT},
        {serial.c_str(), "abcdefgh", VEXA_ERR_WEAK_PASSWORD}, // one kind of character: the device's rule says no
        {serial.c_str(), "Good-Pass1", VEXA_NOERROR},
        {serial.c_str(), "Other-Pass2", VEXA_ERR_ALREADY_ACTIVATED},
    };
    for (const Case& c : cases) {
        const int ok = VEXA_ActivateDevice(c.serial, c.password);
        EXPECT_EQ(ok != 0, c.expected == VEXA_NOERROR) << c.password;
        EXPECT_EQ(code(), c.expected) << c.password;
    }
    ASSERT_TRUE(waitFor([&] { return events_.count(VEXA_EVENT_CHANGED) >= 1; }, 10s));
    const auto changed = events_.of(VEXA_EVENT_CHANGED).back();
    EXPECT_EQ(field(changed.serialNo, 48), serial);
    EXPECT_EQ(changed.activationState, 0);
    EXPECT_EQ(changed.certified, 1);
    EXPECT_EQ(current(serial).activationState, 0);
}

TEST_F(Operations, NetworkChangeWrongPasswordLockOutAndRelease) {
    Process sim;
    ASSERT_TRUE(startFleet(1, sim));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    VEXA_NET_PARAM params = paramsFor(device, "127.99.0.7");

    for (int attempt = 0; attempt < 5; ++attempt) {
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Wrong-Pass9", &params), 0);
        EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED)) << attempt;
    }
    const auto lockedAt = std::chrono::steady_clock::now();
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_LOCKED));
    EXPECT_EQ(current(device.serialNo).ipv4Address, device.ipv4Address);

    ASSERT_TRUE(
        waitFor([&] { return VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params) != 0; }, 15s));
    EXPECT_GE(std::chrono::steady_clock::now() - lockedAt, 1400ms);
    EXPECT_EQ(current(device.serialNo).ipv4Address, "127.99.0.7");
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& e : events_.of(VEXA_EVENT_CHANGED)) {
                if (field(e.ipv4Address, 16) == "127.99.0.7")
                    return true;
            }
            return false;
        },
        10s));

    // Texts with control bytes would break the announcement and the state file's lines: refused, nothing saved.
    for (const char* name : {"Cam\tera", "Cam\nera", "Cam\x7f"}) {
        VEXA_NET_PARAM bad = params;
        std::strncpy(bad.deviceName, name, sizeof bad.deviceName - 1);
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &bad), 0);
        EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    }
    std::string text;
    std::vector<devsim::SimDevice> saved;
    std::string error;
    ASSERT_TRUE(devsim::readFile(dir_.file("state.txt"), text));
    ASSERT_TRUE(devsim::parseFleet(text, saved, error)) << error;
    EXPECT_EQ(current(device.serialNo).deviceName, device.deviceName);
}

TEST_F(Operations, LockOutSurvivesARestart) {
    testutil::usePort(2);
    ::setenv("VEXA_SIM_LOCK_MS", "4000", 1);
    Process sim;
    ASSERT_TRUE(startSim(sim, 5));
    ASSERT_TRUE(startLibrary(5));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    VEXA_NET_PARAM params = paramsFor(device, "127.99.0.8");
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Wrong-Pass9", &params), 0);
    const auto lockedAt = std::chrono::steady_clock::now();

    sim.signal(SIGTERM);
    ASSERT_EQ(sim.wait(), 0);
    // The Bye made the library forget the devices; the restarted fleet announces itself again.
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_GONE, 5, 10s));
    const size_t mark = events_.size();
    Process again;
    ASSERT_TRUE(startSim(again, 5));
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 5, 10s, mark));
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_LOCKED));
    ASSERT_TRUE(
        waitFor([&] { return VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params) != 0; }, 20s));
    EXPECT_GE(std::chrono::steady_clock::now() - lockedAt, 3900ms);
}

TEST_F(Operations, SilentDeviceTimesOutAndUntrustedDeviceGetsNothing) {
    Process sim;
    ASSERT_TRUE(startFleet(3, sim, 5));
    const auto device = pick([](const auto& r) { return r.activationState == 1; });
    sim.signal(SIGSTOP);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(VEXA_ActivateDevice(device.serialNo.c_str(), "Good-Pass1"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_TIMEOUT));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 2900ms);
    sim.signal(SIGCONT);

    // Without the simulator's key among the trusted ones its devices are listed but never sent anything.
    ASSERT_NE(VEXA_Stop(), 0);
    ::unsetenv("VEXA_TRUSTED_KEYS");
    Events untrusted;
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &untrusted), 0);
    ASSERT_TRUE(untrusted.waitCount(VEXA_EVENT_NEW, 5, 20s));
    for (const auto& info : untrusted.of(VEXA_EVENT_NEW))
        EXPECT_EQ(info.certified, 0);
    EXPECT_EQ(VEXA_ActivateDevice(device.serialNo.c_str(), "Good-Pass1"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_UNTRUSTED_DEVICE));
    std::this_thread::sleep_for(300ms);
    // Only the tool's own requests matter: the simulator, resumed above, may still answer the challenges
    // asked while it was stopped.
    for (const auto& d : sniffer.captured()) {
        const auto type = static_cast<vexa::proto::MsgType>(d.size() > 5 ? d[5] : 0);
        EXPECT_TRUE(!vexa::proto::isToolMessage(type) || type == vexa::proto::MsgType::Inquiry)
            << "sent message type " << int(type);
    }
}

TEST_F(Operations, KeyRequestAndResetByKey) {
    Process sim;
    ASSERT_TRUE(startFleet(4, sim));
    const auto device = pick([](const auto& r) { return (r.supportFlags & VEXA_SUPPORT_KEY_RESET) != 0; });
    const auto without = pick([](const auto& r) { return (r.supportFlags & VEXA_SUPPORT_KEY_RESET) == 0; });
    const std::string serial = device.serialNo;

    VEXA_KEY_REQUEST small{};
    EXPECT_EQ(VEXA_GetDeviceConfig(serial.c_str(), VEXA_CMD_KEY_REQUEST, nullptr, 0, &small, 100), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_BUFFER_TOO_SMALL));
    EXPECT_EQ(VEXA_GetDeviceConfig(serial.c_str(), 3, nullptr, 0, &small, sizeof small), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    EXPECT_EQ(VEXA_GetDeviceConfig(without.serialNo.c_str(), VEXA_CMD_KEY_REQUEST, nullptr, 0, &small, sizeof small),
              0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_NOT_SUPPORTED));

    VEXA_KEY_REQUEST_QR qr{};
    ASSERT_NE(VEXA_GetDeviceConfig(serial.c_str(), VEXA_CMD_KEY_REQUEST_QR, nullptr, 0, &qr, sizeof qr), 0);
    ASSERT_LE(qr.dataLength, 384u);
    const auto parsedQr = crypto::parseKeyRequest(std::string(qr.data, qr.dataLength));
    ASSERT_TRUE(parsedQr.has_value());
    EXPECT_EQ(parsedQr->serial, serial);
    EXPECT_TRUE(parsedQr->certificate.has_value());

    // Anyone may ask for a key request: asking again must not void the key made for the first document.
    const std::string key = keyFor(std::string(qr.data, qr.dataLength));
    ASSERT_LE(key.size(), 128u);
    const std::string request = keyRequest(serial);
    ASSERT_FALSE(request.empty());
    const auto parsed = crypto::parseKeyRequest(request);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->nonce, parsedQr->nonce);
    EXPECT_EQ(parsed->expiry, parsedQr->expiry);
    struct Case {
        const char* name;
        std::string key;
        uint32_t expected;
    };
    const Case refused[] = {
        {"expired", keyFor(request, -(24 * 3600 + 60)), VEXA_ERR_DEVICE_REFUSED},
        {"foreign manufacturer", keyFor(request, 0, crypto::generateKeyPair()), VEXA_ERR_DEVICE_REFUSED},
        {"garbage", "NOT-A-KEY", VEXA_ERR_DEVICE_REFUSED},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(reset(serial, c.key, "Reset-Pass1"), 0) << c.name;
        EXPECT_EQ(code(), c.expected) << c.name;
    }
    EXPECT_EQ(reset(serial, key, "weakweak"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_WEAK_PASSWORD));
    ASSERT_NE(reset(serial, key, "Reset-Pass1"), 0) << code();
    EXPECT_EQ(reset(serial, key, "Reset-Pass2"), 0) << "a key is good once";
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));

    // A used nonce is retired: the next document carries a fresh one.
    const std::string next = keyRequest(serial);
    const auto parsedNext = crypto::parseKeyRequest(next);
    ASSERT_TRUE(parsedNext.has_value());
    EXPECT_NE(parsedNext->nonce, parsed->nonce);

    // The key from a file, with the line ends a text editor leaves; then the new password works.
    const std::string keyFile = dir_.file("key.txt");
    std::ofstream(keyFile) << keyFor(next) << "\r\n\n";
    ASSERT_NE(reset(serial, "", "Reset-Pass3", keyFile), 0) << code();
    VEXA_NET_PARAM params = paramsFor(current(serial), "127.99.0.9");
    EXPECT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Reset-Pass3", &params), 0) << code();
    EXPECT_EQ(reset(serial, "", "Reset-Pass4", dir_.file("missing.txt")), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_FILE));
}

TEST_F(Operations, RestoreBySecurityCodeHandsTheDeviceToTheNewPassword) {
    Process sim;
    ASSERT_TRUE(startFleet(5, sim, 5));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    const std::string good = securityCode(device.serialNo);
    ASSERT_FALSE(good.empty());
    const std::string old = securityCode(device.serialNo, 5);
    const std::string foreign = securityCode("SOMEONE-ELSE");
    for (const std::string& wrong : {old, foreign, std::string("AAAAAAAAAAAAAAAA")}) {
        EXPECT_EQ(VEXA_ResetDefaultPasswd(device.serialNo.c_str(), wrong.c_str(), "Fresh-Pass5"), 0) << wrong;
        EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
    }
    // A weak password is refused with the code, and the device keeps its old password.
    EXPECT_EQ(VEXA_ResetDefaultPasswd(device.serialNo.c_str(), good.c_str(), "abc"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_WEAK_PASSWORD));
    ASSERT_NE(VEXA_ResetDefaultPasswd(device.serialNo.c_str(), good.c_str(), "Fresh-Pass5"), 0) << code();
    // Activated with the new password in the same step: never open to whoever activates first.
    EXPECT_EQ(current(device.serialNo).activationState, 0);
    EXPECT_EQ(VEXA_ActivateDevice(device.serialNo.c_str(), "Attacker-Pass1"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_ALREADY_ACTIVATED));
    VEXA_NET_PARAM params = paramsFor(device, "127.99.0.10");
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
    EXPECT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Fresh-Pass5", &params), 0) << code();
}

TEST_F(Operations, NoPasswordOnTheWireAndReplaysAreRefused) {
    testutil::usePort(6);
    Process sim;
    ASSERT_TRUE(startSim(sim));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(40));
    const auto device =
        pick([](const auto& r) { return r.activationState == 1 && (r.supportFlags & VEXA_SUPPORT_KEY_RESET) != 0; });
    const std::string first = "First-Pass11";
    const std::string second = "Second-Pass22";
    ASSERT_NE(VEXA_ActivateDevice(device.serialNo.c_str(), first.c_str()), 0) << code();
    VEXA_NET_PARAM a = paramsFor(device, "127.99.1.1");
    ASSERT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), first.c_str(), &a), 0) << code();
    ASSERT_NE(reset(device.serialNo, keyFor(keyRequest(device.serialNo)), second), 0) << code();
    VEXA_NET_PARAM b = paramsFor(device, "127.99.1.2");
    ASSERT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), second.c_str(), &b), 0) << code();
    std::this_thread::sleep_for(200ms);

    const auto all = sniffer.captured();
    ASSERT_GT(all.size(), 10u);
    for (const std::string& password : {first, second}) {
        for (const std::string& form : encodings(password)) {
            for (const auto& datagram : all)
                ASSERT_FALSE(contains(datagram, form)) << "password bytes on the wire";
        }
    }

    // Replay of the first change, as captured: the device does not go back to the old address.
    const auto changes = sniffer.ofType(vexa::proto::MsgType::SetNetwork);
    ASSERT_FALSE(changes.empty());
    const std::vector<uint8_t> captured = changes.front();
    sniffer.inject(captured);
    // The same bytes under a new request id, so no cached answer applies: the binding inside refuses it.
    std::vector<uint8_t> renamed = captured;
    renamed[8] ^= 0xff;
    sniffer.inject(renamed);
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& d : sniffer.ofType(vexa::proto::MsgType::Result)) {
                vexa::proto::Frame f;
                if (vexa::proto::decodeFrame(d.data(), d.size(), f) == vexa::proto::DecodeError::None &&
                    std::equal(f.requestId.begin(), f.requestId.end(), renamed.begin() + 8))
                    return f.u32(vexa::proto::TagResultCode) == VEXA_ERR_DEVICE_REFUSED;
            }
            return false;
        },
        5s));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(current(device.serialNo).ipv4Address, "127.99.1.2");

    // The cached answer belongs to that one request of that one device. Under the same request id, the request
    // addressed to another device, or with its sealed bytes altered, is judged afresh (refused), not answered
    // with the cached success.
    const auto other = pick([&](const auto& r) { return r.mac != device.mac && r.mac.size() == device.mac.size(); });
    std::vector<uint8_t> elsewhere = captured;
    auto at = std::search(elsewhere.begin(), elsewhere.end(), device.mac.begin(), device.mac.end());
    ASSERT_NE(at, elsewhere.end());
    std::copy(other.mac.begin(), other.mac.end(), at);
    sniffer.inject(elsewhere);
    std::vector<uint8_t> altered = captured;
    altered.back() ^= 0x01; // the last byte of the sealed payload
    sniffer.inject(altered);
    const auto answered = [&](const std::string& mac, uint32_t wanted) {
        for (const auto& d : sniffer.ofType(vexa::proto::MsgType::Result)) {
            vexa::proto::Frame f;
            if (vexa::proto::decodeFrame(d.data(), d.size(), f) == vexa::proto::DecodeError::None &&
                std::equal(f.requestId.begin(), f.requestId.end(), captured.begin() + 8) &&
                f.text(vexa::proto::TagMac) == mac && f.u32(vexa::proto::TagResultCode, 1) == wanted)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(waitFor([&] { return answered(other.mac, VEXA_ERR_DEVICE_REFUSED); }, 5s));
    EXPECT_TRUE(waitFor([&] { return answered(device.mac, VEXA_ERR_DEVICE_REFUSED); }, 5s));
    EXPECT_EQ(current(device.serialNo).ipv4Address, "127.99.1.2");
}

TEST_F(Operations, ConfirmedChangesSurviveSigkill) {
    Process sim;
    ASSERT_TRUE(startFleet(7, sim));
    std::vector<vexa::proto::DeviceRecord> targets;
    for (const auto& d : dump()) {
        if (d.record.activationState == 0 && targets.size() < 12)
            targets.push_back(d.record);
    }
    ASSERT_GE(targets.size(), 5u);
    std::map<std::string, std::string> confirmed;
    std::map<std::string, std::string> attempted;
    for (size_t i = 0; i < targets.size(); ++i) {
        const std::string address = "127.98.0." + std::to_string(i + 1);
        VEXA_NET_PARAM p = paramsFor(targets[i], address);
        attempted[targets[i].serialNo] = address;
        if (i == 4) {
            // The kill lands while the fifth change is on its way.
            std::thread killer([&sim] {
                std::this_thread::sleep_for(2ms);
                sim.signal(SIGKILL);
            });
            if (VEXA_ModifyDeviceNetParam(targets[i].mac.c_str(), kInitialPassword, &p))
                confirmed[targets[i].serialNo] = address;
            killer.join();
            break;
        }
        if (VEXA_ModifyDeviceNetParam(targets[i].mac.c_str(), kInitialPassword, &p))
            confirmed[targets[i].serialNo] = address;
    }
    sim.wait();
    EXPECT_GE(confirmed.size(), 4u);

    std::string text;
    ASSERT_TRUE(devsim::readFile(dir_.file("state.txt"), text));
    std::vector<devsim::SimDevice> saved;
    std::string error;
    ASSERT_TRUE(devsim::parseFleet(text, saved, error)) << "partial state file: " << error;
    ASSERT_EQ(saved.size(), 40u);
    for (const auto& d : saved) {
        auto it = confirmed.find(d.record.serialNo);
        if (it != confirmed.end()) {
            EXPECT_EQ(d.record.ipv4Address, it->second) << d.record.serialNo;
        }
    }
    Process again;
    ASSERT_TRUE(startSim(again));
    for (const auto& d : dump()) {
        auto it = confirmed.find(d.record.serialNo);
        if (it != confirmed.end()) {
            EXPECT_EQ(d.record.ipv4Address, it->second);
        }
    }
}

TEST_F(Operations, CallsFromTheCallbackOrAcrossAStopReturnPromptly) {
    testutil::usePort(8);
    Process sim;
    ASSERT_TRUE(startSim(sim, 3));
    // On the I/O thread an operation could only wait for answers that this very thread has to read.
    struct FromCallback {
        std::atomic<int> calls{0};
        std::atomic<uint32_t> code{0};
        std::atomic<long> millis{-1};
    } seen;
    const auto callback = [](const VEXA_DEVICE_INFO* info, void* user) {
        auto* s = static_cast<FromCallback*>(user);
        if (s->calls++ != 0)
            return;
        const auto start = std::chrono::steady_clock::now();
        VEXA_ActivateDevice(field(info->serialNo, sizeof info->serialNo).c_str(), "Good-Pass1");
        s->code = VEXA_GetLastError();
        s->millis = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    };
    ASSERT_NE(VEXA_Start_V40(callback, 1, &seen), 0);
    ASSERT_TRUE(waitFor([&] { return seen.millis >= 0; }, 20s));
    EXPECT_EQ(seen.code, static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    EXPECT_LT(seen.millis, 1000);
    ASSERT_NE(VEXA_Stop(), 0);

    // Another thread keeps calling into the library while it is started and stopped: every call returns.
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::thread user([&] {
        while (!stop)
            VEXA_Clearup();
        finished = true;
    });
    Events events;
    // The window (a call that took the engine just before the stop) is narrow: many quick rounds.
    for (int round = 0; round < 2000; ++round) {
        ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
        ASSERT_NE(VEXA_Stop(), 0);
    }
    stop = true;
    if (!waitFor([&] { return finished.load(); }, 10s)) {
        user.detach(); // stuck for good in a call that can no longer return
        FAIL() << "a call made while the library stopped never returned";
    }
    user.join();
}

TEST_F(Operations, ApplyDelayHoldsOnlyThatDevicesAnswerAndFastHashIsCheap) {
    testutil::usePort(9);
    ::unsetenv("VEXA_SIM_CHEAP_HASH"); // the option alone must select the cheap cost
    Process sim;
    ASSERT_TRUE(startSim(sim, 10, {"--apply-delay", "1200", "--fast-hash"}));
    ASSERT_TRUE(startLibrary(10));
    const auto slow = pick([](const auto& r) { return r.activationState == 1; });
    const auto other = pick([](const auto& r) { return (r.supportFlags & VEXA_SUPPORT_KEY_RESET) != 0; });

    std::atomic<bool> activated{false};
    std::atomic<long> activationMs{-1};
    const auto start = std::chrono::steady_clock::now();
    std::thread activation([&] {
        activated = VEXA_ActivateDevice(slow.serialNo.c_str(), "Good-Pass1") != 0;
        activationMs = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    });
    std::this_thread::sleep_for(100ms);
    // A key request changes nothing, so it is not delayed, and the busy device does not hold it up.
    const std::string request = keyRequest(other.serialNo);
    const bool answeredFirst = activationMs.load() < 0;
    activation.join();
    EXPECT_FALSE(request.empty());
    EXPECT_TRUE(answeredFirst) << "another device's answer waited for the busy one";
    EXPECT_TRUE(activated) << code();
    EXPECT_GE(activationMs.load(), 1150);
    EXPECT_EQ(current(slow.serialNo).activationState, 0);

    std::string text;
    std::vector<devsim::SimDevice> saved;
    std::string error;
    ASSERT_TRUE(devsim::readFile(dir_.file("state.txt"), text));
    ASSERT_TRUE(devsim::parseFleet(text, saved, error)) << error;
    for (const auto& d : saved) {
        if (d.record.serialNo == slow.serialNo) {
            EXPECT_NE(d.state.at("hash").find("m=8,"), std::string::npos) << d.state.at("hash");
        }
    }
}

// A device found by a scan is asked at its own address and answers the asker alone, from there (or, moved by the
// change, from its new address); one found by multicast is asked through the group. The group sees exactly the
// operations of the latter.
TEST_F(Operations, ScannedDevicesAreAskedAtTheirAddressOthersThroughTheGroup) {
    // The block's ten ports are taken (the next is the WS-Discovery port): an earlier test's, its simulator gone.
    testutil::usePort(3);
    Process sim;
    ASSERT_TRUE(startSim(sim, 8, {"--bind-base", "127.78.0.10"}));
    ASSERT_TRUE(startLibrary(8));
    using Record = vexa::proto::DeviceRecord;
    struct Case {
        const char* what;
        bool scanned;
        uint8_t activation;                       // of the device the row takes
        std::function<bool(const Record&)> apply; // done, and the device shows it
    };
    const auto moveTo = [this](const std::string& ipv4) {
        return [this, ipv4](const Record& r) {
            VEXA_NET_PARAM params = paramsFor(r, ipv4);
            return VEXA_ModifyDeviceNetParam(r.mac.c_str(), kInitialPassword, &params) &&
                   current(r.serialNo).ipv4Address == ipv4;
        };
    };
    const std::vector<Case> cases = {
        {"activation, found by a scan", true, 1,
         [this](const Record& r) {
             return VEXA_ActivateDevice(r.serialNo.c_str(), "Good-Pass1") && current(r.serialNo).activationState == 0;
         }},
        {"a change that moves it, found by a scan", true, 0, moveTo("127.78.1.10")},
        {"a change that moves it, found by multicast", false, 0, moveTo("127.78.1.11")},
    };
    std::vector<Record> devices;
    std::string scanned;
    for (const Case& c : cases) {
        devices.push_back(pick([&](const Record& r) {
            return r.activationState == c.activation &&
                   std::none_of(devices.begin(), devices.end(),
                                [&](const Record& d) { return d.serialNo == r.serialNo; });
        }));
        if (c.scanned)
            scanned += (scanned.empty() ? "" : ",") + devices.back().ipv4Address;
    }
    const size_t before = events_.size();
    VEXA_SCAN_PARAM param{};
    param.retries = 0xff;
    ASSERT_NE(VEXA_ScanRanges(scanned.c_str(), &param, nullptr, nullptr), 0) << code();
    // Reported changed once the library has taken the scan's answer: from then on it asks the device at its address.
    const auto foundByScan = [&](const Record& device) {
        const auto changed = events_.of(VEXA_EVENT_CHANGED, before);
        return std::any_of(changed.begin(), changed.end(), [&](const VEXA_DEVICE_INFO& e) {
            return field(e.serialNo, sizeof e.serialNo) == device.serialNo && e.source == VEXA_SOURCE_SCAN;
        });
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Record& device = devices[i];
        if (c.scanned) {
            ASSERT_TRUE(waitFor([&] { return foundByScan(device); }, 10s)) << c.what;
        }
        Sniffer group({}, true);
        ASSERT_TRUE(group.ok());
        EXPECT_TRUE(c.apply(device)) << c.what << ": " << code();
        const auto onGroup = [&] {
            const auto captured = group.captured();
            return std::count_if(captured.begin(), captured.end(), [&](const std::vector<uint8_t>& d) {
                vexa::proto::Frame f;
                return vexa::proto::decodeFrame(d.data(), d.size(), f) == vexa::proto::DecodeError::None &&
                       f.type != vexa::proto::MsgType::Announce && f.type != vexa::proto::MsgType::Inquiry &&
                       f.text(vexa::proto::TagMac) == device.mac;
            });
        };
        if (c.scanned) {
            std::this_thread::sleep_for(300ms); // what the sniffer may not have read yet
            EXPECT_EQ(onGroup(), 0) << c.what;
        } else {
            EXPECT_TRUE(waitFor([&] { return onGroup() >= 4; }, 2s)) << c.what << ": challenge, request, answers";
        }
    }
}
