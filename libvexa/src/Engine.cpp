#include "Engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>
#include <sodium.h>

#include "Logger.h"
#include "proto/Signing.h"

namespace vexa {

namespace {

using Clock = std::chrono::steady_clock;

void copyText(char* field, size_t width, const std::string& text) {
    // The codec already bounds texts by these widths; the min() keeps a record safe whatever it holds.
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

proto::RequestId randomId() {
    proto::RequestId id;
    randombytes_buf(id.data(), id.size());
    return id;
}

} // namespace

bool engineConfigFromEnvironment(EngineConfig& out, std::string& error) {
    if (!proto::transportConfigFromEnvironment(out.transport, error))
        return false;
    if (const char* gone = std::getenv("VEXA_GONE_TIMEOUT_MS"); gone && *gone) {
        // Bounded, so that "now minus the timeout" cannot overflow the clock.
        const long ms = std::strtol(gone, nullptr, 10);
        if (ms > 0)
            out.goneTimeout = std::chrono::milliseconds(std::min(ms, kMaxGoneTimeoutMs));
    }
    out.verifiers =
        std::max(1u, std::thread::hardware_concurrency() > 1 ? std::thread::hardware_concurrency() - 1 : 1u);
    if (const char* verifiers = std::getenv("VEXA_VERIFIERS"); verifiers && *verifiers) {
        const long n = std::strtol(verifiers, nullptr, 10);
        // 0 verifies on the reader itself, as before there were verifiers: for comparisons.
        if (n >= 0 && n <= 64 && (n > 0 || verifiers[0] == '0'))
            out.verifiers = static_cast<unsigned>(n);
    }
    return true;
}

void fillDeviceInfo(const KnownDevice& device, int eventType, VEXA_DEVICE_INFO& info) {
    const proto::DeviceRecord& r = device.record;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.recordTag, "VXDP1", 5);
    copyText(info.serialNo, sizeof info.serialNo, r.serialNo);
    copyText(info.mac, sizeof info.mac, r.mac);
    copyText(info.ipv4Address, sizeof info.ipv4Address, r.ipv4Address);
    copyText(info.ipv4SubnetMask, sizeof info.ipv4SubnetMask, r.ipv4SubnetMask);
    info.deviceTypeCode = static_cast<int32_t>(r.deviceTypeCode);
    info.port = static_cast<int32_t>(r.port);
    info.channelCount = static_cast<int32_t>(r.channelCount);
    info.auxCount = static_cast<int32_t>(r.auxCount);
    copyText(info.softwareVersion, sizeof info.softwareVersion, r.softwareVersion);
    copyText(info.dspVersion, sizeof info.dspVersion, r.dspVersion);
    copyText(info.bootTime, sizeof info.bootTime, r.bootTime);
    info.eventType = eventType;
    copyText(info.deviceTypeName, sizeof info.deviceTypeName, r.deviceTypeName);
    copyText(info.oemInfo, sizeof info.oemInfo, r.oemInfo);
    copyText(info.ipv4Gateway, sizeof info.ipv4Gateway, r.ipv4Gateway);
    copyText(info.ipv6Address, sizeof info.ipv6Address, r.ipv6Address);
    copyText(info.ipv6Gateway, sizeof info.ipv6Gateway, r.ipv6Gateway);
    info.ipv6PrefixLength = r.ipv6PrefixLength;
    info.supportFlags = r.supportFlags;
    info.dhcpEnabled = r.dhcpEnabled;
    info.capabilityLevel = r.capabilityLevel;
    info.httpPort = r.httpPort;
    info.deviceClass = r.deviceClass;
    info.certified = device.certified && device.confirmed ? 1 : 0;
    info.confirmed = device.confirmed ? 1 : 0;
    info.source = device.scanned ? VEXA_SOURCE_SCAN : VEXA_SOURCE_DISCOVERY;
    info.recordVersion = r.version;
    info.oemCode = r.oemCode;
    info.activationState = r.activationState;
    info.resetFlags = r.resetFlags;
    copyText(info.deviceName, sizeof info.deviceName, r.deviceName);
    copyText(info.serviceTag, sizeof info.serviceTag, r.serviceTag);
    info.rtspPort = r.rtspPort;
}

Engine::Engine(VEXA_DEVICE_CALLBACK callback, void* userData, EngineConfig config)
    : callback_(callback)
    , userData_(userData)
    , config_(std::move(config))
    , work_(asio::make_work_guard(io_))
    , transport_(io_)
    , inquiryTimer_(io_)
    , sweepTimer_(io_)
    , unicast_(io_)
    , confirmTimer_(io_)
    , buffer_((proto::kMaxDatagram + 64) * kBatch) {
    randombytes_buf(digestKey_.data(), digestKey_.size());
}

Engine::~Engine() {
    stop();
}

bool Engine::start(std::string& error) {
    // Every first announcement of a certified device costs two signature checks (about 0.1 ms): a burst of
    // thousands of answers waits in the socket meanwhile, about 1.3 KiB of buffer each.
    config_.transport.receiveBuffer = std::max(config_.transport.receiveBuffer, 32 * 1024 * 1024);
    config_.transport.groupOnly = true; // an inquiry sent to one address is for the device there, not for us
    if (!transport_.open(config_.transport, error))
        return false;
    // Bound to our one interface when there is one, so that a device's answer comes back the way the request went.
    asio::error_code ec;
    const auto unicastAt =
        config_.transport.interfaces.size() == 1 ? config_.transport.interfaces.front() : asio::ip::address_v4::any();
    unicast_.open(asio::ip::udp::v4(), ec);
    if (!ec)
        unicast_.bind(asio::ip::udp::endpoint(unicastAt, 0), ec);
    if (!ec)
        unicast_.non_blocking(true, ec);
    if (ec) {
        error = "unicast socket: " + ec.message();
        transport_.close();
        return false;
    }
    VEXA_LOG(LogInfo, "started on port %u, receive buffer %d bytes", config_.transport.port,
             transport_.receiveBufferBytes());
    if (canCertify()) {
        loadVerdicts();
        for (unsigned i = 0; i < config_.verifiers; ++i)
            verifiers_.emplace_back([this] { verifierLoop(); });
    }
    armReceive();
    armUnicast();
    armSweep();
    asio::post(io_, [this] { sendInquiryRound(); });
    thread_ = std::thread([this] {
        threadId_ = std::this_thread::get_id();
        io_.run();
    });
    return true;
}

void Engine::stop() {
    {
        std::lock_guard<std::mutex> lock(lifeMutex_);
        if (stopping_ || !thread_.joinable())
            return;
        stopping_ = true;
        asio::post(io_, [this] {
            asio::error_code ec;
            inquiryTimer_.cancel();
            sweepTimer_.cancel();
            confirmTimer_.cancel();
            transport_.close();
            unicast_.close(ec);
            work_.reset();
            io_.stop();
        });
    }
    thread_.join();
    threadId_ = std::thread::id();
    // After the I/O thread: a verdict that comes back now is posted to a stopped loop and never reported.
    stopVerifiers();
    saveVerdicts();
    VEXA_LOG(LogInfo, "stopped");
}

bool Engine::stopping() const {
    std::lock_guard<std::mutex> lock(lifeMutex_);
    return stopping_;
}

bool Engine::runOnIo(const std::function<void()>& fn) {
    if (onIoThread()) {
        fn();
        return true;
    }
    std::promise<void> done;
    auto future = done.get_future();
    {
        // Another thread may be in VEXA_Stop with this engine: a post after the shutdown's would never run.
        std::lock_guard<std::mutex> lock(lifeMutex_);
        if (stopping_)
            return false;
        asio::post(io_, [&fn, &done] {
            fn();
            done.set_value();
        });
    }
    future.wait();
    return true;
}

void Engine::post(std::vector<uint8_t> datagram) {
    asio::post(io_, [this, d = std::move(datagram)] { transport_.send(d); });
}

void Engine::postTo(std::vector<uint8_t> datagram, const std::string& ipv4) {
    asio::error_code ec;
    const auto address = asio::ip::make_address_v4(ipv4, ec);
    if (ec || datagram.empty() || datagram.size() > proto::kMaxDatagram)
        return;
    asio::post(io_, [this, d = std::move(datagram), address] {
        asio::error_code error;
        unicast_.send_to(asio::buffer(d), asio::ip::udp::endpoint(address, config_.transport.port), 0, error);
        if (error)
            VEXA_LOG(LogError, "cannot send to %s: %s", address.to_string().c_str(), error.message().c_str());
    });
}

bool Engine::askDeviceAt(const std::string& ipv4) {
    asio::error_code ec;
    const auto address = asio::ip::make_address_v4(ipv4, ec);
    if (ec)
        return false;
    const auto ask = [this, address] {
        const proto::RequestId id = randomId();
        constexpr size_t kKept = 64;
        askedAt_.emplace_back(id, address.to_uint());
        if (askedAt_.size() > kKept)
            askedAt_.pop_front();
        proto::TlvWriter w;
        const std::vector<uint8_t> datagram = proto::encodeFrame(proto::MsgType::Inquiry, id, w);
        asio::error_code error;
        ++stats_.inquiries;
        unicast_.send_to(asio::buffer(datagram), asio::ip::udp::endpoint(address, config_.transport.port), 0, error);
    };
    // Twice, a second apart: a device that applies a change after it answered may miss the first.
    postTask([this, ask] {
        ask();
        auto again = std::make_shared<asio::steady_timer>(io_, std::chrono::seconds(1));
        again->async_wait([again, ask](const asio::error_code& ec) {
            if (!ec)
                ask();
        });
    });
    return true;
}

void Engine::postTask(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(lifeMutex_);
    if (!stopping_)
        asio::post(io_, std::move(fn));
}

void Engine::setReplyHandler(ReplyHandler handler) {
    std::lock_guard<std::mutex> lock(replyMutex_);
    replyHandler_ = std::move(handler);
}

Lookup Engine::findDevice(const std::string& serialNo, const std::string& mac, KnownDevice& out) {
    size_t found = 0;
    // The caller may spell the MAC in either case or with ':'; the table holds the canonical form.
    std::string wanted = mac;
    if (const auto parsed = crypto::parseMac(mac))
        wanted = crypto::formatMac(*parsed);
    const bool ran = runOnIo([&] {
        for (const auto& [key, device] : devices_) {
            if ((!serialNo.empty() && device.record.serialNo == serialNo) ||
                (!wanted.empty() && device.record.mac == wanted)) {
                if (found++ == 0)
                    out = device;
            }
        }
    });
    if (!ran || found == 0)
        return Lookup::Unknown;
    return found == 1 ? Lookup::Found : Lookup::Ambiguous;
}

bool Engine::confirm(const std::string& serialNo, const std::string& mac, Clock::time_point deadline,
                     KnownDevice& out) {
    if (!runOnIo([this] { sendConfirmingInquiry(true); }))
        return false;
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (findDevice(serialNo, mac, out) != Lookup::Found)
            return false;
        if (out.confirmed)
            return true;
    }
    return false;
}

