#include "Transport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>

namespace vexa::proto {

namespace {

std::vector<asio::ip::address_v4> multicastInterfaces() {
    std::vector<asio::ip::address_v4> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(it->ifa_flags & IFF_UP) || !(it->ifa_flags & IFF_MULTICAST))
            continue;
        sockaddr_in sin{};
        std::memcpy(&sin, it->ifa_addr, sizeof sin);
        out.emplace_back(ntohl(sin.sin_addr.s_addr));
    }
    freeifaddrs(list);
    return out;
}

} // namespace

bool transportConfigFromEnvironment(TransportConfig& out, std::string& error) {
    out.port = kDefaultPort;
    if (const char* port = std::getenv("VEXA_PORT"); port && *port) {
        char* end = nullptr;
        const long value = std::strtol(port, &end, 10);
        if (*end != '\0' || value < 1 || value > 65535) {
            error = "VEXA_PORT is not a port number";
            return false;
        }
        out.port = static_cast<uint16_t>(value);
    }
    return interfacesFromEnvironment(out.interfaces, error);
}

bool interfacesFromEnvironment(std::vector<asio::ip::address_v4>& out, std::string& error) {
    out.clear();
    if (const char* iface = std::getenv("VEXA_IFACE"); iface && *iface) {
        asio::error_code ec;
        const auto address = asio::ip::make_address_v4(iface, ec);
        if (ec) {
            error = "VEXA_IFACE is not an IPv4 address";
            return false;
        }
        out.push_back(address);
    }
    return true;
}

Transport::Transport(asio::io_context& io)
    : socket_(io) {}

bool Transport::open(const TransportConfig& config, std::string& error) {
    using asio::ip::udp;
    asio::error_code ec;
    interfaces_ = config.interfaces.empty() ? multicastInterfaces() : config.interfaces;
    if (interfaces_.empty()) {
        error = "no multicast-capable IPv4 interface";
        return false;
    }
    const auto group = asio::ip::make_address_v4(kGroupAddress);
    group_ = udp::endpoint(group, config.port);
    socket_.open(udp::v4(), ec);
    if (ec) {
        error = "socket: " + ec.message();
        return false;
    }
    const int one = 1;
    socket_.set_option(asio::socket_base::reuse_address(true), ec);
    ::setsockopt(socket_.native_handle(), SOL_SOCKET, SO_REUSEPORT, &one, sizeof one);
    // Root may exceed rmem_max, which a burst of thousands of answers needs; others get what the system allows.
    int want = config.receiveBuffer;
    if (::setsockopt(socket_.native_handle(), SOL_SOCKET, SO_RCVBUFFORCE, &want, sizeof want) != 0)
        ::setsockopt(socket_.native_handle(), SOL_SOCKET, SO_RCVBUF, &want, sizeof want);
    int got = 0;
    socklen_t len = sizeof got;
    ::getsockopt(socket_.native_handle(), SOL_SOCKET, SO_RCVBUF, &got, &len);
    receiveBufferBytes_ = got;
#ifdef __linux__
    const asio::ip::address_v4 bindTo = config.groupOnly ? group : asio::ip::address_v4::any();
#else
    const asio::ip::address_v4 bindTo = asio::ip::address_v4::any();
#endif
    socket_.bind(udp::endpoint(bindTo, config.port), ec);
    if (ec) {
        error = "bind: " + ec.message();
        socket_.close();
        return false;
    }
    size_t joined = 0;
    for (const auto& iface : interfaces_) {
        socket_.set_option(asio::ip::multicast::join_group(group, iface), ec);
        if (!ec)
            ++joined;
    }
    if (joined == 0) {
        error = "cannot join the multicast group";
        socket_.close();
        return false;
    }
    socket_.set_option(asio::ip::multicast::enable_loopback(true), ec);
    socket_.set_option(asio::ip::multicast::hops(1), ec);
    socket_.set_option(asio::ip::multicast::outbound_interface(interfaces_.front()), ec);
    socket_.non_blocking(true, ec);
    return true;
}

void Transport::close() {
    asio::error_code ec;
    socket_.close(ec);
}

bool Transport::sendTo(const std::vector<uint8_t>& datagram, const asio::ip::address_v4& address) {
    if (datagram.empty() || datagram.size() > kMaxDatagram || !socket_.is_open())
        return false;
    asio::error_code ec;
    socket_.send_to(asio::buffer(datagram), asio::ip::udp::endpoint(address, group_.port()), 0, ec);
    return !ec;
}

bool Transport::send(const std::vector<uint8_t>& datagram) {
    if (datagram.empty() || datagram.size() > kMaxDatagram || !socket_.is_open())
        return false;
    bool ok = true;
    asio::error_code ec;
    for (size_t i = 0; i < interfaces_.size(); ++i) {
        if (interfaces_.size() > 1)
            socket_.set_option(asio::ip::multicast::outbound_interface(interfaces_[i]), ec);
        for (int attempt = 0; attempt < 50; ++attempt) {
            socket_.send_to(asio::buffer(datagram), group_, 0, ec);
            if (ec != asio::error::would_block && ec != asio::error::no_buffer_space)
                break;
            // A full send queue on a burst: wait for it to drain rather than lose the datagram.
            socket_.wait(asio::socket_base::wait_write, ec);
        }
        if (ec)
            ok = false;
    }
    return ok;
}

size_t Transport::receive(uint8_t* buffer, size_t size) {
    asio::error_code ec;
    asio::ip::udp::endpoint from;
    const size_t n = socket_.receive_from(asio::buffer(buffer, size), from, 0, ec);
    if (ec == asio::error::message_size)
        return size + 1;
    if (ec)
        return 0;
    return n;
}

size_t Transport::receiveMany(uint8_t* buffers, size_t stride, size_t* sizes, size_t count) {
    if (count == 0 || !socket_.is_open())
        return 0;
#ifdef __linux__
    constexpr size_t kMost = 64;
    count = std::min(count, kMost);
    std::array<mmsghdr, kMost> messages{};
    std::array<iovec, kMost> parts{};
    for (size_t i = 0; i < count; ++i) {
        parts[i].iov_base = buffers + i * stride;
        parts[i].iov_len = stride;
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    int n;
    do {
        n = ::recvmmsg(socket_.native_handle(), messages.data(), static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
    } while (n < 0 && errno == EINTR);
    if (n <= 0)
        return 0;
    for (int i = 0; i < n; ++i) {
        const bool cut = (messages[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
        sizes[i] = cut ? stride + 1 : messages[i].msg_len;
    }
    return static_cast<size_t>(n);
#else
    const size_t n = receive(buffers, stride);
    if (n == 0)
        return 0;
    sizes[0] = n;
    return 1;
#endif
}

} // namespace vexa::proto
