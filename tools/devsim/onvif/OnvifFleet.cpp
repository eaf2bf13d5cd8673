#include "OnvifFleet.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <openssl/rand.h>
#include <strings.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Fleet.h"
#include "MediaService.h"
#include "SendFrom.h"

namespace devsim::onvif {

namespace {

const char* const kRealm = "onvif";

MHD_DigestAuthAlgorithm digestAlgorithm(const Quirks& quirks) {
    return quirks.digestSha256 ? MHD_DIGEST_ALG_SHA256 : MHD_DIGEST_ALG_MD5;
}
const char* const kGroup = "239.255.255.250";
constexpr uint64_t kWakeTag = 0;
constexpr uint64_t kUdpTag = 1;
constexpr uint64_t kServerTag = 2;
constexpr uint64_t kProbeTag = uint64_t{1} << 32;
constexpr size_t kMaxBody = 65536;
constexpr int kSweepMs = 1000;

MHD_Result accessTrampoline(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                            const char* uploadData, size_t* uploadSize, void** context) {
    auto* target = static_cast<std::pair<OnvifFleet*, size_t>*>(cls);
    return target->first->onRequest(target->second, connection, url, method, uploadData, uploadSize, context) ? MHD_YES
                                                                                                              : MHD_NO;
}

void completedTrampoline(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    auto* target = static_cast<std::pair<OnvifFleet*, size_t>*>(cls);
    target->first->onCompleted(target->second, context);
}

std::string randomBytes(size_t n) {
    std::string out(n, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(n)) != 1) {
        std::random_device rd;
        for (char& c : out)
            c = static_cast<char>(rd());
    }
    return out;
}

} // namespace

struct OnvifFleet::Request {
    MHD_Connection* connection = nullptr;
    std::string body;
    bool tooLarge = false;
    bool ready = false;
    bool challenge = false;
    bool stale = false;
    bool close = false;
    int status = 200;
    std::string contentType;
    std::string answer;
};

OnvifFleet::OnvifFleet(FleetOptions options, std::vector<OnvifDevice> devices)
    : options_(std::move(options))
    , devices_(std::move(devices))
    , slots_(devices_.size())
    , service_(options_.service)
    , rng_(options_.seed ^ static_cast<uint64_t>(std::time(nullptr))) {
    for (size_t i = 0; i < slots_.size(); ++i)
        slots_[i].context = {this, i};
    instanceId_ = static_cast<uint32_t>(std::time(nullptr));
    digestRandom_ = randomBytes(32);
    opaque_ = base64Encode(reinterpret_cast<const uint8_t*>(randomBytes(12).data()), 12);
}

OnvifFleet::~OnvifFleet() {
    stop();
    for (size_t i = 0; i < slots_.size(); ++i)
        stopServer(i);
    for (int fd : {udp_, wake_, epoll_})
        if (fd >= 0)
            ::close(fd);
}