void Engine::armReceive() {
    transport_.socket().async_wait(asio::socket_base::wait_read, [this](const asio::error_code& ec) {
        if (ec)
            return;
        drain();
        armReceive();
    });
}

void Engine::drain() {
    readSocket();
    flushOutbox();
}

void Engine::readSocket() {
    // Read everything that is queued before going back to the reactor: a burst of answers is the normal case.
    const size_t stride = proto::kMaxDatagram + 64;
    for (size_t read = 0; read < 4096;) {
        const size_t n = transport_.receiveMany(buffer_.data(), stride, sizes_.data(), kBatch);
        if (n == 0)
            return;
        read += n;
        for (size_t i = 0; i < n; ++i) {
            if (sizes_[i] > stride) {
                ++stats_.received;
                ++stats_.dropped; // larger than any datagram of ours
                continue;
            }
            handleDatagram(buffer_.data() + i * stride, sizes_[i]);
            if (!transport_.isOpen())
                return;
        }
    }
}

void Engine::armUnicast() {
    unicast_.async_wait(asio::socket_base::wait_read, [this](const asio::error_code& ec) {
        if (ec)
            return;
        readUnicast();
        armUnicast();
    });
}

void Engine::readUnicast() {
    std::array<uint8_t, proto::kMaxDatagram + 64> data;
    for (int read = 0; read < 256; ++read) {
        asio::ip::udp::endpoint from;
        asio::error_code ec;
        const size_t size = unicast_.receive_from(asio::buffer(data), from, 0, ec);
        if (ec == asio::error::connection_refused)
            continue; // an ICMP error about an earlier send, not a datagram
        if (ec && ec != asio::error::message_size)
            return;
        ++stats_.received;
        proto::Frame frame;
        if (ec || proto::decodeFrame(data.data(), size, frame) != proto::DecodeError::None) {
            ++stats_.dropped;
            continue;
        }
        const uint32_t address = from.address().to_v4().to_uint();
        if (frame.type == proto::MsgType::Challenge || frame.type == proto::MsgType::Result) {
            dispatch(frame, data.data(), size, false, address);
            continue;
        }
        // Only the answer to an inquiry sent to that very address, claiming it: nothing else comes in this way.
        const bool asked = std::any_of(askedAt_.begin(), askedAt_.end(), [&](const auto& ask) {
            return ask.first == frame.requestId && ask.second == address;
        });
        if (frame.type != proto::MsgType::Announce || !asked ||
            frame.text(proto::TagIpv4) != from.address().to_string()) {
            reject("a datagram to our own port that answers nothing we asked there");
            continue;
        }
        keepScanId(frame.requestId);
        dispatch(frame, data.data(), size, false);
    }
}

