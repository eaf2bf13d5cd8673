// Verification off the socket reader: a device's events keep their order across several verifier threads, a
// forged announcement is still dropped, and a stop in the middle of a burst neither crashes nor reports later.

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <map>
#include <mutex>

#include "DevsimProcess.h"
#include "Engine.h"
#include "Fleet.h"
#include "Sniffer.h"
#include "proto/DeviceRecord.h"
#include "support/LinkFixture.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
namespace crypto = vexa::crypto;
namespace proto = vexa::proto;
using testutil::Process;
using testutil::waitFor;

namespace {

class Verifiers : public LinkFixture {
protected:
    Verifiers()
        : LinkFixture(92) {}
    void SetUp() override {
        LinkFixture::SetUp();
        ::setenv("VEXA_VERIFIERS", "3", 1);
    }
    void TearDown() override {
        LinkFixture::TearDown();
        ::unsetenv("VEXA_VERIFIERS");
    }
};

// One verifier (a two-core machine: the reader verifies beside it whenever its socket is empty) and several.
class VerifierPools : public Verifiers, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        Verifiers::SetUp();
        ::setenv("VEXA_VERIFIERS", std::to_string(GetParam()).c_str(), 1);
    }
};

} // namespace

TEST_P(VerifierPools, EventsOfOneDeviceStayInOrderAndForgeriesStayOut) {
    testutil::usePort(GetParam() == 3 ? 0 : 2);
    Process sim;
    // A hundred changes per signal: what the simulator's socket sends in one burst without dropping any.
    ASSERT_TRUE(startSim(sim, 200, {"--change-count", "100"}));
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    ASSERT_TRUE(startLibrary(200));
    VEXA_STATISTICS stats{};
    ASSERT_NE(VEXA_GetStatistics(&stats), 0);
    EXPECT_EQ(stats.verifiers, GetParam());
    // Every device changes three times in quick succession while made-up newer records of some are sent.
    const auto fleet = dump();
    for (int round = 0; round < 6; ++round) {
        sim.signal(SIGUSR1);
        for (size_t i = 0; i < fleet.size(); i += 10) {
            proto::DeviceRecord forged = fleet[i].record;
            forged.ipv4Address = "127.92.6.6";
            forged.version += 100000;
            sniffer.inject(proto::encodeAnnounce(forged, {}));
        }
        std::this_thread::sleep_for(150ms); // signals sent closer together may arrive as one
    }
    // The simulator saves its list before it announces a change: what it says after a pause is final.
    std::this_thread::sleep_for(500ms);
    const auto last = dump();
    std::map<std::string, uint32_t> finalVersion;
    for (const auto& d : last)
        finalVersion[d.record.serialNo] = d.record.version;
    ASSERT_TRUE(waitFor(
        [&] {
            std::map<std::string, uint32_t> seen;
            for (const auto& e : events_.of(VEXA_EVENT_CHANGED))
                seen[field(e.serialNo, sizeof e.serialNo)] = e.recordVersion;
            for (const auto& [serial, version] : finalVersion) {
                if (seen[serial] != version)
                    return false;
            }
            return true;
        },
        10s));
    // Per device: one NEW first, then versions that never go back; no forged address, ever.
    std::map<std::string, uint32_t> versions;
    std::map<std::string, int> news;
    const std::vector<VEXA_DEVICE_INFO> all = events_.of(VEXA_EVENT_NEW);
    for (const auto& e : all)
        ++news[field(e.serialNo, sizeof e.serialNo)];
    for (const auto& [serial, n] : news)
        EXPECT_EQ(n, 1) << serial;
    EXPECT_EQ(news.size(), 200u);
    for (const auto& e : events_.of(VEXA_EVENT_CHANGED)) {
        const std::string serial = field(e.serialNo, sizeof e.serialNo);
        EXPECT_GE(e.recordVersion, versions[serial]) << serial << " went back to an older record";
        versions[serial] = e.recordVersion;
        EXPECT_NE(field(e.ipv4Address, sizeof e.ipv4Address), "127.92.6.6") << serial;
        EXPECT_EQ(e.certified, 1) << serial;
    }
}

