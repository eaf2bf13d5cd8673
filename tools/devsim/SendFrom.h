#pragma once

#include <cstddef>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>

namespace devsim {

// Sends one datagram on a socket bound to every address, from the address a simulated device holds: a device
// answers from its own address, as one on the network does (IP_PKTINFO). from is in network byte order.
inline ssize_t sendFrom(int socket, const void* data, size_t size, in_addr from, const sockaddr_in& to, int flags) {
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    iovec iov{const_cast<void*>(data), size};
    sockaddr_in target = to;
    msghdr message{};
    message.msg_name = &target;
    message.msg_namelen = sizeof target;
    message.msg_iov = &iov;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst = from;
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    return ::sendmsg(socket, &message, flags);
}

} // namespace devsim
