// Attacks from a host on the link, each with a few datagrams: known answers in someone else's name, an old view
// of a moved device, a dead device played back, a change whose answer is held up, recovery raced by an
// activation, and a wrong password against a big fleet's saved state.

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/stat.h>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "Sniffer.h"
#include "proto/DeviceRecord.h"
#include "support/LinkFixture.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
namespace crypto = vexa::crypto;
namespace proto = vexa::proto;
using proto::MsgType;
using testutil::Process;
using testutil::waitFor;

namespace {

std::vector<uint8_t> knownPart(const proto::RequestId& id, uint16_t part, const std::vector<uint8_t>& macs) {
    proto::TlvWriter w;
    w.addU16(proto::TagKnownPart, part);
    w.addBytes(proto::TagKnownMacs, macs);
    return proto::encodeFrame(MsgType::Inquiry, id, w);
}

// Every announcement of a device as heard on the link, oldest first.
std::vector<std::vector<uint8_t>> announcementsOf(const Sniffer& sniffer, const std::string& serial) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& d : sniffer.ofType(MsgType::Announce)) {
        proto::Frame f;
        if (decode(d, f) && f.text(proto::TagSerial) == serial)
            out.push_back(d);
    }
    return out;
}

uint32_t versionOf(const std::vector<uint8_t>& announcement) {
    proto::Frame f;
    return decode(announcement, f) ? f.u32(proto::TagRecordVersion) : 0;
}

uint64_t bytesWritten(pid_t pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "wchar:")
            return value;
    }
    return 0;
}

class LinkAttacks : public LinkFixture {
protected:
    LinkAttacks()
        : LinkFixture(71) {}
    void SetUp() override {
        LinkFixture::SetUp();
        ::setenv("VEXA_SIM_LOCK_MS", "60000", 1);
    }
    std::vector<uint8_t> allMacs() const {
        std::vector<uint8_t> macs;
        for (const auto& d : dump()) {
            const auto mac = crypto::parseMac(d.record.mac);
            macs.insert(macs.end(), mac->begin(), mac->end());
        }
        return macs;
    }
};

} // namespace

// Known answers are unauthenticated: whoever sends them may only make devices answer less to the client that
// listed them, never silence devices for anyone.
TEST_F(LinkAttacks, ForgedKnownAnswersSilenceNoDevice) {
    struct Case {
        const char* name;
        bool underClientIds; // the attacker sees each inquiry and lists every device under its id
        bool ownInquiries;   // the attacker keeps cancelling answers to inquiries of its own
    };
    const Case cases[] = {
        {"every device listed under each of the client's inquiry ids", true, false},
        {"answers to the attacker's own inquiries cancelled again and again", false, true},
        {"both", true, true},
    };
    int port = 0;
    for (const Case& c : cases) {
        ::unsetenv("VEXA_TRUSTED_KEYS"); // plain discovery: verification plays no part here
        testutil::usePort(port++);
        Process sim;
        ASSERT_TRUE(startSim(sim, 300, {"--no-boot-announce"})) << c.name;
        const std::vector<uint8_t> macs = allMacs();
        std::mutex mutex;
        std::set<proto::RequestId> forged;
        Sniffer attacker([&](const std::vector<uint8_t>& d, Sniffer& self) {
            proto::Frame f;
            if (!c.underClientIds || !decode(d, f) || f.type != MsgType::Inquiry)
                return;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (!forged.insert(f.requestId).second)
                    return; // already answered, or one of ours
            }
            for (size_t at = 0; at < macs.size(); at += proto::kMaxKnownMacs * 6) {
                const std::vector<uint8_t> part(
                    macs.begin() + static_cast<long>(at),
                    macs.begin() + static_cast<long>(std::min(macs.size(), at + proto::kMaxKnownMacs * 6)));
                self.inject(knownPart(f.requestId, static_cast<uint16_t>(40 + at), part));
            }
        });
        ASSERT_TRUE(attacker.ok());
        std::atomic<bool> running{true};
        std::thread canceller([&] {
            while (c.ownInquiries && running) {
                proto::RequestId id{};
                crypto::randomBytes(id.data(), id.size());
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    forged.insert(id);
                }
                // A first part that lists nobody of the fleet, so the devices schedule answers; then the list.
                attacker.inject(knownPart(id, 0, {2, 0, 0, 0, 0, 9}));
                for (size_t at = 0; at < macs.size(); at += proto::kMaxKnownMacs * 6) {
                    const std::vector<uint8_t> part(
                        macs.begin() + static_cast<long>(at),
                        macs.begin() + static_cast<long>(std::min(macs.size(), at + proto::kMaxKnownMacs * 6)));
                    attacker.inject(knownPart(id, static_cast<uint16_t>(1 + at), part));
                }
                std::this_thread::sleep_for(50ms);
            }
        });
        Events events;
        ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
        const bool all = events.waitCount(VEXA_EVENT_NEW, 300, 6s);
        running = false;
        canceller.join();
        EXPECT_TRUE(all) << c.name << ": " << events.count(VEXA_EVENT_NEW) << " of 300 found";
        ASSERT_NE(VEXA_Stop(), 0);
        sim.signal(SIGKILL);
        sim.wait();
    }
}

