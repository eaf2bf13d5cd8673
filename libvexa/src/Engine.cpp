#include "Engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>
#include <sodium.h>

#include "Logger.h"

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
        const long ms = std::strtol(gone, nullptr, 10);
        if (ms > 0)
            out.goneTimeout = std::chrono::milliseconds(ms);
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
    info.certified = device.certified ? 1 : 0;
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
    , buffer_(proto::kMaxDatagram + 64) {}

Engine::~Engine() {
    stop();
}

bool Engine::start(std::string& error) {
    if (!transport_.open(config_.transport, error))
        return false;
    VEXA_LOG(LogInfo, "started on port %u, receive buffer %d bytes", config_.transport.port,
             transport_.receiveBufferBytes());
    armReceive();
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
            transport_.close();
            work_.reset();
            io_.stop();
        });
    }
    thread_.join();
    threadId_ = std::thread::id();
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

void Engine::setReplyHandler(ReplyHandler handler) {
    std::lock_guard<std::mutex> lock(replyMutex_);
    replyHandler_ = std::move(handler);
}

bool Engine::findDevice(const std::string& serialNo, const std::string& mac, KnownDevice& out) {
    bool found = false;
    const bool ran = runOnIo([&] {
        for (const auto& [key, device] : devices_) {
            if ((!serialNo.empty() && device.record.serialNo == serialNo) ||
                (!mac.empty() && device.record.mac == mac)) {
                out = device;
                found = true;
                return;
            }
        }
    });
    return ran && found;
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
    // Read everything that is queued before going back to the reactor: a burst of answers is the normal case.
    for (int i = 0; i < 4096; ++i) {
        const size_t n = transport_.receive(buffer_.data(), buffer_.size());
        if (n == 0)
            return;
        if (n > buffer_.size()) {
            ++stats_.received;
            ++stats_.dropped; // larger than any datagram of ours
            continue;
        }
        handleDatagram(buffer_.data(), n);
        if (!transport_.isOpen())
            return;
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
    switch (frame.type) {
    case proto::MsgType::Announce:
        handleAnnounce(frame);
        break;
    case proto::MsgType::Bye:
        handleBye(frame);
        break;
    case proto::MsgType::Challenge:
    case proto::MsgType::Result: {
        std::lock_guard<std::mutex> lock(replyMutex_);
        if (replyHandler_)
            replyHandler_(frame);
        break;
    }
    default:
        break; // our own inquiries and requests, looped back
    }
}

bool Engine::passesFilter(const proto::DeviceRecord& record) const {
    return !videoOnly_ || record.deviceClass == VEXA_CLASS_VIDEO;
}

void Engine::handleAnnounce(const proto::Frame& frame) {
    proto::DeviceRecord record;
    const proto::DecodeError error = proto::readDeviceRecord(frame, record);
    if (error != proto::DecodeError::None) {
        ++stats_.dropped;
        VEXA_LOG(LogDebug, "dropped an announcement: %s", proto::decodeErrorName(error));
        return;
    }
    const std::string key = proto::deviceKey(record.serialNo, record.mac);
    const auto now = Clock::now();
    auto it = devices_.find(key);
    if (it == devices_.end()) {
        KnownDevice device;
        device.record = std::move(record);
        device.lastHeard = now;
        device.certified = config_.verifyCertificate && config_.verifyCertificate(device.record);
        it = devices_.emplace(key, std::move(device)).first;
    } else {
        it->second.lastHeard = now;
        if (it->second.record == record) {
            if (!it->second.reported && passesFilter(it->second.record)) {
                it->second.reported = true;
                report(it->second, VEXA_EVENT_NEW);
            }
            return;
        }
        const bool identityChanged =
            it->second.record.publicKey != record.publicKey || it->second.record.certificate != record.certificate;
        it->second.record = std::move(record);
        if (identityChanged)
            it->second.certified = config_.verifyCertificate && config_.verifyCertificate(it->second.record);
        if (it->second.reported) {
            report(it->second, VEXA_EVENT_CHANGED);
            return;
        }
    }
    if (!it->second.reported && passesFilter(it->second.record)) {
        it->second.reported = true;
        report(it->second, VEXA_EVENT_NEW);
    }
}

void Engine::handleBye(const proto::Frame& frame) {
    if (!frame.has(proto::TagSerial) || !frame.has(proto::TagMac)) {
        ++stats_.dropped;
        return;
    }
    auto it = devices_.find(proto::deviceKey(frame.text(proto::TagSerial), frame.text(proto::TagMac)));
    if (it == devices_.end())
        return;
    const KnownDevice device = std::move(it->second);
    devices_.erase(it);
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
    VEXA_LOG(LogInfo, "inquiry round %llu", static_cast<unsigned long long>(round));
    scheduleRound(round, 0);
}

void Engine::scheduleRound(uint64_t round, size_t step) {
    if (round != round_ || step >= config_.inquiryOffsets.size())
        return;
    sendInquiry();
    if (step + 1 >= config_.inquiryOffsets.size())
        return;
    inquiryTimer_.expires_after(config_.inquiryOffsets[step + 1] - config_.inquiryOffsets[step]);
    inquiryTimer_.async_wait([this, round, step](const asio::error_code& ec) {
        if (!ec)
            scheduleRound(round, step + 1);
    });
}

void Engine::sendInquiry() {
    proto::TlvWriter w;
    if (videoOnly_)
        w.addU8(proto::TagClassFilter, VEXA_CLASS_VIDEO);
    if (!transport_.send(proto::encodeFrame(proto::MsgType::Inquiry, randomId(), w)))
        VEXA_LOG(LogError, "cannot send an inquiry");
}

bool Engine::clearup() {
    return runOnIo([this] {
        VEXA_LOG(LogInfo, "clear-up: forgetting %zu devices", devices_.size());
        devices_.clear();
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
    const auto deadline = Clock::now() - config_.goneTimeout;
    std::vector<KnownDevice> gone;
    for (auto it = devices_.begin(); it != devices_.end();) {
        if (it->second.lastHeard < deadline) {
            if (it->second.reported)
                gone.push_back(std::move(it->second));
            it = devices_.erase(it);
        } else {
            ++it;
        }
    }
    for (const KnownDevice& device : gone)
        report(device, VEXA_EVENT_GONE);
}

} // namespace vexa
