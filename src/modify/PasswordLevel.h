#pragma once

#include <string>

// Rates a new device password: 0 not acceptable (shorter than 8 characters, equal to the user name or
// its reverse, or of one kind of character only), 1 weak (digits with letters of one case), 2 medium
// (any other two kinds), 3 strong (three or four kinds). Kinds: digits, upper-case, lower-case, other.
// Both texts are 8-bit; each byte counts as one character. The program and the devices share this rule.
int passwordLevel(const std::string& userName, const std::string& password);