TEST_F(LinkAttacks, AChangeBuiltOnAnOldViewIsRefusedAndMovesNothingBack) {
    testutil::usePort(3);
    Process sim;
    ASSERT_TRUE(startSim(sim, 5));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(5));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    ASSERT_TRUE(waitFor([&] { return !announcementsOf(sniffer, device.serialNo).empty(); }, 5s));
    const std::vector<uint8_t> beforeMove = announcementsOf(sniffer, device.serialNo).back();
    VEXA_NET_PARAM move = paramsFrom(latest(device.serialNo));
    std::strncpy(move.ipv4Address, "127.71.0.9", sizeof move.ipv4Address - 1);
    ASSERT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &move), 0) << code();
    ASSERT_NE(VEXA_Stop(), 0);

    // A new client (every vexa command starts empty) hears the announcement from before the move first.
    Events fresh;
    Sniffer attacker([&](const std::vector<uint8_t>& d, Sniffer& self) {
        proto::Frame f;
        if (decode(d, f) && f.type == MsgType::Inquiry)
            self.inject(beforeMove);
    });
    ASSERT_TRUE(attacker.ok());
    // The simulator is held until the replay is listed: on a busy machine its own answer could come first.
    sim.signal(SIGSTOP);
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &fresh), 0);
    VEXA_DEVICE_INFO first{};
    const bool replayListed = waitFor(
        [&] {
            for (const auto& e : fresh.of(VEXA_EVENT_NEW)) {
                if (field(e.serialNo, sizeof e.serialNo) == device.serialNo) {
                    first = e;
                    return true;
                }
            }
            return false;
        },
        5s);
    sim.signal(SIGCONT);
    ASSERT_TRUE(replayListed);
    ASSERT_TRUE(fresh.waitCount(VEXA_EVENT_NEW, 5, 5s));
    ASSERT_EQ(first.recordVersion, versionOf(beforeMove)) << "the old announcement was not heard first";
    // Played back, it proves nothing: listed, but neither confirmed nor certified until the device answers us.
    EXPECT_EQ(first.confirmed, 0);
    EXPECT_EQ(first.certified, 0);
    VEXA_NET_PARAM renamed = paramsFrom(first);
    std::strncpy(renamed.deviceName, "Renamed", sizeof renamed.deviceName - 1);
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &renamed), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_DEVICE_CHANGED));
    EXPECT_EQ(current(device.serialNo).ipv4Address, "127.71.0.9");
    // Built on the device's current record, the same change goes through and keeps the address.
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& e : fresh.of(VEXA_EVENT_CHANGED))
                if (field(e.serialNo, sizeof e.serialNo) == device.serialNo && e.recordVersion > first.recordVersion)
                    return true;
            return false;
        },
        5s));
    VEXA_DEVICE_INFO now{};
    for (const auto& e : fresh.of(VEXA_EVENT_CHANGED))
        if (field(e.serialNo, sizeof e.serialNo) == device.serialNo)
            now = e;
    renamed = paramsFrom(now);
    std::strncpy(renamed.deviceName, "Renamed", sizeof renamed.deviceName - 1);
    EXPECT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &renamed), 0) << code();
    EXPECT_EQ(current(device.serialNo).ipv4Address, "127.71.0.9");
    EXPECT_EQ(current(device.serialNo).deviceName, "Renamed");
}

