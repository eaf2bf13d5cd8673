#pragma once

// Device texts on their way to a terminal or a file: whatever bytes a device sends, none of them may act as a
// terminal command or turn the text's direction.

#include <string>
#include <string_view>

namespace cli {

// For a terminal: UTF-8 passes, except controls (C0, DEL, C1) and bidirectional controls, written as \u{XXXX},
// bytes that are not UTF-8, written as \xNN, and the backslash, written twice so that the escapes stay unambiguous.
std::string terminalText(std::string_view text);

// For a CSV cell: the same controls written as \u{XXXX}, but a backslash kept as it is, so that every text without
// controls comes back exactly from the file (a plan reads names from it); a text with controls comes back marked.
std::string markedText(std::string_view text);

// A JSON text (UTF-8) with the C1 and bidirectional controls inside its strings written as \uXXXX escapes: still
// the same JSON value, but inert when printed.
std::string inertJson(std::string_view json);

// True for the code points escaped above besides C0 and DEL: C1 controls, the bidirectional controls and the other
// invisible format characters (zero-width ones, word joiners, the byte-order mark, tags, fillers).
bool isHiddenControl(char32_t c);

} // namespace cli
