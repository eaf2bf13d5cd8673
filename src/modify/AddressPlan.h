#pragma once

#include <QString>
#include <QStringList>

namespace VexaTool {

// Addresses as they go to a device. The editors' checks read each part as QString::toUInt does, which
// tolerates what a device's parser refuses (leading zeros, a sign, surrounding blanks, an IPv6 zone), so
// everything is rebuilt in its one canonical spelling before it is sent.
class AddressPlan {
public:
    enum class Fault {
        None,
        NoStart,            // no start address to count from
        PastEnd,            // the count would run past x.x.255.255
        NetworkOrBroadcast, // an address would be the subnet's network or broadcast address
        LeavesSubnet,       // an address would lie outside the start address's subnet
    };

    // "192.168.001.010" gives "192.168.1.10"; empty when the text is not four parts 0 to 255.
    static QString canonicalIpv4(const QString& text);
    // The compressed form without a zone ("FE80:0:0::1%3" gives "fe80::1"); empty when it does not parse.
    static QString canonicalIpv6(const QString& text);

    // The addresses of count devices from start, one apart, counted in the last two parts as the batch does
    // (after x.x.1.255 comes x.x.2.0). Every address must stay inside the subnet that mask gives the start
    // address and must not be that subnet's network or broadcast address; otherwise the fault and no list.
    static Fault consecutive(const QString& start, const QString& mask, int count, QStringList& addresses);
};

} // namespace VexaTool
