// Discovery against the simulator on loopback, through the public C API only.

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "DevsimProcess.h"
#include "Events.h"
#include "Fleet.h"
#include "proto/Transport.h"
#include "support/LinkHelpers.h"
#include "vexa.h"

using namespace std::chrono_literals;
using testutil::Process;
using testutil::TempDir;
using testutil::waitFor;

namespace {

void setBodyLength(std::vector<uint8_t>& frame) {
    const size_t body = frame.size() - vexa::proto::kHeaderSize;
    frame[24] = static_cast<uint8_t>(body >> 8);
    frame[25] = static_cast<uint8_t>(body);
}

std::vector<devsim::SimDevice> readDump(const std::string& path) {
    std::string text;
    std::vector<devsim::SimDevice> fleet;
    std::string error;
    EXPECT_TRUE(devsim::readFile(path, text));
    EXPECT_TRUE(devsim::parseFleet(text, fleet, error)) << error;
    return fleet;
}

// Every field of the library record against what the simulator plays.
void expectSame(const VEXA_DEVICE_INFO& info, const vexa::proto::DeviceRecord& r) {
    EXPECT_EQ(field(info.recordTag, sizeof info.recordTag), "VXDP1");
    EXPECT_EQ(field(info.serialNo, sizeof info.serialNo), r.serialNo);
    EXPECT_EQ(field(info.mac, sizeof info.mac), r.mac);
    EXPECT_EQ(field(info.ipv4Address, 16), r.ipv4Address);
    EXPECT_EQ(field(info.ipv4SubnetMask, 16), r.ipv4SubnetMask);
    EXPECT_EQ(field(info.ipv4Gateway, 16), r.ipv4Gateway);
    EXPECT_EQ(static_cast<uint32_t>(info.deviceTypeCode), r.deviceTypeCode);
    EXPECT_EQ(static_cast<uint32_t>(info.port), r.port);
    EXPECT_EQ(static_cast<uint32_t>(info.channelCount), r.channelCount);
    EXPECT_EQ(static_cast<uint32_t>(info.auxCount), r.auxCount);
    EXPECT_EQ(field(info.softwareVersion, 48), r.softwareVersion);
    EXPECT_EQ(field(info.dspVersion, 48), r.dspVersion);
    EXPECT_EQ(field(info.bootTime, 48), r.bootTime);
    EXPECT_EQ(field(info.deviceTypeName, 24), r.deviceTypeName);
    EXPECT_EQ(field(info.oemInfo, 24), r.oemInfo);
    EXPECT_EQ(field(info.ipv6Address, 46), r.ipv6Address);
    EXPECT_EQ(field(info.ipv6Gateway, 46), r.ipv6Gateway);
    EXPECT_EQ(info.ipv6PrefixLength, r.ipv6PrefixLength);
    EXPECT_EQ(info.supportFlags, r.supportFlags);
    EXPECT_EQ(info.dhcpEnabled, r.dhcpEnabled);
    EXPECT_EQ(info.capabilityLevel, r.capabilityLevel);
    EXPECT_EQ(info.httpPort, r.httpPort);
    EXPECT_EQ(info.deviceClass, r.deviceClass);
    EXPECT_EQ(info.oemCode, r.oemCode);
    EXPECT_EQ(info.activationState, r.activationState);
    EXPECT_EQ(info.resetFlags, r.resetFlags);
    EXPECT_EQ(field(info.deviceName, 32), r.deviceName);
    EXPECT_EQ(field(info.serviceTag, 20), r.serviceTag);
    EXPECT_EQ(info.rtspPort, r.rtspPort);
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(VEXA_SetDeviceFilterRule(0, 0, 0), 0);
        ::unsetenv("VEXA_GONE_TIMEOUT_MS");
        ::unsetenv("VEXA_SIM_ANNOUNCE_MS");
    }
    void TearDown() override { VEXA_Stop(); }

