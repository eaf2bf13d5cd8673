// vexa-keytool end to end: the executable's results must agree with what devices check with the module.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "vexa_crypto.h"

using namespace vexa::crypto;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out; // stdout, without the final newline
};

class Keytool : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vexa-keytool-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // Arguments come from this test only (no quotes inside), so plain shell quoting is enough.
    ToolRun run(const std::string& args, const std::string& stdinFile = "/dev/null") const {
        const std::string command =
            std::string("'") + VEXA_KEYTOOL_PATH + "' " + args + " <'" + stdinFile + "' 2>'" + dir + "/stderr'";
        ToolRun result;
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr)
            return result;
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, n);
        const int status = ::pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (!result.out.empty() && result.out.back() == '\n')
            result.out.pop_back();
        return result;
    }

    std::string write(const std::string& name, const std::string& content) const {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::string stderrText() const {
        std::ifstream in(dir + "/stderr");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir;
};

constexpr std::int64_t kNow = 1700000000;

KeyRequest requestFor(const KeyPair& device, const KeyPair* certifier) {
    KeyRequest r;
    r.serial = "VX-2000-0042";
    r.mac = *parseMac("02-00-00-00-00-2a");
    r.nonce = newResetNonce();
    r.expiry = kNow + 86400;
    if (certifier != nullptr) {
        r.devicePublicKey = device.publicKey;
        r.certificate = *signCertificate(*certifier, {r.serial, r.mac, device.publicKey});
    }
    return r;
}

} // namespace

