#pragma once

#include <cstdint>

#include <QCoreApplication>
#include <QString>

namespace VexaTool {

// The one place that turns a discovery library code (libvexa/include/vexa.h) into words for the user.
// Every page reports a failed device call through these, so one code reads the same everywhere.
class ErrorText {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::ErrorText)

public:
    // One translated sentence for the code; a code the library does not define still gets words and its number.
    static QString sentence(uint32_t code);
    // "Error<code>:<sentence>", the form a result column shows.
    static QString withCode(uint32_t code);
    // Whether the library defines the code (tests and callers that want to tell unknown codes apart).
    static bool isKnown(uint32_t code);
};

// Shorthands used by the pages.
inline QString errorText(uint32_t code) {
    return ErrorText::sentence(code);
}
inline QString errorTextWithCode(uint32_t code) {
    return ErrorText::withCode(code);
}

} // namespace VexaTool
