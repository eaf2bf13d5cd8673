#include "Outcome.h"

#include <vexa.h>

namespace VexaTool {

Outcome Outcome::ofCode(uint32_t code) {
    switch (code) {
    case VEXA_NOERROR:
        return done();
    case VEXA_ERR_OUTCOME_UNKNOWN:
    case VEXA_ERR_NOT_BACK: // restarted to apply and lost from sight: the new values may well be in force
        return {Kind::Unknown, code};
    default:
        return {Kind::Failed, code};
    }
}

Outcome Outcome::ofCall(bool ok, uint32_t lastError) {
    if (ok)
        return done();
    return lastError == VEXA_NOERROR ? Outcome{Kind::Unknown, VEXA_ERR_OUTCOME_UNKNOWN} : ofCode(lastError);
}

namespace {

struct KindName {
    Outcome::Kind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {Outcome::Kind::NotSent, "not sent"},
    {Outcome::Kind::Done, "done"},
    {Outcome::Kind::Failed, "failed"},
    {Outcome::Kind::Unknown, "unknown"},
};

} // namespace

const char* outcomeKindName(Outcome::Kind kind) {
    for (const KindName& entry : kKindNames) {
        if (entry.kind == kind)
            return entry.name;
    }
    return "unknown";
}

bool outcomeKindFromName(const std::string& name, Outcome::Kind& kind) {
    for (const KindName& entry : kKindNames) {
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

} // namespace VexaTool
