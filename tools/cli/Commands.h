#pragma once

#include <string>
#include <vector>

#include "vexa.h"

namespace cli {

// Prints every device found within the given time, one line (or one JSON object) each, as it is found.
int discover(const std::vector<std::string>& args);

// The device operations; -1 for an unknown command.
int operation(const std::string& command, const std::vector<std::string>& args);
const char* operationsUsage();

// One JSON object with every field of the record; texts as JSON strings (bytes that are not UTF-8 replaced).
std::string deviceJson(const VEXA_DEVICE_INFO& info);

// A plain sentence for every library code.
const char* errorSentence(uint32_t code);

// Seconds to listen: a number from 0 to one day; false for anything else.
bool parseSeconds(const std::string& text, double& out);

// Warns on standard error when VEXA_TRUSTED_KEYS held entries that are not keys (and no key at all).
void warnAboutTrustedKeys();

} // namespace cli
