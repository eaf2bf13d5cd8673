// Certificate verdicts kept across runs: they spare the certificate check of a device seen before, a spoiled
// file is ignored (the devices are verified the slow way), a kept verdict certifies nothing on its own, and the
// file is bounded. Also: a batch read delivers every datagram, in order, and flags one that did not fit.

#include <asio.hpp>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DevsimProcess.h"
#include "Events.h"
#include "Sniffer.h"
#include "VerdictFile.h"
#include "proto/DeviceRecord.h"
#include "proto/Transport.h"
#include "support/LinkFixture.h"
#include "vexa.h"
#include "vexa_crypto.h"

using namespace std::chrono_literals;
namespace crypto = vexa::crypto;
namespace proto = vexa::proto;
using testutil::Process;
using testutil::waitFor;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr size_t kDevices = 40;

std::string keyText(const crypto::PublicKey& key) {
    return crypto::publicKeyToText(key);
}

crypto::PublicKey otherKey() {
    return crypto::keyPairFromSeed(crypto::Seed{7}).publicKey;
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    ::unlink(path.c_str());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    ::chmod(path.c_str(), 0600);
}

// The trailing digest made right again, so that only the change under test is at fault.
void redigest(Bytes& bytes) {
    if (bytes.size() < 32)
        return;
    crypto_generichash(bytes.data() + bytes.size() - 32, 32, bytes.data(), bytes.size() - 32, nullptr, 0);
}

struct Outcome {
    VEXA_STATISTICS stats{};
    size_t listed = 0;
    size_t certified = 0;
};

class VerdictRuns : public LinkFixture {
protected:
    VerdictRuns()
        : LinkFixture(94) {}
    void SetUp() override {
        testutil::usePort(0);
        trust({crypto::testManufacturerKeyPair().publicKey});
        ::setenv("VEXA_SIM_CHEAP_HASH", "1", 1);
        ::setenv("VEXA_VERDICT_FILE", file().c_str(), 1);
        ASSERT_NE(VEXA_SetDeviceFilterRule(0, 0, 0), 0);
    }
    void TearDown() override {
        LinkFixture::TearDown();
        ::setenv("VEXA_VERDICT_FILE", "", 1);
        ::unsetenv("VEXA_TRUSTED_KEYS");
    }
    void trust(const std::vector<crypto::PublicKey>& keys) {
        std::string text;
        for (const auto& key : keys)
            text += (text.empty() ? "" : ",") + keyText(key);
        ::setenv("VEXA_TRUSTED_KEYS", text.c_str(), 1);
    }
    std::string file() const { return dir_.file("verdicts"); }

    // One start until every device is listed, its statistics, and a stop.
    Outcome run(size_t expected = kDevices) {
        Outcome out;
        Events events;
        EXPECT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
        EXPECT_TRUE(events.waitCount(VEXA_EVENT_NEW, expected, 20s));
        EXPECT_NE(VEXA_GetStatistics(&out.stats), 0);
        EXPECT_NE(VEXA_Stop(), 0);
        for (const auto& e : events.of(VEXA_EVENT_NEW)) {
            ++out.listed;
            out.certified += e.certified == 1 ? 1 : 0;
        }
        return out;
    }
};

} // namespace

TEST_F(VerdictRuns, KeptVerdictsSpareTheCertificateChecksOfTheNextRun) {
    Process sim;
    ASSERT_TRUE(startSim(sim, kDevices));
    const Outcome cold = run();
    EXPECT_EQ(cold.certified, kDevices);
    EXPECT_EQ(cold.stats.certificateChecks, kDevices);
    EXPECT_EQ(cold.stats.verdictsLoaded, 0u);
    EXPECT_EQ(cold.stats.verdictsKept, kDevices);
    struct stat st {};
    ASSERT_EQ(::lstat(file().c_str(), &st), 0) << "no verdict file written";
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(static_cast<size_t>(st.st_size), 12 + 32 * kDevices + 32);

    const Outcome warm = run();
    EXPECT_EQ(warm.certified, kDevices);
    EXPECT_EQ(warm.stats.verdictsLoaded, kDevices);
    EXPECT_EQ(warm.stats.verdictFileRefused, 0u);
    EXPECT_EQ(warm.stats.certificateChecks, 0u) << "kept verdicts were not used";
    EXPECT_GE(warm.stats.signatureChecks, kDevices) << "announcements must still be verified";
}