void Engine::handleDatagram(const uint8_t* data, size_t size) {
    ++stats_.received;
    proto::Frame frame;
    const proto::DecodeError error = proto::decodeFrame(data, size, frame);
    if (error != proto::DecodeError::None) {
        ++stats_.dropped;
        VEXA_LOG(LogDebug, "dropped a datagram of %zu bytes: %s", size, proto::decodeErrorName(error));
        return;
    }
    dispatch(frame, data, size, false);
}

void Engine::dispatch(const proto::Frame& frame, const uint8_t* data, size_t size, bool inOrder, uint32_t from) {
    switch (frame.type) {
    case proto::MsgType::Announce:
        if (watchCount_.load(std::memory_order_relaxed) > 0)
            tellWatches(frame);
        handleAnnounce(frame, data, size, nullptr, inOrder);
        break;
    case proto::MsgType::Bye:
        handleBye(frame, data, size, inOrder);
        break;
    case proto::MsgType::Challenge:
    case proto::MsgType::Result: {
        std::lock_guard<std::mutex> lock(replyMutex_);
        if (replyHandler_)
            replyHandler_(frame, data, size, from);
        break;
    }
    case proto::MsgType::Inquiry:
        checkInquiry(frame, data, size);
        break;
    default:
        break; // our own requests, looped back
    }
}

uint64_t Engine::addAddressWatch(AddressWatch watch) {
    std::lock_guard<std::mutex> lock(watchMutex_);
    const uint64_t id = nextWatch_++;
    watches_.emplace_back(id, std::move(watch));
    watchCount_ = watches_.size();
    return id;
}

void Engine::removeAddressWatch(uint64_t id) {
    std::lock_guard<std::mutex> lock(watchMutex_);
    watches_.erase(std::remove_if(watches_.begin(), watches_.end(), [id](const auto& w) { return w.first == id; }),
                   watches_.end());
    watchCount_ = watches_.size();
}

void Engine::tellWatches(const proto::Frame& frame) {
    const std::string ipv4 = frame.text(proto::TagIpv4);
    const std::string serial = frame.text(proto::TagSerial);
    std::lock_guard<std::mutex> lock(watchMutex_);
    for (const auto& watch : watches_)
        watch.second(ipv4, serial);
}

bool Engine::inquireAt(const std::string& ipv4) {
    asio::error_code ec;
    const auto address = asio::ip::make_address_v4(ipv4, ec);
    if (ec)
        return false;
    proto::TlvWriter w;
    const std::vector<uint8_t> datagram = proto::encodeFrame(proto::MsgType::Inquiry, randomId(), w);
    // Sent from the I/O thread, which owns the socket.
    asio::post(io_, [this, datagram, address] {
        ++stats_.inquiries;
        if (!transport_.sendTo(datagram, address))
            VEXA_LOG(LogError, "cannot send an inquiry to %s", address.to_string().c_str());
    });
    return true;
}

void Engine::noteOwnInquiry(const proto::RequestId& id, const std::vector<uint8_t>& datagram, bool listed) {
    constexpr size_t kRemembered = 4;
    if (ownInquiries_.empty() || ownInquiries_.back().id != id) {
        if (ownInquiries_.size() >= kRemembered)
            ownInquiries_.erase(ownInquiries_.begin());
        ownInquiries_.push_back(OwnInquiry{id, {}, listed, false});
    }
    ownInquiries_.back().parts.push_back(datagram);
}

void Engine::checkInquiry(const proto::Frame& frame, const uint8_t* data, size_t size) {
    for (OwnInquiry& own : ownInquiries_) {
        if (own.id != frame.requestId)
            continue;
        const bool ours = std::any_of(own.parts.begin(), own.parts.end(), [&](const std::vector<uint8_t>& part) {
            return part.size() == size && std::equal(part.begin(), part.end(), data);
        });
        // Without a list of ours the devices ignore any list added later under the id; with one, a part of
        // someone else's may have silenced devices we never heard: ask once more, under a fresh id, without any.
        if (ours || !own.listed || own.askedAgain)
            return;
        own.askedAgain = true;
        ++stats_.interfered;
        VEXA_LOG(LogInfo, "someone added known answers to our inquiry; asking again without any");
        sendInquiry(false);
        return;
    }
}

bool Engine::passesFilter(const proto::DeviceRecord& record) const {
    return !videoOnly_ || record.deviceClass == VEXA_CLASS_VIDEO;
}

