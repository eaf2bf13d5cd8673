// Passwords, key requests, reset keys and security codes.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <sodium.h>

#include "vexa_crypto.h"

using namespace vexa::crypto;

namespace {

const std::string kSerial48 = "DS-9000ABCDEFGHIJKLMNOP-0123456789QRSTUVWXYZ-012";
constexpr std::int64_t kNow = 1700000000;

KeyRequest sampleRequest() {
    KeyRequest r;
    r.serial = kSerial48;
    r.mac = *parseMac("00-11-22-33-44-55");
    r.nonce = newResetNonce();
    r.expiry = kNow + 3600;
    return r;
}

bool isBase32(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '2' && c <= '7'); });
}

} // namespace

// --- Passwords ---------------------------------------------------------------------------------------------

TEST(Password, HashVerifiesOnlyTheRightPassword) {
    const auto hash = hashPassword("Abc12345!", PasswordCost::testOnlyCheap());
    ASSERT_TRUE(hash.has_value());
    EXPECT_EQ(hash->rfind("$argon2id$", 0), 0u);
    EXPECT_TRUE(verifyPassword(*hash, "Abc12345!"));
    for (const std::string& wrong : {std::string("Abc12345"), std::string("abc12345!"), std::string("Abc12345!!"),
                                     std::string(), std::string("Abc12345!\0x", 11)})
        EXPECT_FALSE(verifyPassword(*hash, wrong)) << wrong;
    // Salted: the same password never gives the same hash.
    EXPECT_NE(*hash, *hashPassword("Abc12345!", PasswordCost::testOnlyCheap()));
}

TEST(Password, RefusesBadInputAndForeignHashes) {
    EXPECT_FALSE(hashPassword("", PasswordCost::testOnlyCheap()).has_value());
    EXPECT_FALSE(hashPassword(std::string(kMaxPasswordLength + 1, 'a'), PasswordCost::testOnlyCheap()).has_value());
    EXPECT_FALSE(hashPassword("Abc12345!", PasswordCost{0, 8192}).has_value());
    EXPECT_FALSE(hashPassword("Abc12345!", PasswordCost{1, 1024}).has_value());

    // An Argon2i hash of the right password is still refused: devices store Argon2id only.
    char argon2i[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str_alg(argon2i, "pw", 2, 3, 8192, crypto_pwhash_ALG_ARGON2I13), 0);
    EXPECT_FALSE(verifyPassword(argon2i, "pw"));

    const std::string good = *hashPassword("pw", PasswordCost::testOnlyCheap());
    EXPECT_FALSE(verifyPassword(good.substr(0, good.size() - 2), "pw"));
    EXPECT_FALSE(verifyPassword(good + std::string(200, 'A'), "pw"));
    EXPECT_FALSE(verifyPassword(std::string(good).insert(12, 1, '\0'), "pw"));
    EXPECT_FALSE(verifyPassword("", "pw"));
}

// The default must be the device cost; a cheaper hash only ever comes from an explicit request.
TEST(Password, DefaultCostIsTheDeviceCost) {
    const auto hash = hashPassword("Abc12345!");
    ASSERT_TRUE(hash.has_value());
    EXPECT_NE(hash->find("$m=32768,t=2,"), std::string::npos) << *hash;
    EXPECT_TRUE(verifyPassword(*hash, "Abc12345!"));
}

// --- Key request documents ---------------------------------------------------------------------------------

TEST(KeyRequestDocument, LongestSerialFitsBothCommands) {
    KeyRequest r = sampleRequest();
    const auto small = buildKeyRequest(r, kKeyRequestMaxSize);
    ASSERT_TRUE(small.has_value());
    EXPECT_LE(small->size(), kKeyRequestMaxSize);

    const KeyPair device = generateKeyPair();
    r.devicePublicKey = device.publicKey;
    r.certificate = *signCertificate(testManufacturerKeyPair(), {r.serial, r.mac, device.publicKey});
    EXPECT_FALSE(buildKeyRequest(r, kKeyRequestMaxSize).has_value());
    const auto qr = buildKeyRequest(r, kKeyRequestQrMaxSize);
    ASSERT_TRUE(qr.has_value());
    EXPECT_LE(qr->size(), kKeyRequestQrMaxSize);

    const auto parsed = parseKeyRequest(*qr);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->serial, r.serial);
    EXPECT_EQ(parsed->mac, r.mac);
    EXPECT_EQ(parsed->nonce, r.nonce);
    EXPECT_EQ(parsed->expiry, r.expiry);
    EXPECT_EQ(parsed->devicePublicKey, r.devicePublicKey);
    EXPECT_EQ(parsed->certificate, r.certificate);
    EXPECT_FALSE(parseKeyRequest(*small)->devicePublicKey.has_value());
}