TEST_F(VerdictRuns, AVerdictUnderAKeyNoLongerTrustedCertifiesNothing) {
    Process sim;
    ASSERT_TRUE(startSim(sim, kDevices));
    ASSERT_EQ(run().certified, kDevices);
    trust({otherKey()});
    const Outcome untrusted = run();
    EXPECT_EQ(untrusted.stats.verdictsLoaded, kDevices);
    EXPECT_EQ(untrusted.listed, kDevices);
    EXPECT_EQ(untrusted.certified, 0u) << "a kept verdict certified a device by a key no longer trusted";
    EXPECT_EQ(untrusted.stats.certificateChecks, kDevices);
    // Trusted again: the entries are still there, and found.
    trust({otherKey(), crypto::testManufacturerKeyPair().publicKey});
    const Outcome again = run();
    EXPECT_EQ(again.certified, kDevices);
    EXPECT_EQ(again.stats.certificateChecks, 0u);
}

TEST_F(VerdictRuns, AReplayedCertificateWithAForgedMessageIsStillDropped) {
    Process sim;
    ASSERT_TRUE(startSim(sim, kDevices));
    std::vector<proto::DeviceRecord> genuine;
    {
        Sniffer sniffer;
        ASSERT_TRUE(sniffer.ok());
        ASSERT_EQ(run().certified, kDevices);
        for (const auto& datagram : sniffer.ofType(proto::MsgType::Announce)) {
            proto::Frame frame;
            proto::DeviceRecord record;
            if (proto::decodeFrame(datagram.data(), datagram.size(), frame) == proto::DecodeError::None &&
                proto::readDeviceRecord(frame, record) == proto::DecodeError::None && !record.certificate.empty())
                genuine.push_back(record);
        }
    }
    ASSERT_GE(genuine.size(), 5u);
    sim.signal(SIGTERM);
    sim.wait();
    // The genuine certificate and device key, with another address and a newer record, not signed by the device.
    Events events;
    ASSERT_NE(VEXA_Start_V40(&Events::callback, 1, &events), 0);
    Sniffer sniffer;
    ASSERT_TRUE(sniffer.ok());
    for (size_t i = 0; i < 5; ++i) {
        proto::DeviceRecord forged = genuine[i];
        forged.ipv4Address = "127.94.6.6";
        forged.version += 10;
        sniffer.inject(proto::encodeAnnounce(forged, {}));
    }
    VEXA_STATISTICS stats{};
    ASSERT_TRUE(waitFor(
        [&] {
            VEXA_GetStatistics(&stats);
            return stats.rejected >= 5;
        },
        5s))
        << stats.received << " received, " << stats.dropped << " dropped, " << stats.rejected << " refused";
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(events.count(VEXA_EVENT_NEW), 0u) << "a forged announcement was listed";
    EXPECT_EQ(stats.certificateChecks, 0u) << "the kept verdicts should have answered for the certificates";
    EXPECT_EQ(stats.verdictsLoaded, kDevices);
}

struct Spoil {
    const char* name;
    std::function<void(const std::string& path)> apply;
    bool needsRoot = false;
};

class SpoiledFiles : public VerdictRuns, public ::testing::WithParamInterface<Spoil> {};

