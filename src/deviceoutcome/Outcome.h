#pragma once

#include <cstdint>
#include <string>

namespace VexaTool {

// What one device operation came to, as a value: what the program knows happened, and the library's code that
// says why (libvexa/include/vexa.h). No words: a person's sentence is made from it where it is shown or written
// (ErrorText in the program, the command line's own table). Plain C++, shared by the program and the command line.
struct Outcome {
    enum class Kind : uint8_t {
        NotSent, // nothing went to the device: the run was stopped, or an earlier change it needed failed
        Done,    // the device took the change (code 0)
        Failed,  // the device did not take it and kept its old state (code says why)
        Unknown, // no answer that settles it: the change may have been applied, check the device
    };

    Kind kind = Kind::NotSent;
    uint32_t code = 0; // 0 when done or stopped

    static Outcome done() { return {Kind::Done, 0}; }
    static Outcome notSent(uint32_t code = 0) { return {Kind::NotSent, code}; }
    // A call that went out, from the library's code (0: done).
    static Outcome ofCode(uint32_t code);
    // A call that went out, from its return value and, when it failed, the library's last error on the calling
    // thread. A failure without a code is not known to have left the device alone.
    static Outcome ofCall(bool ok, uint32_t lastError);

    bool isDone() const { return kind == Kind::Done; }
    bool wasSent() const { return kind != Kind::NotSent; }
    bool operator==(const Outcome& other) const { return kind == other.kind && code == other.code; }
    bool operator!=(const Outcome& other) const { return !(*this == other); }
};

// The fixed English word of a kind ("done", "failed", "unknown", "not sent"), as files store it; never translated.
const char* outcomeKindName(Outcome::Kind kind);
// The kind a stored word names; false (and kind untouched) for a word that names none.
bool outcomeKindFromName(const std::string& name, Outcome::Kind& kind);

} // namespace VexaTool
