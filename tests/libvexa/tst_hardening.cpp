// Attacks from the link against the library and the simulator on loopback: forged announcements, challenges,
// results and byes; inquiry floods; junk recovery secrets; a state file that cannot be written; a flood of
// made-up devices; names two devices share.

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>

#include "DevsimProcess.h"
#include "Engine.h"
#include "Fleet.h"
#include "Sniffer.h"
#include "proto/DeviceRecord.h"
#include "proto/Signing.h"
#include "support/LinkFixture.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
namespace crypto = vexa::crypto;
namespace proto = vexa::proto;
using proto::MsgType;
using testutil::Process;
using testutil::TempDir;
using testutil::waitFor;

namespace {

class Hardening : public LinkFixture {
protected:
    Hardening()
        : LinkFixture(33) {}
    void SetUp() override {
        LinkFixture::SetUp();
        ::setenv("VEXA_SIM_LOCK_MS", "60000", 1);
    }
    // These changes are not checked against a view of the device.
    static VEXA_NET_PARAM paramsFrom(const VEXA_DEVICE_INFO& info) {
        VEXA_NET_PARAM p = LinkFixture::paramsFrom(info);
        p.recordVersion = 0;
        return p;
    }
};

// The device's signed announcement as heard on the link.
std::vector<uint8_t> announcementOf(const Sniffer& sniffer, const std::string& serial) {
    std::vector<uint8_t> last;
    for (const auto& d : sniffer.ofType(MsgType::Announce)) {
        proto::Frame f;
        if (decode(d, f) && f.text(proto::TagSerial) == serial)
            last = d;
    }
    return last;
}

} // namespace

TEST_F(Hardening, ForgedOrStaleAnnouncementsAreDroppedAndANameChangeKeepsTheRealAddress) {
    testutil::usePort(0);
    Process sim;
    ASSERT_TRUE(startSim(sim, 5));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(5));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    ASSERT_TRUE(waitFor([&] { return !announcementOf(sniffer, device.serialNo).empty(); }, 5s));
    const std::vector<uint8_t> genuine = announcementOf(sniffer, device.serialNo);

    // 1. The whole record copied, addresses changed, sent without a signature (or with the old one).
    proto::DeviceRecord forged = device;
    forged.ipv4Address = "127.66.6.6";
    forged.ipv4SubnetMask = "255.0.0.0";
    forged.ipv4Gateway = "127.66.6.1";
    forged.httpPort = 6666;
    forged.version = device.version + 1000;
    const std::vector<uint8_t> unsigned_ = proto::encodeAnnounce(forged, {});
    std::vector<uint8_t> oldSignature = unsigned_;
    {
        proto::Frame f;
        ASSERT_TRUE(decode(genuine, f));
        const proto::Tlv& sig = f.tlvs.back();
        ASSERT_EQ(sig.tag, proto::TagSignature);
        const uint8_t head[] = {0, proto::TagSignature, 0, 64};
        oldSignature.insert(oldSignature.end(), head, head + 4);
        oldSignature.insert(oldSignature.end(), sig.value, sig.value + sig.length);
        const size_t body = oldSignature.size() - proto::kHeaderSize;
        oldSignature[24] = static_cast<uint8_t>(body >> 8);
        oldSignature[25] = static_cast<uint8_t>(body);
    }
    // 2. Another key for the same device, signing its own announcement (the certificate cannot match it).
    const crypto::KeyPair intruder = crypto::generateKeyPair();
    proto::DeviceRecord rekeyed = forged;
    rekeyed.publicKey.assign(intruder.publicKey.begin(), intruder.publicKey.end());
    proto::TlvWriter w;
    proto::writeDeviceRecord(w, rekeyed);
    const std::vector<uint8_t> otherKey = proto::encodeSigned(MsgType::Announce, {}, w, intruder);
    const size_t refusedBefore = statistics().rejected;
    for (const auto& d : {unsigned_, oldSignature, otherKey})
        sniffer.inject(d);
    ASSERT_TRUE(waitFor([&] { return statistics().rejected >= refusedBefore + 3; }, 5s)) << statistics().rejected;

    // The program's batch starts from the listed record: still the genuine one.
    const VEXA_DEVICE_INFO listed = latest(device.serialNo);
    EXPECT_EQ(field(listed.ipv4Address, 16), device.ipv4Address);
    EXPECT_EQ(listed.certified, 1);
    for (const auto& e : events_.of(VEXA_EVENT_CHANGED))
        EXPECT_NE(field(e.ipv4Address, 16), "127.66.6.6");
    VEXA_NET_PARAM params = paramsFrom(listed);
    std::strncpy(params.deviceName, "Lobby", sizeof params.deviceName - 1);
    ASSERT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0) << code();
    EXPECT_EQ(current(device.serialNo).deviceName, "Lobby");
    EXPECT_EQ(current(device.serialNo).ipv4Address, device.ipv4Address);
    EXPECT_EQ(current(device.serialNo).ipv4Gateway, device.ipv4Gateway);

    // 3. The device's own announcement from before the change, played again: stale, the new name stays.
    ASSERT_TRUE(waitFor([&] { return field(latest(device.serialNo).deviceName, 32) == "Lobby"; }, 5s));
    const size_t mark = events_.size();
    sniffer.inject(genuine);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(events_.count(VEXA_EVENT_CHANGED, mark), 0u);
    EXPECT_EQ(field(latest(device.serialNo).deviceName, 32), "Lobby");
}