TEST_P(SpoiledFiles, AreIgnoredAndTheDevicesVerifiedTheSlowWay) {
    if (GetParam().needsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file away";
    Process sim;
    ASSERT_TRUE(startSim(sim, kDevices));
    ASSERT_EQ(run().stats.verdictsKept, kDevices);
    GetParam().apply(file());
    const Outcome next = run();
    EXPECT_EQ(next.stats.verdictFileRefused, 1u);
    EXPECT_EQ(next.stats.verdictsLoaded, 0u);
    EXPECT_EQ(next.stats.certificateChecks, kDevices);
    EXPECT_EQ(next.certified, kDevices);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SpoiledFiles,
    ::testing::Values(Spoil{"Symlink",
                            [](const std::string& path) {
                                ASSERT_EQ(::rename(path.c_str(), (path + ".real").c_str()), 0);
                                ASSERT_EQ(::symlink((path + ".real").c_str(), path.c_str()), 0);
                            }},
                      Spoil{"GroupWritable", [](const std::string& path) { ::chmod(path.c_str(), 0620); }},
                      Spoil{"OtherWritable", [](const std::string& path) { ::chmod(path.c_str(), 0602); }},
                      Spoil{"Directory",
                            [](const std::string& path) {
                                ::unlink(path.c_str());
                                ::mkdir(path.c_str(), 0700);
                            }},
                      Spoil{"ForeignOwner",
                            [](const std::string& path) { ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0); }, true},
                      Spoil{"Truncated",
                            [](const std::string& path) {
                                Bytes b = readBytes(path);
                                b.resize(b.size() - 40);
                                writeBytes(path, b);
                            }},
                      Spoil{"FlippedEntryByte",
                            [](const std::string& path) {
                                Bytes b = readBytes(path);
                                b[12 + 5] ^= 0x01;
                                writeBytes(path, b);
                            }},
                      Spoil{"FlippedDigest",
                            [](const std::string& path) {
                                Bytes b = readBytes(path);
                                b.back() ^= 0x80;
                                writeBytes(path, b);
                            }},
                      Spoil{"WrongMagic",
                            [](const std::string& path) {
                                Bytes b = readBytes(path);
                                b[0] ^= 0x20;
                                redigest(b);
                                writeBytes(path, b);
                            }},
                      Spoil{"CountBeyondTheBound",
                            [](const std::string& path) {
                                Bytes b = readBytes(path);
                                const uint32_t count = vexa::VerdictFile::kMaxEntries + 1;
                                for (int i = 0; i < 4; ++i)
                                    b[8 + i] = static_cast<uint8_t>(count >> (8 * i));
                                redigest(b);
                                writeBytes(path, b);
                            }},
                      Spoil{"CountBeyondTheEntries",
                            [](const std::string& path) {
                                Bytes b = readBytes(path);
                                b[8] = static_cast<uint8_t>(b[8] + 1);
                                redigest(b);
                                writeBytes(path, b);
                            }}),
    [](const ::testing::TestParamInfo<Spoil>& info) { return std::string(info.param.name); });

TEST(VerdictFileBound, TheLeastRecentlyUsedGoAndTheFileStaysBounded) {
    testutil::TempDir dir;
    const auto digest = [](uint32_t i) {
        vexa::VerdictFile::Digest d{};
        crypto_generichash(d.data(), d.size(), reinterpret_cast<const uint8_t*>(&i), sizeof i, nullptr, 0);
        return d;
    };
    constexpr uint32_t kMax = vexa::VerdictFile::kMaxEntries;
    vexa::VerdictFile kept;
    for (uint32_t i = 0; i < kMax; ++i)
        kept.add(digest(i));
    ASSERT_TRUE(kept.contains(digest(0))); // used: now the most recent
    for (uint32_t i = kMax; i < kMax + 5; ++i)
        kept.add(digest(i));
    EXPECT_EQ(kept.size(), size_t{kMax});
    EXPECT_TRUE(kept.contains(digest(0)));
    for (uint32_t i = 1; i <= 5; ++i)
        EXPECT_FALSE(kept.contains(digest(i))) << i;
    EXPECT_TRUE(kept.contains(digest(6)));
    std::string error;
    ASSERT_TRUE(kept.save(dir.file("sub/verdicts"), error)) << error;
    vexa::VerdictFile loaded;
    std::string why;
    ASSERT_EQ(loaded.load(dir.file("sub/verdicts"), why), vexa::VerdictFile::Load::Loaded) << why;
    EXPECT_EQ(loaded.size(), size_t{kMax});
    EXPECT_TRUE(loaded.contains(digest(kMax + 4)));
    EXPECT_FALSE(loaded.contains(digest(3)));
    // Most recently used last: the next additions push out the oldest of the file, not what was used.
    for (uint32_t i = 0; i < 3; ++i)
        loaded.add(digest(kMax + 100 + i));
    EXPECT_FALSE(loaded.contains(digest(7)));
    EXPECT_TRUE(loaded.contains(digest(0)));
}

