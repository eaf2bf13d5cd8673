// Password reset by key exchange: the key request document and the manufacturer's reset key.
#include <limits>

#include "internal.h"

namespace vexa::crypto {

namespace {

constexpr std::uint8_t kResetKeyVersion = 1;
constexpr std::size_t kResetKeyBytes = 1 + 8 + kSignatureSize;
constexpr std::size_t kMaxTypedKey = 256; // the width of the key field in the reset record

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out.push_back(c);
        }
    }
}

void appendElement(std::string& out, std::string_view name, std::string_view escapedValue) {
    out += '<';
    out += name;
    out += '>';
    out += escapedValue;
    out += "</";
    out += name;
    out += '>';
}

// A cursor over the document; every step is bounds-checked and a failed step leaves `ok` false for good.
class Reader {
public:
    explicit Reader(std::string_view text)
        : text_(text) {}

    bool atEnd() const { return pos_ == text_.size(); }

    void skipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n'))
            ++pos_;
    }

    bool peek(std::string_view token) const { return text_.substr(pos_, token.size()) == token; }

    bool expect(std::string_view token) {
        if (!peek(token))
            return false;
        pos_ += token.size();
        return true;
    }

    bool skipDeclaration() {
        if (!peek("<?xml"))
            return true;
        const std::size_t end = text_.find("?>", pos_);
        if (end == std::string_view::npos)
            return false;
        pos_ = end + 2;
        return true;
    }

    // <name>text</name>, entities decoded; nullopt on anything else.
    std::optional<std::string> element(std::string_view name) {
        skipSpace();
        if (!expect("<") || !expect(name) || !expect(">"))
            return std::nullopt;
        std::string value;
        while (pos_ < text_.size() && text_[pos_] != '<') {
            const char c = text_[pos_];
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c == '&') {
                const auto decoded = entity();
                if (!decoded)
                    return std::nullopt;
                value.push_back(*decoded);
                continue;
            }
            value.push_back(c);
            ++pos_;
        }
        if (!expect("</") || !expect(name) || !expect(">"))
            return std::nullopt;
        return value;
    }