TEST(KeyRequestDocument, EscapesMarkupCharactersAndFailsCleanlyWhenTooLong) {
    KeyRequest r = sampleRequest();
    r.serial = "A&B<C>D\"E'F";
    const auto doc = buildKeyRequest(r, kKeyRequestMaxSize);
    ASSERT_TRUE(doc.has_value());
    EXPECT_NE(doc->find("<Serial>A&amp;B&lt;C&gt;D&quot;E&apos;F</Serial>"), std::string::npos) << *doc;
    EXPECT_EQ(parseKeyRequest(*doc)->serial, r.serial);

    r.serial = std::string(48, '&'); // escapes to 240 bytes
    EXPECT_FALSE(buildKeyRequest(r, kKeyRequestMaxSize).has_value());
    const auto qr = buildKeyRequest(r, kKeyRequestQrMaxSize);
    ASSERT_TRUE(qr.has_value());
    EXPECT_EQ(parseKeyRequest(*qr)->serial, r.serial);

    r.serial = "bad serial";
    EXPECT_FALSE(buildKeyRequest(r, kKeyRequestQrMaxSize).has_value());
}

TEST(KeyRequestDocument, AcceptsWhitespaceAndADeclaration) {
    const std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KeyRequest>\n  <Serial>SER1</Serial>\n"
                            "  <MAC>AA:BB:CC:DD:EE:FF</MAC>\n  <Nonce>AAAAAAAAAAAAAAAAAAAAAA</Nonce>\n"
                            "  <Expiry>0</Expiry>\n</KeyRequest>\n";
    const auto parsed = parseKeyRequest(doc);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->serial, "SER1");
    EXPECT_EQ(formatMac(parsed->mac), "aa-bb-cc-dd-ee-ff");
    EXPECT_EQ(parsed->expiry, 0);
}

class KeyRequestMalformed : public testing::TestWithParam<std::pair<const char*, std::string>> {};

TEST_P(KeyRequestMalformed, IsRejected) {
    EXPECT_FALSE(parseKeyRequest(GetParam().second).has_value());
}

