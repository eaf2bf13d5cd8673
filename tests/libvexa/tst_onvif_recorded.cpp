// Our client against devices we did not write: a stand-in that answers with texts recorded by other ONVIF
// clients' projects (tests/data/onvif-recorded). It reads what they answer, names what they do not, and changes
// the name only where it could read the scopes.

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "Events.h"
#include "RecordedDevice.h"
#include "vexa.h"

namespace {

using namespace std::chrono_literals;

struct RecordedCase {
    const char* name;
    const char* folder;
    uint8_t missing;
    std::string note;
    std::string serial, manufacturer, model, firmware, deviceName;
    int renamed; // 1 when a new name is taken, else the library's code for why not
    uint16_t httpPort, httpsPort, rtspPort;
    std::vector<std::string> scopesSent; // when renamed: the configurable scopes sent, the new name among them
    friend void PrintTo(const RecordedCase& c, std::ostream* os) { *os << c.name; }
};

class OnvifRecorded : public ::testing::TestWithParam<RecordedCase> {
protected:
    void TearDown() override { VEXA_Stop(); }
    // Outlives the library's start: its callbacks may still run until the stop in TearDown.
    Events events_;
};

TEST_P(OnvifRecorded, ReadsWhatItAnswersAndNamesWhatNot) {
    const RecordedCase& c = GetParam();
    static int block = 1;
    const std::string address = "127.65." + std::to_string(block++) + ".1";
    const char* source = std::getenv("VEXA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    devsim::onvif::RecordedDevice device(std::string(source) + "/tests/data/onvif-recorded/" + c.folder, address, 8080);
    std::string error;
    ASSERT_TRUE(device.start(error)) << error;
    Events& events = events_;
    ASSERT_EQ(VEXA_Start_V40(&Events::callback, 1, &events), 1);
    const char* wsd = std::getenv("VEXA_WSD_PORT");
    const std::string endpoint = std::string("urn:uuid:recorded-") + c.folder;
    ASSERT_TRUE(device.hello(endpoint, static_cast<uint16_t>(std::atoi(wsd ? wsd : "3702")), "Recorded"));

    auto latest = [&] {
        VEXA_DEVICE_INFO d{};
        for (const VEXA_DEVICE_INFO& e : events.all())
            if (text(e.endpointReference) == endpoint)
                d = e;
        return d;
    };
    ASSERT_TRUE(testutil::waitFor([&] { return latest().detailsState == VEXA_DETAILS_PARTIAL; }, 15s))
        << int(latest().detailsState);
    const VEXA_DEVICE_INFO d = latest();
    EXPECT_EQ(d.missingDetails, c.missing);
    EXPECT_EQ(text(d.serialNo), c.serial);
    EXPECT_EQ(text(d.manufacturer), c.manufacturer);
    EXPECT_EQ(text(d.deviceTypeName), c.model);
    EXPECT_EQ(text(d.softwareVersion), c.firmware);
    EXPECT_EQ(text(d.deviceName), c.deviceName);
    EXPECT_EQ(text(d.ipv4Address), address);
    EXPECT_EQ(d.httpPort, c.httpPort);
    EXPECT_EQ(d.httpsPort, c.httpsPort);
    EXPECT_EQ(d.rtspPort, c.rtspPort);
    char note[512];
    ASSERT_TRUE(VEXA_GetOnvifDetailsNote(endpoint.c_str(), note, sizeof note));
    EXPECT_EQ(std::string(note), c.note);

    // The other way round: our client changes it, sends nothing it could not read, and reads the change back
    // although the other reads still fault.
    VEXA_NET_PARAM p{};
    std::memcpy(p.ipv4Address, d.ipv4Address, sizeof d.ipv4Address);
    std::memcpy(p.ipv4SubnetMask, d.ipv4SubnetMask, sizeof d.ipv4SubnetMask);
    std::memcpy(p.ipv4Gateway, d.ipv4Gateway, sizeof d.ipv4Gateway);
    std::strncpy(p.deviceName, "Gate 7", sizeof p.deviceName);
    const int done = VEXA_ModifyDeviceNetParam(endpoint.c_str(), nullptr, &p);
    EXPECT_EQ(done == 1 ? 1 : static_cast<int>(VEXA_GetLastError()), c.renamed);
    if (c.renamed == 1) {
        EXPECT_EQ(device.scopesSet(), c.scopesSent);
        // The read-back reaches the callback through the library's own thread, after the call returned.
        EXPECT_TRUE(testutil::waitFor([&] { return text(latest().deviceName) == "Gate 7"; }, 5s))
            << text(latest().deviceName);
        EXPECT_EQ(latest().detailsState, VEXA_DETAILS_PARTIAL);
    } else {
        EXPECT_TRUE(device.scopesSet().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Onvif, OnvifRecorded,
    ::testing::Values(RecordedCase{"cameraOfAPythonClient",
                                   "python-client-camera",
                                   VEXA_READ_CLOCK | VEXA_READ_INTERFACES | VEXA_READ_GATEWAY | VEXA_READ_PROTOCOLS,
                                   "GetSystemDateAndTime: not supported; GetNetworkInterfaces: not supported; "
                                   "GetNetworkDefaultGateway: not supported; GetNetworkProtocols: not supported",
                                   "SERIAL-A-0001",
                                   "MAKER-A",
                                   "MODEL-A1",
                                   "FW-A 1.0.0",
                                   "MODEL-A1",
                                   1,
                                   0,
                                   0,
                                   0,
                                   {"onvif://www.onvif.org/name/Gate%207"}},
                      RecordedCase{"deviceOfARustClient",
                                   "rust-client-device",
                                   VEXA_READ_INTERFACES | VEXA_READ_GATEWAY | VEXA_READ_PROTOCOLS | VEXA_READ_SCOPES,
                                   "GetNetworkInterfaces: not supported; GetNetworkDefaultGateway: not supported; "
                                   "GetNetworkProtocols: not supported; GetScopes: not supported",
                                   "a12b34",
                                   "Somebody",
                                   "IPCamera",
                                   "1.5",
                                   "Recorded",
                                   VEXA_ERR_NOT_SUPPORTED,
                                   0,
                                   0,
                                   0,
                                   {}},
                      RecordedCase{"cameraWithoutMakerOfADartClient",
                                   "dart-client-camera",
                                   VEXA_READ_INTERFACES | VEXA_READ_GATEWAY | VEXA_READ_SCOPES,
                                   "GetNetworkInterfaces: not supported; GetNetworkDefaultGateway: not supported; "
                                   "GetScopes: not supported",
                                   "SERIAL-D-0001",
                                   "",
                                   "MODEL-D1",
                                   "FW-D 1.0.0",
                                   "Recorded",
                                   VEXA_ERR_NOT_SUPPORTED,
                                   80,
                                   0,
                                   554,
                                   {}},
                      RecordedCase{"oemCameraOfADartClient",
                                   "dart-client-oem-camera",
                                   VEXA_READ_CLOCK | VEXA_READ_INTERFACES | VEXA_READ_GATEWAY | VEXA_READ_SCOPES,
                                   "GetSystemDateAndTime: not supported; GetNetworkInterfaces: not supported; "
                                   "GetNetworkDefaultGateway: not supported; GetScopes: not supported",
                                   "SERIAL-E-0001",
                                   "ONVIF",
                                   "MODEL-E1",
                                   "FW-E 1.0.0",
                                   "Recorded",
                                   VEXA_ERR_NOT_SUPPORTED,
                                   80,
                                   0,
                                   554,
                                   {}},
                      RecordedCase{"cameraOfAnElixirFork",
                                   "elixir-fork-camera",
                                   VEXA_READ_CLOCK | VEXA_READ_INTERFACES | VEXA_READ_GATEWAY | VEXA_READ_PROTOCOLS,
                                   "GetSystemDateAndTime: not supported; GetNetworkInterfaces: not supported; "
                                   "GetNetworkDefaultGateway: not supported; GetNetworkProtocols: not supported",
                                   "SERIAL-C-0001",
                                   "MAKER-C",
                                   "MODEL-C1",
                                   "FW-C 1.0.0",
                                   "Camera",
                                   1,
                                   0,
                                   0,
                                   0,
                                   {"onvif://www.onvif.org/location/", "onvif://www.onvif.org/model/",
                                    "onvif://www.onvif.org/macaddress/", "onvif://www.onvif.org/Profile/G",
                                    "onvif://www.onvif.org/Profile/T", "onvif://www.onvif.org/Profile/Q/FactoryDefault",
                                    "onvif://www.onvif.org/name/Gate%207"}}),
    testutil::CaseName());

} // namespace