TEST_F(Hardening, ForgedChallengesAndPlainResultsDoNotEndAnExchange) {
    testutil::usePort(1);
    Process sim;
    // The device's datagrams take 150 ms, so every forgery below arrives first.
    ASSERT_TRUE(startSim(sim, 5, {"--delay", "150"}));
    std::atomic<int> forgeries{0};
    Sniffer forger([&forgeries](const std::vector<uint8_t>& d, Sniffer& self) {
        proto::Frame f;
        if (!decode(d, f) || !proto::isToolMessage(f.type) || f.type == MsgType::Inquiry)
            return;
        proto::TlvWriter w;
        w.addText(proto::TagMac, f.text(proto::TagMac));
        if (f.type == MsgType::GetChallenge) {
            // "Locked for an hour", and a nonce the device never issued.
            std::vector<uint8_t> nonce(32);
            crypto::randomBytes(nonce.data(), nonce.size());
            w.addBytes(proto::TagNonce, nonce);
            w.addU32(proto::TagLockSeconds, 3600);
            self.inject(proto::encodeFrame(MsgType::Challenge, f.requestId, w));
            w.addBytes(proto::TagSignature, std::vector<uint8_t>(64, 0x5a));
            self.inject(proto::encodeFrame(MsgType::Challenge, f.requestId, w));
        } else {
            w.addU32(proto::TagResultCode, VEXA_ERR_DEVICE_REFUSED);
            self.inject(proto::encodeFrame(MsgType::Result, f.requestId, w));
            w.addBytes(proto::TagSealed, std::vector<uint8_t>(120, 0x33));
            self.inject(proto::encodeFrame(MsgType::Result, f.requestId, w));
        }
        forgeries += 2;
    });
    ASSERT_TRUE(forger.ok());
    ASSERT_TRUE(startLibrary(5));
    const auto active = pick([](const auto& r) { return r.activationState == 0; });
    const auto fresh = pick([](const auto& r) { return r.activationState == 1; });
    VEXA_NET_PARAM params = paramsFrom(latest(active.serialNo));
    std::strncpy(params.ipv4Address, "127.77.0.7", sizeof params.ipv4Address - 1);
    EXPECT_NE(VEXA_ModifyDeviceNetParam(active.mac.c_str(), kInitialPassword, &params), 0) << code();
    EXPECT_NE(VEXA_ActivateDevice(fresh.serialNo.c_str(), "Good-Pass1"), 0) << code();
    EXPECT_GE(forgeries.load(), 8);
    EXPECT_EQ(current(active.serialNo).ipv4Address, "127.77.0.7");
    EXPECT_EQ(current(fresh.serialNo).activationState, 0);
}

TEST_F(Hardening, ForgedAndStaleByesChangeNothing) {
    testutil::usePort(2);
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    std::vector<std::vector<uint8_t>> oldByes;
    {
        // A first life of the fleet, ended cleanly: its byes are captured for replay.
        Process first;
        ASSERT_TRUE(startSim(first, 3));
        first.signal(SIGTERM);
        ASSERT_EQ(first.wait(), 0);
        ASSERT_TRUE(waitFor([&] { return sniffer.ofType(MsgType::Bye).size() >= 3; }, 5s));
        oldByes = sniffer.ofType(MsgType::Bye);
    }
    Process sim;
    ASSERT_TRUE(startSim(sim, 3)); // the same devices from the state file, booted again
    ASSERT_TRUE(startLibrary(3));
    const auto device = dump().front().record;
    proto::TlvWriter w;
    w.addText(proto::TagSerial, device.serialNo);
    w.addText(proto::TagMac, device.mac);
    sniffer.inject(proto::encodeFrame(MsgType::Bye, {}, w));
    w.addU32(proto::TagRecordVersion, device.version + 1);
    w.addBytes(proto::TagSignature, std::vector<uint8_t>(64, 0x11));
    sniffer.inject(proto::encodeFrame(MsgType::Bye, {}, w));
    for (const auto& bye : oldByes)
        sniffer.inject(bye);
    ASSERT_TRUE(waitFor([&] { return statistics().rejected >= 2 + oldByes.size(); }, 5s)) << statistics().rejected;
    EXPECT_EQ(events_.count(VEXA_EVENT_GONE), 0u);
    // The genuine bye still works.
    sim.signal(SIGTERM);
    ASSERT_EQ(sim.wait(), 0);
    EXPECT_TRUE(events_.waitCount(VEXA_EVENT_GONE, 3, 5s));
}

