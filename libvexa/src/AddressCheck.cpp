#include "AddressCheck.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sodium.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "onvif/WsDiscovery.h"
#include "proto/Codec.h"

namespace vexa {

namespace {

using Clock = std::chrono::steady_clock;

uint16_t portFromEnvironment(const char* name, uint16_t fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 && value <= 65535 ? static_cast<uint16_t>(value) : fallback;
}

// One socket of one address's check, until it has answered, refused or the time is up.
struct Probe {
    int fd = -1;
    AddressAnswer::Kind kind = AddressAnswer::Kind::TcpAccepted;
    uint16_t port = 0;
    bool done = false;
};

sockaddr_in endpoint(in_addr address, uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr = address;
    return to;
}

bool connectTo(int fd, in_addr address, uint16_t port) {
    const sockaddr_in to = endpoint(address, port);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 || errno == EINPROGRESS;
}

// An announcement under one of our ids is a device of ours there: noted, with the serial number it gives.
bool inquiryAnswer(const char* data, size_t size, const std::vector<proto::RequestId>& ids,
                   std::vector<AddressAnswer>& answers, uint16_t port) {
    proto::Frame frame;
    if (proto::decodeFrame(reinterpret_cast<const uint8_t*>(data), size, frame) != proto::DecodeError::None ||
        frame.type != proto::MsgType::Announce || std::find(ids.begin(), ids.end(), frame.requestId) == ids.end())
        return false;
    const bool noted = std::any_of(answers.begin(), answers.end(),
                                   [](const AddressAnswer& a) { return a.kind == AddressAnswer::Kind::Inquiry; });
    if (!noted)
        answers.push_back({AddressAnswer::Kind::Inquiry, port, frame.text(proto::TagSerial)});
    return true;
}

std::string endpointOf(const char* data, size_t size) {
    const auto message = onvif::parseDiscovery(data, size);
    if (!message || message->endpoints.empty())
        return {};
    return message->endpoints.front().endpoint.substr(0, onvif::kMaxEndpointLength);
}

} // namespace

AddressCheckConfig addressCheckConfigFromEnvironment() {
    AddressCheckConfig config;
    config.inquiryPort = portFromEnvironment("VEXA_PORT", config.inquiryPort);
    config.wsdPort = portFromEnvironment("VEXA_WSD_PORT", config.wsdPort);
    return config;
}

AddressCheck::AddressCheck(AddressCheckConfig config, Inquire inquire)
    : config_(std::move(config))
    , inquire_(std::move(inquire)) {}

bool AddressCheck::valid(const std::string& ipv4) {
    in_addr address{};
    if (ipv4.size() > 15 || ::inet_pton(AF_INET, ipv4.c_str(), &address) != 1)
        return false;
    const uint32_t host = ntohl(address.s_addr);
    // Not a host's address: nothing to ask, and a device is never sent one.
    return host != 0 && host != 0xffffffffu && (host >> 28) != 0xe;
}

void AddressCheck::watch(const std::string& ipv4) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++watched_[ipv4].checks;
}

void AddressCheck::unwatch(const std::string& ipv4) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watched_.find(ipv4);
    if (it != watched_.end() && --it->second.checks <= 0)
        watched_.erase(it);
}

void AddressCheck::heard(const std::string& ipv4, const std::string& serial) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watched_.find(ipv4);
    if (it == watched_.end() || it->second.heard)
        return;
    it->second.heard = true;
    it->second.serial = serial;
}

bool AddressCheck::takeHeard(const std::string& ipv4, std::string& serial) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watched_.find(ipv4);
    if (it == watched_.end() || !it->second.heard)
        return false;
    serial = it->second.serial;
    return true;
}

