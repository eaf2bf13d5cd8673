#include "Scan.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <linux/errqueue.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sodium.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

#include "Logger.h"
#include "onvif/DeviceClient.h"
#include "proto/Codec.h"
#include "vexa.h"

namespace vexa {

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kMostTries = 4;
constexpr size_t kMostInFlight = 4096;

class Socket {
public:
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open(uint32_t bindAddress, std::string& error) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(bindAddress);
        const int on = 1;
        int want = 4 * 1024 * 1024;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
            // ICMP errors come back on the error queue with the address they are about: "port closed".
            ::setsockopt(fd_, IPPROTO_IP, IP_RECVERR, &on, sizeof on) != 0) {
            error = std::string("scan socket: ") + std::strerror(errno);
            return false;
        }
        if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &want, sizeof want) != 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &want, sizeof want);
        return true;
    }
    int fd() const { return fd_; }
    bool sendTo(uint32_t address, uint16_t port, const void* data, size_t size) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(address);
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (::sendto(fd_, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0)
                return true;
            // A queued ICMP error may surface on the next send; that send is then worth a second try.
            if (errno != ECONNREFUSED && errno != EHOSTUNREACH && errno != ENETUNREACH)
                return false;
        }
        return false;
    }

private:
    int fd_ = -1;
};

struct Entry {
    unsigned tries = 0;
    bool ours = false;
    bool onvif = false;
    bool other = false;
    bool closed = false;
    std::vector<proto::RequestId> ids;
    std::vector<std::string> probeIds;
};

struct Due {
    Clock::time_point when;
    uint32_t address;
    unsigned tryNumber;
};

// Addresses that answered no probe, asked over HTTP by a few threads of their own; bounded, so that a slow range
// slows the scan rather than growing the queue.
class HttpFallback {
public:
    using Settle = std::function<void(const ScanOutcome&)>;
    HttpFallback(const ScanConfig& config, const std::atomic<bool>& stop, Scanner::OnvifFound found, Settle settle)
        : config_(config)
        , stop_(stop)
        , found_(std::move(found))
        , settle_(std::move(settle)) {
        if (!config_.httpFallback)
            return;
        for (unsigned i = 0; i < kThreads; ++i)
            threads_.emplace_back([this] { work(); });
    }
    ~HttpFallback() { finish(); }
    bool enabled() const { return config_.httpFallback; }
    void push(const ScanOutcome& outcome) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return queue_.size() < kQueue || stop_; });
        queue_.push_back(outcome);
        wake_.notify_one();
    }
    void finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        room_.notify_all();
        for (std::thread& t : threads_)
            t.join();
        threads_.clear();
    }

private:
    static constexpr unsigned kThreads = 8;
    static constexpr size_t kQueue = 64;

    void work() {
        onvif::DeviceClient client(&stop_, config_.httpTimeout);
        for (;;) {
            ScanOutcome outcome;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return !queue_.empty() || closing_; });
                if (queue_.empty())
                    return;
                outcome = queue_.front();
                queue_.pop_front();
            }
            room_.notify_one();
            if (!stop_)
                ask(client, outcome);
            settle_(outcome);
        }
    }

    void ask(onvif::DeviceClient& client, ScanOutcome& outcome) {
        for (uint16_t port : config_.httpPorts) {
            onvif::Session session;
            session.url =
                "http://" + formatIpv4(outcome.address) + ":" + std::to_string(port) + "/onvif/device_service";
            session.pinKey = session.url;
            const onvif::CallResult result = client.call(
                session, "GetSystemDateAndTime", [](pugi::xml_node) {}, nullptr, true);
            if (result.code == 0) {
                onvif::EndpointInfo info;
                info.endpoint = session.url; // it named no reference: its address is the one we know
                info.types = {onvif::kTypeDevice};
                info.xaddrs = {session.url};
                found_(std::move(info), outcome.address);
                outcome.reason = ScanReason::Found;
                outcome.protocols |= kScanFoundOnvif;
                return;
            }
            if (result.code == VEXA_ERR_NEED_CREDENTIALS)
                outcome.reason = ScanReason::RefusedLogin;
            else if (result.reached && outcome.reason != ScanReason::RefusedLogin)
                outcome.reason = ScanReason::NotCamera;
        }
    }

    const ScanConfig& config_;
    const std::atomic<bool>& stop_;
    Scanner::OnvifFound found_;
    Settle settle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable room_;
    std::deque<ScanOutcome> queue_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

} // namespace