private:
    std::optional<char> entity() {
        static constexpr std::pair<std::string_view, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        for (const auto& [token, c] : entities) {
            if (expect(token))
                return c;
        }
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::optional<std::int64_t> parseUnixTime(std::string_view text) {
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> fixedFromBase64Url(std::string_view text) {
    const auto bytes = fromBase64Url(text);
    if (!bytes || bytes->size() != N)
        return std::nullopt;
    std::array<std::uint8_t, N> out{};
    std::copy(bytes->begin(), bytes->end(), out.begin());
    return out;
}

std::optional<Bytes> resetKeyMessage(std::string_view serial, const ResetNonce& nonce, std::int64_t expiry) {
    if (!isValidSerial(serial) || expiry < 0)
        return std::nullopt;
    Bytes message;
    detail::appendText(message, "VEXA-RESET-KEY-1");
    detail::appendField(message, serial);
    detail::appendField(message, ByteView(nonce));
    detail::appendU64(message, static_cast<std::uint64_t>(expiry));
    return message;
}

struct DecodedResetKey {
    std::int64_t expiry = 0;
    Signature signature{};
};

std::optional<DecodedResetKey> decodeResetKey(std::string_view keyText) {
    const auto stripped = detail::stripGrouping(keyText, kMaxTypedKey);
    if (!stripped)
        return std::nullopt;
    const auto bytes = fromBase32(*stripped);
    if (!bytes || bytes->size() != kResetKeyBytes || (*bytes)[0] != kResetKeyVersion)
        return std::nullopt;
    std::uint64_t expiry = 0;
    for (std::size_t i = 1; i <= 8; ++i)
        expiry = expiry << 8 | (*bytes)[i];
    if (expiry > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    DecodedResetKey key;
    key.expiry = static_cast<std::int64_t>(expiry);
    std::copy(bytes->begin() + 9, bytes->end(), key.signature.begin());
    return key;
}

} // namespace

std::optional<std::string> buildKeyRequest(const KeyRequest& request, std::size_t maxSize) {
    if (!isValidSerial(request.serial) || request.expiry < 0 ||
        request.devicePublicKey.has_value() != request.certificate.has_value())
        return std::nullopt;
    std::string out = "<KeyRequest>";
    std::string serial;
    appendEscaped(serial, request.serial);
    appendElement(out, "Serial", serial);
    appendElement(out, "MAC", formatMac(request.mac));
    appendElement(out, "Nonce", toBase64Url(request.nonce));
    appendElement(out, "Expiry", std::to_string(request.expiry));
    if (request.devicePublicKey) {
        appendElement(out, "DeviceKey", toBase64Url(*request.devicePublicKey));
        appendElement(out, "Cert", toBase64Url(*request.certificate));
    }
    out += "</KeyRequest>";
    if (out.size() > maxSize)
        return std::nullopt;
    return out;
}

std::optional<KeyRequest> parseKeyRequest(std::string_view text) {
    if (text.size() > kKeyRequestQrMaxSize)
        return std::nullopt;
    Reader reader(text);
    reader.skipSpace();
    if (!reader.skipDeclaration())
        return std::nullopt;
    reader.skipSpace();
    if (!reader.expect("<KeyRequest>"))
        return std::nullopt;

    KeyRequest request;
    const auto serial = reader.element("Serial");
    if (!serial || !isValidSerial(*serial))
        return std::nullopt;
    request.serial = *serial;

    const auto macText = reader.element("MAC");
    const auto mac = macText ? parseMac(*macText) : std::nullopt;
    if (!mac)
        return std::nullopt;
    request.mac = *mac;

    const auto nonceText = reader.element("Nonce");
    const auto nonce = nonceText ? fixedFromBase64Url<kResetNonceSize>(*nonceText) : std::nullopt;
    if (!nonce)
        return std::nullopt;
    request.nonce = *nonce;

    const auto expiryText = reader.element("Expiry");
    const auto expiry = expiryText ? parseUnixTime(*expiryText) : std::nullopt;
    if (!expiry)
        return std::nullopt;
    request.expiry = *expiry;

    reader.skipSpace();
    if (reader.peek("<DeviceKey>")) {
        const auto keyText = reader.element("DeviceKey");
        const auto key = keyText ? fixedFromBase64Url<kPublicKeySize>(*keyText) : std::nullopt;
        const auto certText = reader.element("Cert");
        const auto cert = certText ? fixedFromBase64Url<kSignatureSize>(*certText) : std::nullopt;
        if (!key || !cert)
            return std::nullopt;
        request.devicePublicKey = *key;
        request.certificate = *cert;
    }

    reader.skipSpace();
    if (!reader.expect("</KeyRequest>"))
        return std::nullopt;
    reader.skipSpace();
    if (!reader.atEnd())
        return std::nullopt;
    return request;
}

std::optional<std::string> signResetKey(const KeyPair& manufacturer, const KeyRequest& request) {
    const auto message = resetKeyMessage(request.serial, request.nonce, request.expiry);
    if (!message)
        return std::nullopt;
    const auto signature = sign(manufacturer, *message);
    if (!signature)
        return std::nullopt;
    Bytes key;
    key.push_back(kResetKeyVersion);
    detail::appendU64(key, static_cast<std::uint64_t>(request.expiry));
    detail::appendBytes(key, *signature);
    return toBase32(key);
}

ResetKeyStatus verifyResetKey(std::string_view keyText, std::string_view serial, const ResetNonce& nonce,
                              std::int64_t nowUnixSeconds, const std::vector<PublicKey>& trusted) {
    const auto key = decodeResetKey(keyText);
    if (!key)
        return ResetKeyStatus::Malformed;
    const auto message = resetKeyMessage(serial, nonce, key->expiry);
    if (!message)
        return ResetKeyStatus::Malformed;
    bool signedByTrusted = false;
    for (const PublicKey& manufacturer : trusted)
        signedByTrusted = signedByTrusted || verifySignature(manufacturer, *message, key->signature);
    if (!signedByTrusted)
        return ResetKeyStatus::BadSignature;
    if (nowUnixSeconds > key->expiry)
        return ResetKeyStatus::Expired;
    return ResetKeyStatus::Ok;
}

std::optional<std::int64_t> resetKeyExpiry(std::string_view keyText) {
    const auto key = decodeResetKey(keyText);
    if (!key)
        return std::nullopt;
    return key->expiry;
}

} // namespace vexa::crypto
