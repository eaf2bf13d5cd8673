// Security codes: a per-device secret from the manufacturer's master secret, and a code per UTC day.
#include <cstdio>
#include <sodium.h>

#include "internal.h"

namespace vexa::crypto {

namespace {

constexpr std::size_t kCodeBytes = 10; // 80 bits, 16 base32 characters
constexpr std::size_t kMaxTypedCode = 64;
constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 -> civil date (proleptic Gregorian); valid for the whole int64 day range we use.
void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += (m <= 2);
}

std::array<std::uint8_t, kCodeBytes> codeBytes(const DeviceSecret& deviceSecret, std::string_view date) {
    Bytes message;
    detail::appendText(message, "VEXA-SECURITY-CODE-1");
    detail::appendField(message, date);
    std::array<std::uint8_t, crypto_generichash_BYTES_MIN> full{};
    crypto_generichash(full.data(), full.size(), message.data(), message.size(), deviceSecret.bytes.data(),
                       deviceSecret.bytes.size());
    std::array<std::uint8_t, kCodeBytes> out{};
    std::copy(full.begin(), full.begin() + kCodeBytes, out.begin());
    wipe(full.data(), full.size());
    return out;
}

} // namespace

MasterSecret generateMasterSecret() {
    MasterSecret secret;
    randomBytes(secret.bytes.data(), secret.bytes.size());
    return secret;
}

std::optional<DeviceSecret> deriveDeviceSecret(const MasterSecret& master, std::string_view serial) {
    detail::ensureInit();
    if (!isValidSerial(serial))
        return std::nullopt;
    Bytes message;
    detail::appendText(message, "VEXA-DEVICE-SECRET-1");
    detail::appendField(message, serial);
    DeviceSecret secret;
    crypto_generichash(secret.bytes.data(), secret.bytes.size(), message.data(), message.size(), master.bytes.data(),
                       master.bytes.size());
    return secret;
}

std::optional<std::string> securityCode(const DeviceSecret& deviceSecret, std::string_view date) {
    detail::ensureInit();
    if (!isValidDate(date))
        return std::nullopt;
    auto bytes = codeBytes(deviceSecret, date);
    std::string code = toBase32(bytes);
    wipe(bytes.data(), bytes.size());
    return code;
}

bool verifySecurityCode(const DeviceSecret& deviceSecret, std::string_view code, std::int64_t nowUnixSeconds) {
    detail::ensureInit();
    const auto stripped = detail::stripGrouping(code, kMaxTypedCode);
    if (!stripped)
        return false;
    auto typed = fromBase32(*stripped);
    if (!typed || typed->size() != kCodeBytes)
        return false;
    bool ok = false;
    // Today and yesterday (UTC): a code issued late in the day must still work just after midnight.
    for (std::int64_t back = 0; back <= 1; ++back) {
        auto expected = codeBytes(deviceSecret, utcDate(nowUnixSeconds - back * kSecondsPerDay));
        ok = equalConstantTime(*typed, expected) || ok;
        wipe(expected.data(), expected.size());
    }
    wipe(typed->data(), typed->size());
    return ok;
}

std::string utcDate(std::int64_t unixSeconds) {
    std::int64_t days = unixSeconds / kSecondsPerDay;
    if (unixSeconds % kSecondsPerDay < 0)
        --days;
    std::int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    civilFromDays(days, y, m, d);
    if (y < 0 || y > 9999)
        return "00000000"; // outside what a device clock can show; never a valid date, so never a valid code
    char text[16];
    std::snprintf(text, sizeof text, "%04lld%02u%02u", static_cast<long long>(y), m, d);
    return text;
}

bool isValidDate(std::string_view date) {
    if (date.size() != 8)
        return false;
    for (char c : date) {
        if (c < '0' || c > '9')
            return false;
    }
    const int year = std::stoi(std::string(date.substr(0, 4)));
    const int month = std::stoi(std::string(date.substr(4, 2)));
    const int day = std::stoi(std::string(date.substr(6, 2)));
    if (year < 1970 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int daysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = daysIn[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

} // namespace vexa::crypto