TEST_F(Hardening, AnInquiryFloodGetsAHandfulOfAnswersPerDevice) {
    testutil::usePort(3);
    Process sim;
    ASSERT_TRUE(startSim(sim, 50, {"--no-boot-announce", "--reply-delay", "0:100"}));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    const auto start = std::chrono::steady_clock::now();
    proto::TlvWriter empty;
    for (int i = 0; i < 2000; ++i) {
        proto::RequestId id{};
        crypto::randomBytes(id.data(), id.size());
        sniffer.inject(proto::encodeFrame(MsgType::Inquiry, id, empty));
    }
    const double burstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(800ms);
    std::map<std::string, int> answers;
    for (const auto& d : sniffer.ofType(MsgType::Announce)) {
        proto::Frame f;
        if (decode(d, f) && idOf(d) != proto::RequestId{})
            ++answers[f.text(proto::TagSerial)];
    }
    EXPECT_EQ(answers.size(), 50u);
    // One answer per 250 ms each, over the burst and the last answer's delay.
    const int bound = static_cast<int>(burstMs / 250.0) + 2;
    for (const auto& [serial, n] : answers)
        EXPECT_LE(n, bound) << serial << " answered " << n << " times in a burst of " << burstMs << " ms";
}

TEST_F(Hardening, JunkCodesAndKeysLockNothingAndRecoveryWorksWhileLocked) {
    Process sim;
    ASSERT_TRUE(startFleet(4, sim, 10));
    const auto device =
        pick([](const auto& r) { return r.activationState == 0 && (r.supportFlags & VEXA_SUPPORT_KEY_RESET) != 0; });
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(VEXA_ResetDefaultPasswd(device.serialNo.c_str(), "AAAAAAAAAAAAAAAA", "Junk-Pass1"), 0);
        EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
        VEXA_RESET_PARAM junk{};
        std::strncpy(junk.key, "NOT-A-KEY", sizeof junk.key - 1);
        std::strncpy(junk.newPassword, "Junk-Pass1", sizeof junk.newPassword - 1);
        EXPECT_EQ(VEXA_ResetPasswd(device.serialNo.c_str(), &junk), 0);
        EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_REFUSED));
    }
    VEXA_NET_PARAM params = paramsFrom(latest(device.serialNo));
    ASSERT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0) << code();

    // Wrong passwords still lock; a valid key then still resets the password.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Wrong-Pass9", &params), 0);
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0);
    ASSERT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_LOCKED));
    const std::string key = keyFor(keyRequest(device.serialNo));
    ASSERT_FALSE(key.empty()) << code();
    ASSERT_NE(reset(device.serialNo, key, "Reset-Pass7"), 0) << code();
    EXPECT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Reset-Pass7", &params), 0) << code();

    // And the day's security code works while a lock holds.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Wrong-Pass9", &params), 0);
    EXPECT_NE(VEXA_ResetDefaultPasswd(device.serialNo.c_str(), securityCode(device.serialNo).c_str(), "Owner-Pass3"), 0)
        << code();
    EXPECT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Owner-Pass3", &params), 0) << code();
}

