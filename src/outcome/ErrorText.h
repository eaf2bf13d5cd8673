#pragma once

#include <cstdint>

#include <QCoreApplication>
#include <QString>

namespace VexaTool {

// The one place that turns a discovery library code (libvexa/include/vexa.h) into words for the user.
// Every page reports a device call through these, so one code reads the same everywhere.
class ErrorText {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::ErrorText)

public:
    // Where a code is shown. The pages have always worded a few codes their own way; those words stay, as rows of
    // the same table, under the translation context of the page they belong to.
    enum class Form {
        Sentence,           // a warning dialog's message
        SingleActivation,   // the warning after activating one device
        BatchActivation,    // a result row after activating several
        SingleModification, // the warning after changing one device's network parameters
        BatchModification,  // a result row after changing several
        PlanResult,         // a result row and a receipt line of a deployment plan
    };

    // One translated sentence for the code; a code the library does not define still gets words and its number.
    static QString sentence(uint32_t code);
    // "Error<code>:<sentence>", the form a result column shows.
    static QString withCode(uint32_t code);
    // The words of the code as form shows them.
    static QString text(Form form, uint32_t code);
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
