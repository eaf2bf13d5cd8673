#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace VexaTool::plan {

// A text field of a vexa.h record as bytes: up to its first NUL, or its whole width when it has none (a text that
// fills its field has no terminator). The one reader of fixed-width fields for code without Qt; the program's
// Qt side reads them through recordText (discovery/DeviceRecord.h).
inline std::string fieldText(const char* field, std::size_t width) {
    return std::string(field, strnlen(field, width));
}

template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
    return fieldText(field, N);
}

} // namespace VexaTool::plan