TEST_F(Hardening, AChangeThatCannotBeSavedIsAnErrorAndUndone) {
    Process sim;
    ASSERT_TRUE(startFleet(5, sim, 10));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    const auto keyed = pick([](const auto& r) { return (r.supportFlags & VEXA_SUPPORT_KEY_RESET) != 0; });

    // A request that changes nothing leaves the file alone: the second key request hands out the same nonce.
    VEXA_KEY_REQUEST request{};
    ASSERT_NE(VEXA_GetDeviceConfig(keyed.serialNo.c_str(), VEXA_CMD_KEY_REQUEST, nullptr, 0, &request, sizeof request),
              0);
    struct stat before {};
    ASSERT_EQ(::stat(dir_.file("state.txt").c_str(), &before), 0);
    ASSERT_NE(VEXA_GetDeviceConfig(keyed.serialNo.c_str(), VEXA_CMD_KEY_REQUEST, nullptr, 0, &request, sizeof request),
              0);
    struct stat after {};
    ASSERT_EQ(::stat(dir_.file("state.txt").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "the state file was rewritten without a change";

    // The device's disk is full (a file size limit of 1 KiB on the simulator).
    rlimit limit{1024, 1024};
    ASSERT_EQ(::prlimit(sim.pid(), RLIMIT_FSIZE, &limit, nullptr), 0);
    VEXA_NET_PARAM params = paramsFrom(latest(device.serialNo));
    std::strncpy(params.ipv4Address, "127.88.0.8", sizeof params.ipv4Address - 1);
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_STORAGE));
    EXPECT_EQ(field(latest(device.serialNo).ipv4Address, 16), device.ipv4Address);

    sim.signal(SIGKILL);
    sim.wait();
    Process again;
    ASSERT_TRUE(startSim(again, 10));
    EXPECT_EQ(current(device.serialNo).ipv4Address, device.ipv4Address);
    // With room again, the same change goes through.
    ASSERT_TRUE(
        waitFor([&] { return VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params) != 0; }, 10s))
        << code();
    EXPECT_EQ(current(device.serialNo).ipv4Address, "127.88.0.8");
}

TEST_F(Hardening, SharedNamesUnsupportedChangesAndOneDeadlineSendNothingOrStopInTime) {
    testutil::usePort(6);
    Process sim;
    // Every device datagram takes 1 s and applying a change 1.5 s: the challenge comes at 1 s, the result at
    // 3.5 s, past the one deadline of 3 s for the whole call.
    ASSERT_TRUE(startSim(sim, 30, {"--delay", "1000", "--apply-delay", "1500"}));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(30));
    struct Case {
        const char* name;
        uint8_t lacking;
        std::function<void(VEXA_NET_PARAM&)> change;
    };
    const Case unsupported[] = {
        {"IPv6 address", VEXA_SUPPORT_MODIFY_IPV6,
         [](VEXA_NET_PARAM& p) { std::strncpy(p.ipv6Address, "fd00::9", sizeof p.ipv6Address); }},
        {"IPv6 prefix", VEXA_SUPPORT_MODIFY_IPV6, [](VEXA_NET_PARAM& p) { p.ipv6PrefixLength = 48; }},
        {"DHCP on", VEXA_SUPPORT_DHCP, [](VEXA_NET_PARAM& p) { p.dhcpEnabled = 1; }},
    };
    for (const Case& c : unsupported) {
        const auto target =
            pick([&](const auto& r) { return r.activationState == 0 && !(r.supportFlags & c.lacking); });
        VEXA_NET_PARAM p = paramsFrom(latest(target.serialNo));
        c.change(p);
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(target.mac.c_str(), kInitialPassword, &p), 0) << c.name;
        EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_NOT_SUPPORTED)) << c.name;
    }
    const auto fixed = pick([](const auto& r) { return r.activationState == 0; });
    const VEXA_NET_PARAM params = paramsFrom(latest(fixed.serialNo));

    // A made-up device under a genuine serial number, with another MAC: the serial names two devices.
    proto::DeviceRecord twin = fixed;
    twin.mac = "02-99-00-00-00-01";
    twin.publicKey.clear();
    twin.certificate.clear();
    sniffer.inject(proto::encodeAnnounce(twin, {}));
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 31, 5s));
    EXPECT_EQ(VEXA_ActivateDevice(fixed.serialNo.c_str(), "Good-Pass1"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_AMBIGUOUS_DEVICE));
    // Non-canonical spellings of a MAC, and serials that are not plain ASCII, are not listed at all.
    const size_t refused = statistics().rejected;
    for (const char* mac : {"02:99:00:00:00:02", "02-99-00-00-00-0A", "2-99-0-0-0-3"}) {
        proto::DeviceRecord odd = twin;
        odd.serialNo = "ODD" + std::string(mac);
        odd.mac = mac;
        sniffer.inject(proto::encodeAnnounce(odd, {}));
    }
    for (const char* serial : {"SER IAL", "SER\xc3\x84L"}) {
        proto::DeviceRecord odd = twin;
        odd.serialNo = serial;
        sniffer.inject(proto::encodeAnnounce(odd, {}));
    }
    ASSERT_TRUE(waitFor([&] { return statistics().rejected >= refused + 5; }, 5s)) << statistics().rejected;
    EXPECT_EQ(events_.count(VEXA_EVENT_NEW), 31u);
    std::this_thread::sleep_for(200ms);
    for (const auto& d : sniffer.captured()) {
        proto::Frame f;
        if (decode(d, f) && f.type == MsgType::GetChallenge)
            ADD_FAILURE() << "a refused call sent a challenge request";
    }

    // The answer comes after the deadline: the device is asked again and its answer is the result, not a time-out.
    const auto start = std::chrono::steady_clock::now();
    VEXA_NET_PARAM moved = params;
    std::strncpy(moved.ipv4Address, "127.88.1.1", sizeof moved.ipv4Address - 1);
    EXPECT_NE(VEXA_ModifyDeviceNetParam(fixed.mac.c_str(), kInitialPassword, &moved), 0) << code();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 3000ms);
    EXPECT_LT(took, 6500ms);
    EXPECT_EQ(current(fixed.serialNo).ipv4Address, "127.88.1.1");
}

