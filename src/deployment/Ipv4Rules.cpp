#include "Ipv4Rules.h"

#include <array>

namespace VexaTool::plan {

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Splits at every '.', keeping empty parts; false unless there are exactly four.
bool fourParts(std::string_view text, std::array<std::string_view, 4>& parts) {
    size_t count = 0;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        if (count == 4)
            return false;
        parts[count++] = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return count == 4;
}

bool octets(std::string_view text, std::array<uint32_t, 4>& values) {
    std::array<std::string_view, 4> parts;
    if (!fourParts(text, parts))
        return false;
    for (size_t i = 0; i < 4; ++i) {
        if (!parseDecimal(parts[i], values[i]) || values[i] > 255)
            return false;
    }
    return true;
}

} // namespace

bool parseDecimal(std::string_view text, uint32_t& value) {
    while (!text.empty() && isAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    uint64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > 0xFFFFFFFFu)
            return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

bool isValidIpv4(std::string_view text) {
    std::array<uint32_t, 4> v{};
    return octets(text, v) && v[3] != 0;
}

bool isValidGateway(std::string_view text) {
    std::array<std::string_view, 4> parts;
    if (!fourParts(text, parts))
        return false;
    if (text == "0.0.0.0")
        return true;
    std::array<uint32_t, 4> v{};
    return octets(text, v) && v[3] != 0 && v[3] != 255;
}

bool isValidSubnetMask(std::string_view text) {
    // Written exactly, without leading zeros or spaces: the leading octets 255, then one of these, then zeros;
    // 255.255.255.255 is not a mask a device can use.
    static constexpr std::string_view kEdges[] = {"254", "252", "248", "240", "224", "192", "128", "0"};
    std::array<std::string_view, 4> parts;
    if (!fourParts(text, parts))
        return false;
    size_t i = 0;
    while (i < 3 && parts[i] == "255")
        ++i;
    bool edge = false;
    for (const std::string_view e : kEdges)
        edge = edge || parts[i] == e;
    if (!edge)
        return false;
    for (size_t j = i + 1; j < 4; ++j) {
        if (parts[j] != "0")
            return false;
    }
    return true;
}

bool ipv4Number(std::string_view text, uint32_t& value) {
    std::array<uint32_t, 4> v{};
    if (!octets(text, v))
        return false;
    value = (v[0] << 24) | (v[1] << 16) | (v[2] << 8) | v[3];
    return true;
}

std::string canonicalIpv4(std::string_view text) {
    std::array<uint32_t, 4> v{};
    if (!octets(text, v))
        return {};
    return std::to_string(v[0]) + '.' + std::to_string(v[1]) + '.' + std::to_string(v[2]) + '.' + std::to_string(v[3]);
}

} // namespace VexaTool::plan