namespace {

bool plainAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

bool canonicalMac(const std::string& text) {
    const auto mac = crypto::parseMac(text);
    return mac && crypto::formatMac(*mac) == text;
}

} // namespace

void Engine::reject(const char* why, const proto::DeviceRecord* record) {
    ++stats_.rejected;
    VEXA_LOG(LogDebug, "refused a device message (%s)%s%s", why, record ? ": " : "",
             record ? record->serialNo.c_str() : "");
}

bool Engine::signedBy(const proto::Frame& frame, const uint8_t* data, size_t size,
                      const std::vector<uint8_t>& publicKey) {
    if (publicKey.size() != crypto::kPublicKeySize)
        return false;
    ++stats_.signatureChecks;
    crypto::PublicKey key{};
    std::copy(publicKey.begin(), publicKey.end(), key.begin());
    return proto::verifySigned(frame, data, size, key);
}

void Engine::digestBody(crypto::ByteView body, std::array<uint8_t, 32>& out) const {
    crypto_generichash(out.data(), out.size(), body.data, body.size, digestKey_.data(), digestKey_.size());
}

bool Engine::sameBytes(const KnownDevice& device, crypto::ByteView body) const {
    if (!body.data || !device.hasVerified)
        return false;
    std::array<uint8_t, 32> digest;
    digestBody(body, digest);
    return sodium_memcmp(digest.data(), device.verifiedDigest.data(), digest.size()) == 0;
}

void Engine::keepVerified(KnownDevice& device, crypto::ByteView body, const Verdict* verdict) const {
    if (!body.data) {
        device.hasVerified = false;
        return;
    }
    if (verdict && verdict->digested)
        device.verifiedDigest = verdict->digest;
    else
        digestBody(body, device.verifiedDigest);
    device.hasVerified = true;
}

void Engine::forget(std::unordered_map<std::string, KnownDevice>::iterator it) {
    if (!it->second.certified)
        --unverified_;
    devices_.erase(it);
}

SeenVersion* Engine::seenFor(const proto::DeviceRecord& record, bool create) {
    std::string key = proto::deviceKey(record.serialNo, record.mac);
    key.append(record.publicKey.begin(), record.publicKey.end());
    auto it = seen_.find(key);
    if (it != seen_.end())
        return &it->second;
    // Only certified identities get here, and each needs a manufacturer's certificate: the bound is for memory.
    if (!create || seen_.size() >= config_.maxDevices)
        return nullptr;
    return &seen_.emplace(std::move(key), SeenVersion{}).first->second;
}

const char* Engine::staleness(const proto::DeviceRecord& record) {
    const SeenVersion* seen = seenFor(record, false);
    if (!seen)
        return nullptr;
    if (record.version < seen->highest)
        return "stale announcement";
    if (seen->byeSeen && record.version <= seen->bye)
        return "announcement from before the device's bye";
    return nullptr;
}

bool Engine::waitingForVerdict(const std::string& key, const uint8_t* data, size_t size) {
    auto it = pending_.find(key);
    if (it == pending_.end())
        return false;
    constexpr size_t kMaxWaiting = 16; // a device's own messages behind one verification; more are dropped
    if (it->second.later.size() < kMaxWaiting)
        it->second.later.emplace_back(data, data + size);
    else
        ++stats_.verifyDropped;
    return true;
}

void Engine::submit(const std::string& key, const uint8_t* data, size_t size, bool needCertificate,
                    proto::DeviceRecord&& record) {
    auto [it, created] = pending_.try_emplace(key);
    Pending& pending = it->second;
    if (created) {
        if (const auto mac = crypto::parseMac(record.mac))
            pending.mac = *mac;
    }
    if (pending.heardInRound != round_) {
        pending.heardInRound = round_;
        ++newInRound_;
    }
    if (queued_.load() >= config_.maxVerifyQueue) {
        ++stats_.verifyDropped;
        if (pending.later.empty())
            pending_.erase(it);
        return;
    }
    outbox_.push_back(VerifyJob{key, std::vector<uint8_t>(data, data + size), std::move(record), needCertificate});
    const size_t waiting = ++queued_;
    if (waiting > stats_.verifyHighWater)
        stats_.verifyHighWater = waiting;
    pending.inFlight = true;
    constexpr size_t kMaxOutbox = 64; // a long burst still feeds the verifiers while it is being read
    if (outbox_.size() >= kMaxOutbox)
        flushOutbox();
}

void Engine::flushOutbox() {
    if (outbox_.empty())
        return;
    const size_t handed = outbox_.size();
    {
        std::lock_guard<std::mutex> lock(verifyMutex_);
        for (VerifyJob& job : outbox_)
            verifyQueue_.push_back(std::move(job));
    }
    outbox_.clear();
    if (handed == 1)
        verifyWake_.notify_one();
    else
        verifyWake_.notify_all();
    scheduleHelp();
}

void Engine::scheduleHelp() {
    if (helping_ || verifiers_.empty())
        return;
    helping_ = true;
    asio::post(io_, [this] { help(); });
}

void Engine::help() {
    helping_ = false;
    if (!transport_.isOpen())
        return;
    readSocket(); // what arrived meanwhile first
    VerifyJob job;
    {
        std::lock_guard<std::mutex> lock(verifyMutex_);
        if (!verifyStopping_ && !verifyQueue_.empty()) {
            job = std::move(verifyQueue_.front());
            verifyQueue_.pop_front();
        }
    }
    if (!job.datagram.empty()) {
        --queued_;
        onVerdict(job, judge(job));
    }
    flushOutbox();
    // Posted, not looped: a stop, a query or the socket's own wake-up runs between two verifications.
    bool more = false;
    {
        std::lock_guard<std::mutex> lock(verifyMutex_);
        more = !verifyStopping_ && !verifyQueue_.empty();
    }
    if (more)
        scheduleHelp();
}

