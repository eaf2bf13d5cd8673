#pragma once

// Test helper: a hostile ONVIF "camera" on a loopback address. It serves the device service over HTTP in one of a
// few ways (answering as a device with its own serial number, asking for a login with or without a Digest
// challenge, or stalling) and counts what every request carried, and it sends WS-Discovery datagrams from its
// address (Hello, ProbeMatches without RelatesTo, Bye) to the group's port.

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
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
    enum class Mode {
        Answer,      // a device that tells its details to anyone
        Digest,      // 401 with a Digest challenge to everything
        NoChallenge, // 401 and a NotAuthorized fault, no challenge: asks for a UsernameToken
        Stall,       // accepts and never answers
    };
    struct Seen {
        int requests = 0;
        int tokens = 0;         // bodies with a UsernameToken
        int authorizations = 0; // requests with an Authorization header
    };

    FakeCamera(std::string address, uint16_t port, Mode mode, std::string serial = "FAKE-0001",
               std::string mac = "02:66:66:66:66:66")
        : address_(std::move(address))
        , port_(port)
        , mode_(mode)
        , serial_(std::move(serial))
        , mac_(std::move(mac)) {
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
        sockaddr_in from = endpoint(address_, 0);
        in_addr loopback{};
        ::inet_pton(AF_INET, "127.0.0.1", &loopback);
        ::setsockopt(s, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback);
        const unsigned char on = 1;
        ::setsockopt(s, IPPROTO_IP, IP_MULTICAST_LOOP, &on, sizeof on);
        sockaddr_in to = endpoint("239.255.255.250", port);
        const bool sent = ::bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
                          ::sendto(s, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                                   sizeof to) == static_cast<ssize_t>(datagram.size());
        ::close(s);
        return sent;
    }

    static std::string envelope(const std::string& header, const std::string& body) {
        return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
               "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
               "xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" "
               "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\"><s:Header>" +
               header + "</s:Header><s:Body>" + body + "</s:Body></s:Envelope>";
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
        return envelope("<a:MessageID>urn:uuid:fake-hello</a:MessageID>",
                        "<d:Hello>" + describe(endpoint, xaddr, version, scopes) + "</d:Hello>");
    }
    static std::string bye(const std::string& endpoint) {
        return envelope("<a:MessageID>urn:uuid:fake-bye</a:MessageID>",
                        "<d:Bye><a:EndpointReference><a:Address>" + endpoint +
                            "</a:Address></a:EndpointReference></d:Bye>");
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
        std::vector<int> held; // stalled connections, closed at the end
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            if (mode_ == Mode::Stall) {
                held.push_back(fd);
                continue;
            }
            connections.emplace_back([this, fd] { converse(fd); });
        }
        for (std::thread& t : connections)
            t.join();
        for (int fd : held)
            ::close(fd);
    }

    // Requests on one connection until it closes or the camera stops.
    void converse(int fd) {
        std::string buffer;
        while (!stop_) {
            const size_t headerEnd = buffer.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string head = buffer.substr(0, headerEnd);
                for (char& c : head)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                const size_t lengthAt = head.find("content-length:");
                const size_t length = lengthAt == std::string::npos ? 0 : std::stoul(head.substr(lengthAt + 15));
                if (buffer.size() >= headerEnd + 4 + length) {
                    const std::string body = buffer.substr(headerEnd + 4, length);
                    buffer.erase(0, headerEnd + 4 + length);
                    const std::string reply = answer(head, body);
                    if (::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) < 0)
                        break;
                    continue;
                }
            }
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            buffer.append(chunk, static_cast<size_t>(n));
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
        const std::string fault =
            envelope("", "<s:Fault><s:Code><s:Value>s:Sender</s:Value><s:Subcode><s:Value>ter:NotAuthorized</s:Value>"
                         "</s:Subcode></s:Code><s:Reason><s:Text xml:lang=\"en\">Sender not authorized</s:Text>"
                         "</s:Reason></s:Fault>");
        if (mode_ == Mode::Digest)
            return http(
                401, fault,
                "WWW-Authenticate: Digest realm=\"fake\", qop=\"auth\", nonce=\"6e6f6e6365\", algorithm=MD5\r\n");
        if (mode_ == Mode::NoChallenge)
            return http(401, fault, "");
        std::string response;
        if (body.find("GetDeviceInformation") != std::string::npos)
            response = "<GetDeviceInformationResponse><Manufacturer>Fake</Manufacturer><Model>F-1</Model>"
                       "<FirmwareVersion>1</FirmwareVersion><SerialNumber>" +
                       serial_ + "</SerialNumber><HardwareId>F</HardwareId></GetDeviceInformationResponse>";
        else if (body.find("GetNetworkInterfaces") != std::string::npos)
            response = "<GetNetworkInterfacesResponse><NetworkInterfaces token=\"eth0\"><Enabled>true</Enabled><Info>"
                       "<HwAddress>" +
                       mac_ + "</HwAddress></Info><IPv4><Enabled>true</Enabled><Config><Manual><Address>" + address_ +
                       "</Address><PrefixLength>24</PrefixLength></Manual><DHCP>false</DHCP></Config></IPv4>"
                       "</NetworkInterfaces></GetNetworkInterfacesResponse>";
        else if (body.find("GetNetworkDefaultGateway") != std::string::npos)
            response = "<GetNetworkDefaultGatewayResponse><NetworkGateway><IPv4Address>127.0.0.254</IPv4Address>"
                       "</NetworkGateway></GetNetworkDefaultGatewayResponse>";
        else if (body.find("GetNetworkProtocols") != std::string::npos)
            response = "<GetNetworkProtocolsResponse><NetworkProtocols><Name>HTTP</Name><Enabled>true</Enabled><Port>" +
                       std::to_string(port_) + "</Port></NetworkProtocols></GetNetworkProtocolsResponse>";
        else if (body.find("GetScopes") != std::string::npos)
            response = "<GetScopesResponse><Scopes><ScopeDef>Fixed</ScopeDef><ScopeItem>onvif://www.onvif.org/name/"
                       "Fake</ScopeItem></Scopes></GetScopesResponse>";
        else
            return http(400, fault, "");
        return http(200, envelope("", response), "");
    }

    static std::string http(int status, const std::string& body, const std::string& headers) {
        return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " No") +
               "\r\nContent-Type: application/soap+xml\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
               headers + "\r\n" + body;
    }

    std::string address_;
    uint16_t port_;
    Mode mode_;
    std::string serial_, mac_;
    int listener_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    Seen seen_;
};

} // namespace testutil
