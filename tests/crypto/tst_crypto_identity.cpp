// Device certificates, manufacturer keys, trusted key lists and key files.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "vexa_crypto.h"

using namespace vexa::crypto;

namespace {

struct Fixture {
    KeyPair manufacturer = generateKeyPair();
    KeyPair device = keyPairFromSeed(deriveSeed(manufacturer.seed, "device-1"));
    DeviceIdentity identity{"DS-2CD2043G2-I2023ABC", *parseMac("00-11-22-33-44-55"), device.publicKey};
    Signature certificate = *signCertificate(manufacturer, identity);
};

PublicKey otherKey() {
    return generateKeyPair().publicKey;
}

} // namespace

TEST(Certificate, VerifiesOnlyWithATrustedSigner) {
    Fixture f;
    EXPECT_TRUE(verifyCertificate(f.identity, f.certificate, {f.manufacturer.publicKey}));
    EXPECT_TRUE(verifyCertificate(f.identity, f.certificate, {otherKey(), f.manufacturer.publicKey}));
    EXPECT_FALSE(verifyCertificate(f.identity, f.certificate, {}));
    EXPECT_FALSE(verifyCertificate(f.identity, f.certificate, {otherKey()}));
    const KeyPair test = testManufacturerKeyPair();
    EXPECT_FALSE(verifyCertificate(f.identity, f.certificate, {test.publicKey}));
}

// Each way of presenting a certificate for something other than what was signed must fail.
class CertificateTamper : public testing::TestWithParam<int> {};

TEST_P(CertificateTamper, Fails) {
    Fixture f;
    DeviceIdentity id = f.identity;
    Signature cert = f.certificate;
    switch (GetParam()) {
    case 0:
        id.serial[0] = 'X';
        break;
    case 1:
        id.serial += "0";
        break;
    case 2:
        id.serial.pop_back();
        break;
    case 3:
        id.mac[5] ^= 0x01;
        break;
    case 4:
        id.mac[0] ^= 0x80;
        break;
    case 5:
        id.devicePublicKey = otherKey();
        break;
    case 6:
        id.devicePublicKey[31] ^= 0x01;
        break;
    case 7:
        cert[0] ^= 0x01;
        break;
    case 8:
        cert[63] ^= 0x80;
        break;
    case 9:
        id.devicePublicKey = f.manufacturer.publicKey;
        break;
    }
    EXPECT_FALSE(verifyCertificate(id, cert, {f.manufacturer.publicKey}));
}
INSTANTIATE_TEST_SUITE_P(EveryField, CertificateTamper, testing::Range(0, 10));

TEST(Certificate, RefusesInvalidSerials) {
    Fixture f;
    for (const std::string& serial :
         {std::string(), std::string(49, 'A'), std::string("AB CD"), std::string("AB\x01"), std::string("\xC3\xA9")}) {
        DeviceIdentity id = f.identity;
        id.serial = serial;
        EXPECT_FALSE(signCertificate(f.manufacturer, id).has_value()) << serial;
        EXPECT_FALSE(verifyCertificate(id, f.certificate, {f.manufacturer.publicKey}));
    }
    DeviceIdentity longest = f.identity;
    longest.serial = std::string(kMaxSerialLength, '~');
    const auto cert = signCertificate(f.manufacturer, longest);
    ASSERT_TRUE(cert.has_value());
    EXPECT_TRUE(verifyCertificate(longest, *cert, {f.manufacturer.publicKey}));
}

TEST(Keys, SignRefusesAPairWhoseHalvesDoNotMatch) {
    KeyPair key = generateKeyPair();
    const Bytes message{1, 2, 3};
    ASSERT_TRUE(sign(key, message).has_value());
    key.publicKey = otherKey();
    EXPECT_FALSE(sign(key, message).has_value());
}

TEST(Keys, SeedsDeriveDeterministicallyAndDistinctly) {
    const Seed fleet = generateKeyPair().seed;
    EXPECT_EQ(deriveSeed(fleet, "SER-1"), deriveSeed(fleet, "SER-1"));
    EXPECT_NE(deriveSeed(fleet, "SER-1"), deriveSeed(fleet, "SER-2"));
    EXPECT_NE(deriveSeed(fleet, "SER-1"), deriveSeed(generateKeyPair().seed, "SER-1"));
    EXPECT_EQ(keyPairFromSeed(fleet).publicKey, keyPairFromSeed(fleet).publicKey);
}

// Demos, documents and saved simulator state rely on this exact key; changing it is a breaking change.
TEST(Keys, TestManufacturerKeyIsStable) {
    EXPECT_EQ(publicKeyToText(testManufacturerKeyPair().publicKey),
              "6d802cbe1262061a2de4a2bf6700b85768edc22e05858dc557442e9e2d21e329");
    EXPECT_NE(testMasterSecret().bytes, testManufacturerKeyPair().seed);
}

struct TrustedCase {
    const char* name;
    std::string text;
    std::size_t keys;
    std::size_t rejected;
};