TEST(VerdictDigest, EveryPartCounts) {
    const crypto::PublicKey key = crypto::testManufacturerKeyPair().publicKey;
    const Bytes message{1, 2, 3, 4};
    const Bytes certificate(64, 9);
    const auto base = vexa::VerdictFile::digestOf(key, message, certificate);
    Bytes otherMessage = message;
    otherMessage[0] ^= 1;
    Bytes otherCertificate = certificate;
    otherCertificate[63] ^= 1;
    // The same bytes split differently between message and certificate.
    Bytes longerMessage = message;
    longerMessage.push_back(9);
    const Bytes shorterCertificate(63, 9);
    EXPECT_NE(base, vexa::VerdictFile::digestOf(otherKey(), message, certificate));
    EXPECT_NE(base, vexa::VerdictFile::digestOf(key, otherMessage, certificate));
    EXPECT_NE(base, vexa::VerdictFile::digestOf(key, message, otherCertificate));
    EXPECT_NE(base, vexa::VerdictFile::digestOf(key, longerMessage, shorterCertificate));
    EXPECT_EQ(base, vexa::VerdictFile::digestOf(key, message, certificate));
}

class BatchReads : public ::testing::TestWithParam<size_t> {};

TEST_P(BatchReads, DeliverEveryDatagramInOrder) {
    testutil::usePort(5);
    asio::io_context io;
    proto::Transport transport(io);
    proto::TransportConfig config;
    std::string error;
    ASSERT_TRUE(proto::transportConfigFromEnvironment(config, error)) << error;
    ASSERT_TRUE(transport.open(config, error)) << error;
    const size_t count = GetParam();
    // Sizes vary, and every seventh is longer than a slot of the batch: flagged, the others untouched.
    constexpr size_t kStride = 600;
    std::vector<Bytes> sent;
    for (size_t i = 0; i < count; ++i) {
        Bytes datagram(100 + (i * 37) % 400 + (i % 7 == 6 ? 600 : 0));
        for (size_t j = 0; j < datagram.size(); ++j)
            datagram[j] = static_cast<uint8_t>(i + j);
        ASSERT_TRUE(transport.send(datagram));
        sent.push_back(std::move(datagram));
    }
    std::vector<uint8_t> slots(kStride * 32);
    std::array<size_t, 32> sizes{};
    size_t got = 0;
    size_t reads = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got < count && std::chrono::steady_clock::now() < deadline) {
        const size_t n = transport.receiveMany(slots.data(), kStride, sizes.data(), sizes.size());
        if (n == 0) {
            std::this_thread::sleep_for(1ms);
            continue;
        }
        ++reads;
        ASSERT_LE(got + n, count) << "more datagrams than were sent";
        for (size_t i = 0; i < n; ++i, ++got) {
            const Bytes& expected = sent[got];
            if (expected.size() > kStride) {
                EXPECT_EQ(sizes[i], kStride + 1) << got;
                continue;
            }
            ASSERT_EQ(sizes[i], expected.size()) << got;
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), slots.begin() + static_cast<long>(i * kStride)))
                << got;
        }
    }
    EXPECT_EQ(got, count);
#ifdef __linux__
    // Everything was queued before the first read: 32 a call.
    EXPECT_EQ(reads, (count + 31) / 32);
#endif
}

INSTANTIATE_TEST_SUITE_P(Counts, BatchReads,
                         ::testing::Values(size_t{1}, size_t{31}, size_t{32}, size_t{33}, size_t{100}));