INSTANTIATE_TEST_SUITE_P(OneAndSeveral, VerifierPools, ::testing::Values(1u, 3u));

TEST_F(Verifiers, StopDuringABurstReportsNothingAfterwards) {
    testutil::usePort(1);
    Process sim;
    ASSERT_TRUE(startSim(sim, 3000));
    for (int attempt = 0; attempt < 5; ++attempt) {
        Events events;
        ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
        // The round's answers are arriving and the verifiers are busy with them.
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 60 * attempt));
        ASSERT_NE(VEXA_Stop(), 0);
        const size_t atStop = events.size();
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(events.size(), atStop) << "reported after VEXA_Stop returned";
    }
}

TEST(ReaderBacklog, WhatOneReadLeavesInTheSocketIsReadWithoutNewTraffic) {
    // The reader reads at most 4,096 datagrams before it goes back to the reactor. A backlog of more than two
    // such reads that built up while the reader was held, with nothing arriving after it, is still read to the
    // end, not left for the next inquiry's answers to wake it.
    testutil::usePort(3);
    ::unsetenv("VEXA_TRUSTED_KEYS");
    vexa::EngineConfig config;
    std::string error;
    ASSERT_TRUE(vexa::engineConfigFromEnvironment(config, error)) << error;
    config.inquiryGap = std::chrono::minutes(1); // one inquiry, then silence
    config.maxSteps = 1;
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        std::atomic<bool> holding{false};
        std::atomic<size_t> reported{0};
    } gate;
    // The first report holds the reader until the backlog is in its socket.
    const VEXA_DEVICE_CALLBACK hold = [](const VEXA_DEVICE_INFO* info, void* user) {
        auto* g = static_cast<Gate*>(user);
        if (info->eventType != VEXA_EVENT_NEW)
            return;
        g->holding = true;
        std::unique_lock<std::mutex> lock(g->mutex);
        g->opened.wait(lock, [g] { return g->open; });
        ++g->reported;
    };
    constexpr size_t kBacklog = 9000;
    const auto fleet = devsim::generateFleet(static_cast<uint32_t>(kBacklog + 1), 93);
    vexa::Engine engine(hold, &gate, config);
    ASSERT_TRUE(engine.start(error)) << error;
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    sniffer.inject(proto::encodeAnnounce(fleet[0].record, {}));
    ASSERT_TRUE(waitFor([&] { return gate.holding.load(); }, 5s));
    for (size_t i = 1; i <= kBacklog; ++i)
        sniffer.inject(proto::encodeAnnounce(fleet[i].record, {}));
    std::this_thread::sleep_for(300ms); // delivered to the reader's socket by now
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.open = true;
    }
    gate.opened.notify_all();
    EXPECT_TRUE(waitFor([&] { return gate.reported.load() == kBacklog + 1; }, 10s))
        << gate.reported.load() << " of " << kBacklog + 1 << " reported";
    engine.stop();
}

TEST_F(Verifiers, WithoutATrustedKeyTheReaderListsDevicesItself) {
    testutil::usePort(4);
    ::unsetenv("VEXA_TRUSTED_KEYS");
    Process sim;
    ASSERT_TRUE(startSim(sim, 300));
    ASSERT_TRUE(startLibrary(300));
    VEXA_STATISTICS stats{};
    ASSERT_NE(VEXA_GetStatistics(&stats), 0);
    EXPECT_EQ(stats.trustedKeys, 0u);
    EXPECT_EQ(stats.verifiers, 0u);
    EXPECT_EQ(stats.verifyQueueHighWater, 0u) << "announcements went through the verifiers' queue";
    for (const auto& e : events_.of(VEXA_EVENT_NEW))
        EXPECT_EQ(e.certified, 0) << field(e.serialNo, sizeof e.serialNo);
}