class TrustedKeys : public testing::TestWithParam<TrustedCase> {};

const PublicKey kA = keyPairFromSeed(Seed{1}).publicKey;
const PublicKey kB = keyPairFromSeed(Seed{2}).publicKey;

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST_P(TrustedKeys, Parse) {
    const TrustedCase& c = GetParam();
    const TrustedKeyList list = parseTrustedKeys(c.text);
    EXPECT_EQ(list.keys.size(), c.keys);
    EXPECT_EQ(list.rejected.size(), c.rejected);
    if (c.keys > 0) {
        EXPECT_EQ(list.keys.front(), kA);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TrustedKeys,
    testing::Values(TrustedCase{"empty", "", 0, 0}, TrustedCase{"separatorsOnly", " ,; \n", 0, 0},
                    TrustedCase{"hex", publicKeyToText(kA), 1, 0},
                    TrustedCase{"upperHex", upper(publicKeyToText(kA)), 1, 0},
                    TrustedCase{"base64url", toBase64Url(kA), 1, 0},
                    TrustedCase{"comma", publicKeyToText(kA) + "," + publicKeyToText(kB), 2, 0},
                    TrustedCase{"semicolonSpaces", " " + publicKeyToText(kA) + " ; " + toBase64Url(kB) + "\n", 2, 0},
                    TrustedCase{"duplicate", publicKeyToText(kA) + "," + toBase64Url(kA), 1, 0},
                    TrustedCase{"badEntrySkipped", publicKeyToText(kA) + ",nothex," + publicKeyToText(kB), 2, 1},
                    TrustedCase{"shortHex", publicKeyToText(kA).substr(2), 0, 1},
                    TrustedCase{"colonIsNotASeparator", publicKeyToText(kA) + ":" + publicKeyToText(kB), 0, 1},
                    TrustedCase{"oversized", std::string(64 * 1024 + 1, ','), 0, 1}),
    [](const testing::TestParamInfo<TrustedCase>& info) { return std::string(info.param.name); });

TEST(TrustedKeysEnvironment, AddsEnvironmentKeysToBuiltIns) {
    ::setenv("VEXA_TRUSTED_KEYS", (publicKeyToText(kA) + ";garbage").c_str(), 1);
    const TrustedKeyList list = trustedKeysFromEnvironment();
    ::unsetenv("VEXA_TRUSTED_KEYS");
    EXPECT_EQ(list.keys.size(), builtInTrustedKeys().size() + 1);
    EXPECT_NE(std::find(list.keys.begin(), list.keys.end(), kA), list.keys.end());
    ASSERT_EQ(list.rejected.size(), 1u);
    EXPECT_EQ(list.rejected.front(), "garbage");
    EXPECT_EQ(trustedKeysFromEnvironment().keys.size(), builtInTrustedKeys().size());
}

class KeyFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vexa-keyfiles-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (const char* name : {"/k", "/p", "/m", "/bad"})
            ::unlink((dir + name).c_str());
        ::rmdir(dir.c_str());
    }
    static unsigned mode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
    }
    std::string dir;
};

TEST_F(KeyFiles, RoundTripPrivateModeAndNoOverwrite) {
    const KeyPair key = generateKeyPair();
    const MasterSecret master = generateMasterSecret();
    std::string error;
    ASSERT_TRUE(saveSecretKeyFile(dir + "/k", key, &error)) << error;
    ASSERT_TRUE(savePublicKeyFile(dir + "/p", key.publicKey, &error)) << error;
    ASSERT_TRUE(saveMasterSecretFile(dir + "/m", master, &error)) << error;
    EXPECT_EQ(mode(dir + "/k"), 0600u);
    EXPECT_EQ(mode(dir + "/m"), 0600u);

    const auto loaded = loadSecretKeyFile(dir + "/k");
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->seed, key.seed);
    EXPECT_EQ(loaded->publicKey, key.publicKey);
    EXPECT_EQ(loadPublicKeyFile(dir + "/p"), key.publicKey);
    EXPECT_EQ(loadMasterSecretFile(dir + "/m")->bytes, master.bytes);

    const KeyPair other = generateKeyPair();
    EXPECT_FALSE(saveSecretKeyFile(dir + "/k", other, &error));
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    EXPECT_EQ(loadSecretKeyFile(dir + "/k")->seed, key.seed);
}

TEST_F(KeyFiles, RejectsDamagedOrForeignFiles) {
    const std::string text = secretKeyToText(generateKeyPair());
    for (const std::string& bad :
         {text.substr(0, text.size() - 3), std::string("VEXA-MASTER-SECRET-1") + text.substr(text.find('\n')),
          text + "00", std::string(), std::string(5000, 'a')}) {
        ::unlink((dir + "/bad").c_str());
        std::ofstream(dir + "/bad") << bad;
        std::string error;
        EXPECT_FALSE(loadSecretKeyFile(dir + "/bad", &error).has_value()) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(loadSecretKeyFile(dir + "/missing").has_value());
    EXPECT_FALSE(masterSecretFromText(text).has_value());
}