void Engine::verifierLoop() {
    constexpr size_t kMaxBatch = 8;
    std::vector<VerifyJob> jobs;
    for (;;) {
        jobs.clear();
        {
            std::unique_lock<std::mutex> lock(verifyMutex_);
            verifyWake_.wait(lock, [this] { return verifyStopping_ || !verifyQueue_.empty(); });
            if (verifyStopping_)
                return;
            // A share of a long queue, so that one post brings several verdicts back, yet the others (and the
            // reader) still find work; one at a time when the queue is short, so that nothing waits on a batch.
            const size_t take = std::clamp<size_t>(verifyQueue_.size() / (config_.verifiers + 1), size_t{1}, kMaxBatch);
            for (size_t i = 0; i < take; ++i) {
                jobs.push_back(std::move(verifyQueue_.front()));
                verifyQueue_.pop_front();
            }
        }
        queued_ -= jobs.size();
        std::vector<std::pair<VerifyJob, Verdict>> done;
        done.reserve(jobs.size());
        for (VerifyJob& job : jobs) {
            const Verdict verdict = judge(job);
            done.emplace_back(std::move(job), verdict);
        }
        asio::post(io_, [this, done = std::move(done)]() mutable {
            for (auto& [job, verdict] : done)
                onVerdict(job, verdict);
            flushOutbox();
        });
    }
}

void Engine::stopVerifiers() {
    {
        std::lock_guard<std::mutex> lock(verifyMutex_);
        verifyStopping_ = true;
        verifyQueue_.clear();
    }
    verifyWake_.notify_all();
    for (std::thread& verifier : verifiers_)
        verifier.join();
    verifiers_.clear();
}

void Engine::loadVerdicts() {
    if (config_.verdictPath.empty() || config_.trusted.empty())
        return;
    verdicts_ = std::make_unique<VerdictFile>();
    std::string why;
    switch (verdicts_->load(config_.verdictPath, why)) {
    case VerdictFile::Load::Loaded:
        stats_.verdictsLoaded = verdicts_->size();
        VEXA_LOG(LogInfo, "read %zu certificate verdicts from %s", verdicts_->size(), config_.verdictPath.c_str());
        break;
    case VerdictFile::Load::Missing:
        break;
    case VerdictFile::Load::Refused:
        ++stats_.verdictFileRefused;
        VEXA_LOG(LogError, "ignored the verdict file %s: %s", config_.verdictPath.c_str(), why.c_str());
        break;
    }
}

void Engine::saveVerdicts() {
    if (!verdicts_ || !verdicts_->changed())
        return;
    std::string error;
    if (!verdicts_->save(config_.verdictPath, error))
        VEXA_LOG(LogError, "cannot keep certificate verdicts: %s", error.c_str());
}

bool Engine::checkCertificate(const proto::DeviceRecord& record) {
    if (config_.trusted.empty()) {
        ++stats_.certificateChecks;
        return config_.verifyCertificate(record);
    }
    const auto mac = crypto::parseMac(record.mac);
    if (!mac || record.publicKey.size() != crypto::kPublicKeySize ||
        record.certificate.size() != crypto::kSignatureSize)
        return false;
    crypto::DeviceIdentity identity;
    identity.serial = record.serialNo;
    identity.mac = *mac;
    std::copy(record.publicKey.begin(), record.publicKey.end(), identity.devicePublicKey.begin());
    const auto message = crypto::certificateMessage(identity);
    if (!message)
        return false;
    crypto::Signature certificate{};
    std::copy(record.certificate.begin(), record.certificate.end(), certificate.begin());
    // A kept verdict is found only under a key trusted now, and only for these exact bytes.
    if (verdicts_) {
        for (const crypto::PublicKey& key : config_.trusted) {
            if (verdicts_->contains(VerdictFile::digestOf(key, *message, certificate)))
                return true;
        }
    }
    ++stats_.certificateChecks;
    for (const crypto::PublicKey& key : config_.trusted) {
        if (crypto::verifySignature(key, *message, certificate)) {
            if (verdicts_)
                verdicts_->add(VerdictFile::digestOf(key, *message, certificate));
            return true;
        }
    }
    return false;
}

bool Engine::certificateVerifies(const proto::DeviceRecord& record) {
    if (!canCertify())
        return false;
    std::string key = proto::deviceKey(record.serialNo, record.mac);
    key.append(record.publicKey.begin(), record.publicKey.end());
    key.append(record.certificate.begin(), record.certificate.end());
    {
        std::lock_guard<std::mutex> lock(verdictMutex_);
        if (const auto it = certificateVerdicts_.find(key); it != certificateVerdicts_.end())
            return it->second;
    }
    const bool verifies = checkCertificate(record);
    std::lock_guard<std::mutex> lock(verdictMutex_);
    if (certificateVerdicts_.size() >= config_.maxDevices)
        certificateVerdicts_.clear(); // bounded; a verdict forgotten is only computed again
    certificateVerdicts_.emplace(std::move(key), verifies);
    return verifies;
}

Verdict Engine::judge(const VerifyJob& job) {
    Verdict verdict;
    proto::Frame frame;
    if (proto::decodeFrame(job.datagram.data(), job.datagram.size(), frame) != proto::DecodeError::None)
        return verdict;
    const proto::DeviceRecord& record = job.record;
    if (job.needCertificate) {
        verdict.certificateChecked = true;
        verdict.certificate = certificateVerifies(record);
        if (!verdict.certificate)
            return verdict; // uncertified either way: the signature changes nothing
    }
    verdict.signature = signedBy(frame, job.datagram.data(), job.datagram.size(), record.publicKey);
    if (verdict.signature) {
        // Made here, off the reader, which keeps it if the device is listed.
        const crypto::ByteView body = proto::signedBody(frame, job.datagram.data(), job.datagram.size());
        if (body.data) {
            digestBody(body, verdict.digest);
            verdict.digested = true;
        }
    }
    return verdict;
}