bool OnvifFleet::start(std::string& error) {
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    udp_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (epoll_ < 0 || wake_ < 0 || udp_ < 0) {
        error = std::string("ONVIF: ") + std::strerror(errno);
        return false;
    }
    // Only the loopback interface: every simulated device lives on 127.0.0.0/8.
    const in_addr loopback{htonl(INADDR_LOOPBACK)};
    int on = 1;
    const unsigned char ttl = 1;
    const unsigned char loopBack = 1;
    ip_mreq join{};
    inet_pton(AF_INET, kGroup, &join.imr_multiaddr);
    join.imr_interface = loopback;
    sockaddr_in bindTo{};
    bindTo.sin_family = AF_INET;
    bindTo.sin_port = htons(options_.wsdPort);
    bindTo.sin_addr = join.imr_multiaddr; // the group only: unicast from anywhere never reaches this socket
    const int buffer = 8 * 1024 * 1024;
    if (::setsockopt(udp_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::setsockopt(udp_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer) != 0 ||
        ::bind(udp_, reinterpret_cast<sockaddr*>(&bindTo), sizeof bindTo) != 0 ||
        ::setsockopt(udp_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) != 0 ||
        ::setsockopt(udp_, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback) != 0 ||
        ::setsockopt(udp_, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
        ::setsockopt(udp_, IPPROTO_IP, IP_MULTICAST_LOOP, &loopBack, sizeof loopBack) != 0) {
        error = "WS-Discovery socket on port " + std::to_string(options_.wsdPort) + ": " + std::strerror(errno);
        return false;
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kWakeTag;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &ev);
    ev.data.u64 = kUdpTag;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, udp_, &ev);
    for (size_t i = 0; i < devices_.size(); ++i)
        if (!startServer(i, error))
            return false;
    save();
    for (size_t i = 0; options_.bootHello && i < devices_.size(); ++i)
        after(jitter(), [this, i] { hello(i); });
    thread_ = std::thread([this] { loop(); });
    return true;
}

void OnvifFleet::stop() {
    if (!thread_.joinable())
        return;
    stopRequested_ = true;
    const uint64_t one = 1;
    if (::write(wake_, &one, sizeof one) < 0) {
        // The thread still sees the flag at its next sweep.
    }
    thread_.join();
}

void OnvifFleet::after(int ms, std::function<void()> action) {
    timers_.push({Clock::now() + std::chrono::milliseconds(ms), ++timerSequence_, std::move(action)});
}

bool OnvifFleet::startServer(size_t index, std::string& error) {
    Slot& slot = slots_[index];
    const OnvifDevice& d = devices_[index];
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(d.httpPort));
    address.sin_addr.s_addr = htonl(d.address);
    slot.daemon = MHD_start_daemon(MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, static_cast<uint16_t>(d.httpPort), nullptr,
                                   nullptr, &accessTrampoline, &slot.context, MHD_OPTION_SOCK_ADDR, &address,
                                   MHD_OPTION_LISTENING_ADDRESS_REUSE, 1u, MHD_OPTION_CONNECTION_TIMEOUT, 10u,
                                   MHD_OPTION_CONNECTION_LIMIT, 64u, MHD_OPTION_NOTIFY_COMPLETED, &completedTrampoline,
                                   &slot.context, MHD_OPTION_DIGEST_AUTH_RANDOM, digestRandom_.size(),
                                   digestRandom_.data(), MHD_OPTION_NONCE_NC_SIZE, 256u, MHD_OPTION_END);
    if (!slot.daemon) {
        error = "cannot serve HTTP on " + formatAddress(d.address) + ":" + std::to_string(d.httpPort);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(slot.daemon, MHD_DAEMON_INFO_EPOLL_FD);
    slot.epollFd = info ? info->epoll_fd : -1;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kServerTag + index;
    if (slot.epollFd < 0 || ::epoll_ctl(epoll_, EPOLL_CTL_ADD, slot.epollFd, &ev) != 0) {
        error = "cannot watch the HTTP server of " + formatAddress(d.address);
        MHD_stop_daemon(slot.daemon);
        slot.daemon = nullptr;
        return false;
    }
    slot.up = true;
    return openProbeSocket(index, error);
}

bool OnvifFleet::openProbeSocket(size_t index, std::string& error) {
    Slot& slot = slots_[index];
    // Bound to the device's address, so that it wins over any socket bound to every address on this port.
    slot.probeFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(options_.wsdPort);
    at.sin_addr.s_addr = htonl(devices_[index].address);
    const int on = 1;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kProbeTag + index;
    if (slot.probeFd < 0 || ::setsockopt(slot.probeFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(slot.probeFd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        ::epoll_ctl(epoll_, EPOLL_CTL_ADD, slot.probeFd, &ev) != 0) {
        error = "WS-Discovery socket of " + formatAddress(devices_[index].address) + ": " + std::strerror(errno);
        if (slot.probeFd >= 0)
            ::close(slot.probeFd);
        slot.probeFd = -1;
        return false;
    }
    return true;
}

void OnvifFleet::stopServer(size_t index) {
    Slot& slot = slots_[index];
    if (!slot.daemon)
        return;
    // A suspended connection must be resumed before its server stops.
    for (auto& [id, request] : slot.suspended)
        MHD_resume_connection(request->connection);
    slot.suspended.clear();
    MHD_run(slot.daemon);
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, slot.epollFd, nullptr);
    MHD_stop_daemon(slot.daemon);
    slot.daemon = nullptr;
    slot.epollFd = -1;
    if (slot.probeFd >= 0) {
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, slot.probeFd, nullptr);
        ::close(slot.probeFd);
        slot.probeFd = -1;
    }
    slot.up = false;
}

void OnvifFleet::runServer(size_t index) {
    MHD_Daemon* daemon = slots_[index].daemon;
    if (!daemon)
        return;
    MHD_run(daemon);
    MHD_UNSIGNED_LONG_LONG timeout = 0;
    if (MHD_get_timeout(daemon, &timeout) == MHD_YES && timeout == 0)
        busy_.push_back(index);
}

int OnvifFleet::onRequest(size_t index, MHD_Connection* connection, const char* url, const char* method,
                          const char* uploadData, size_t* uploadSize, void** context) {
    auto* request = static_cast<Request*>(*context);
    if (!request) {
        request = new Request; // owned by the connection; onCompleted takes it back
        request->connection = connection;
        *context = request;
        return 1;
    }
    if (*uploadSize) {
        if (request->body.size() + *uploadSize > kMaxBody)
            request->tooLarge = true;
        else
            request->body.append(uploadData, *uploadSize);
        *uploadSize = 0;
        return 1;
    }
    if (!request->ready) {
        request->ready = true;
        OnvifDevice& device = devices_[index];
        HttpAuth http;
        const char* header = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Authorization");
        if (header && strncasecmp(header, "Digest ", 7) == 0) {
            http.present = true;
            if (char* user = MHD_digest_auth_get_username(connection)) {
                if (options_.service.user == user) {
                    const std::string& password = devicePassword(device, options_.service.password);
                    const int result = MHD_digest_auth_check2(connection, kRealm, user, password.c_str(), 300,
                                                              digestAlgorithm(options_.service.quirks));
                    http.valid = result == MHD_YES;
                    request->stale = result == MHD_INVALID_NONCE;
                    http.stale = request->stale;
                }
                MHD_free(user);
            }
        }
        if (std::strcmp(method, "GET") == 0 && std::strcmp(url, kSnapshotPath) == 0 &&
            !options_.service.quirks.noSnapshot) {
            // A picture only with the account, by Digest, as cameras serve them.
            request->challenge = !http.valid;
            request->status = http.valid ? 200 : 401;
            request->contentType = http.valid ? "image/jpeg" : "text/plain";
            request->answer = http.valid ? makeSnapshot(device) : "not authorized\n";
            if (http.valid && options_.service.quirks.bigSnapshot)
                request->answer.resize(5 * 1024 * 1024, '\0'); // a JPEG decoder stops at its end marker
        } else if (std::strcmp(method, "POST") != 0 || request->tooLarge) {
            request->status = request->tooLarge ? 413 : 405;
            request->contentType = "text/plain";
            request->answer = request->tooLarge ? "request too large\n" : "POST a SOAP request\n";
        } else {
            const Outcome out = service_.handle(device, request->body, http, static_cast<int64_t>(std::time(nullptr)),
                                                [this, index](uint32_t a) { return addressTaken(a, index); });
            request->status = out.status;
            request->contentType = out.contentType;
            request->answer = out.body;
            request->challenge = out.challenge;
            request->close = out.close;
            const int settle = options_.requestDelayMs + 300; // the answer leaves first
            if (out.changed)
                saveSoon();
            if (out.metadataChanged && !out.restart)
                after(options_.requestDelayMs, [this, index] { hello(index); });
            if (out.reboot)
                after(settle, [this, index] { reboot(index); });
            if (out.restart)
                after(settle, [this, index] { restart(index); });
        }
        if (options_.requestDelayMs > 0) {
            const uint64_t id = ++requestSequence_;
            slots_[index].suspended[id] = request;
            MHD_suspend_connection(connection);
            after(options_.requestDelayMs, [this, index, id] {
                Slot& slot = slots_[index];
                const auto it = slot.suspended.find(id);
                if (it == slot.suspended.end())
                    return;
                MHD_Connection* c = it->second->connection;
                slot.suspended.erase(it);
                MHD_resume_connection(c);
                runServer(index);
            });
            return 1;
        }
    }
    MHD_Response* response =
        MHD_create_response_from_buffer(request->answer.size(), request->answer.data(), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return 0;
    MHD_add_response_header(response, "Content-Type", request->contentType.c_str());
    if (request->close)
        MHD_add_response_header(response, "Connection", "close");
    const MHD_Result queued =
        request->challenge
            ? MHD_queue_auth_fail_response2(connection, kRealm, opaque_.c_str(), response,
                                            request->stale ? MHD_YES : MHD_NO, digestAlgorithm(options_.service.quirks))
            : MHD_queue_response(connection, static_cast<unsigned>(request->status), response);
    MHD_destroy_response(response);
    return queued == MHD_YES;
}

void OnvifFleet::onCompleted(size_t index, void** context) {
    std::unique_ptr<Request> request(static_cast<Request*>(*context));
    *context = nullptr;
    if (!request)
        return;
    auto& suspended = slots_[index].suspended;
    for (auto it = suspended.begin(); it != suspended.end(); ++it)
        if (it->second == request.get()) {
            suspended.erase(it);
            break;
        }
}

void OnvifFleet::loop() {
    sigset_t mask;
    sigemptyset(&mask);
    for (int s : {SIGTERM, SIGINT, SIGUSR1, SIGHUP})
        sigaddset(&mask, s);
    pthread_sigmask(SIG_BLOCK, &mask, nullptr);
    std::vector<epoll_event> events(256);
    auto nextSweep = Clock::now() + std::chrono::milliseconds(kSweepMs);
    while (!stopRequested_) {
        const auto now = Clock::now();
        auto until = nextSweep;
        if (!timers_.empty() && timers_.top().when < until)
            until = timers_.top().when;
        int wait =
            busy_.empty() ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(until - now).count()) : 0;
        const int n = ::epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), wait < 0 ? 0 : wait);
        std::vector<size_t> busy;
        busy.swap(busy_);
        for (size_t i : busy)
            runServer(i);
        for (int k = 0; k < n; ++k) {
            const uint64_t tag = events[static_cast<size_t>(k)].data.u64;
            if (tag == kWakeTag) {
                uint64_t value = 0;
                if (::read(wake_, &value, sizeof value) < 0) {
                    // Nothing to read: the flag decides.
                }
            } else if (tag == kUdpTag) {
                receiveDiscovery();
            } else if (tag - kProbeTag < slots_.size()) {
                const size_t index = static_cast<size_t>(tag - kProbeTag);
                receiveDiscovery(slots_[index].probeFd, index);
            } else if (tag - kServerTag < slots_.size()) {
                runServer(static_cast<size_t>(tag - kServerTag));
            }
        }
        while (!timers_.empty() && timers_.top().when <= Clock::now()) {
            std::function<void()> action = timers_.top().action;
            timers_.pop();
            action();
        }
        if (Clock::now() >= nextSweep) {
            nextSweep = Clock::now() + std::chrono::milliseconds(kSweepMs);
            for (size_t i = 0; i < slots_.size(); ++i)
                if (slots_[i].daemon)
                    MHD_run(slots_[i].daemon);
        }
    }
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].up)
            bye(i);
    for (size_t i = 0; i < slots_.size(); ++i)
        stopServer(i);
    save();
}

