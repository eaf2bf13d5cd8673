#pragma once

#include <string>

// Rates a new device password: 0 not acceptable (shorter than 8 characters, equal to the user name or
// its reverse, or of one kind of character only), 1 weak (digits with letters of one case), 2 medium
// (any other two kinds), 3 strong (three or four kinds). Kinds: digits, upper-case, lower-case, other.
// Both texts are 8-bit; each byte counts as one character. The program and the devices share this rule.
int passwordLevel(const std::string& userName, const std::string& password);
// The same rule over characters as the user sees them (QString::toStdU32String()): "Pässwö1" is seven
// characters and too short, however many bytes it takes; letters outside A-Z and a-z count as other.
// Field widths are still checked on the bytes that are sent.
int passwordLevel(const std::u32string& userName, const std::u32string& password);