void Engine::onVerdict(VerifyJob& job, const Verdict& verdict) {
    auto it = pending_.find(job.key);
    if (it != pending_.end())
        it->second.inFlight = false;
    proto::Frame frame;
    if (proto::decodeFrame(job.datagram.data(), job.datagram.size(), frame) == proto::DecodeError::None)
        handleAnnounce(frame, job.datagram.data(), job.datagram.size(), &verdict, true, &job);
    // Then what waited behind it, in order, until one goes to the verifiers again.
    for (it = pending_.find(job.key); it != pending_.end() && !it->second.inFlight && !it->second.later.empty();
         it = pending_.find(job.key)) {
        const std::vector<uint8_t> next = std::move(it->second.later.front());
        it->second.later.pop_front();
        proto::Frame nextFrame;
        if (proto::decodeFrame(next.data(), next.size(), nextFrame) == proto::DecodeError::None)
            dispatch(nextFrame, next.data(), next.size(), true);
    }
    it = pending_.find(job.key);
    if (it != pending_.end() && !it->second.inFlight && it->second.later.empty())
        pending_.erase(it);
}

void Engine::handleAnnounce(const proto::Frame& frame, const uint8_t* data, size_t size, const Verdict* verdict,
                            bool inOrder, VerifyJob* job) {
    proto::DeviceRecord record;
    const proto::DecodeError error = job ? proto::DecodeError::None : proto::readDeviceRecord(frame, record);
    if (job)
        record = std::move(job->record);
    if (error != proto::DecodeError::None) {
        ++stats_.dropped;
        VEXA_LOG(LogDebug, "dropped an announcement: %s", proto::decodeErrorName(error));
        return;
    }
    // One spelling per device: otherwise one device could be listed twice, or two as one.
    if (!plainAscii(record.serialNo) || !canonicalMac(record.mac)) {
        reject("serial number or MAC not in canonical form");
        return;
    }
    const std::string key = proto::deviceKey(record.serialNo, record.mac);
    if (!inOrder && waitingForVerdict(key, data, size))
        return;
    const bool offload = !verdict && !verifiers_.empty();
    const auto now = Clock::now();
    const crypto::ByteView signedBytes = proto::signedBody(frame, data, size);
    // An answer to one of our inquiries, its signature over our id: the device is there now.
    const bool answersUs = frame.requestId != proto::RequestId{} && ownInquiryId(frame.requestId);
    auto it = devices_.find(key);
    if (it != devices_.end() && it->second.certified) {
        KnownDevice& known = it->second;
        const bool confirming = answersUs && !known.confirmed;
        if (confirming || !sameBytes(known, signedBytes)) {
            // A certified identity stays until the device goes silent: only its own key, with a record at least
            // as new as the one listed, may change what is listed.
            if (record.publicKey != known.record.publicKey || record.certificate != known.record.certificate) {
                reject("another key for a certified device", &record);
                return;
            }
            // Older than what is listed: stale, or forged; refused before any verification either way.
            if (record.version < known.record.version) {
                reject("stale announcement", &record);
                return;
            }
            if (offload) {
                submit(key, data, size, false, std::move(record));
                return;
            }
            if (!(verdict ? verdict->signature : signedBy(frame, data, size, known.record.publicKey))) {
                reject("announcement signature does not verify", &record);
                return;
            }
            if (SeenVersion* seen = seenFor(record, true))
                seen->highest = std::max(seen->highest, record.version);
            keepVerified(known, signedBytes, verdict);
        }
        known.lastHeard = now;
        noteHeard(known);
        // Found by a scan now: its source changes what is reported, and where its operations go.
        const bool scannedNow = !known.scanned && scanId(frame.requestId);
        const bool changed = !known.record.sameFields(record) || (answersUs && !known.confirmed) || scannedNow;
        known.confirmed = known.confirmed || answersUs;
        known.scanned = known.scanned || scannedNow;
        if (!known.confirmed)
            armConfirming();
        known.record = std::move(record);
        if (!known.reported) {
            if (!held(known) && passesFilter(known.record)) {
                known.reported = true;
                report(known, VEXA_EVENT_NEW);
            }
        } else if (changed) {
            report(known, VEXA_EVENT_CHANGED);
        }
        return;
    }

    // Not (yet) a certified device: it becomes one only with a certificate by a trusted key and an announcement
    // signed by the key the certificate names. An identity already seen newer is refused before any verification:
    // the message is stale or forged either way.
    if (const char* why = staleness(record)) {
        reject(why, &record);
        return;
    }
    if (offload && canCertify()) {
        submit(key, data, size, true, std::move(record));
        return;
    }
    const bool certificateOk =
        verdict && verdict->certificateChecked ? verdict->certificate : certificateVerifies(record);
    const bool certified =
        certificateOk && (verdict ? verdict->signature : signedBy(frame, data, size, record.publicKey));
    if (certificateOk && !certified) {
        reject("a genuine identity with a forged signature", &record);
        return;
    }
    if (certified) {
        if (SeenVersion* seen = seenFor(record, true))
            seen->highest = std::max(seen->highest, record.version);
    }
    if (it == devices_.end()) {
        if (devices_.size() >= config_.maxDevices || (!certified && unverified_ >= config_.maxUnverified)) {
            ++stats_.tableFull;
            VEXA_LOG(LogDebug, "device table full: %s not listed", record.serialNo.c_str());
            return;
        }
        KnownDevice device;
        device.record = record;
        device.heardFirst = now;
        if (const auto mac = crypto::parseMac(record.mac))
            device.macBytes = *mac;
        it = devices_.emplace(key, std::move(device)).first;
        if (!certified)
            ++unverified_;
    } else if (certified) {
        --unverified_; // the genuine device displaces whatever was listed under its name
    }
    KnownDevice& device = it->second;
    const bool confirmed = device.confirmed || answersUs;
    // Only a certified device's confirmation changes what is reported (its certified flag).
    const bool scannedNow = !device.scanned && scanId(frame.requestId);
    const bool changed = !device.record.sameFields(record) || device.certified != certified ||
                         (certified && device.confirmed != confirmed) || scannedNow;
    device.record = std::move(record);
    device.lastHeard = now;
    noteHeard(device);
    device.certified = certified;
    device.confirmed = confirmed;
    device.scanned = device.scanned || scannedNow;
    if (certified && !confirmed)
        armConfirming();
    if (certified)
        keepVerified(device, signedBytes, verdict);
    if (!device.reported) {
        if (!held(device) && passesFilter(device.record)) {
            device.reported = true;
            report(device, VEXA_EVENT_NEW);
        }
    } else if (changed) {
        report(device, VEXA_EVENT_CHANGED);
    }
}

