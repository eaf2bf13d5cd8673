#pragma once

#include <QString>

// Checks of the addresses an installer types for a device. Each returns a plain yes or no and keeps no
// state. The IPv4 ones are thin faces over the Qt-free rules of deployment/Ipv4Rules.h, which the command-line
// client uses too; decimal parts are read as QString::toUInt reads ASCII digits (leading zeros, a '+' and blanks
// around a part allowed), hexadecimal IPv6 groups likewise.

// Four decimal parts 0 to 255, the last not 0.
bool isValidIpv4(const QString& text);
// A contiguous mask from 0.0.0.0 to 255.255.255.254, written without leading zeros.
bool isValidSubnetMask(const QString& text);
// "0.0.0.0" (no gateway), or four decimal parts 0 to 255, the last neither 0 nor 255.
bool isValidGateway(const QString& text);
// A well-formed IPv6 address, optionally with an embedded IPv4 tail and a zone suffix ("%3").
bool isValidIpv6(const QString& text);