std::vector<AddressAnswer> AddressCheck::check(const std::string& ipv4) {
    using Kind = AddressAnswer::Kind;
    std::vector<AddressAnswer> answers;
    in_addr address{};
    if (!valid(ipv4) || ::inet_pton(AF_INET, ipv4.c_str(), &address) != 1)
        return answers;
    // Every 127.x address exists and refuses what nobody listens to: there only an answer counts.
    const bool loopback = (ntohl(address.s_addr) >> 24) == 127;
    const auto deadline = Clock::now() + config_.timeout;
    watch(ipv4);
    // Asked again while nothing answers: one lost datagram, or an answer budget someone else drew on, must not make
    // a device that is there look absent. A device answers once per quarter second whatever it is asked, so the
    // repeats cost it nothing while its first answer is pending.
    constexpr auto kAskAgain = std::chrono::milliseconds(250);
    auto nextInquiry = Clock::now() + kAskAgain;
    if (inquire_)
        inquire_(ipv4);

    std::vector<Probe> probes;
    const auto open = [&](int type, int protocol) {
        const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
        return fd;
    };
    // Our inquiry from a socket of the check's own as well: a device answers that one to the asker alone, from its
    // address, so it is heard where its answer to the group never arrives (behind a router).
    std::vector<proto::RequestId> inquiryIds;
    int inquiryFd = -1;
    const auto inquireDirectly = [&] {
        proto::RequestId id;
        randombytes_buf(id.data(), id.size());
        inquiryIds.push_back(id);
        proto::TlvWriter empty;
        const std::vector<uint8_t> datagram = proto::encodeFrame(proto::MsgType::Inquiry, id, empty);
        const sockaddr_in to = endpoint(address, config_.inquiryPort);
        (void)::sendto(inquiryFd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&to), sizeof to);
    };
    if (const int fd = open(SOCK_DGRAM, 0); fd >= 0) {
        probes.push_back({fd, Kind::Inquiry, config_.inquiryPort, false});
        inquiryFd = fd;
        inquireDirectly();
    }
    // Not connected: a device may answer a probe from another port than the one asked.
    if (const int fd = open(SOCK_DGRAM, 0); fd >= 0) {
        probes.push_back({fd, Kind::WsDiscovery, config_.wsdPort, false});
        const sockaddr_in to = endpoint(address, config_.wsdPort);
        for (const char* type : {onvif::kTypeDevice, onvif::kTypeTransmitter}) {
            const std::string probe = onvif::buildProbe(onvif::newMessageId(), type);
            (void)::sendto(fd, probe.data(), probe.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                           sizeof to);
        }
    }
    for (const uint16_t port : config_.tcpPorts) {
        const int fd = open(SOCK_STREAM, 0);
        if (fd < 0)
            continue;
        probes.push_back({fd, Kind::TcpAccepted, port, false});
        if (!connectTo(fd, address, port)) {
            if (errno == ECONNREFUSED && !loopback)
                answers.push_back({Kind::TcpRefused, port, {}});
            probes.back().done = true;
        }
    }
    // Loopback answers every ping for the whole 127/8, so there the echo proves nothing.
    if (config_.echo && !loopback) {
        if (const int fd = open(SOCK_DGRAM, IPPROTO_ICMP); fd >= 0) {
            probes.push_back({fd, Kind::Echo, 0, false});
            // Type 8 (echo request); the kernel sets the identifier and the checksum of a ping socket.
            const uint8_t request[16] = {8, 0, 0, 0, 0, 0, 0, 1, 'v', 'e', 'x', 'a'};
            if (!connectTo(fd, address, 0) || ::send(fd, request, sizeof request, 0) < 0)
                probes.back().done = true;
        }
    }

    std::vector<pollfd> fds;
    std::vector<size_t> of;
    char buffer[4096];
    for (;;) {
        std::string serial;
        const bool answered =
            std::any_of(answers.begin(), answers.end(), [](const AddressAnswer& a) { return a.kind == Kind::Inquiry; });
        if (!answered && takeHeard(ipv4, serial))
            answers.push_back({Kind::Inquiry, config_.inquiryPort, serial});
        const auto now = Clock::now();
        if (!answers.empty() || now >= deadline)
            break;
        if (now >= nextInquiry && deadline - now > kAskAgain / 2) {
            if (inquire_)
                inquire_(ipv4);
            if (inquiryFd >= 0 && inquiryIds.size() < 8)
                inquireDirectly();
            nextInquiry = now + kAskAgain;
        }
        fds.clear();
        of.clear();
        for (size_t i = 0; i < probes.size(); ++i) {
            if (probes[i].done)
                continue;
            fds.push_back(
                {probes[i].fd, static_cast<short>(probes[i].kind == Kind::TcpAccepted ? POLLOUT : POLLIN), 0});
            of.push_back(i);
        }
        // Short slices: the inquiry's answer arrives through the watch, not on these sockets.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        const int wait =
            static_cast<int>(std::clamp<long long>(inquire_ ? std::min<long long>(left, 20) : left, 1, 1000));
        if (::poll(fds.data(), fds.size(), wait) <= 0)
            continue;
        for (size_t k = 0; k < fds.size(); ++k) {
            if (fds[k].revents == 0)
                continue;
            Probe& probe = probes[of[k]];
            probe.done = true;
            if (probe.kind == Kind::TcpAccepted) {
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(probe.fd, SOL_SOCKET, SO_ERROR, &error, &length);
                if (error == 0)
                    answers.push_back({Kind::TcpAccepted, probe.port, {}});
                else if (error == ECONNREFUSED && !loopback)
                    answers.push_back({Kind::TcpRefused, probe.port, {}});
                continue;
            }
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t n =
                ::recvfrom(probe.fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n > 0 && probe.kind != Kind::Echo && from.sin_addr.s_addr != address.s_addr)
                probe.done = false; // from someone else: not an answer of this address
            else if (n > 0 && probe.kind == Kind::Inquiry)
                probe.done = !inquiryAnswer(buffer, static_cast<size_t>(n), inquiryIds, answers, probe.port);
            else if (n > 0 && probe.kind == Kind::WsDiscovery)
                answers.push_back({Kind::WsDiscovery, probe.port, endpointOf(buffer, static_cast<size_t>(n))});
            else if (n > 0 && probe.kind == Kind::Echo && buffer[0] == 0) // type 0: echo reply
                answers.push_back({Kind::Echo, 0, {}});
            else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                probe.done = false;
        }
    }
    for (const Probe& probe : probes)
        ::close(probe.fd);
    unwatch(ipv4);
    std::sort(answers.begin(), answers.end(), [](const AddressAnswer& a, const AddressAnswer& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.port < b.port;
    });
    return answers;
}