void Engine::handleBye(const proto::Frame& frame, const uint8_t* data, size_t size, bool inOrder) {
    if (!frame.has(proto::TagSerial) || !frame.has(proto::TagMac)) {
        ++stats_.dropped;
        return;
    }
    if (!inOrder &&
        waitingForVerdict(proto::deviceKey(frame.text(proto::TagSerial), frame.text(proto::TagMac)), data, size))
        return;
    auto it = devices_.find(proto::deviceKey(frame.text(proto::TagSerial), frame.text(proto::TagMac)));
    if (it == devices_.end())
        return;
    if (it->second.certified) {
        // Only the device itself says it is leaving, and not with a bye from an earlier boot or record.
        if (!signedBy(frame, data, size, it->second.record.publicKey)) {
            reject("bye signature does not verify", &it->second.record);
            return;
        }
        if (frame.u32(proto::TagRecordVersion) < it->second.record.version) {
            reject("stale bye", &it->second.record);
            return;
        }
        if (SeenVersion* seen = seenFor(it->second.record, true)) {
            seen->bye = std::max(seen->bye, frame.u32(proto::TagRecordVersion));
            seen->byeSeen = true;
        }
    }
    const KnownDevice device = std::move(it->second);
    forget(it);
    if (device.reported)
        report(device, VEXA_EVENT_GONE);
}

void Engine::report(const KnownDevice& device, int eventType) {
    ++stats_.events;
    VEXA_LOG(LogDebug, "event %d: %s %s %s", eventType, device.record.serialNo.c_str(), device.record.mac.c_str(),
             device.record.ipv4Address.c_str());
    if (!callback_)
        return;
    VEXA_DEVICE_INFO info;
    fillDeviceInfo(device, eventType, info);
    callback_(&info, userData_);
}

void Engine::sendInquiryRound() {
    const uint64_t round = ++round_;
    newInRound_ = 0;
    VEXA_LOG(LogInfo, "inquiry round %llu", static_cast<unsigned long long>(round));
    inquiryTimer_.cancel();
    scheduleRound(round, 0, 0);
}

void Engine::noteHeard(KnownDevice& device) {
    if (device.heardInRound != round_) {
        device.heardInRound = round_;
        ++newInRound_;
    }
}

void Engine::scheduleRound(uint64_t round, unsigned step, unsigned quiet) {
    if (round != round_)
        return;
    ++stats_.steps;
    sendInquiry(step > 0 && config_.knownAnswers);
    const uint64_t newBefore = newInRound_;
    // A little jitter, so that clients started together do not inquire in step.
    const auto tenth = std::max<long>(1, static_cast<long>(config_.inquiryGap.count() / 10));
    const auto gap = config_.inquiryGap + std::chrono::milliseconds(randombytes_uniform(static_cast<uint32_t>(tenth)));
    inquiryTimer_.expires_after(gap);
    inquiryTimer_.async_wait([this, round, step, quiet, newBefore](const asio::error_code& ec) {
        if (ec || round != round_)
            return;
        // Go on while inquiries still bring devices not heard yet in this round; stop after quietSteps that
        // brought none (together longer than a device waits before it answers) or at the ceiling.
        const unsigned nowQuiet = newInRound_ > newBefore ? 0 : quiet + 1;
        // A round that has heard nobody goes on to the ceiling: on a lossy link its first inquiries may all be
        // lost, and a round that ends empty is not asked again until Refresh.
        const bool heardNobody = newInRound_ == 0;
        if ((!heardNobody && nowQuiet >= config_.quietSteps) || step + 1 >= config_.maxSteps) {
            VEXA_LOG(LogInfo, "inquiry round %llu ends after %u inquiries, %llu devices heard",
                     static_cast<unsigned long long>(round), step + 1, static_cast<unsigned long long>(newInRound_));
            return;
        }
        scheduleRound(round, step + 1, nowQuiet);
    });
}

bool Engine::ownInquiryId(const proto::RequestId& id) const {
    return std::find(recentIds_.begin(), recentIds_.end(), id) != recentIds_.end() || scanId(id);
}

void Engine::acceptScanAnswer(std::vector<uint8_t> datagram) {
    if (datagram.size() < proto::kHeaderSize)
        return;
    postTask([this, datagram = std::move(datagram)] {
        proto::RequestId id;
        std::copy_n(datagram.begin() + proto::kRequestIdOffset, id.size(), id.begin());
        keepScanId(id);
        handleDatagram(datagram.data(), datagram.size());
        // Behind a router nothing else may ever arrive on our socket to send the queued answer on.
        flushOutbox();
    });
}

void Engine::keepScanId(const proto::RequestId& id) {
    constexpr size_t kKept = 4096;
    if (scanIds_.insert(id).second) {
        scanIdOrder_.push_back(id);
        if (scanIdOrder_.size() > kKept) {
            scanIds_.erase(scanIdOrder_.front());
            scanIdOrder_.pop_front();
        }
    }
}

void Engine::armConfirming() {
    if (confirmArmed_ || stopping())
        return;
    confirmArmed_ = true;
    // A short wait gathers a burst of boot announcements into one inquiry.
    confirmTimer_.expires_after(std::chrono::milliseconds(300));
    confirmTimer_.async_wait([this](const asio::error_code& ec) {
        if (ec)
            return; // re-armed meanwhile, or stopping
        confirmArmed_ = false;
        sendConfirmingInquiry(false);
    });
}