// Devices that boot after the client's inquiries are heard only through their own announcements: each is asked
// once, in an inquiry that lists the others, and is certified only when its answer is signed over that inquiry.
TEST_F(LinkAttacks, ADeviceHeardOnlyUnaskedIsCertifiedOnceItAnswersUs) {
    testutil::usePort(8);
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    // The client's first round, which hears nobody, runs to its ceiling of inquiries first.
    std::this_thread::sleep_for(4s);
    Process sim;
    ASSERT_TRUE(startSim(sim, 20));
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 20, 10s));
    for (const auto& e : events_.of(VEXA_EVENT_NEW))
        EXPECT_EQ(e.certified, e.confirmed) << field(e.serialNo, sizeof e.serialNo);
    const bool allConfirmed = waitFor(
        [&] {
            std::set<std::string> confirmed;
            for (const auto& e : events_.all())
                if (e.confirmed && e.certified)
                    confirmed.insert(field(e.serialNo, sizeof e.serialNo));
            return confirmed.size() == 20;
        },
        5s);
    EXPECT_TRUE(allConfirmed);
}

TEST_F(LinkAttacks, AnnouncementsPlayedBackDoNotReviveOrRewindADevice) {
    testutil::usePort(4);
    Process sim;
    ASSERT_TRUE(startSim(sim, 3));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(3));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    ASSERT_TRUE(waitFor([&] { return !announcementsOf(sniffer, device.serialNo).empty(); }, 5s));
    const std::vector<uint8_t> older = announcementsOf(sniffer, device.serialNo).back();
    VEXA_NET_PARAM move = paramsFrom(latest(device.serialNo));
    std::strncpy(move.ipv4Address, "127.71.1.9", sizeof move.ipv4Address - 1);
    ASSERT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &move), 0) << code();
    ASSERT_TRUE(
        waitFor([&] { return versionOf(announcementsOf(sniffer, device.serialNo).back()) > versionOf(older); }, 5s));
    const std::vector<uint8_t> last = announcementsOf(sniffer, device.serialNo).back();

    // After a Refresh the library forgets the device, not the newest version it saw: the old address stays out.
    ASSERT_NE(VEXA_Clearup(), 0);
    size_t mark = events_.size();
    size_t refused = statistics().rejected;
    sniffer.inject(older);
    ASSERT_TRUE(waitFor([&] { return statistics().rejected > refused; }, 5s));
    ASSERT_NE(VEXA_SendInquiry(), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 3, 5s, mark));
    for (const auto& e : events_.of(VEXA_EVENT_NEW, mark)) {
        if (field(e.serialNo, sizeof e.serialNo) == device.serialNo) {
            EXPECT_EQ(field(e.ipv4Address, sizeof e.ipv4Address), "127.71.1.9");
        }
    }

    // After the device's bye, neither its last announcement nor an older one brings it back.
    mark = events_.size();
    sim.signal(SIGTERM);
    ASSERT_EQ(sim.wait(), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_GONE, 3, 5s, mark));
    mark = events_.size();
    refused = statistics().rejected;
    sniffer.inject(last);
    sniffer.inject(older);
    ASSERT_TRUE(waitFor([&] { return statistics().rejected >= refused + 2; }, 5s)) << statistics().rejected;
    EXPECT_EQ(events_.count(VEXA_EVENT_NEW, mark), 0u);
}

