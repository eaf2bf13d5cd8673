#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

// The network part that the library's device record, the program's record and the change record share. Texts are
// copied up to their terminator and the rest of the field is zeroed, so no byte after a terminator travels on; the
// change record's IPv6 fields are wider than the records', and an IPv6 text never fills even the narrower one.
namespace VEXA {

template <std::size_t N, std::size_t M>
void copyRecordText(char (&target)[N], const char (&source)[M]) {
    std::memset(target, 0, N);
    std::memcpy(target, source, std::min(N, strnlen(source, M)));
}

template <typename To, typename From>
void copyNetworkPart(To& to, const From& from) {
    copyRecordText(to.ipv4Address, from.ipv4Address);
    copyRecordText(to.ipv4SubnetMask, from.ipv4SubnetMask);
    copyRecordText(to.ipv4Gateway, from.ipv4Gateway);
    copyRecordText(to.ipv6Address, from.ipv6Address);
    copyRecordText(to.ipv6Gateway, from.ipv6Gateway);
    copyRecordText(to.deviceName, from.deviceName);
    to.port = static_cast<decltype(to.port)>(from.port);
    to.httpPort = static_cast<decltype(to.httpPort)>(from.httpPort);
    to.rtspPort = static_cast<decltype(to.rtspPort)>(from.rtspPort);
    to.ipv6PrefixLength = from.ipv6PrefixLength;
    to.dhcpEnabled = from.dhcpEnabled;
}

} // namespace VEXA