void Engine::sendConfirmingInquiry(bool asked) {
    constexpr uint8_t kMostTries = 5;
    // A device is held back from the list while it may still confirm, so that it is listed with its final state;
    // one that has not answered by then is listed unconfirmed.
    constexpr auto kMostHeld = std::chrono::milliseconds(1500);
    const auto now = Clock::now();
    const size_t most = static_cast<size_t>(config_.maxKnownParts) * proto::kMaxKnownMacs;
    std::vector<uint8_t> known;
    bool anyToAsk = false;
    bool anyHeld = false;
    std::vector<KnownDevice*> released;
    for (auto& [key, device] : devices_) {
        if (device.confirmed || !device.certified) {
            if (known.size() / 6 < most)
                known.insert(known.end(), device.macBytes.begin(), device.macBytes.end());
            continue;
        }
        if (device.confirmTries < kMostTries) {
            ++device.confirmTries;
            anyToAsk = true;
        }
        if (held(device)) {
            if (now - device.heardFirst >= kMostHeld)
                released.push_back(&device);
            else
                anyHeld = true;
        }
    }
    for (KnownDevice* device : released) {
        device->reported = true;
        report(*device, VEXA_EVENT_NEW);
    }
    if (anyToAsk || asked)
        sendInquiry(known);
    if (!anyToAsk && !anyHeld)
        return; // asked often enough: the next Refresh, or an operation, asks again
    // Answers to a listing inquiry come within 70 ms; one lost is asked for again a second later.
    confirmArmed_ = true;
    confirmTimer_.expires_after(std::chrono::milliseconds(anyToAsk ? 1000 : 500));
    confirmTimer_.async_wait([this](const asio::error_code& ec) {
        if (ec)
            return;
        confirmArmed_ = false;
        sendConfirmingInquiry(false);
    });
}

bool Engine::held(const KnownDevice& device) const {
    return device.certified && !device.confirmed && !device.reported && passesFilter(device.record);
}

void Engine::sendInquiry(bool withKnown) {
    std::vector<uint8_t> known;
    if (withKnown) {
        const size_t most = static_cast<size_t>(config_.maxKnownParts) * proto::kMaxKnownMacs;
        known.reserve(std::min(devices_.size(), most) * 6);
        // Not a certified device heard only unasked: it must answer, to prove it is there.
        for (const auto& [key, device] : devices_) {
            if (device.heardInRound != round_ || (device.certified && !device.confirmed) || known.size() / 6 >= most)
                continue;
            known.insert(known.end(), device.macBytes.begin(), device.macBytes.end());
        }
        // Heard but still at the verifiers: listed too, so that slow verification draws no extra answers.
        for (const auto& [key, waiting] : pending_) {
            if (waiting.heardInRound != round_ || known.size() / 6 >= most || devices_.count(key))
                continue;
            known.insert(known.end(), waiting.mac.begin(), waiting.mac.end());
        }
    }
    sendInquiry(known);
}

void Engine::sendInquiry(const std::vector<uint8_t>& known) {
    const proto::RequestId id = randomId();
    recentIds_.push_back(id);
    // Answers come within half a second of an inquiry: the ids of the last few seconds are enough.
    while (recentIds_.size() > 64)
        recentIds_.pop_front();
    const auto send = [this](const std::vector<uint8_t>& datagram) {
        ++stats_.inquiries;
        if (!transport_.send(datagram))
            VEXA_LOG(LogError, "cannot send an inquiry");
    };
    // One request id for every part: a device answers once per id, on the first part it hears, unless that
    // part lists it, and any later part that lists it cancels its pending answer.
    const size_t perPart = proto::kMaxKnownMacs * 6;
    const size_t parts = known.empty() ? 1 : (known.size() + perPart - 1) / perPart;
    for (size_t part = 0; part < parts; ++part) {
        proto::TlvWriter w;
        if (videoOnly_)
            w.addU8(proto::TagClassFilter, VEXA_CLASS_VIDEO);
        if (!known.empty()) {
            w.addU16(proto::TagKnownPart, static_cast<uint16_t>(part));
            const size_t from = part * perPart;
            w.addBytes(proto::TagKnownMacs, known.data() + from, std::min(perPart, known.size() - from));
        }
        const std::vector<uint8_t> datagram = proto::encodeFrame(proto::MsgType::Inquiry, id, w);
        send(datagram);
        noteOwnInquiry(id, datagram, !known.empty());
        if (!known.empty())
            send(datagram);
    }
}

bool Engine::clearup() {
    return runOnIo([this] {
        VEXA_LOG(LogInfo, "clear-up: forgetting %zu devices", devices_.size());
        devices_.clear();
        unverified_ = 0;
    });
}

void Engine::armSweep() {
    const auto interval =
        std::clamp(config_.goneTimeout / 5, std::chrono::milliseconds(20), std::chrono::milliseconds(1000));
    sweepTimer_.expires_after(interval);
    sweepTimer_.async_wait([this](const asio::error_code& ec) {
        if (ec)
            return;
        sweep();
        armSweep();
    });
}

void Engine::sweep() {
    const auto now = Clock::now();
    const auto deadline = now - config_.goneTimeout;
    std::vector<KnownDevice> gone;
    for (auto it = devices_.begin(); it != devices_.end();) {
        KnownDevice& device = it->second;
        if (device.lastHeard >= deadline || device.scanned) {
            device.askedDirectly = {};
            device.askedAgain = false;
            ++it;
            continue;
        }
        // Silence is not proof: known answers forged in our name keep a device quiet. Ask it at its address,
        // with no list, twice; only no answer at all lets it go. Certified devices only: the address of one that
        // does not verify is anyone's claim, and we send to no address a stranger names.
        const bool asked = device.askedDirectly != Clock::time_point{} && device.askedDirectly >= device.lastHeard;
        if (device.certified && !asked) {
            device.askedDirectly = now;
            device.askedAgain = false;
            inquireAt(device.record.ipv4Address);
            ++it;
            continue;
        }
        if (device.certified && now - device.askedDirectly < kConfirmGone) {
            if (!device.askedAgain && now - device.askedDirectly >= kConfirmGone / 2) {
                device.askedAgain = true;
                inquireAt(device.record.ipv4Address);
            }
            ++it;
            continue;
        }
        if (device.reported)
            gone.push_back(device);
        if (!device.certified)
            --unverified_;
        it = devices_.erase(it);
    }
    for (const KnownDevice& device : gone)
        report(device, VEXA_EVENT_GONE);
}

} // namespace vexa