    // Starts a simulator and waits until it is on the air (it writes its dump when ready).
    bool startFleet(Process& process, const std::vector<std::string>& extra, const std::string& dump) {
        std::vector<std::string> args{"--dump", dump};
        args.insert(args.end(), extra.begin(), extra.end());
        return process.startDevsim(args) && waitFor([&] { return testutil::fileExists(dump); }, 20s);
    }

    TempDir dir_;
    Events events_;
};

} // namespace

TEST_F(Discovery, ThousandDevicesNewOnceThenAgainAfterClearupThenGoneOnTerm) {
    testutil::usePort(0);
    Process sim;
    ASSERT_TRUE(startFleet(sim, {"--count", "1000", "--seed", "7"}, dir_.file("fleet.txt")));
    const auto fleet = readDump(dir_.file("fleet.txt"));
    ASSERT_EQ(fleet.size(), 1000u);
    std::map<std::string, const vexa::proto::DeviceRecord*> bySerial;
    for (const auto& device : fleet)
        bySerial[device.record.serialNo] = &device.record;

    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 1000, 30s)) << events_.count(VEXA_EVENT_NEW);
    // Let the inquiry round and the boot announcements finish: none of them may report a device again.
    std::this_thread::sleep_for(2500ms);
    const auto found = events_.of(VEXA_EVENT_NEW);
    EXPECT_EQ(found.size(), 1000u);
    EXPECT_EQ(events_.count(VEXA_EVENT_CHANGED), 0u);
    std::set<std::string> seen;
    for (const VEXA_DEVICE_INFO& info : found) {
        const std::string serial = field(info.serialNo, sizeof info.serialNo);
        EXPECT_TRUE(seen.insert(serial).second) << "reported twice: " << serial;
        auto it = bySerial.find(serial);
        ASSERT_NE(it, bySerial.end()) << serial;
        expectSame(info, *it->second);
    }

    const size_t mark = events_.size();
    ASSERT_NE(VEXA_Clearup(), 0);
    ASSERT_NE(VEXA_SendInquiry(), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 1000, 30s, mark)) << events_.count(VEXA_EVENT_NEW, mark);
    std::set<std::string> again;
    for (const VEXA_DEVICE_INFO& info : events_.of(VEXA_EVENT_NEW, mark))
        again.insert(field(info.serialNo, sizeof info.serialNo));
    EXPECT_EQ(again.size(), 1000u);

    const size_t beforeTerm = events_.size();
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_GONE, 1000, 20s, beforeTerm)) << events_.count(VEXA_EVENT_GONE);
    std::set<std::string> gone;
    for (const VEXA_DEVICE_INFO& info : events_.of(VEXA_EVENT_GONE, beforeTerm))
        gone.insert(field(info.serialNo, sizeof info.serialNo));
    EXPECT_EQ(gone, again);
}

TEST_F(Discovery, ChangedDeviceIsReportedAsChangedWithItsNewFields) {
    testutil::usePort(1);
    Process sim;
    ASSERT_TRUE(startFleet(sim, {"--count", "6", "--seed", "3", "--change-count", "2"}, dir_.file("fleet.txt")));
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 6, 20s));
    const auto before = readDump(dir_.file("fleet.txt"));
    sim.signal(SIGUSR1);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_CHANGED, 2, 20s));
    const auto after = readDump(dir_.file("fleet.txt"));
    std::set<std::string> changedInDump;
    for (size_t i = 0; i < after.size(); ++i) {
        if (!(after[i].record == before[i].record))
            changedInDump.insert(after[i].record.serialNo);
    }
    EXPECT_EQ(changedInDump.size(), 2u);
    for (const VEXA_DEVICE_INFO& info : events_.of(VEXA_EVENT_CHANGED)) {
        const std::string serial = field(info.serialNo, sizeof info.serialNo);
        EXPECT_EQ(changedInDump.count(serial), 1u) << serial;
        for (const auto& device : after) {
            if (device.record.serialNo == serial)
                expectSame(info, device.record);
        }
    }
    EXPECT_EQ(events_.count(VEXA_EVENT_NEW), 6u);
}

