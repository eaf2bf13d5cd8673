#pragma once

// One caller's blocking client of device services over libcurl. Each thread that talks to devices owns one
// (a curl handle is not shared between threads); its connection cache keeps connections to a device alive
// across the requests of a read or a change.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "DeviceMessages.h"

typedef void CURL;

namespace vexa::onvif {

// Digest alone when the device sends a Digest challenge: a UsernameToken goes only to one that shows none.
enum class Auth : uint8_t { None, Token, Digest };

class CertificatePins;

// What we know about talking to one device.
struct Session {
    std::string url;                     // its device service
    std::chrono::seconds clockOffset{0}; // its clock minus ours, for the token's Created
    Auth auth = Auth::None;              // the least the device asked for so far
    std::string digestChallenge;         // its last HTTP Digest challenge, answered with a rising count
    unsigned digestCount = 0;
    // Never a UsernameToken: the device showed a Digest challenge, or the caller allows Digest only.
    bool noToken = false;
    std::string pinKey; // the device's endpoint reference: whose certificate pin HTTPS checks
};

struct Credentials {
    std::string user;
    std::string password;
    bool empty() const { return user.empty(); }
    void wipe();
};

struct CallResult {
    uint32_t code = 0;    // 0 on success, else VEXA_ERR_*
    std::string detail;   // the device's own words (a fault's reason)
    bool reached = false; // the request reached the device: the outcome of a change is then unknown on failure
    Answer answer;
};

class DeviceClient {
public:
    DeviceClient(const std::atomic<bool>* cancel, std::chrono::milliseconds timeout);
    ~DeviceClient();
    DeviceClient(const DeviceClient&) = delete;
    DeviceClient& operator=(const DeviceClient&) = delete;

    // One request with the authentication the device asks for: anonymous first (unless it asked before), then HTTP
    // Digest alone when it answers 401 with a Digest challenge, else a UsernameToken (never to a device that ever
    // showed a challenge, nor when session.noToken).
    CallResult call(Session& session, const char* operation, const std::function<void(pugi::xml_node)>& fill,
                    const Credentials* credentials, bool anonymousOnly = false);

    // GetSystemDateAndTime (anonymous; sets the clock offset), then the details. code 0 when all were read.
    CallResult readDetails(Session& session, const Credentials* credentials, DeviceDetails& out);

    // A file from the device (a snapshot): GET with HTTP Digest when it asks (never Basic, never a token), at most
    // maxBytes, redirects not followed. code 0 with the bytes in body; VEXA_ERR_BAD_ANSWER when larger.
    CallResult get(Session& session, const std::string& url, const Credentials* credentials, size_t maxBytes,
                   std::string& body);

    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    // No request runs past this; max(): none.
    void setDeadline(std::chrono::steady_clock::time_point deadline) { deadline_ = deadline; }
    // HTTPS certificates are checked against these pins (trust on first use); null: not checked.
    void setPins(CertificatePins* pins) { pins_ = pins; }

private:
    struct Http {
        int curlError = 0;
        long status = 0;
        std::string challenge; // a Digest WWW-Authenticate value
        bool connected = false;
        bool pinRefused = false; // its certificate is not the pinned one: the handshake was broken off
        std::string body;
    };
    // operation null: a GET of url, its answer bounded by limit.
    Http post(const std::string& url, const char* operation, const std::string& body, const std::string& authorization,
              const std::string& pinKey, size_t limit = 0);

    const std::atomic<bool>* cancel_;
    std::chrono::milliseconds timeout_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    CertificatePins* pins_ = nullptr;
    CURL* curl_ = nullptr;
};

// Initialises libcurl once per process (not thread-safe in the versions we support).
void initCurl();

} // namespace vexa::onvif
