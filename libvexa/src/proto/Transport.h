#pragma once

// The multicast socket both sides use: joined to the group on the chosen interfaces, multicast loop on,
// TTL 1, port shared (SO_REUSEADDR/SO_REUSEPORT) so a tool and simulated devices can live on one host.
// Everything goes to the group, except the inquiry a client sends to one address to ask whether a device is
// there (sendTo); devices answer it to the group as any inquiry.

#include <asio.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "Codec.h"

namespace vexa::proto {

struct TransportConfig {
    uint16_t port = 0;
    std::vector<asio::ip::address_v4> interfaces; // empty: every up, multicast-capable IPv4 interface
    int receiveBuffer = 8 * 1024 * 1024;
    // Bound to the group address rather than to any (Linux): the socket takes the group's traffic only, so a
    // datagram sent to one host's address on a shared port reaches the device there and never this client.
    bool groupOnly = false;
};

// VEXA_PORT and VEXA_IFACE; false with a message when either is malformed.
bool transportConfigFromEnvironment(TransportConfig& out, std::string& error);
// The one interface VEXA_IFACE names, or none (every interface); false with a reason when it is no IPv4 address.
bool interfacesFromEnvironment(std::vector<asio::ip::address_v4>& out, std::string& error);

class Transport {
public:
    explicit Transport(asio::io_context& io);

    bool open(const TransportConfig& config, std::string& error);
    void close();
    bool isOpen() const { return socket_.is_open(); }

    // Sends one datagram to the group on every configured interface; false if any send failed.
    bool send(const std::vector<uint8_t>& datagram);
    // Sends one datagram to one address on the configured port.
    bool sendTo(const std::vector<uint8_t>& datagram, const asio::ip::address_v4& address);

    // Non-blocking read of one datagram; 0 when nothing is waiting. Datagrams larger than the buffer come
    // back with their full length so the caller can drop them as oversize.
    size_t receive(uint8_t* buffer, size_t size);

    // Non-blocking read of up to count datagrams into count buffers of stride bytes each, laid end to end; sizes[i]
    // gets the length of the i-th (stride + 1 when it did not fit). Returns how many were read, 0 when none was
    // waiting. One system call on Linux; one datagram per call elsewhere.
    size_t receiveMany(uint8_t* buffers, size_t stride, size_t* sizes, size_t count);

    asio::ip::udp::socket& socket() { return socket_; }
    int receiveBufferBytes() const { return receiveBufferBytes_; }

private:
    asio::ip::udp::socket socket_;
    asio::ip::udp::endpoint group_;
    std::vector<asio::ip::address_v4> interfaces_;
    int receiveBufferBytes_ = 0;
};

} // namespace vexa::proto
