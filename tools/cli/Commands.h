#pragma once

#include <string>
#include <vector>

namespace cli {

// Prints every device found within the given time, one line (or one JSON object) each, as it is found.
int discover(const std::vector<std::string>& args);

// The device operations; -1 for an unknown command.
int operation(const std::string& command, const std::vector<std::string>& args);
const char* operationsUsage();

std::string jsonEscape(const char* text, size_t width);

} // namespace cli
