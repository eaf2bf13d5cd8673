#pragma once

// Test helper: a hostile ONVIF "camera" on a loopback address. Its device service answers as a device with its own
// serial number, asks for a login with or without a Digest challenge, or stalls, and counts what every request
// carried; it sends WS-Discovery datagrams from its address to the group's port.

#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testutil {

class FakeCamera {
public:
    enum class Mode { Answer, Digest, NoChallenge, Stall };
    struct Seen {
        int requests = 0, tokens = 0, authorizations = 0; // bodies with a UsernameToken, Authorization headers
    };

    FakeCamera(std::string address, uint16_t port, Mode mode, std::string serial = "FAKE-0001")
        : address_(std::move(address))
        , port_(port)
        , mode_(mode)
        , serial_(std::move(serial)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in at = endpoint(address_, port_);
        ok_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && ::listen(listener_, 256) == 0;
        if (ok_)
            thread_ = std::thread([this] { serve(); });
    }
    ~FakeCamera() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
    }
    bool ok() const { return ok_; }
    std::string url() const { return "http://" + address_ + ":" + std::to_string(port_) + "/onvif/device_service"; }
    Seen seen() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

    // A datagram from this camera's address to the WS-Discovery group on port.
    bool send(const std::string& datagram, uint16_t port) const {
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in from = endpoint(address_, 0), to = endpoint("239.255.255.250", port);
        const in_addr loopback = endpoint("127.0.0.1", 0).sin_addr;
        ::setsockopt(s, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback);
        const bool sent = ::bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
                          ::sendto(s, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                                   sizeof to) == static_cast<ssize_t>(datagram.size());
        ::close(s);
        return sent;
    }

    static std::string envelope(const std::string& body) {
        return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" xmlns:a=\"urn:a\" xmlns:d=\"urn:d\">"
               "<s:Header><a:MessageID>urn:uuid:fake</a:MessageID></s:Header><s:Body>" +
               body + "</s:Body></s:Envelope>";
    }
    static std::string describe(const std::string& endpoint, const std::string& xaddr, unsigned version,
                                const std::string& scopes = "onvif://www.onvif.org/name/Fake") {
        return "<a:EndpointReference><a:Address>" + endpoint +
               "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types><d:Scopes>" + scopes +
               "</d:Scopes><d:XAddrs>" + xaddr + "</d:XAddrs><d:MetadataVersion>" + std::to_string(version) +
               "</d:MetadataVersion>";
    }
    static std::string hello(const std::string& endpoint, const std::string& xaddr, unsigned version,
                             const std::string& scopes = "onvif://www.onvif.org/name/Fake") {
        return envelope("<d:Hello>" + describe(endpoint, xaddr, version, scopes) + "</d:Hello>");
    }
    static std::string bye(const std::string& endpoint) {
        return envelope("<d:Bye><a:EndpointReference><a:Address>" + endpoint +
                        "</a:Address></a:EndpointReference>"
                        "</d:Bye>");
    }

private:
    static sockaddr_in endpoint(const std::string& address, uint16_t port) {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
        return at;
    }

    void serve() {
        std::vector<std::thread> connections;
        std::vector<int> held; // stalled: accepted, never read
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            const int fd = ::poll(&p, 1, 50) > 0 ? ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (fd >= 0 && mode_ == Mode::Stall)
                held.push_back(fd);
            else if (fd >= 0)
                connections.emplace_back([this, fd] { converse(fd); });
        }
        for (std::thread& t : connections)
            t.join();
        for (int fd : held)
            ::close(fd);
    }

    void converse(int fd) {
        std::string in;
        while (!stop_) {
            const size_t headEnd = in.find("\r\n\r\n");
            std::string head = in.substr(0, headEnd);
            for (char& c : head)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const size_t at = head.find("content-length:");
            const size_t length = at == std::string::npos ? 0 : std::stoul(head.substr(at + 15));
            if (headEnd != std::string::npos && in.size() >= headEnd + 4 + length) {
                const std::string reply = answer(head, in.substr(headEnd + 4, length));
                in.erase(0, headEnd + 4 + length);
                if (::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) < 0)
                    break;
                continue;
            }
            pollfd p{fd, POLLIN, 0};
            char chunk[4096];
            const ssize_t n = ::poll(&p, 1, 50) > 0 ? ::recv(fd, chunk, sizeof chunk, 0) : -2;
            if (n == -1 || n == 0)
                break;
            if (n > 0)
                in.append(chunk, static_cast<size_t>(n));
        }
        ::close(fd);
    }

    std::string answer(const std::string& head, const std::string& body) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++seen_.requests;
            seen_.tokens += body.find("UsernameToken") != std::string::npos ? 1 : 0;
            seen_.authorizations += head.find("\nauthorization:") != std::string::npos ? 1 : 0;
        }
        const std::string fault = envelope("<s:Fault><s:Code><s:Value>s:Sender</s:Value><s:Subcode><s:Value>ter:"
                                           "NotAuthorized</s:Value></s:Subcode></s:Code></s:Fault>");
        if (mode_ != Mode::Answer)
            return http(401, fault,
                        mode_ == Mode::Digest
                            ? "WWW-Authenticate: Digest realm=\"fake\", qop=\"auth\", nonce=\"6e6f\"\r\n"
                            : "");
        // What a device read needs, and nothing more.
        const std::pair<const char*, std::string> answers[] = {
            {"GetDeviceInformation",
             "<Manufacturer>Fake</Manufacturer><Model>F-1</Model><SerialNumber>" + serial_ + "</SerialNumber>"},
            {"GetNetworkInterfaces", "<NetworkInterfaces token=\"eth0\"><Enabled>true</Enabled><Info><HwAddress>02:66:"
                                     "66:66:66:66</HwAddress></Info><IPv4><Enabled>true</Enabled><Config><Manual>"
                                     "<Address>" +
                                         address_ +
                                         "</Address><PrefixLength>24</PrefixLength></Manual>"
                                         "</Config></IPv4></NetworkInterfaces>"},
            {"GetNetworkDefaultGateway", "<NetworkGateway/>"},
            {"GetNetworkProtocols", ""},
            {"GetScopes", ""},
        };
        for (const auto& [operation, content] : answers)
            if (body.find(operation) != std::string::npos)
                return http(
                    200,
                    envelope("<" + std::string(operation) + "Response>" + content + "</" + operation + "Response>"),
                    "");
        return http(400, fault, "");
    }

    static std::string http(int status, const std::string& body, const std::string& headers) {
        return "HTTP/1.1 " + std::to_string(status) +
               " X\r\nContent-Type: application/soap+xml\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
               headers + "\r\n" + body;
    }

    std::string address_;
    uint16_t port_;
    Mode mode_;
    std::string serial_;
    int listener_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    Seen seen_;
};

} // namespace testutil
