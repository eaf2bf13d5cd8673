#include "passwordrule/PasswordLevel.h"

namespace {

// One rule for bytes (what a device counts) and for characters (what the user typed).
template <typename Text>
int rate(const Text& userName, const Text& password) {
    const Text reversedName(userName.rbegin(), userName.rend());
    if (password.size() < 8 || password == userName || password == reversedName)
        return 0;

    std::size_t digits = 0;
    std::size_t upper = 0;
    std::size_t lower = 0;
    for (const auto c : password) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c >= 'A' && c <= 'Z')
            ++upper;
        else if (c >= 'a' && c <= 'z')
            ++lower;
    }
    const std::size_t other = password.size() - digits - upper - lower;
    const int kinds = (digits > 0) + (upper > 0) + (lower > 0) + (other > 0);

    if (kinds == 1)
        return 0;
    if (kinds >= 3)
        return 3;
    if (digits > 0 && (upper > 0 || lower > 0))
        return 1;
    return 2;
}

} // namespace

int passwordLevel(const std::string& userName, const std::string& password) {
    return rate(userName, password);
}

int passwordLevel(const std::u32string& userName, const std::u32string& password) {
    return rate(userName, password);
}
