// Text forms of bytes, MAC addresses and serial numbers.
#include <sodium.h>

#include "internal.h"

namespace vexa::crypto {

namespace {

constexpr char kBase32Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int base32Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    if (c >= '2' && c <= '7')
        return c - '2' + 26;
    return -1;
}

} // namespace

std::string toHex(ByteView bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size * 2);
    for (std::size_t i = 0; i < bytes.size; ++i) {
        out.push_back(digits[bytes.data[i] >> 4]);
        out.push_back(digits[bytes.data[i] & 0x0F]);
    }
    return out;
}

std::optional<Bytes> fromHex(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = hexValue(text[i]);
        const int lo = hexValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return out;
}

std::string toBase64Url(ByteView bytes) {
    detail::ensureInit();
    constexpr int variant = sodium_base64_VARIANT_URLSAFE_NO_PADDING;
    std::string out(sodium_base64_ENCODED_LEN(bytes.size, variant), '\0');
    static const std::uint8_t empty = 0;
    sodium_bin2base64(out.data(), out.size(), bytes.size ? bytes.data : &empty, bytes.size, variant);
    out.resize(out.size() - 1); // the terminator
    return out;
}

std::optional<Bytes> fromBase64Url(std::string_view text) {
    detail::ensureInit();
    Bytes out(text.size() * 3 / 4 + 1);
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_URLSAFE_NO_PADDING) != 0)
        return std::nullopt;
    if (end != text.data() + text.size())
        return std::nullopt;
    out.resize(length);
    return out;
}

std::string toBase32(ByteView bytes) {
    std::string out;
    out.reserve((bytes.size * 8 + 4) / 5);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < bytes.size; ++i) {
        buffer = (buffer << 8) | bytes.data[i];
        bits += 8;
        while (bits >= 5) {
            out.push_back(kBase32Alphabet[(buffer >> (bits - 5)) & 0x1F]);
            bits -= 5;
        }
    }
    if (bits > 0)
        out.push_back(kBase32Alphabet[(buffer << (5 - bits)) & 0x1F]);
    return out;
}

std::optional<Bytes> fromBase32(std::string_view text) {
    Bytes out;
    out.reserve(text.size() * 5 / 8);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        if (c == ' ' || c == '-')
            continue;
        const int v = base32Value(c);
        if (v < 0)
            return std::nullopt;
        buffer = (buffer << 5) | static_cast<std::uint32_t>(v);
        bits += 5;
        if (bits >= 8) {
            out.push_back(static_cast<std::uint8_t>((buffer >> (bits - 8)) & 0xFF));
            bits -= 8;
        }
        buffer &= 0xFF; // at most 7 pending bits matter
    }
    // A canonical text leaves fewer than 5 bits over, all zero: one key has exactly one text.
    if (bits >= 5 || (buffer & ((1u << bits) - 1)) != 0)
        return std::nullopt;
    return out;
}

std::string formatMac(const Mac& mac) {
    std::string out;
    for (std::size_t i = 0; i < mac.size(); ++i) {
        if (i > 0)
            out.push_back('-');
        out += toHex(ByteView(&mac[i], 1));
    }
    return out;
}

std::optional<Mac> parseMac(std::string_view text) {
    if (text.size() != 17)
        return std::nullopt;
    const char separator = text[2];
    if (separator != '-' && separator != ':')
        return std::nullopt;
    Mac mac{};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = i * 3;
        if (i > 0 && text[at - 1] != separator)
            return std::nullopt;
        const int hi = hexValue(text[at]);
        const int lo = hexValue(text[at + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return mac;
}

bool isValidSerial(std::string_view serial) {
    if (serial.empty() || serial.size() > kMaxSerialLength)
        return false;
    for (char c : serial) {
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace vexa::crypto
