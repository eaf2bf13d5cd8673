#include "SafeText.h"

#include <cstdio>

namespace cli {

namespace {

// The code point at text[at] and its length in bytes; length 0 for a byte that does not start valid UTF-8.
char32_t decode(std::string_view text, size_t at, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b = byte(at);
    length = 0;
    if (b < 0x80) {
        length = 1;
        return b;
    }
    size_t n = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((b & 0xe0) == 0xc0) {
        n = 2;
        c = b & 0x1f;
        least = 0x80;
    } else if ((b & 0xf0) == 0xe0) {
        n = 3;
        c = b & 0x0f;
        least = 0x800;
    } else if ((b & 0xf8) == 0xf0) {
        n = 4;
        c = b & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + n > text.size())
        return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
        c = c << 6 | (byte(at + i) & 0x3f);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if (c < least || (c >= 0xd800 && c <= 0xdfff) || c > 0x10ffff)
        return 0;
    length = n;
    return c;
}

// Copies text code point by code point; escape writes its own form of a code point and says so, invalid writes
// the form of a byte that does not start valid UTF-8.
template <typename Escape, typename Invalid>
std::string rewrite(std::string_view text, Escape escape, Invalid invalid) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        size_t length = 0;
        const char32_t c = decode(text, at, length);
        if (length == 0) {
            invalid(out, static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (!escape(out, c))
            out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

void appendFormatted(std::string& out, const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

} // namespace

bool isHiddenControl(char32_t c) {
    // Ranges of code points that show nothing or turn the text around; a serial number with one of them can look
    // like another device's.
    static constexpr char32_t kRanges[][2] = {
        {0x80, 0x9f},     {0xad, 0xad},     {0x34f, 0x34f},     {0x61c, 0x61c},     {0x115f, 0x1160}, {0x17b4, 0x17b5},
        {0x180b, 0x180f}, {0x200b, 0x200f}, {0x2028, 0x202e},   {0x2060, 0x206f},   {0x3164, 0x3164}, {0xfeff, 0xfeff},
        {0xffa0, 0xffa0}, {0xfff9, 0xfffb}, {0x1d173, 0x1d17a}, {0xe0000, 0xe0fff},
    };
    for (const auto& range : kRanges)
        if (c >= range[0] && c <= range[1])
            return true;
    return false;
}

std::string terminalText(std::string_view text) {
    return rewrite(
        text,
        [](std::string& out, char32_t c) {
            if (c < 0x20 || c == 0x7f || isHiddenControl(c))
                appendFormatted(out, "\\u{%04X}", static_cast<unsigned>(c));
            else if (c == '\\')
                out += "\\\\";
            else
                return false;
            return true;
        },
        [](std::string& out, unsigned char byte) { appendFormatted(out, "\\x%02X", byte); });
}

std::string markedText(std::string_view text) {
    return rewrite(
        text,
        [](std::string& out, char32_t c) {
            if (c >= 0x20 && c != 0x7f && !isHiddenControl(c))
                return false;
            appendFormatted(out, "\\u{%04X}", static_cast<unsigned>(c));
            return true;
        },
        [](std::string& out, unsigned char byte) { appendFormatted(out, "\\x%02X", byte); });
}

std::string inertJson(std::string_view json) {
    return rewrite(
        json,
        [](std::string& out, char32_t c) {
            // Outside strings JSON has only ASCII, so any of these is inside a string, where the escape means the
            // same.
            if (!isHiddenControl(c))
                return false;
            appendFormatted(out, "\\u%04x", static_cast<unsigned>(c));
            return true;
        },
        // Not UTF-8, so not JSON text: never passed on as it is.
        [](std::string& out, unsigned char) { out += "\\ufffd"; });
}

} // namespace cli