TEST_F(LinkAttacks, AChangeWhoseAnswerIsHeldUpIsReportedAsUnknownNeverAsNotDone) {
    testutil::usePort(5);
    Process sim;
    // The device's datagrams take a second and it applies for six: its answer arrives long after every deadline.
    ASSERT_TRUE(startSim(sim, 5, {"--delay", "1000", "--apply-delay", "6000"}));
    ASSERT_TRUE(startLibrary(5));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    VEXA_NET_PARAM params = paramsFrom(latest(device.serialNo));
    std::strncpy(params.deviceName, "Held Up", sizeof params.deviceName - 1);
    EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), kInitialPassword, &params), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_OUTCOME_UNKNOWN));
    // And indeed the device took it.
    EXPECT_TRUE(waitFor([&] { return current(device.serialNo).deviceName == "Held Up"; }, 10s));
}

TEST_F(LinkAttacks, RecoveryByCodeNeverShowsTheDeviceUnactivated) {
    testutil::usePort(6);
    Process sim;
    ASSERT_TRUE(startSim(sim, 5));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(5));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    VEXA_NET_PARAM params = paramsFrom(latest(device.serialNo));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Attacker-Guess1", &params), 0);
    const size_t heardBefore = announcementsOf(sniffer, device.serialNo).size();
    ASSERT_NE(VEXA_ResetDefaultPasswd(device.serialNo.c_str(), securityCode(device.serialNo).c_str(), "Owner-Pass7"), 0)
        << code();
    EXPECT_EQ(VEXA_ActivateDevice(device.serialNo.c_str(), "Attacker-Pass1"), 0);
    EXPECT_EQ(code(), static_cast<uint32_t>(VEXA_ERR_ALREADY_ACTIVATED));
    std::this_thread::sleep_for(300ms);
    const auto heard = announcementsOf(sniffer, device.serialNo);
    for (size_t i = heardBefore; i < heard.size(); ++i) {
        proto::Frame f;
        ASSERT_TRUE(decode(heard[i], f));
        EXPECT_EQ(f.u8(proto::TagActivation), 0) << "the device announced itself open to activation";
    }
    EXPECT_NE(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Owner-Pass7", &params), 0) << code();
}

TEST_F(LinkAttacks, AWrongPasswordSavesOneDeviceNotTheFleet) {
    Process sim;
    ASSERT_TRUE(startFleet(7, sim, 3000));
    const auto device = pick([](const auto& r) { return r.activationState == 0; });
    struct stat before {};
    ASSERT_EQ(::stat(dir_.file("state.txt").c_str(), &before), 0);
    const uint64_t writtenBefore = bytesWritten(sim.pid());
    VEXA_NET_PARAM params = paramsFrom(latest(device.serialNo));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(VEXA_ModifyDeviceNetParam(device.mac.c_str(), "Wrong-Pass9", &params), 0);
    const uint64_t written = bytesWritten(sim.pid()) - writtenBefore;
    // The fleet's state is more than a megabyte; three failures write three lines.
    EXPECT_GT(before.st_size, 1 << 20);
    EXPECT_LT(written, 3u * 16 * 1024) << "bytes written for three wrong passwords";
    struct stat after {};
    ASSERT_EQ(::stat(dir_.file("state.txt").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    // Saved all the same, durably, where a restart reads it.
    std::string text;
    std::vector<devsim::SimDevice> saved;
    std::string error;
    ASSERT_TRUE(devsim::readFile(dir_.file("state.txt"), text));
    ASSERT_TRUE(devsim::parseFleet(text, saved, error)) << error;
    ASSERT_EQ(saved.size(), 3000u);
    for (const auto& d : saved) {
        if (d.record.serialNo == device.serialNo) {
            EXPECT_EQ(d.state.at("failures"), "3");
        }
    }
}