void OnvifFleet::receiveDiscovery(int fd, size_t only) {
    std::vector<char> buffer(kMaxBody + 1);
    for (;;) {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t n = ::recvfrom(fd < 0 ? udp_ : fd, buffer.data(), buffer.size(), 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (n < 0)
            return;
        if (static_cast<size_t>(n) > kMaxBody)
            continue;
        Probe probe;
        if (!parseProbe(buffer.data(), static_cast<size_t>(n), probe))
            continue;
        const uint32_t toAddress = ntohl(from.sin_addr.s_addr);
        const uint16_t toPort = ntohs(from.sin_port);
        // The same Probe sent again from the same socket (SOAP-over-UDP repeats) is answered once. The sender is
        // part of the key: a widely used client draws its MessageID from the clock's second, so two of its runs
        // within a second send the same one.
        const std::string key = probe.messageId + " " + std::to_string(toAddress) + ":" + std::to_string(toPort);
        if (!recentProbes_.insert(key).second)
            continue;
        if (recentProbeOrder_.size() < 1024) {
            recentProbeOrder_.push_back(key);
        } else {
            recentProbes_.erase(recentProbeOrder_[recentProbeNext_]);
            recentProbeOrder_[recentProbeNext_] = key;
            recentProbeNext_ = (recentProbeNext_ + 1) % recentProbeOrder_.size();
        }
        for (size_t i = only == SIZE_MAX ? 0 : only; i < devices_.size() && (only == SIZE_MAX || i == only); ++i) {
            if (!slots_[i].up || chance(options_.loss) || !probeMatches(probe, devices_[i]) ||
                !probeTypesAnswered(probe, options_.service.quirks))
                continue;
            const std::string relatesTo = probe.messageId;
            const int copies = chance(options_.duplicate) ? 2 : 1;
            after(jitter() + options_.delayMs, [this, i, relatesTo, toAddress, toPort, copies] {
                if (!slots_[i].up)
                    return;
                const std::string message = probeMatchMessage(devices_[i], options_.service.quirks, newMessageId(),
                                                              relatesTo, slots_[i].sequence);
                for (int c = 0; c < copies; ++c)
                    if (!chance(options_.loss))
                        sendFromDevice(i, message, toAddress, toPort);
            });
        }
    }
}

void OnvifFleet::sendFromDevice(size_t index, const std::string& message, uint32_t toAddress, uint16_t toPort) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(toPort);
    to.sin_addr.s_addr = htonl(toAddress);
    in_addr from{};
    from.s_addr = htonl(devices_[index].address);
    if (devsim::sendFrom(udp_, message.data(), message.size(), from, to, 0) < 0 && errno != EAGAIN)
        std::fprintf(stderr, "vexa-devsim: ONVIF device %s cannot send: %s\n",
                     formatAddress(devices_[index].address).c_str(), std::strerror(errno));
}

