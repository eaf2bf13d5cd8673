// The simulator's fleet, device list format and state file: what every loopback test stands on.

#include <gtest/gtest.h>
#include <map>
#include <set>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "SecureSimulator.h"

namespace {

struct Mix {
    size_t notActivated = 0, otherClass = 0, otherOem = 0, oemCodeZero = 0, httpZero = 0, inRange = 0, outRange = 0,
           qr = 0, ipc = 0, keyReset = 0;
    std::set<int> capability;
};

Mix mixOf(const std::vector<devsim::SimDevice>& fleet) {
    Mix m;
    for (const auto& d : fleet) {
        const auto& r = d.record;
        m.notActivated += r.activationState != 0;
        m.otherClass += r.deviceClass != 1;
        m.otherOem += r.oemInfo != "Fynmar_quelbrok";
        m.oemCodeZero += r.oemCode != 1;
        m.httpZero += r.httpPort == 0;
        const bool range = r.deviceTypeCode >= 0x9D00 && r.deviceTypeCode <= 0x9FFF;
        m.inRange += range;
        m.outRange += !range;
        m.qr += (r.resetFlags & 1) != 0;
        m.ipc += (r.supportFlags & 0x80) != 0;
        m.keyReset += (r.supportFlags & 0x40) != 0;
        m.capability.insert(r.capabilityLevel);
    }
    return m;
}

} // namespace

TEST(Fleet, SeededFleetIsDeterministicUniqueAndRealisticallyMixed) {
    const auto fleet = devsim::generateFleet(2000, 4);
    EXPECT_EQ(devsim::formatFleet(fleet, false), devsim::formatFleet(devsim::generateFleet(2000, 4), false));
    std::set<std::string> serials, macs;
    for (const auto& d : fleet) {
        serials.insert(d.record.serialNo);
        macs.insert(d.record.mac);
        if (d.record.capabilityLevel == 0) {
            EXPECT_TRUE(d.record.ipv4Gateway.empty());
            EXPECT_TRUE(d.record.ipv6Address.empty());
        }
    }
    EXPECT_EQ(serials.size(), 2000u);
    EXPECT_EQ(macs.size(), 2000u);
    const Mix m = mixOf(fleet);
    // Most devices pass the program's OEM test; a few of every kind do not.
    for (size_t share : {m.otherClass, m.otherOem, m.oemCodeZero, m.httpZero})
        EXPECT_TRUE(share > 10 && share < 200) << share;
    for (size_t share : {m.notActivated, m.inRange, m.outRange, m.qr, m.ipc, m.keyReset})
        EXPECT_TRUE(share > 100 && share < 1900) << share;
    EXPECT_EQ(m.capability, (std::set<int>{0, 1, 2}));
    const auto& first = fleet[0].record;
    EXPECT_EQ(first.oemInfo, "Fynmar_quelbrok");
    EXPECT_EQ(first.oemCode, 1);
    EXPECT_EQ(first.deviceClass, 1);
    EXPECT_EQ(first.activationState, 0);
}

TEST(Fleet, ListFormatRoundTripsWithStateAndRefusesBadLines) {
    auto fleet = devsim::generateFleet(30, 9);
    fleet[3].state["hash"] = "$argon2id$v=19$m=8,t=1,p=1$abc$def";
    fleet[3].state["failures"] = "2";
    std::vector<devsim::SimDevice> back;
    std::string error;
    ASSERT_TRUE(devsim::parseFleet(devsim::formatFleet(fleet, true), back, error)) << error;
    ASSERT_EQ(back.size(), fleet.size());
    for (size_t i = 0; i < fleet.size(); ++i) {
        EXPECT_TRUE(back[i].record == fleet[i].record) << i;
        EXPECT_EQ(back[i].state, fleet[i].state) << i;
    }
    const std::string good = "serial=A1\tmac=02-00-00-00-00-01";
    const std::pair<const char*, std::string> bad[] = {
        {"no mac", "serial=A1"},
        {"unknown field", good + "\tcolour=red"},
        {"not a number", good + "\tport=eighty"},
        {"u8 out of range", good + "\tcapability=256"},
        {"serial over 48", "serial=" + std::string(49, 'S') + "\tmac=02-00-00-00-00-01"},
        {"no '='", good + "\tport"},
    };
    for (const auto& [name, line] : bad)
        EXPECT_FALSE(devsim::parseFleet(line + "\n", back, error)) << name;
    EXPECT_TRUE(devsim::parseFleet("# comment\n" + good + "\tport=8000\n", back, error)) << error;
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].record.port, 8000u);
}

TEST(Fleet, AtomicWriteReplacesWholeAndLeavesNoTemporaryFile) {
    testutil::TempDir dir;
    const std::string path = dir.file("state.txt");
    ASSERT_TRUE(devsim::writeFileAtomically(path, "first\n"));
    ASSERT_TRUE(devsim::writeFileAtomically(path, std::string(100000, 'x')));
    std::string text;
    ASSERT_TRUE(devsim::readFile(path, text));
    EXPECT_EQ(text, std::string(100000, 'x'));
    EXPECT_EQ(std::system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 1").c_str()), 0);
    EXPECT_FALSE(devsim::writeFileAtomically(dir.file("no/such/dir/state.txt"), "x"));
}

TEST(Fleet, ProvisioningSharesOneHashAndSignsEveryDevice) {
    auto fleet = devsim::generateFleet(50, 2);
    devsim::SecureOptions options;
    options.cheapHashes = true;
    options.initialPassword = "Install-2024";
    devsim::provisionFleet(fleet, options);
    std::set<std::string> hashes;
    const auto manufacturer = vexa::crypto::testManufacturerKeyPair().publicKey;
    for (const auto& d : fleet) {
        ASSERT_EQ(d.record.publicKey.size(), 32u);
        ASSERT_EQ(d.record.certificate.size(), 64u);
        vexa::crypto::DeviceIdentity identity{d.record.serialNo, *vexa::crypto::parseMac(d.record.mac), {}};
        std::copy(d.record.publicKey.begin(), d.record.publicKey.end(), identity.devicePublicKey.begin());
        vexa::crypto::Signature signature{};
        std::copy(d.record.certificate.begin(), d.record.certificate.end(), signature.begin());
        EXPECT_TRUE(vexa::crypto::verifyCertificate(identity, signature, {manufacturer}));
        if (d.record.activationState == 0)
            hashes.insert(d.state.at("hash"));
        else
            EXPECT_EQ(d.state.count("hash"), 0u);
    }
    ASSERT_EQ(hashes.size(), 1u);
    EXPECT_TRUE(vexa::crypto::verifyPassword(*hashes.begin(), "Install-2024"));
}
