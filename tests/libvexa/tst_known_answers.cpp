// Known-answer inquiries and adaptive rounds against the simulator on loopback: listed devices stay quiet, a
// list split over several datagrams is honoured, rounds end when nothing new comes (and go on while it does),
// a client that sends no lists still hears everyone, and a round that hears nobody keeps asking.

#include <gtest/gtest.h>
#include <set>

#include "DevsimProcess.h"
#include "Events.h"
#include "Fleet.h"
#include "Sniffer.h"
#include "support/LinkHelpers.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
namespace proto = vexa::proto;
using proto::MsgType;
using testutil::Process;
using testutil::TempDir;
using testutil::waitFor;

namespace {

// Serials of the devices that answered the inquiry with this id.
std::set<std::string> answered(const Sniffer& sniffer, const proto::RequestId& id) {
    std::set<std::string> out;
    for (const auto& d : sniffer.ofType(MsgType::Announce)) {
        proto::Frame f;
        if (idOf(d) == id && proto::decodeFrame(d.data(), d.size(), f) == proto::DecodeError::None)
            out.insert(f.text(proto::TagSerial));
    }
    return out;
}

std::vector<uint8_t> inquiry(const proto::RequestId& id, uint16_t part, const std::vector<uint8_t>& macs) {
    proto::TlvWriter w;
    if (!macs.empty()) {
        w.addU16(proto::TagKnownPart, part);
        w.addBytes(proto::TagKnownMacs, macs);
    }
    return proto::encodeFrame(MsgType::Inquiry, id, w);
}

proto::RequestId freshId() {
    proto::RequestId id{};
    vexa::crypto::randomBytes(id.data(), id.size());
    return id;
}

class KnownAnswers : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("VEXA_TRUSTED_KEYS");
        ASSERT_NE(VEXA_SetDeviceFilterRule(0, 0, 0), 0);
    }
    void TearDown() override { VEXA_Stop(); }

    std::vector<devsim::SimDevice> startSim(Process& sim, int count, const std::string& replyDelay) {
        std::vector<devsim::SimDevice> fleet;
        if (!sim.startDevsim({"--count", std::to_string(count), "--seed", "44", "--dump", dir_.file("dump.txt"),
                              "--no-boot-announce", "--reply-delay", replyDelay}) ||
            !waitFor([&] { return testutil::fileExists(dir_.file("dump.txt")); }, 20s))
            return fleet;
        std::string text;
        std::string error;
        devsim::readFile(dir_.file("dump.txt"), text);
        devsim::parseFleet(text, fleet, error);
        return fleet;
    }

    TempDir dir_;
};

} // namespace

TEST_F(KnownAnswers, ListedDevicesStayQuietWhateverPartListsThem) {
    testutil::usePort(0);
    Process sim;
    // Answers wait 100 ms at least: time for every part of an inquiry to arrive.
    const auto fleet = startSim(sim, 400, "100:300");
    ASSERT_EQ(fleet.size(), 400u);
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    struct Case {
        const char* name;
        std::vector<size_t> partSizes; // MACs per part, taken from the fleet in order
    };
    const Case cases[] = {
        {"one part", {150}},
        {"three parts", {192, 192, 6}},
        {"listed only in the last part", {0, 192, 192}},
    };
    for (const Case& c : cases) {
        const proto::RequestId id = freshId();
        size_t next = 0;
        for (size_t part = 0; part < c.partSizes.size(); ++part) {
            std::vector<uint8_t> macs;
            for (size_t n = 0; n < c.partSizes[part]; ++n, ++next) {
                const auto mac = vexa::crypto::parseMac(fleet[next].record.mac);
                macs.insert(macs.end(), mac->begin(), mac->end());
            }
            // A part without MACs still names its place, so that it is an inquiry part of its own.
            if (macs.empty()) {
                proto::TlvWriter w;
                w.addU16(proto::TagKnownPart, static_cast<uint16_t>(part));
                sniffer.inject(proto::encodeFrame(MsgType::Inquiry, id, w));
            } else {
                sniffer.inject(inquiry(id, static_cast<uint16_t>(part), macs));
            }
        }
        std::set<std::string> expected;
        for (size_t i = next; i < fleet.size(); ++i)
            expected.insert(fleet[i].record.serialNo);
        ASSERT_TRUE(waitFor([&] { return answered(sniffer, id).size() >= expected.size(); }, 5s)) << c.name;
        std::this_thread::sleep_for(400ms); // a listed device that answered would have done so by now
        EXPECT_EQ(answered(sniffer, id), expected) << c.name;
        std::this_thread::sleep_for(300ms); // out of the devices' answer gap before the next case
    }
}

