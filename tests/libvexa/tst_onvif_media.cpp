// Media reads of ONVIF devices against the simulator: which media service, the profiles, and the stream and
// snapshot addresses at the host we reach the device at, each address standing alone.

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "Events.h"
#include "vexa.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kPassword = "Camera-2024";

struct MediaCase {
    const char* name;
    const char* quirks;
    uint32_t code;         // of VEXA_GetOnvifMedia
    int version;           // media service read
    bool rewritten;        // stream and snapshot hosts rewritten, the originals kept
    bool stream;           // stream addresses read
    uint32_t snapshotCode; // of VEXA_GetOnvifSnapshot with a buffer of 8 MiB
    std::string note;      // found in the note (or the error detail)
    std::string why;       // found in the snapshot's error detail
    friend void PrintTo(const MediaCase& c, std::ostream* os) { *os << c.name; }
};

class OnvifMedia : public ::testing::TestWithParam<MediaCase> {
protected:
    void TearDown() override { VEXA_Stop(); }
    Events events_;
};

TEST_P(OnvifMedia, ReadsWhatTheDeviceGives) {
    const MediaCase& c = GetParam();
    static int block = 10;
    const std::string base = "127.136." + std::to_string(block++) + ".";
    testutil::TempDir dir;
    testutil::Process sim;
    const char* wsd = std::getenv("VEXA_WSD_PORT");
    std::vector<std::string> args{"--count",        "0",          "--onvif",          "2",       "--onvif-base",
                                  base + "1",       "--wsd-port", wsd ? wsd : "3702", "--state", dir.file("state.json"),
                                  "--onvif-quirks", c.quirks};
    ASSERT_TRUE(sim.startDevsim(args));
    ASSERT_EQ(VEXA_Start_V40(&Events::callback, 1, &events_), 1);
    ASSERT_TRUE(VEXA_SetOnvifCredentials("admin", kPassword));
    ASSERT_TRUE(testutil::waitFor(
        [&] {
            int read = 0;
            for (const VEXA_DEVICE_INFO& e : events_.all())
                read += e.protocol == VEXA_PROTOCOL_ONVIF && e.detailsState == VEXA_DETAILS_READ;
            return read >= 2;
        },
        20s));

    VEXA_MEDIA_INFO info{};
    VEXA_MEDIA_PROFILE profiles[4]{};
    const std::string device = base + "1";
    const int ok = VEXA_GetOnvifMedia(device.c_str(), &info, profiles, 4);
    char detail[512];
    VEXA_GetLastErrorDetail(detail, sizeof detail);
    ASSERT_EQ(VEXA_GetLastError(), c.code) << detail;
    if (c.code != 0) {
        EXPECT_EQ(ok, 0);
        EXPECT_NE(std::string(detail).find(c.note), std::string::npos) << detail;
        return;
    }
    EXPECT_EQ(info.mediaVersion, c.version);
    EXPECT_TRUE(info.clockKnown);
    ASSERT_EQ(info.profileCount, 2u);
    EXPECT_EQ(text(profiles[0].name), "MainStream");
    EXPECT_EQ(text(profiles[0].encoding), "H264");
    EXPECT_EQ(profiles[0].width, 1920u);
    EXPECT_EQ(profiles[0].height, 1080u);
    EXPECT_EQ(profiles[0].frameRate, 25u);
    EXPECT_EQ(profiles[1].frameRate, 10u);
    EXPECT_NE(text(info.note).find(c.note), std::string::npos) << text(info.note);
    EXPECT_EQ(c.note.empty(), text(info.note).empty()) << text(info.note);
    for (const VEXA_MEDIA_PROFILE& p : {profiles[0], profiles[1]}) {
        const std::string stream = text(p.streamUri);
        EXPECT_EQ(stream.empty(), !c.stream) << stream;
        if (c.stream) {
            EXPECT_EQ(stream.rfind("rtsp://" + device + ":554/stream", 0), 0u) << stream;
            EXPECT_EQ(text(p.streamUriOriginal).empty(), !c.rewritten) << text(p.streamUriOriginal);
            if (c.rewritten) {
                EXPECT_EQ(text(p.streamUriOriginal).rfind("rtsp://192.168.", 0), 0u) << text(p.streamUriOriginal);
            }
        }
        const std::string snapshot = text(p.snapshotUri);
        EXPECT_EQ(snapshot.empty(), c.snapshotCode == VEXA_ERR_NOT_SUPPORTED) << snapshot;
        if (!snapshot.empty()) {
            EXPECT_EQ(snapshot.rfind("http://" + device + ":8080/", 0), 0u) << snapshot;
        }
        EXPECT_EQ(text(p.snapshotUriOriginal).empty(), snapshot.empty() || !c.rewritten);
    }

    std::vector<char> picture(8 * 1024 * 1024);
    uint32_t written = 0;
    VEXA_GetOnvifSnapshot(device.c_str(), nullptr, picture.data(), static_cast<uint32_t>(picture.size()), &written);
    VEXA_GetLastErrorDetail(detail, sizeof detail);
    ASSERT_EQ(VEXA_GetLastError(), c.snapshotCode) << detail;
    EXPECT_NE(std::string(detail).find(c.why), std::string::npos) << detail;
    if (c.snapshotCode != 0)
        return;
    ASSERT_GT(written, 100u);
    EXPECT_EQ(std::memcmp(picture.data(), "\xFF\xD8\xFF", 3), 0); // a JPEG
    // Another device shows another picture.
    std::vector<char> other(picture.size());
    uint32_t otherWritten = 0;
    ASSERT_TRUE(VEXA_GetOnvifSnapshot((base + "2").c_str(), "profile_2", other.data(),
                                      static_cast<uint32_t>(other.size()), &otherWritten));
    EXPECT_FALSE(otherWritten == written && std::memcmp(picture.data(), other.data(), written) == 0);
    // A buffer too small says how much is needed.
    uint32_t needed = 0;
    EXPECT_FALSE(VEXA_GetOnvifSnapshot(device.c_str(), nullptr, picture.data(), 16, &needed));
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BUFFER_TOO_SMALL));
    EXPECT_EQ(needed, written);
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, OnvifMedia,
    ::testing::Values(
        MediaCase{"media2", "", 0, 2, false, true, 0, "", ""},
        MediaCase{"media1Only", "media1-only", 0, 1, false, true, 0, "", ""},
        MediaCase{"olderDeviceByCapabilities", "fault=GetServices", 0, 1, false, true, 0, "GetServices: not supported",
                  ""},
        MediaCase{"internalAddressRewritten", "internal-uri", 0, 2, true, true, 0, "", ""},
        MediaCase{"noSnapshotAddress", "no-snapshot", 0, 2, false, true, VEXA_ERR_NOT_SUPPORTED,
                  "GetSnapshotUri: not supported", "GetSnapshotUri: not supported"},
        MediaCase{"failedStreamRead", "fault=GetStreamUri", 0, 2, false, false, 0, "GetStreamUri: not supported", ""},
        MediaCase{"failedProfiles", "fault=GetProfiles", VEXA_ERR_NOT_SUPPORTED, 0, false, false, 0, "GetProfiles", ""},
        MediaCase{"snapshotOverCap", "big-snapshot", 0, 2, false, true, VEXA_ERR_BAD_ANSWER, "",
                  "larger than 4096 KiB"}),
    testutil::CaseName());

// One of our own devices has no media service we read; an unknown name is unknown.
TEST(OnvifMediaNames, RefusesWhatIsNotAnOnvifDevice) {
    Events events;
    ASSERT_EQ(VEXA_Start_V40(&Events::callback, 1, &events), 1);
    VEXA_MEDIA_INFO info{};
    EXPECT_FALSE(VEXA_GetOnvifMedia("127.136.250.1", &info, nullptr, 0));
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_UNKNOWN_DEVICE));
    EXPECT_FALSE(VEXA_GetOnvifMedia("127.136.250.1", nullptr, nullptr, 0));
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    VEXA_Stop();
    EXPECT_EQ(VEXA_DeviceCapabilities(VEXA_PROTOCOL_ONVIF) & VEXA_CAN_READ_MEDIA, VEXA_CAN_READ_MEDIA);
    EXPECT_EQ(VEXA_DeviceCapabilities(VEXA_PROTOCOL_VEXA) & (VEXA_CAN_READ_MEDIA | VEXA_CAN_SNAPSHOT), 0u);
}

} // namespace
