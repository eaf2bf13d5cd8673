#include "Engine.h"

#include "Logger.h"
#include "proto/Signing.h"

#include <sodium.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>

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
        handleAnnounce(frame, data, size);
        break;
    case proto::MsgType::Bye:
        handleBye(frame, data, size);
        break;
    case proto::MsgType::Challenge:
    case proto::MsgType::Result: {
        std::lock_guard<std::mutex> lock(replyMutex_);
        if (replyHandler_)
            replyHandler_(frame, data, size);
        break;
    }
    default:
        break; // our own inquiries and requests, looped back
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

bool signedBy(const proto::Frame& frame, const uint8_t* data, size_t size, const std::vector<uint8_t>& publicKey) {
    if (publicKey.size() != crypto::kPublicKeySize)
        return false;
    crypto::PublicKey key{};
    std::copy(publicKey.begin(), publicKey.end(), key.begin());
    return proto::verifySigned(frame, data, size, key);
}

bool sameBytes(const std::vector<uint8_t>& stored, crypto::ByteView bytes) {
    return bytes.data && stored.size() == bytes.size && std::equal(stored.begin(), stored.end(), bytes.data);
}

} // namespace

void Engine::reject(const char* why, const proto::DeviceRecord* record) {
    ++stats_.rejected;
    VEXA_LOG(LogDebug, "refused a device message (%s)%s%s", why, record ? ": " : "",
             record ? record->serialNo.c_str() : "");
}

void Engine::forget(std::unordered_map<std::string, KnownDevice>::iterator it) {
    if (!it->second.certified)
        --unverified_;
    devices_.erase(it);
}

void Engine::handleAnnounce(const proto::Frame& frame, const uint8_t* data, size_t size) {
    proto::DeviceRecord record;
    const proto::DecodeError error = proto::readDeviceRecord(frame, record);
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
    const auto now = Clock::now();
    const crypto::ByteView signedBytes = proto::signedBody(frame, data, size);
    auto it = devices_.find(key);
    if (it != devices_.end() && it->second.certified) {
        KnownDevice& known = it->second;
        if (!sameBytes(known.verifiedBody, signedBytes)) {
            // A certified identity stays until the device goes silent: only its own key, with a record at least
            // as new as the one listed, may change what is listed.
            if (record.publicKey != known.record.publicKey || record.certificate != known.record.certificate) {
                reject("another key for a certified device", &record);
                return;
            }
            if (!signedBy(frame, data, size, known.record.publicKey)) {
                reject("announcement signature does not verify", &record);
                return;
            }
            if (record.version < known.record.version) {
                reject("stale announcement", &record);
                return;
            }
            known.verifiedBody.assign(signedBytes.data, signedBytes.data + signedBytes.size);
        }
        known.lastHeard = now;
        const bool changed = !known.record.sameFields(record);
        known.record = std::move(record);
        if (!known.reported) {
            if (passesFilter(known.record)) {
                known.reported = true;
                report(known, VEXA_EVENT_NEW);
            }
        } else if (changed) {
            report(known, VEXA_EVENT_CHANGED);
        }
        return;
    }

    // Not (yet) a certified device: it becomes one only with a certificate by a trusted key and an announcement
    // signed by the key the certificate names.
    const bool certificateOk = config_.verifyCertificate && config_.verifyCertificate(record);
    const bool certified = certificateOk && signedBy(frame, data, size, record.publicKey);
    if (certificateOk && !certified) {
        reject("a genuine identity with a forged signature", &record);
        return;
    }
    if (it == devices_.end()) {
        if (devices_.size() >= config_.maxDevices || (!certified && unverified_ >= config_.maxUnverified)) {
            ++stats_.tableFull;
            VEXA_LOG(LogDebug, "device table full: %s not listed", record.serialNo.c_str());
            return;
        }
        KnownDevice device;
        device.record = record;
        it = devices_.emplace(key, std::move(device)).first;
        if (!certified)
            ++unverified_;
    } else if (certified) {
        --unverified_; // the genuine device displaces whatever was listed under its name
    }
    KnownDevice& device = it->second;
    const bool changed = !device.record.sameFields(record) || device.certified != certified;
    device.record = std::move(record);
    device.lastHeard = now;
    device.certified = certified;
    if (certified)
        device.verifiedBody.assign(signedBytes.data, signedBytes.data + signedBytes.size);
    if (!device.reported) {
        if (passesFilter(device.record)) {
            device.reported = true;
            report(device, VEXA_EVENT_NEW);
        }
    } else if (changed) {
        report(device, VEXA_EVENT_CHANGED);
    }
}

void Engine::handleBye(const proto::Frame& frame, const uint8_t* data, size_t size) {
    if (!frame.has(proto::TagSerial) || !frame.has(proto::TagMac)) {
        ++stats_.dropped;
        return;
    }
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
    const auto deadline = Clock::now() - config_.goneTimeout;
    std::vector<KnownDevice> gone;
    for (auto it = devices_.begin(); it != devices_.end();) {
        if (it->second.lastHeard < deadline) {
            if (it->second.reported)
                gone.push_back(it->second);
            if (!it->second.certified)
                --unverified_;
            it = devices_.erase(it);
        } else {
            ++it;
        }
    }
    for (const KnownDevice& device : gone)
        report(device, VEXA_EVENT_GONE);
}

} // namespace vexa
