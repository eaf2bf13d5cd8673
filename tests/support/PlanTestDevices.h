#pragma once

// Listed devices as a plan sees them, for the plan's checks, preview, batch and pictures.

#include <string>

#include "deployment/PlanValidator.h"

namespace testsupport {

// An activated device that takes DHCP, with its web server on 80 and RTSP on 554.
inline VexaTool::plan::PlanDevice planDevice(const std::string& serial, const std::string& mac,
                                             const std::string& ipv4) {
    VexaTool::plan::PlanDevice d;
    d.serial = serial;
    d.mac = mac;
    d.ipv4 = ipv4;
    d.httpPort = 80;
    d.rtspPort = 554;
    d.activated = true;
    d.supportsDhcp = true;
    d.capabilities = VEXA_CAN_ACTIVATE | VEXA_CAN_RECOVER | VEXA_CAN_SET_PORT | VEXA_CAN_SET_IPV6;
    return d;
}

// The same on a subnet behind a gateway, named "old" and serving on 8000: what a plan's changes differ from.
inline VexaTool::plan::PlanDevice planDevice(const std::string& serial, const std::string& mac, const std::string& ipv4,
                                             const std::string& mask, const std::string& gateway) {
    VexaTool::plan::PlanDevice d = planDevice(serial, mac, ipv4);
    d.mask = mask;
    d.gateway = gateway;
    d.name = "old";
    d.port = 8000;
    return d;
}

} // namespace testsupport