Scanner::Scanner(ScanConfig config, OursFound ours, OnvifFound onvif)
    : config_(std::move(config))
    , ours_(std::move(ours))
    , onvif_(std::move(onvif)) {
    config_.rate = std::max(1u, config_.rate);
    config_.maxInFlight = static_cast<unsigned>(std::clamp<size_t>(config_.maxInFlight, 1, kMostInFlight));
    config_.retries = std::min(config_.retries, kMostTries - 1);
}

bool Scanner::run(const std::vector<AddressSpan>& spans, const Progress& progress, std::string& error) {
    Socket ours;
    Socket wsd;
    if (!ours.open(config_.bindAddress, error) || !wsd.open(config_.bindAddress, error))
        return false;
    uint64_t total = 0;
    for (const AddressSpan& span : spans)
        total += spanSize(span);
    std::mutex reportMutex;
    uint64_t done = 0;
    const auto settle = [&](const ScanOutcome& outcome) {
        std::lock_guard<std::mutex> lock(reportMutex);
        ++done;
        if (progress)
            progress(outcome, done, total);
    };
    HttpFallback fallback(config_, stop_, onvif_, settle);

    std::unordered_map<uint32_t, Entry> inFlight;
    std::deque<Due> due;        // in order of time: every try waits the same answerWait
    std::deque<uint32_t> retry; // tries owed, before any new address
    SpanCursor cursor(spans);
    bool rangeLeft = true;
    const auto began = Clock::now();
    auto lastRefill = began;
    const double burst = std::max(1.0, config_.rate / 20.0);
    double tokens = 1.0;

    const auto finish = [&](uint32_t address, Entry& entry) {
        ScanOutcome outcome;
        outcome.address = address;
        outcome.protocols =
            static_cast<uint8_t>((entry.ours ? kScanFoundOurs : 0) | (entry.onvif ? kScanFoundOnvif : 0));
        if (outcome.protocols)
            outcome.reason = ScanReason::Found;
        else if (entry.other)
            outcome.reason = ScanReason::NotCamera;
        else if (entry.closed)
            outcome.reason = ScanReason::PortClosed;
        inFlight.erase(address);
        if (outcome.reason != ScanReason::Found && outcome.reason != ScanReason::NotCamera && fallback.enabled())
            fallback.push(outcome);
        else
            settle(outcome);
    };

    const auto sendTry = [&](uint32_t address, Entry& entry) {
        ++entry.tries;
        if (!entry.ours) {
            proto::RequestId id;
            randombytes_buf(id.data(), id.size());
            entry.ids.push_back(id);
            proto::TlvWriter w;
            const std::vector<uint8_t> datagram = proto::encodeFrame(proto::MsgType::Inquiry, id, w);
            counters_.datagramsSent += ours.sendTo(address, config_.inquiryPort, datagram.data(), datagram.size());
        }
        if (!entry.onvif) {
            for (const char* type : {onvif::kTypeDevice, onvif::kTypeTransmitter}) {
                std::string id = onvif::newMessageId();
                const std::string probe = onvif::buildProbe(id, type);
                entry.probeIds.push_back(std::move(id));
                counters_.datagramsSent += wsd.sendTo(address, config_.wsdPort, probe.data(), probe.size());
            }
        }
        due.push_back({Clock::now() + config_.answerWait, address, entry.tries});
    };

    std::vector<uint8_t> buffer(65536);
    const auto readOurs = [&] {
        for (;;) {
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t n =
                ::recvfrom(ours.fd(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
            if (n < 0) {
                if (errno == EINTR || errno == ECONNREFUSED || errno == EHOSTUNREACH)
                    continue;
                return;
            }
            auto it = inFlight.find(ntohl(from.sin_addr.s_addr));
            if (it == inFlight.end()) {
                ++counters_.refused; // settled, or never asked: not ours to list
                continue;
            }
            proto::Frame frame;
            const bool answer =
                proto::decodeFrame(buffer.data(), static_cast<size_t>(n), frame) == proto::DecodeError::None &&
                frame.type == proto::MsgType::Announce &&
                std::find(it->second.ids.begin(), it->second.ids.end(), frame.requestId) != it->second.ids.end() &&
                // A device that names another address than the one that answered is a claim we do not list.
                frame.text(proto::TagIpv4) == formatIpv4(it->first);
            if (!answer) {
                it->second.other = true;
                ++counters_.refused;
                continue;
            }
            ++counters_.answers;
            if (!it->second.ours)
                ours_(std::vector<uint8_t>(buffer.begin(), buffer.begin() + n));
            it->second.ours = true;
            if (it->second.onvif)
                finish(it->first, it->second);
        }
    };
    const auto readWsd = [&] {
        for (;;) {
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t n =
                ::recvfrom(wsd.fd(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
            if (n < 0) {
                if (errno == EINTR || errno == ECONNREFUSED || errno == EHOSTUNREACH)
                    continue;
                return;
            }
            const uint32_t address = ntohl(from.sin_addr.s_addr);
            auto it = inFlight.find(address);
            if (it == inFlight.end()) {
                ++counters_.refused;
                continue;
            }
            const auto message =
                onvif::parseDiscovery(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
            Entry& entry = it->second;
            if (!message || message->kind != onvif::DiscoveryKind::ProbeMatches || message->endpoints.empty() ||
                std::find(entry.probeIds.begin(), entry.probeIds.end(), message->relatesTo) == entry.probeIds.end()) {
                entry.other = true;
                ++counters_.refused;
                continue;
            }
            ++counters_.answers;
            // One host is one device: a list of many from one address is a claim we do not take.
            if (!entry.onvif)
                onvif_(message->endpoints.front(), address);
            entry.onvif = true;
            if (entry.ours)
                finish(address, entry);
        }
    };
    const auto readErrors = [&](int fd) {
        for (;;) {
            sockaddr_in about{};
            alignas(cmsghdr) char control[512];
            char data[1];
            iovec iov{data, sizeof data};
            msghdr message{};
            message.msg_name = &about;
            message.msg_namelen = sizeof about;
            message.msg_iov = &iov;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
                return;
            for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR)
                    continue;
                sock_extended_err err{};
                std::memcpy(&err, CMSG_DATA(c), sizeof err);
                auto it = inFlight.find(ntohl(about.sin_addr.s_addr));
                if (it != inFlight.end() && err.ee_origin == SO_EE_ORIGIN_ICMP && err.ee_type == 3 && err.ee_code == 3)
                    it->second.closed = true;
            }
        }
    };

    while (!stop_) {
        const auto now = Clock::now();
        if (now - began > config_.timeCap) {
            timedOut_ = true;
            break;
        }
        tokens = std::min(burst, tokens + std::chrono::duration<double>(now - lastRefill).count() * config_.rate);
        lastRefill = now;
        // Tries that waited their time: asked again, or settled.
        while (!due.empty() && due.front().when <= now) {
            const Due d = due.front();
            due.pop_front();
            auto it = inFlight.find(d.address);
            if (it == inFlight.end() || it->second.tries != d.tryNumber)
                continue;
            // An address that answered one protocol is not asked again for the other.
            if (it->second.tries <= config_.retries && !it->second.ours && !it->second.onvif)
                retry.push_back(d.address);
            else
                finish(d.address, it->second);
        }
        while (tokens >= 1.0 && !retry.empty()) {
            const uint32_t address = retry.front();
            retry.pop_front();
            auto it = inFlight.find(address);
            if (it == inFlight.end())
                continue;
            tokens -= 1.0;
            sendTry(address, it->second);
        }
        while (tokens >= 1.0 && rangeLeft && inFlight.size() < config_.maxInFlight) {
            uint32_t address = 0;
            if (!cursor.next(address)) {
                rangeLeft = false;
                break;
            }
            tokens -= 1.0;
            Entry& entry = inFlight[address];
            sendTry(address, entry);
        }
        counters_.mostInFlight = std::max(counters_.mostInFlight, inFlight.size());
        if (!rangeLeft && inFlight.empty())
            break;
        // Sleep until an answer, the next due try or the next token, whichever comes first.
        auto wake = now + std::chrono::milliseconds(50);
        if (!due.empty())
            wake = std::min(wake, due.front().when);
        if ((rangeLeft || !retry.empty()) && tokens < 1.0)
            wake =
                std::min(wake, now + std::chrono::microseconds(static_cast<long>((1.0 - tokens) * 1e6 / config_.rate)));
        const int waitMs = static_cast<int>(
            std::max<long>(0, std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count()));
        pollfd fds[2] = {{ours.fd(), POLLIN, 0}, {wsd.fd(), POLLIN, 0}};
        if (::poll(fds, 2, waitMs) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLERR)
            readErrors(ours.fd());
        if (fds[1].revents & POLLERR)
            readErrors(wsd.fd());
        if (fds[0].revents & POLLIN)
            readOurs();
        if (fds[1].revents & POLLIN)
            readWsd();
    }
    fallback.finish();
    VEXA_LOG(LogInfo, "scan: %llu of %llu addresses settled, %llu datagrams sent, %llu answers, %llu refused%s",
             static_cast<unsigned long long>(done), static_cast<unsigned long long>(total),
             static_cast<unsigned long long>(counters_.datagramsSent),
             static_cast<unsigned long long>(counters_.answers), static_cast<unsigned long long>(counters_.refused),
             stop_       ? " (stopped)"
             : timedOut_ ? " (time cap)"
                         : "");
    return true;
}

} // namespace vexa