TEST_F(Discovery, SilentDevicesGoAfterTheTimeoutWhileAnnouncingOnesStay) {
    testutil::usePort(2);
    ::setenv("VEXA_GONE_TIMEOUT_MS", "1500", 1);
    ::setenv("VEXA_SIM_ANNOUNCE_MS", "250", 1);
    Process talking;
    Process silent;
    ASSERT_TRUE(startFleet(talking, {"--count", "3", "--seed", "11"}, dir_.file("a.txt")));
    ASSERT_TRUE(startFleet(silent, {"--count", "3", "--seed", "12"}, dir_.file("b.txt")));
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 6, 20s));
    std::this_thread::sleep_for(2000ms); // longer than the timeout: nobody that announces may go
    EXPECT_EQ(events_.count(VEXA_EVENT_GONE), 0u);

    silent.signal(SIGSTOP);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_GONE, 3, 20s));
    std::this_thread::sleep_for(1000ms);
    const auto gone = events_.of(VEXA_EVENT_GONE);
    EXPECT_EQ(gone.size(), 3u);
    std::set<std::string> silentSerials;
    for (const auto& device : readDump(dir_.file("b.txt")))
        silentSerials.insert(device.record.serialNo);
    for (const VEXA_DEVICE_INFO& info : gone)
        EXPECT_EQ(silentSerials.count(field(info.serialNo, sizeof info.serialNo)), 1u);
}

TEST_F(Discovery, FilterRuleReportsVideoDevicesOnly) {
    testutil::usePort(3);
    Process sim;
    ASSERT_TRUE(startFleet(sim, {"--count", "150", "--seed", "5"}, dir_.file("fleet.txt")));
    size_t video = 0;
    for (const auto& device : readDump(dir_.file("fleet.txt")))
        video += device.record.deviceClass == VEXA_CLASS_VIDEO ? 1 : 0;
    ASSERT_LT(video, 150u) << "the mix must hold devices of the other class";
    ASSERT_NE(VEXA_SetDeviceFilterRule(1, 0, 0), 0);
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, video, 20s));
    std::this_thread::sleep_for(2500ms); // boot announcements of the other class arrive too
    EXPECT_EQ(events_.count(VEXA_EVENT_NEW), video);
    for (const VEXA_DEVICE_INFO& info : events_.of(VEXA_EVENT_NEW))
        EXPECT_EQ(info.deviceClass, VEXA_CLASS_VIDEO);
}

TEST_F(Discovery, StartTwiceKeepsTheFirstAndStopStartAgainWorks) {
    testutil::usePort(4);
    Process sim;
    ASSERT_TRUE(startFleet(sim, {"--count", "4", "--seed", "9"}, dir_.file("fleet.txt")));
    Events second;
    for (int cycle = 0; cycle < 3; ++cycle) {
        Events events;
        ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0) << cycle;
        EXPECT_EQ(VEXA_Start_V40(&Events::callback, 1, &second), 0);
        EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
        ASSERT_TRUE(events.waitCount(VEXA_EVENT_NEW, 4, 20s)) << cycle;
        ASSERT_NE(VEXA_Stop(), 0);
        const size_t after = events.size();
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(events.size(), after) << "a callback after VEXA_Stop returned";
    }
    EXPECT_EQ(second.size(), 0u);
    EXPECT_EQ(VEXA_Stop(), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_STARTED));
}