void OnvifFleet::hello(size_t index) {
    if (!slots_[index].up)
        return;
    const std::string message =
        helloMessage(devices_[index], options_.service.quirks, newMessageId(), slots_[index].sequence);
    in_addr group{};
    inet_pton(AF_INET, kGroup, &group);
    const int copies = chance(options_.duplicate) ? 2 : 1;
    for (int c = 0; c < copies; ++c)
        if (!chance(options_.loss))
            sendFromDevice(index, message, ntohl(group.s_addr), options_.wsdPort);
}

void OnvifFleet::bye(size_t index) {
    const std::string message =
        byeMessage(devices_[index], options_.service.quirks, newMessageId(), slots_[index].sequence);
    in_addr group{};
    inet_pton(AF_INET, kGroup, &group);
    // As for our own devices, a Bye is never dropped by the loss option.
    sendFromDevice(index, message, ntohl(group.s_addr), options_.wsdPort);
}

void OnvifFleet::reboot(size_t index) {
    if (!slots_[index].up)
        return;
    bye(index);
    stopServer(index);
    after(options_.rebootDelayMs, [this, index] {
        OnvifDevice& d = devices_[index];
        if (d.pending) {
            if (d.pendingAddress != d.address)
                ++d.metadataVersion; // new XAddrs
            d.address = d.pendingAddress;
            d.prefix = d.pendingPrefix;
            d.dhcp = d.pendingDhcp;
            d.pending = false;
        }
        save();
        std::string error;
        if (!startServer(index, error)) {
            std::fprintf(stderr, "vexa-devsim: ONVIF device did not come back: %s\n", error.c_str());
            return;
        }
        hello(index);
    });
}