namespace {
const std::string kHead = "<KeyRequest><Serial>SER1</Serial><MAC>00-11-22-33-44-55</MAC>";
const std::string kNonce = "<Nonce>AAAAAAAAAAAAAAAAAAAAAA</Nonce>";
const std::string kTail = "<Expiry>1700000000</Expiry></KeyRequest>";
std::string withSerial(const std::string& s) {
    return "<KeyRequest><Serial>" + s + "</Serial><MAC>00-11-22-33-44-55</MAC>" + kNonce + kTail;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Documents, KeyRequestMalformed,
    testing::Values(
        std::make_pair("empty", std::string()), std::make_pair("truncated", kHead + kNonce),
        std::make_pair("trailingGarbage", kHead + kNonce + kTail + "x"),
        std::make_pair("twoDocuments", kHead + kNonce + kTail + kHead + kNonce + kTail),
        std::make_pair("wrongOrder", "<KeyRequest><MAC>00-11-22-33-44-55</MAC><Serial>SER1</Serial>" + kNonce + kTail),
        std::make_pair("missingNonce", kHead + kTail),
        std::make_pair("unknownElement", kHead + "<Extra>1</Extra>" + kNonce + kTail),
        std::make_pair("attribute", "<KeyRequest a=\"1\">" + kHead.substr(12) + kNonce + kTail),
        std::make_pair("unknownEntity", withSerial("A&nbsp;B")), std::make_pair("numericEntity", withSerial("A&#65;")),
        std::make_pair("bareAmpersand", withSerial("A&B")), std::make_pair("nestedElement", withSerial("A<b>x</b>")),
        std::make_pair("controlChar", withSerial("A\x01")), std::make_pair("space", withSerial("A B")),
        std::make_pair("emptySerial", withSerial("")), std::make_pair("serial49", withSerial(std::string(49, 'S'))),
        std::make_pair("badMac", "<KeyRequest><Serial>S</Serial><MAC>00-11-22-33-44</MAC>" + kNonce + kTail),
        std::make_pair("nonceTooShort", kHead + "<Nonce>AAAAAAAAAAAAAAAAAAAAA</Nonce>" + kTail),
        std::make_pair("nonceWithPadding", kHead + "<Nonce>AAAAAAAAAAAAAAAAAAAAAA==</Nonce>" + kTail),
        std::make_pair("negativeExpiry", kHead + kNonce + "<Expiry>-1</Expiry></KeyRequest>"),
        std::make_pair("leadingZero", kHead + kNonce + "<Expiry>01</Expiry></KeyRequest>"),
        std::make_pair("expiryOverflow", kHead + kNonce + "<Expiry>9223372036854775808</Expiry></KeyRequest>"),
        std::make_pair("deviceKeyWithoutCert", kHead + kNonce + "<Expiry>1</Expiry><DeviceKey>" + std::string(43, 'A') +
                                                   "</DeviceKey></KeyRequest>"),
        std::make_pair("unterminatedDeclaration", "<?xml " + kHead + kNonce + kTail),
        std::make_pair("oversized", kHead + kNonce + kTail + std::string(400, ' '))),
    [](const auto& info) { return std::string(info.param.first); });

// --- Reset keys --------------------------------------------------------------------------------------------

TEST(ResetKey, RoundTripFitsTheKeyField) {
    const KeyPair manufacturer = generateKeyPair();
    const KeyRequest r = sampleRequest();
    const auto key = signResetKey(manufacturer, r);
    ASSERT_TRUE(key.has_value());
    EXPECT_LE(key->size(), kMaxResetKeyText);
    EXPECT_TRUE(isBase32(*key)) << *key;
    EXPECT_EQ(resetKeyExpiry(*key), r.expiry);
    const std::vector<PublicKey> trusted{generateKeyPair().publicKey, manufacturer.publicKey};
    EXPECT_EQ(verifyResetKey(*key, r.serial, r.nonce, kNow, trusted), ResetKeyStatus::Ok);
    EXPECT_EQ(verifyResetKey(*key, r.serial, r.nonce, r.expiry, trusted), ResetKeyStatus::Ok);

    // Typed by hand: lower case, in groups.
    std::string typed;
    for (std::size_t i = 0; i < key->size(); ++i) {
        if (i > 0 && i % 4 == 0)
            typed += i % 8 == 0 ? " " : "-";
        typed += static_cast<char>(std::tolower(static_cast<unsigned char>((*key)[i])));
    }
    EXPECT_EQ(verifyResetKey(typed, r.serial, r.nonce, kNow, trusted), ResetKeyStatus::Ok);
}

TEST(ResetKey, RefusedForAnyOtherContext) {
    const KeyPair manufacturer = generateKeyPair();
    const KeyRequest r = sampleRequest();
    const std::string key = *signResetKey(manufacturer, r);
    const std::vector<PublicKey> trusted{manufacturer.publicKey};
    ResetNonce otherNonce = r.nonce;
    otherNonce[0] ^= 1;
    EXPECT_EQ(verifyResetKey(key, r.serial.substr(0, 47) + "X", r.nonce, kNow, trusted), ResetKeyStatus::BadSignature);
    EXPECT_EQ(verifyResetKey(key, r.serial.substr(1), r.nonce, kNow, trusted), ResetKeyStatus::BadSignature);
    EXPECT_EQ(verifyResetKey(key, r.serial, otherNonce, kNow, trusted), ResetKeyStatus::BadSignature);
    EXPECT_EQ(verifyResetKey(key, r.serial, r.nonce, r.expiry + 1, trusted), ResetKeyStatus::Expired);
    EXPECT_EQ(verifyResetKey(key, r.serial, r.nonce, kNow, {generateKeyPair().publicKey}),
              ResetKeyStatus::BadSignature);
    EXPECT_EQ(verifyResetKey(key, r.serial, r.nonce, kNow, {}), ResetKeyStatus::BadSignature);
    const std::string testKey = *signResetKey(testManufacturerKeyPair(), r);
    EXPECT_EQ(verifyResetKey(testKey, r.serial, r.nonce, kNow, trusted), ResetKeyStatus::BadSignature);
}

TEST(ResetKey, GarbledTextNeverPasses) {
    const KeyPair manufacturer = generateKeyPair();
    const KeyRequest r = sampleRequest();
    const std::string key = *signResetKey(manufacturer, r);
    const std::vector<PublicKey> trusted{manufacturer.publicKey};
    // Every single-character change: a different letter is a bad signature or bad layout, never Ok.
    for (std::size_t i = 0; i < key.size(); ++i) {
        std::string changed = key;
        changed[i] = changed[i] == 'A' ? 'B' : 'A';
        EXPECT_NE(verifyResetKey(changed, r.serial, r.nonce, kNow, trusted), ResetKeyStatus::Ok) << i;
    }
    // Moving the expiry later (bytes 1..8) breaks the signature.
    KeyRequest later = r;
    later.expiry = r.expiry + 1000000;
    const std::string laterKey = *signResetKey(manufacturer, later);
    const std::string spliced = laterKey.substr(0, 14) + key.substr(14);
    EXPECT_NE(verifyResetKey(spliced, r.serial, r.nonce, r.expiry + 10, trusted), ResetKeyStatus::Ok);

    for (const std::string& bad : {std::string(), key.substr(1), key + "A", key.substr(0, 116) + "8",
                                   key.substr(0, 60) + "!" + key.substr(61), std::string(300, 'A')}) {
        EXPECT_EQ(verifyResetKey(bad, r.serial, r.nonce, kNow, trusted), ResetKeyStatus::Malformed) << bad;
    }
    EXPECT_FALSE(resetKeyExpiry("garbage").has_value());
    // Read from a key file, the text ends with a line break.
    EXPECT_EQ(verifyResetKey(key + "\r\n", r.serial, r.nonce, kNow, trusted), ResetKeyStatus::Ok);
}

// --- Security codes ----------------------------------------------------------------------------------------

TEST(SecurityCode, AcceptsTodayAndYesterdayOnly) {
    const MasterSecret master = generateMasterSecret();
    const DeviceSecret device = *deriveDeviceSecret(master, kSerial48);
    const std::int64_t day = 86400;
    const auto code = securityCode(device, utcDate(kNow));
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(code->size(), kSecurityCodeLength);
    EXPECT_LE(code->size(), 32u);
    EXPECT_TRUE(isBase32(*code)) << *code;

    EXPECT_TRUE(verifySecurityCode(device, *code, kNow));
    EXPECT_TRUE(verifySecurityCode(device, *code, kNow + day));
    EXPECT_FALSE(verifySecurityCode(device, *code, kNow + 2 * day));
    EXPECT_FALSE(verifySecurityCode(device, *code, kNow - day));

    std::string typed = *code;
    std::transform(typed.begin(), typed.end(), typed.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    typed.insert(8, "-");
    EXPECT_TRUE(verifySecurityCode(device, typed, kNow));

    EXPECT_FALSE(verifySecurityCode(*deriveDeviceSecret(master, kSerial48 + "X"), *code, kNow));
    EXPECT_FALSE(verifySecurityCode(*deriveDeviceSecret(generateMasterSecret(), kSerial48), *code, kNow));
    for (const std::string& bad : {std::string(), code->substr(1), *code + "A", code->substr(0, 15) + "1",
                                   std::string(100, 'A'), code->substr(0, 15) + "!"})
        EXPECT_FALSE(verifySecurityCode(device, bad, kNow)) << bad;
}

TEST(SecurityCode, DerivationIsPerDeviceAndPerDay) {
    const MasterSecret master = generateMasterSecret();
    const DeviceSecret a = *deriveDeviceSecret(master, "SER1");
    const DeviceSecret b = *deriveDeviceSecret(master, "SER2");
    EXPECT_NE(a.bytes, b.bytes);
    EXPECT_NE(securityCode(a, "20240101"), securityCode(b, "20240101"));
    EXPECT_NE(securityCode(a, "20240101"), securityCode(a, "20240102"));
    EXPECT_FALSE(deriveDeviceSecret(master, "").has_value());
    EXPECT_FALSE(deriveDeviceSecret(master, std::string(49, 'A')).has_value());
    // Known answer for the TEST ONLY master secret: codes already handed out in demos must stay valid.
    EXPECT_EQ(securityCode(*deriveDeviceSecret(testMasterSecret(), "SER1"), "20231114"), "BNEIFPXGCFP44UDU");
}

TEST(SecurityCode, Dates) {
    EXPECT_EQ(utcDate(0), "19700101");
    EXPECT_EQ(utcDate(kNow), "20231114");
    EXPECT_EQ(utcDate(951782400), "20000229");
    EXPECT_EQ(utcDate(951868799), "20000229");
    EXPECT_EQ(utcDate(951868800), "20000301");
    EXPECT_EQ(utcDate(-1), "19691231");
    for (const char* good : {"20240229", "20000229", "19700101", "99991231"})
        EXPECT_TRUE(isValidDate(good)) << good;
    for (const char* bad : {"20230229", "19000229", "20231301", "20231100", "20230431", "2023111", "202311140",
                            "2023-11-", "1969123a", "19691231", ""})
        EXPECT_FALSE(isValidDate(bad)) << bad;
    EXPECT_FALSE(securityCode(testMasterSecret(), "20230229").has_value());
}

// --- Encodings used by the texts above ---------------------------------------------------------------------

TEST(Encoding, Base32RoundTripAndStrictness) {
    for (std::size_t n = 0; n <= 20; ++n) {
        Bytes data(n);
        randomBytes(data.data(), data.size());
        EXPECT_EQ(fromBase32(toBase32(data)), data) << n;
        EXPECT_EQ(fromBase64Url(toBase64Url(data)), data) << n;
        EXPECT_EQ(fromHex(toHex(data)), data) << n;
    }
    EXPECT_EQ(toBase32(Bytes{'f', 'o', 'o', 'b', 'a', 'r'}), "MZXW6YTBOI");
    EXPECT_FALSE(fromBase32("MZXW6YTBOJ").has_value()); // non-zero trailing bits
    EXPECT_FALSE(fromBase32("M").has_value());
    EXPECT_FALSE(fromBase32("MZXW6YTBO1").has_value());
    EXPECT_FALSE(fromHex("abc").has_value());
    EXPECT_FALSE(fromHex("zz").has_value());
    EXPECT_FALSE(fromBase64Url("Zg==").has_value());
    EXPECT_FALSE(fromBase64Url("Z+8").has_value());
}

TEST(Encoding, MacAddresses) {
    EXPECT_EQ(formatMac(*parseMac("AA:bb:0C:dd:EE:0f")), "aa-bb-0c-dd-ee-0f");
    for (const char* bad : {"", "aa-bb-cc-dd-ee", "aa-bb-cc-dd-ee-ff-00", "aa-bb:cc-dd-ee-ff", "aa-bb-cc-dd-ee-fg",
                            "aabbccddeeff", "aa.bb.cc.dd.ee.ff"})
        EXPECT_FALSE(parseMac(bad).has_value()) << bad;
}

// --- Untrusted input: random damage never crashes a parser, and whatever parses re-encodes to itself --------

TEST(Robustness, MutatedInputsAreHandledSafely) {
    KeyRequest r = sampleRequest();
    r.devicePublicKey = generateKeyPair().publicKey;
    r.certificate = Signature{};
    const std::string doc = *buildKeyRequest(r, kKeyRequestQrMaxSize);
    const std::string key = *signResetKey(testManufacturerKeyPair(), r);
    Payload p;
    p.addText(1, "pw");
    p.add(2, Bytes(40, 7));
    const Bytes payload = *encodePayload(p);
    const char alphabet[] = "<>/&;AZaz27=-_ \n\x01\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 ? doc : key;
        Bytes bytes = payload;
        for (std::uint32_t edits = 1 + randomUniform(4); edits > 0; --edits) {
            const std::uint32_t op = text.empty() ? 2 : randomUniform(3);
            const std::size_t at = randomUniform(static_cast<std::uint32_t>(text.size()));
            const char c = alphabet[randomUniform(sizeof alphabet - 1)];
            if (op == 0)
                text[at] = c;
            else if (op == 1)
                text.erase(at, 1 + randomUniform(8));
            else
                text.insert(at, 1 + randomUniform(3), c);
            if (bytes.empty())
                break;
            const std::size_t byteAt = randomUniform(static_cast<std::uint32_t>(bytes.size()));
            if (op == 1)
                bytes.resize(byteAt);
            else
                bytes[byteAt] ^= static_cast<std::uint8_t>(1 + randomUniform(255));
        }
        if (const auto parsed = parseKeyRequest(text)) {
            const auto again = parseKeyRequest(*buildKeyRequest(*parsed, kKeyRequestQrMaxSize));
            ASSERT_TRUE(again.has_value()) << text;
            EXPECT_EQ(again->serial, parsed->serial);
            EXPECT_EQ(again->nonce, parsed->nonce);
            EXPECT_EQ(again->expiry, parsed->expiry);
        }
        // Only edits that leave the key's meaning alone (case, grouping, line breaks) may still verify.
        std::string normal;
        for (char c : text) {
            if (!std::strchr(" -\t\r\n", c) || c == '\0')
                normal += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        const bool sameKey = normal == key && text.size() <= 256;
        EXPECT_EQ(verifyResetKey(text, r.serial, r.nonce, kNow, {testManufacturerKeyPair().publicKey}) ==
                      ResetKeyStatus::Ok,
                  sameKey)
            << text;
        if (const auto decoded = decodePayload(bytes)) {
            EXPECT_EQ(encodePayload(*decoded), bytes);
        }
    }
}