TEST_F(Discovery, MalformedDatagramsAreDroppedAndCounted) {
    testutil::usePort(5);
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    asio::io_context io;
    vexa::proto::Transport sender(io);
    vexa::proto::TransportConfig config;
    std::string error;
    ASSERT_TRUE(vexa::proto::transportConfigFromEnvironment(config, error)) << error;
    ASSERT_TRUE(sender.open(config, error)) << error;

    vexa::proto::DeviceRecord record = devsim::generateFleet(1, 1)[0].record;
    const std::vector<uint8_t> good = vexa::proto::encodeAnnounce(record, {});
    std::vector<std::vector<uint8_t>> bad;
    bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 10)); // truncated header
    bad.push_back(std::vector<uint8_t>(good.begin(), good.end() - 5));    // truncated TLV
    std::vector<uint8_t> overLength = good;
    overLength[24] = 0x0f; // body length past the end
    bad.push_back(overLength);
    std::vector<uint8_t> duplicate = good;
    const uint8_t dupTlv[] = {0, 1, 0, 2, 'X', 'Y'}; // a second serial number
    duplicate.insert(duplicate.end(), dupTlv, dupTlv + sizeof dupTlv);
    setBodyLength(duplicate);
    bad.push_back(duplicate);
    vexa::proto::DeviceRecord longName = record;
    longName.serialNo = "LONG";
    std::vector<uint8_t> tooLong = vexa::proto::encodeAnnounce(longName, {});
    // Widen the 4-character serial to 60 characters by hand: the writer itself refuses to.
    const std::string wide(60, 'W');
    std::vector<uint8_t> forged(tooLong.begin(), tooLong.begin() + 26);
    const uint8_t head[] = {0, 1, 0, 60};
    forged.insert(forged.end(), head, head + 4);
    forged.insert(forged.end(), wide.begin(), wide.end());
    forged.insert(forged.end(), tooLong.begin() + 26 + 8, tooLong.end());
    setBodyLength(forged);
    bad.push_back(forged);
    bad.push_back(std::vector<uint8_t>(1300, 0x56)); // oversize garbage

    for (const auto& datagram : bad) {
        sender.socket().send_to(asio::buffer(datagram),
                                asio::ip::udp::endpoint(asio::ip::make_address_v4("239.255.86.88"), config.port));
    }
    ASSERT_TRUE(sender.send(good));
    ASSERT_TRUE(events_.waitCount(VEXA_EVENT_NEW, 1, 10s));
    VEXA_STATISTICS stats{};
    ASSERT_TRUE(waitFor([&] { return VEXA_GetStatistics(&stats) && stats.dropped >= bad.size(); }, 5s));
    EXPECT_EQ(stats.dropped, bad.size());
    EXPECT_EQ(events_.size(), 1u);
    EXPECT_EQ(field(events_.of(VEXA_EVENT_NEW)[0].serialNo, 48), record.serialNo);
}

TEST_F(Discovery, LogFileInTheTemporaryFolderWhenAskedWithoutPath) {
    testutil::usePort(6);
    const std::string oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", dir_.path().c_str(), 1);
    // A link planted at the well-known name in a shared folder is not followed (it would truncate its target).
    const std::string victim = dir_.file("victim.txt");
    std::ofstream(victim) << "keep me";
    ASSERT_EQ(::symlink(victim.c_str(), dir_.file("vexa.log").c_str()), 0);
    EXPECT_EQ(VEXA_SetLogToFile(3, nullptr, 1), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_FILE));
    std::ifstream kept(victim);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), "keep me");
    ASSERT_EQ(::unlink(dir_.file("vexa.log").c_str()), 0);

    ASSERT_NE(VEXA_SetLogToFile(3, nullptr, 1), 0);
    struct stat st {};
    ASSERT_EQ(::stat(dir_.file("vexa.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the log is its owner's";
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events_), 0);
    ASSERT_NE(VEXA_Stop(), 0);
    ASSERT_NE(VEXA_SetLogToFile(0, nullptr, 0), 0);
    if (oldTmp.empty())
        ::unsetenv("TMPDIR");
    else
        ::setenv("TMPDIR", oldTmp.c_str(), 1);
    std::ifstream log(dir_.file("vexa.log"));
    ASSERT_TRUE(log.good());
    std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("started on port"), std::string::npos) << all;
    EXPECT_NE(all.find("inquiry round"), std::string::npos) << all;
}
