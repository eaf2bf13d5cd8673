#pragma once

// A stand-in ONVIF device that answers with texts recorded from devices this project did not write
// (tests/data/onvif-recorded: one folder per device, one file per operation). An operation without a recording
// gets ActionNotSupported with HTTP 500, as those devices answer it. SetScopes is kept: the recorded GetScopes
// answer then carries the new configurable scopes, in the recording's own prefixes. Played by
// `vexa-devsim --onvif-recorded DIR`; HTTP on libmicrohttpd's own thread.

#include <cstdint>
#include <mutex>
#include <pugixml.hpp>
#include <string>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace devsim::onvif {

class RecordedDevice {
public:
    RecordedDevice(std::string folder, std::string address, uint16_t port);
    ~RecordedDevice();
    RecordedDevice(const RecordedDevice&) = delete;
    RecordedDevice& operator=(const RecordedDevice&) = delete;

    bool start(std::string& error);
    std::string serviceUrl() const;
    // A Hello from the device's own address to the WS-Discovery group, with a name scope.
    bool hello(const std::string& endpoint, uint16_t wsdPort, const std::string& name) const;
    // The scopes the last SetScopes gave, in order.
    std::vector<std::string> scopesSet() const;

    // libmicrohttpd callback; public for the C trampoline only.
    int onRequest(MHD_Connection* connection, const char* upload, size_t* uploadSize, void** context);

private:
    std::string recording(const std::string& operation) const;
    std::string answerFor(const std::string& operation, const pugi::xml_node& request, int& status);

    std::string folder_;
    std::string address_;
    uint16_t port_;
    MHD_Daemon* daemon_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::string> scopesSet_;
};

} // namespace devsim::onvif