TEST(DeviceTable, MadeUpDevicesFillOnlyTheirShareAndCertifiedOnesStillGetIn) {
    testutil::usePort(7);
    ::setenv("VEXA_TRUSTED_KEYS", crypto::publicKeyToText(crypto::testManufacturerKeyPair().publicKey).c_str(), 1);
    ::setenv("VEXA_SIM_CHEAP_HASH", "1", 1);
    Events events;
    vexa::EngineConfig config;
    std::string error;
    ASSERT_TRUE(vexa::engineConfigFromEnvironment(config, error)) << error;
    config.maxDevices = 30;
    config.maxUnverified = 10;
    const crypto::PublicKey trusted = crypto::testManufacturerKeyPair().publicKey;
    config.verifyCertificate = [trusted](const proto::DeviceRecord& r) {
        const auto mac = crypto::parseMac(r.mac);
        if (!mac || r.publicKey.size() != 32 || r.certificate.size() != 64)
            return false;
        crypto::DeviceIdentity identity{r.serialNo, *mac, {}};
        std::copy(r.publicKey.begin(), r.publicKey.end(), identity.devicePublicKey.begin());
        crypto::Signature signature{};
        std::copy(r.certificate.begin(), r.certificate.end(), signature.begin());
        return crypto::verifyCertificate(identity, signature, {trusted});
    };
    vexa::Engine engine(&Events::callback, &events, config);
    ASSERT_TRUE(engine.start(error)) << error;
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    proto::DeviceRecord fake = devsim::generateFleet(1, 99)[0].record;
    for (int i = 0; i < 40; ++i) {
        fake.serialNo = "FAKE" + std::to_string(i);
        char mac[18];
        std::snprintf(mac, sizeof mac, "02-aa-00-00-00-%02x", i);
        fake.mac = mac;
        sniffer.inject(proto::encodeAnnounce(fake, {}));
    }
    ASSERT_TRUE(waitFor([&] { return engine.stats().tableFull >= 30; }, 5s)) << engine.stats().tableFull;
    EXPECT_EQ(events.count(VEXA_EVENT_NEW), 10u);

    TempDir dir;
    Process sim;
    ASSERT_TRUE(sim.startDevsim({"--count", "12", "--seed", "5", "--dump", dir.file("dump.txt")}));
    ASSERT_TRUE(events.waitCount(VEXA_EVENT_NEW, 22, 20s)) << events.count(VEXA_EVENT_NEW);
    size_t certified = 0;
    for (const auto& e : events.of(VEXA_EVENT_NEW))
        certified += e.certified;
    EXPECT_EQ(certified, 12u);
    engine.stop();
}

TEST(Environment, HugeGoneTimeoutIsBoundedAndAKeyListWithoutValidKeysIsReported) {
    testutil::usePort(8);
    ::setenv("VEXA_GONE_TIMEOUT_MS", "9223372036854775807", 1);
    ::setenv("VEXA_TRUSTED_KEYS", "not-a-key, 1234", 1);
    vexa::EngineConfig config;
    std::string error;
    ASSERT_TRUE(vexa::engineConfigFromEnvironment(config, error));
    EXPECT_EQ(config.goneTimeout, std::chrono::milliseconds(vexa::kMaxGoneTimeoutMs));
    Events events;
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
    VEXA_STATISTICS s = statistics();
    EXPECT_EQ(s.trustedKeys, 0u);
    EXPECT_EQ(s.rejectedKeys, 2u);
    // The sweep runs with the bounded timeout and forgets nobody.
    std::this_thread::sleep_for(1200ms);
    EXPECT_NE(VEXA_Stop(), 0);
    ::unsetenv("VEXA_GONE_TIMEOUT_MS");
    ::unsetenv("VEXA_TRUSTED_KEYS");
}
