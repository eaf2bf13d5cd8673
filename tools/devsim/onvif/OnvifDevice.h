#pragma once

// A simulated ONVIF device: identity, network settings and discovery metadata, generated from a seed or read
// back from the ONVIF state file (one device per line, key=value fields separated by tabs, as the fleet file).

#include <cstdint>
#include <string>
#include <vector>

namespace devsim::onvif {

struct OnvifDevice {
    std::string endpoint; // urn:uuid:..., the WS-Discovery EndpointReference; never changes
    std::string serial;
    std::string mac;
    std::string manufacturer;
    std::string model;
    std::string firmware;
    std::string hardwareId;
    std::string hostname;
    uint32_t address = 0; // IPv4, host order; the device's socket binds it
    int prefix = 24;
    bool dhcp = false;
    uint32_t gateway = 0;
    uint32_t dns = 0;
    int httpPort = 8080;
    int httpsPort = 443;
    bool httpsEnabled = false;
    int rtspPort = 554;
    // Configurable scopes (name, location and any a client set); the fixed ones follow from the model.
    std::vector<std::string> scopes;
    uint32_t metadataVersion = 1;
    // Set by SetNetworkInterfaces when the change waits for a reboot; 0 when nothing is pending.
    uint32_t pendingAddress = 0;
    int pendingPrefix = 0;
    bool pendingDhcp = false;
    bool pending = false;
    // Clock and account (DeviceClock.cpp). Until set, the clock runs the fleet's --onvif-clock-offset ahead of
    // the host's and the password is the fleet's --onvif-password (empty here).
    bool clockSet = false;
    int64_t clockOffset = 0;
    std::string timeZone = "UTC0";
    bool ntp = false;
    bool daylightSavings = false;
    std::vector<std::string> ntpServers;
    std::string password;
};

std::string formatAddress(uint32_t address);
bool parseAddress(const std::string& text, uint32_t& out);

// count devices from seed, addresses consecutive from base, all serving HTTP on httpPort.
std::vector<OnvifDevice> generateOnvifFleet(uint32_t count, uint64_t seed, uint32_t base, int httpPort);

// The fixed scopes (type, hardware, profile) followed by the configurable ones.
std::vector<std::string> allScopes(const OnvifDevice& device);
std::string scopeValue(const OnvifDevice& device, const std::string& prefix);
bool isFixedScope(const std::string& scope);

std::string formatOnvifFleet(const std::vector<OnvifDevice>& fleet);
bool parseOnvifFleet(const std::string& text, std::vector<OnvifDevice>& out, std::string& error);

} // namespace devsim::onvif
