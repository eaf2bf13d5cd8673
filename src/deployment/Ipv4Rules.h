#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The IPv4 address, mask and gateway rules on byte strings: the one rule set of the program (common/AddressValidation
// is its Qt face) and of the command-line client.
namespace VexaTool::plan {

// A decimal number as QString::toUInt(base 10) reads it: ASCII white space around, an optional '+', digits,
// at most 4294967295.
bool parseDecimal(std::string_view text, uint32_t& value);

bool isValidIpv4(std::string_view text);
bool isValidSubnetMask(std::string_view text);
bool isValidGateway(std::string_view text);

// The address as one number, first part highest; false when the text is not four decimal parts of at most 255.
bool ipv4Number(std::string_view text, uint32_t& value);

// "010.001.002.003" as "10.1.2.3": the rules accept leading zeros, white space and '+' in a part, which other
// readers take for octal or refuse; what is compared and sent is this form. Empty when the text is not four
// decimal parts of at most 255.
std::string canonicalIpv4(std::string_view text);

} // namespace VexaTool::plan