void OnvifFleet::restart(size_t index) {
    if (!slots_[index].up)
        return;
    stopServer(index);
    std::string error;
    if (!startServer(index, error)) {
        std::fprintf(stderr, "vexa-devsim: ONVIF device lost its HTTP service: %s\n", error.c_str());
        return;
    }
    hello(index);
}

void OnvifFleet::saveSoon() {
    if (saveScheduled_)
        return;
    saveScheduled_ = true;
    after(0, [this] {
        saveScheduled_ = false;
        save();
    });
}

void OnvifFleet::save() {
    const std::string text = formatOnvifFleet(devices_);
    if (text == lastSaved_)
        return;
    bool ok = true;
    if (!options_.statePath.empty())
        ok = writeFileAtomically(options_.statePath, text) && ok;
    if (!options_.dumpPath.empty())
        ok = writeFileAtomically(options_.dumpPath, text) && ok;
    if (ok)
        lastSaved_ = text;
    else
        std::fprintf(stderr, "vexa-devsim: cannot save the ONVIF devices' state\n");
}

std::string OnvifFleet::newMessageId() {
    const uint64_t a = rng_();
    const uint64_t b = rng_();
    char text[64];
    std::snprintf(text, sizeof text, "urn:uuid:%08x-%04x-4%03x-a%03x-%012llx", static_cast<uint32_t>(a >> 32),
                  static_cast<uint32_t>(a >> 16) & 0xffff, static_cast<uint32_t>(a) & 0xfff,
                  static_cast<uint32_t>(b >> 52) & 0xfff, static_cast<unsigned long long>(b & 0xffffffffffffull));
    return text;
}

bool OnvifFleet::chance(double p) {
    return p > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

int OnvifFleet::jitter() {
    return std::uniform_int_distribution<int>(options_.replyDelayMinMs, options_.replyDelayMaxMs)(rng_);
}

bool OnvifFleet::addressTaken(uint32_t address, size_t except) const {
    for (size_t i = 0; i < devices_.size(); ++i)
        if (i != except &&
            (devices_[i].address == address || (devices_[i].pending && devices_[i].pendingAddress == address)))
            return true;
    return false;
}

} // namespace devsim::onvif