TEST_F(Keytool, KeyPairFilesSignedKeysVerifyOnTheDevice) {
    const std::string secret = dir + "/maker.key";
    const std::string pub = dir + "/maker.pub";
    const ToolRun made = run("keygen --secret '" + secret + "' --public '" + pub + "'");
    ASSERT_EQ(made.exitCode, 0) << stderrText();
    struct stat st {};
    ASSERT_EQ(::stat(secret.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const auto publicKey = loadPublicKeyFile(pub);
    ASSERT_TRUE(publicKey.has_value());
    EXPECT_EQ(made.out, publicKeyToText(*publicKey));
    EXPECT_EQ(run("pubkey --secret '" + secret + "'").out, made.out);
    EXPECT_EQ(run("pubkey --public '" + pub + "'").out, made.out);
    // The printed form is what VEXA_TRUSTED_KEYS takes.
    EXPECT_EQ(parseTrustedKeys(made.out).keys, std::vector<PublicKey>{*publicKey});
    // Never overwrites a key.
    EXPECT_NE(run("keygen --secret '" + secret + "' --public '" + dir + "/other.pub'").exitCode, 0);
    EXPECT_EQ(loadPublicKeyFile(pub), publicKey);
    EXPECT_NE(run("keygen --secret '" + dir + "/new.key' --public '" + pub + "'").exitCode, 0);
    EXPECT_NE(::access((dir + "/new.key").c_str(), F_OK), 0) << "no orphaned secret key";
    // A public half that cannot be written (one path for both, or a folder that is not there) leaves no secret.
    struct Case {
        const char* name;
        std::string secret;
        std::string pub;
    };
    const Case orphans[] = {
        {"same path", dir + "/both.key", dir + "/both.key"},
        {"same file, spelt otherwise", dir + "/twice.key", dir + "/./twice.key"},
        {"no such folder", dir + "/lonely.key", dir + "/missing/lonely.pub"},
    };
    for (const Case& c : orphans) {
        EXPECT_NE(run("keygen --secret '" + c.secret + "' --public '" + c.pub + "'").exitCode, 0) << c.name;
        EXPECT_NE(::access(c.secret.c_str(), F_OK), 0) << c.name << ": a secret key was left behind";
    }

    const KeyPair device = generateKeyPair();
    const KeyRequest plain = requestFor(device, nullptr);
    const std::string plainDoc = write("plain.xml", *buildKeyRequest(plain, kKeyRequestMaxSize));
    const ToolRun fromFile =
        run("sign --secret '" + secret + "' --now " + std::to_string(kNow) + " '" + plainDoc + "'");
    ASSERT_EQ(fromFile.exitCode, 0) << stderrText();
    EXPECT_LE(fromFile.out.size(), kMaxResetKeyText);
    EXPECT_EQ(verifyResetKey(fromFile.out, plain.serial, plain.nonce, kNow, {*publicKey}), ResetKeyStatus::Ok);
    EXPECT_EQ(verifyResetKey(fromFile.out, plain.serial, newResetNonce(), kNow, {*publicKey}),
              ResetKeyStatus::BadSignature);

    // From stdin, with the device's certificate in the document (command 2).
    const KeyPair maker = *loadSecretKeyFile(secret);
    const KeyRequest certified = requestFor(device, &maker);
    const std::string qrDoc = write("qr.xml", *buildKeyRequest(certified, kKeyRequestQrMaxSize));
    const ToolRun fromStdin = run("sign --secret '" + secret + "' --now " + std::to_string(kNow), qrDoc);
    ASSERT_EQ(fromStdin.exitCode, 0) << stderrText();
    EXPECT_EQ(verifyResetKey(fromStdin.out, certified.serial, certified.nonce, kNow, {*publicKey}), ResetKeyStatus::Ok);
}

TEST_F(Keytool, SignRefusesBadRequests) {
    const KeyPair device = generateKeyPair();
    const std::string now = " --now " + std::to_string(kNow) + " ";
    const KeyRequest r = requestFor(device, nullptr);
    const std::string good = *buildKeyRequest(r, kKeyRequestMaxSize);

    const std::string expired = write("expired.xml", good);
    EXPECT_NE(run("sign --test --now " + std::to_string(r.expiry + 1) + " '" + expired + "'").exitCode, 0);
    EXPECT_NE(stderrText().find("expired"), std::string::npos);
    EXPECT_NE(run("sign --test" + now + "'" + write("broken.xml", good.substr(0, 100)) + "'").exitCode, 0);
    EXPECT_NE(run("sign --test" + now + "'" + write("big.xml", good + std::string(300, ' ')) + "'").exitCode, 0);
    EXPECT_NE(run("sign --test" + now + "'" + dir + "/missing.xml'").exitCode, 0);
    // A certificate made by another manufacturer: not one of ours, no key.
    const KeyPair other = generateKeyPair();
    const std::string foreign = write("foreign.xml", *buildKeyRequest(requestFor(device, &other), 384));
    EXPECT_NE(run("sign --test" + now + "'" + foreign + "'").exitCode, 0);
    EXPECT_NE(stderrText().find("certificate"), std::string::npos);
    // Exactly one signing key.
    EXPECT_EQ(run("sign" + now + "'" + expired + "'").exitCode, 1);
    EXPECT_EQ(run("sign --test --secret x" + now).exitCode, 1);
    EXPECT_EQ(run("sign --test --now soon").exitCode, 2);
}

TEST_F(Keytool, SecurityCodesMatchTheDevice) {
    const std::string serial = "VX-2000-0042";
    const ToolRun test = run("code --test --serial " + serial + " --date 20240229");
    ASSERT_EQ(test.exitCode, 0) << stderrText();
    EXPECT_NE(stderrText().find("TEST ONLY"), std::string::npos);
    const DeviceSecret testDevice = *deriveDeviceSecret(testMasterSecret(), serial);
    EXPECT_EQ(test.out, securityCode(testDevice, "20240229"));
    EXPECT_TRUE(verifySecurityCode(testDevice, test.out, 1709164800)); // 2024-02-29 00:00 UTC

    const std::string master = dir + "/master.secret";
    ASSERT_EQ(run("master-secret --out '" + master + "'").exitCode, 0) << stderrText();
    const DeviceSecret device = *deriveDeviceSecret(*loadMasterSecretFile(master), serial);
    const std::int64_t before = std::time(nullptr);
    const ToolRun today = run("code --master '" + master + "' --serial " + serial);
    ASSERT_EQ(today.exitCode, 0) << stderrText();
    EXPECT_TRUE(verifySecurityCode(device, today.out, before));
    EXPECT_NE(today.out, test.out);

    EXPECT_NE(run("code --test --serial " + serial + " --date 20230229").exitCode, 0);
    EXPECT_NE(run("code --test --serial 'two words'").exitCode, 0);
    EXPECT_EQ(run("code --serial " + serial).exitCode, 2);
    EXPECT_NE(run("master-secret --out '" + master + "'").exitCode, 0);
}

TEST_F(Keytool, TestMaterialIsLabelledAndCertifyWorks) {
    const ToolRun files = run("test-keys --dir '" + dir + "'");
    ASSERT_EQ(files.exitCode, 0) << stderrText();
    const KeyPair test = testManufacturerKeyPair();
    EXPECT_EQ(files.out, publicKeyToText(test.publicKey));
    EXPECT_EQ(run("pubkey --test").out, files.out);
    EXPECT_EQ(loadSecretKeyFile(dir + "/TEST-ONLY-manufacturer.key")->seed, test.seed);
    EXPECT_EQ(loadPublicKeyFile(dir + "/TEST-ONLY-manufacturer.pub"), test.publicKey);
    EXPECT_EQ(loadMasterSecretFile(dir + "/TEST-ONLY-master.secret")->bytes, testMasterSecret().bytes);

    const KeyPair device = generateKeyPair();
    const ToolRun cert = run("certify --secret '" + dir +
                             "/TEST-ONLY-manufacturer.key' --serial SER-7 --mac "
                             "02:00:00:00:00:07 --device-key " +
                             publicKeyToText(device.publicKey));
    ASSERT_EQ(cert.exitCode, 0) << stderrText();
    const auto bytes = fromBase64Url(cert.out);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_EQ(bytes->size(), kSignatureSize);
    Signature signature{};
    std::copy(bytes->begin(), bytes->end(), signature.begin());
    const DeviceIdentity identity{"SER-7", *parseMac("02-00-00-00-00-07"), device.publicKey};
    EXPECT_TRUE(verifyCertificate(identity, signature, {test.publicKey}));
    EXPECT_NE(
        run("certify --test --serial SER-7 --mac nope --device-key " + publicKeyToText(device.publicKey)).exitCode, 0);
}

TEST_F(Keytool, UsageErrors) {
    EXPECT_EQ(run("").exitCode, 2);
    EXPECT_EQ(run("frobnicate").exitCode, 2);
    EXPECT_EQ(run("keygen --secret a").exitCode, 2);
    EXPECT_EQ(run("code --test --serial A --serial B").exitCode, 2);
    EXPECT_EQ(run("help").exitCode, 0);
}