TEST_F(KnownAnswers, AClientWithoutListsStillHearsEveryone) {
    testutil::usePort(1);
    Process sim;
    const auto fleet = startSim(sim, 300, "20:500");
    ASSERT_EQ(fleet.size(), 300u);
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    // The fixed schedule of a client from before known answers: four plain inquiries.
    std::vector<proto::RequestId> ids;
    const auto start = std::chrono::steady_clock::now();
    for (auto at : {0ms, 250ms, 750ms, 1750ms}) {
        std::this_thread::sleep_until(start + at);
        ids.push_back(freshId());
        sniffer.inject(inquiry(ids.back(), 0, {}));
    }
    std::set<std::string> all;
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& id : ids) {
                const auto some = answered(sniffer, id);
                all.insert(some.begin(), some.end());
            }
            return all.size() == fleet.size();
        },
        5s))
        << all.size();
}

TEST_F(KnownAnswers, RoundsEndWhenNothingNewComesAndGoOnWhileItDoes) {
    struct Case {
        const char* name;
        int devices;
        const char* replyDelay;
        size_t minInquiries;
        size_t maxInquiries;
        std::chrono::milliseconds roundOver; // after the last device: the round has ended by then
    };
    // Nobody there: the round asks up to the ceiling of twelve (its first inquiries may all have been lost).
    // Quick answers: one or two inquiries more. Answers spread over two seconds: the round goes on while they
    // come, up to the ceiling.
    const Case cases[] = {
        {"no devices", 0, "20:100", 12, 12, 4300ms},
        {"quick answers", 60, "20:100", 2, 4, 1500ms},
        {"answers over two seconds", 60, "0:2000", 7, 12, 2500ms},
    };
    int port = 2;
    for (const Case& c : cases) {
        testutil::usePort(port++);
        Process sim;
        if (c.devices > 0) {
            ASSERT_EQ(startSim(sim, c.devices, c.replyDelay).size(), static_cast<size_t>(c.devices));
        }
        Sniffer sniffer;
        ASSERT_TRUE(sniffer.ok());
        Events events;
        ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
        ASSERT_TRUE(events.waitCount(VEXA_EVENT_NEW, static_cast<size_t>(c.devices), 10s)) << c.name;
        std::this_thread::sleep_for(c.roundOver);
        std::set<proto::RequestId> ids;
        for (const auto& d : sniffer.ofType(MsgType::Inquiry))
            ids.insert(idOf(d));
        EXPECT_GE(ids.size(), c.minInquiries) << c.name;
        EXPECT_LE(ids.size(), c.maxInquiries) << c.name;
        // And then the round is over: no inquiry in the next second.
        const size_t before = sniffer.ofType(MsgType::Inquiry).size();
        std::this_thread::sleep_for(1000ms);
        EXPECT_EQ(sniffer.ofType(MsgType::Inquiry).size(), before) << c.name;
        ASSERT_NE(VEXA_Stop(), 0);
        sim.signal(SIGKILL);
    }
}

TEST_F(KnownAnswers, AFleetThatMissedTheFirstInquiriesIsStillFound) {
    // On a lossy link every inquiry of a round's start may be lost. Here the fleet only starts once the client
    // has sent two inquiries and heard nobody: the round must not end empty there, or nothing is found until
    // Refresh.
    testutil::usePort(5);
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    Events events;
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
    ASSERT_TRUE(waitFor(
        [&] {
            std::set<proto::RequestId> ids;
            for (const auto& d : sniffer.ofType(MsgType::Inquiry))
                ids.insert(idOf(d));
            return ids.size() >= 2;
        },
        5s));
    std::this_thread::sleep_for(400ms); // two quiet inquiries and their wait: where an empty round used to end
    Process sim;
    ASSERT_EQ(startSim(sim, 20, "20:100").size(), 20u);
    EXPECT_TRUE(events.waitCount(VEXA_EVENT_NEW, 20, 5s)) << events.count(VEXA_EVENT_NEW) << " of 20 found";
    ASSERT_NE(VEXA_Stop(), 0);
    sim.signal(SIGKILL);
}