std::vector<std::vector<AddressAnswer>> AddressCheck::checkAll(const std::vector<std::string>& addresses,
                                                               const std::function<void(size_t, size_t)>& progress) {
    std::vector<std::vector<AddressAnswer>> out(addresses.size());
    // The same address twice is asked once: two checks of it at once would share one watch.
    std::vector<size_t> first(addresses.size());
    std::unordered_map<std::string, size_t> seen;
    std::vector<size_t> work;
    for (size_t i = 0; i < addresses.size(); ++i) {
        const auto [it, added] = seen.emplace(addresses[i], i);
        first[i] = it->second;
        if (added)
            work.push_back(i);
    }
    std::atomic<size_t> next{0};
    std::mutex progressMutex;
    size_t done = 0;
    const auto worker = [&] {
        for (size_t k = next++; k < work.size(); k = next++) {
            out[work[k]] = check(addresses[work[k]]);
            std::lock_guard<std::mutex> lock(progressMutex);
            ++done;
            if (progress)
                progress(done, work.size());
        }
    };
    const size_t threads = std::min<size_t>(std::max(1u, config_.parallel), work.size());
    std::vector<std::thread> pool;
    for (size_t t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool)
        thread.join();
    for (size_t i = 0; i < addresses.size(); ++i) {
        if (first[i] != i)
            out[i] = out[first[i]];
    }
    return out;
}

std::string AddressCheck::describe(const std::vector<AddressAnswer>& answers) {
    std::string out;
    for (const AddressAnswer& a : answers) {
        const std::string port = std::to_string(a.port);
        if (!out.empty())
            out += "; ";
        switch (a.kind) {
        case AddressAnswer::Kind::Inquiry:
            out += (a.who.empty() ? std::string("a device") : "device " + a.who) + " answered our inquiry (UDP port " +
                   port + ")";
            break;
        case AddressAnswer::Kind::WsDiscovery:
            out += (a.who.empty() ? std::string("something") : "WS-Discovery endpoint " + a.who) +
                   " answered a WS-Discovery probe (UDP port " + port + ")";
            break;
        case AddressAnswer::Kind::TcpAccepted:
            out += "TCP port " + port + " accepted a connection";
            break;
        case AddressAnswer::Kind::TcpRefused:
            out += "a host refused a connection to TCP port " + port;
            break;
        case AddressAnswer::Kind::Echo:
            out += "it answered a ping (ICMP echo)";
            break;
        }
    }
    return out;
}

} // namespace vexa
