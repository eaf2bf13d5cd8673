// Device operations: challenge, sealed request, sealed result, retransmission with one request id. A device
// gets no secret unless its certificate verifies against a trusted manufacturer key.

#include "Operations.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Engine.h"
#include "Logger.h"
#include "onvif/OnvifService.h"
#include "proto/Signing.h"
#include "vexa.h"
#include "vexa_crypto.h"

namespace vexa {
void setLastError(uint32_t code);
void setLastErrorDetail(const std::string& detail);
std::shared_ptr<Engine> runningEngine();
std::shared_ptr<onvif::OnvifService> runningOnvif();
} // namespace vexa

namespace {

namespace crypto = vexa::crypto;
using vexa::proto::MsgType;
using vexa::proto::RequestId;
using Clock = std::chrono::steady_clock;

constexpr auto kFirstRetransmit = std::chrono::milliseconds(250);
constexpr auto kExchangeTimeout = std::chrono::milliseconds(3000);
// After a change's time-out: how long the same request (same id, same sealed bytes) is sent again. The device
// answers a request it carried out from its result cache, and carries out one it never received, so its answer
// is the truth about this request; without one the outcome stays unknown.
constexpr auto kTruthTimeout = std::chrono::milliseconds(3000);
constexpr size_t kMaxPassword = 64;

struct Reply {
    MsgType type = MsgType::Result;
    std::vector<uint8_t> nonce;
    uint32_t lockSeconds = 0;
    uint32_t code = 0;
    std::vector<uint8_t> data;
};

// What an answer must prove before it is taken: a challenge carries the device's signature over this request
// id; a result is sealed by the device to this request's ephemeral key and bound to its request and challenge.
// Anything else under the request id (a forged challenge, a plain or forged result) is ignored, and the
// exchange goes on waiting for the genuine answer until its deadline.
struct Slot {
    std::string mac;
    MsgType expected = MsgType::Result;
    crypto::PublicKey devicePublicKey{};
    const crypto::EphemeralKeyPair* ephemeral = nullptr; // results only; outlives the slot
    crypto::Mac target{};
    RequestId requestId{};
    crypto::Challenge challenge{};
    // The addresses (host order) an answer may come from, to the unicast socket; empty: the group only.
    std::vector<uint32_t> from;
    std::optional<Reply> reply;
};

// Where a device's requests go: to the group (a device found by multicast: it answers whatever its address), or to
// its address (found by a scan, beyond the reach of our multicast). A change that moves it is sent again to the new
// address as well, since the device may have moved before its answer got through.
struct Route {
    std::vector<std::string> first; // empty: the group
    std::vector<std::string> again;

    bool unicast() const { return !first.empty(); }
    std::vector<uint32_t> sources() const {
        std::vector<uint32_t> out;
        for (const std::string& text : again) {
            asio::error_code ec;
            const auto address = asio::ip::make_address_v4(text, ec);
            if (!ec)
                out.push_back(address.to_uint());
        }
        return out;
    }
};

std::mutex g_slotsMutex;
std::condition_variable g_slotsChanged;
std::map<RequestId, std::shared_ptr<Slot>> g_slots;

int fail(uint32_t code) {
    vexa::setLastError(code);
    return 0;
}

// Sends the datagram and resends it, same request id, at 250 ms, doubling, until the answer or the deadline.
// resending: every send is a resend (the first went out in an earlier exchange).
std::optional<Reply> exchange(vexa::Engine& engine, const std::vector<uint8_t>& datagram,
                              const std::shared_ptr<Slot>& slot, Clock::time_point deadline, const Route& route,
                              bool resending = false) {
    const RequestId id = slot->requestId;
    slot->from = route.sources();
    std::unique_lock<std::mutex> lock(g_slotsMutex);
    g_slots[id] = slot;
    auto gap = kFirstRetransmit;
    while (!slot->reply && !engine.stopping()) {
        lock.unlock();
        if (!route.unicast())
            engine.post(datagram);
        for (const std::string& address : resending ? route.again : route.first)
            engine.postTo(datagram, address);
        resending = true;
        lock.lock();
        const auto wakeUp = std::min(deadline, Clock::now() + gap);
        g_slotsChanged.wait_until(lock, wakeUp, [&] { return slot->reply.has_value(); });
        if (Clock::now() >= deadline)
            break;
        gap *= 2;
    }
    g_slots.erase(id);
    return slot->reply;
}

std::string bounded(const char* text, size_t width) {
    return std::string(text, strnlen(text, width));
}

void addU32(crypto::Payload& payload, uint16_t tag, uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    payload.add(tag, crypto::ByteView(b, 4));
}

void addU8(crypto::Payload& payload, uint16_t tag, uint8_t value) {
    payload.add(tag, crypto::ByteView(&value, 1));
}

struct Request {
    MsgType type = MsgType::Activate;
    std::string serialNo;
    std::string mac;
    bool carriesPassword = true; // refused up front while the device says it is locked
    bool changesDevice = true;   // a time-out is followed by asking what became of the request
    std::string movesTo;         // a network change: the device's new IPv4 address
    // The record version the change was built from (0: none); the device refuses the change when it is newer.
    uint32_t builtFrom = 0;
    bool checksVersion = false;
    std::function<void(crypto::Payload&)> fill;
    // Refuses, with a code, what the heard record says the device cannot do; 0 lets the call go on.
    std::function<uint32_t(const vexa::proto::DeviceRecord&)> check;
    std::vector<uint8_t> data; // result data, out
};

int run(Request& request) {
    auto engine = vexa::runningEngine();
    if (!engine)
        return fail(VEXA_ERR_NOT_STARTED);
    // The answers arrive on the I/O thread: waiting for them there (from the device callback) could only
    // end in a time-out, with discovery stalled meanwhile.
    if (engine->onIoThread())
        return fail(VEXA_ERR_BAD_ARGUMENT);
    // One deadline for the whole operation, both exchanges included.
    const auto deadline = Clock::now() + kExchangeTimeout;
    vexa::KnownDevice device;
    const vexa::Lookup found = engine->findDevice(request.serialNo, request.mac, device);
    if (found == vexa::Lookup::Ambiguous) {
        VEXA_LOG(vexa::LogError, "%s%s: more than one device answers to that name; nothing sent",
                 request.serialNo.c_str(), request.mac.c_str());
        return fail(VEXA_ERR_AMBIGUOUS_DEVICE);
    }
    if (found != vexa::Lookup::Found)
        return fail(engine->stopping() ? VEXA_ERR_NOT_STARTED : VEXA_ERR_UNKNOWN_DEVICE);
    if (request.check) {
        if (const uint32_t refused = request.check(device.record))
            return fail(refused);
    }
    // Heard only unasked, it may be an announcement played back from before: it must answer us first.
    if (device.certified && !device.confirmed &&
        !engine->confirm(device.record.serialNo, device.record.mac,
                         std::min(deadline, Clock::now() + std::chrono::milliseconds(1500)), device)) {
        VEXA_LOG(vexa::LogError, "%s: did not answer an inquiry of ours; nothing sent", device.record.serialNo.c_str());
        return fail(engine->stopping() ? VEXA_ERR_NOT_STARTED : VEXA_ERR_UNCONFIRMED);
    }
    const auto mac = crypto::parseMac(device.record.mac);
    if (!device.certified || !mac || device.record.publicKey.size() != crypto::kPublicKeySize) {
        VEXA_LOG(vexa::LogError, "%s: certificate does not verify; nothing sent", device.record.serialNo.c_str());
        return fail(VEXA_ERR_UNTRUSTED_DEVICE);
    }
    crypto::PublicKey devicePublicKey{};
    std::copy(device.record.publicKey.begin(), device.record.publicKey.end(), devicePublicKey.begin());
    Route asking;
    Route sending;
    if (device.scanned) {
        asking.first = asking.again = sending.first = sending.again = {device.record.ipv4Address};
        if (!request.movesTo.empty() && request.movesTo != device.record.ipv4Address)
            sending.again.push_back(request.movesTo);
    }

    // 1. A fresh challenge from the device: what makes every request single use.
    auto challenging = std::make_shared<Slot>();
    challenging->mac = device.record.mac;
    challenging->expected = MsgType::Challenge;
    challenging->devicePublicKey = devicePublicKey;
    challenging->requestId = crypto::newRequestId();
    vexa::proto::TlvWriter ask;
    ask.addText(vexa::proto::TagMac, device.record.mac);
    ask.addText(vexa::proto::TagSerial, device.record.serialNo);
    const auto challengeReply =
        exchange(*engine, vexa::proto::encodeFrame(MsgType::GetChallenge, challenging->requestId, ask), challenging,
                 deadline, asking);
    if (!challengeReply)
        return fail(engine->stopping() ? VEXA_ERR_NOT_STARTED : VEXA_ERR_TIMEOUT);
    if (request.carriesPassword && challengeReply->lockSeconds > 0)
        return fail(VEXA_ERR_LOCKED);
    crypto::Challenge challenge{};
    std::copy(challengeReply->nonce.begin(), challengeReply->nonce.end(), challenge.begin());

    // 2. The request, sealed to the device's key and bound to type, MAC, request id and challenge.
    const RequestId requestId = crypto::newRequestId();
    crypto::Payload payload;
    payload.messageType = static_cast<uint8_t>(request.type);
    payload.target = *mac;
    payload.requestId = requestId;
    payload.challenge = challenge;
    request.fill(payload);
    // Sealed with the request: the device refuses a change built on a view older than its last network change.
    if (request.checksVersion && request.builtFrom != 0)
        addU32(payload, vexa::proto::TagRecordVersion, request.builtFrom);
    auto plaintext = crypto::encodePayload(payload);
    if (!plaintext)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const crypto::EphemeralKeyPair ephemeral = crypto::newEphemeralKeyPair();
    const auto sealed = crypto::sealRequest(devicePublicKey, ephemeral, crypto::ByteView(*plaintext));
    crypto::wipe(plaintext->data(), plaintext->size());
    if (!sealed)
        return fail(VEXA_ERR_UNTRUSTED_DEVICE);
    vexa::proto::TlvWriter body;
    body.addText(vexa::proto::TagMac, device.record.mac);
    body.addBytes(vexa::proto::TagSealed, *sealed);
    const auto datagram = vexa::proto::encodeFrame(request.type, requestId, body);
    if (datagram.empty())
        return fail(VEXA_ERR_BAD_ARGUMENT);
    // 3. Only a sealed answer bound to this request ends the exchange (checked as it arrives).
    auto waiting = std::make_shared<Slot>();
    waiting->mac = device.record.mac;
    waiting->expected = MsgType::Result;
    waiting->devicePublicKey = devicePublicKey;
    waiting->ephemeral = &ephemeral;
    waiting->target = *mac;
    waiting->requestId = requestId;
    waiting->challenge = challenge;
    auto result = exchange(*engine, datagram, waiting, deadline, sending);
    if (!result && request.changesDevice && !engine->stopping()) {
        VEXA_LOG(vexa::LogInfo, "%s: no answer in time; asking the device what became of the request",
                 device.record.serialNo.c_str());
        result = exchange(*engine, datagram, waiting, Clock::now() + kTruthTimeout, sending, true);
        if (!result) {
            VEXA_LOG(vexa::LogError, "%s: still no answer: the change may have been applied",
                     device.record.serialNo.c_str());
            return fail(VEXA_ERR_OUTCOME_UNKNOWN);
        }
    }
    if (!result)
        return fail(engine->stopping() ? VEXA_ERR_NOT_STARTED : VEXA_ERR_TIMEOUT);
    const uint32_t code = result->code;
    request.data = result->data;
    VEXA_LOG(vexa::LogInfo, "%s: operation %d result %u", device.record.serialNo.c_str(),
             static_cast<int>(request.type), code);
    if (code != 0)
        return fail(code);
    // Its announcement of the change goes to its own link only: ask it where it now is.
    if (device.scanned && request.changesDevice)
        engine->askDeviceAt(request.movesTo.empty() ? device.record.ipv4Address : request.movesTo);
    vexa::setLastError(VEXA_NOERROR);
    return 1;
}

bool readKeyFile(const std::string& path, std::string& key) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    char buffer[4096];
    in.read(buffer, sizeof buffer);
    std::string text(buffer, static_cast<size_t>(in.gcount()));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    key = text;
    return true;
}

// Whether a name is one of the ONVIF devices heard: 0 when it is not (the call goes on as ours), else the code
// to answer with. A name that fits both an ONVIF device and one of ours is ambiguous: nothing is sent.
uint32_t onvifName(const std::string& name, bool& isOnvif) {
    isOnvif = false;
    const auto onvif = vexa::runningOnvif();
    if (!onvif || name.empty())
        return 0;
    const vexa::onvif::Match match = onvif->find(name);
    if (match == vexa::onvif::Match::None)
        return 0;
    isOnvif = true;
    if (match == vexa::onvif::Match::Many)
        return VEXA_ERR_AMBIGUOUS_DEVICE;
    if (const auto engine = vexa::runningEngine()) {
        vexa::KnownDevice ours;
        if (engine->findDevice(name, name, ours) != vexa::Lookup::Unknown)
            return VEXA_ERR_AMBIGUOUS_DEVICE;
    }
    return 0;
}

} // namespace

namespace vexa {

void dispatchReply(const proto::Frame& frame, const uint8_t* data, size_t size, uint32_t from) {
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    auto it = g_slots.find(frame.requestId);
    if (it == g_slots.end() || it->second->reply || it->second->expected != frame.type ||
        frame.text(proto::TagMac) != it->second->mac)
        return;
    // A device asked at its address answers from there (or from where its change moved it), never to the group;
    // one asked through the group answers there.
    const std::vector<uint32_t>& sources = it->second->from;
    if (sources.empty() ? from != 0 : std::find(sources.begin(), sources.end(), from) == sources.end()) {
        VEXA_LOG(LogDebug, "ignored an answer from an address the request did not go to");
        return;
    }
    const Slot& slot = *it->second;
    Reply reply;
    reply.type = frame.type;
    if (frame.type == MsgType::Challenge) {
        reply.nonce = frame.bytes(proto::TagNonce);
        if (reply.nonce.size() != crypto::kChallengeSize ||
            !proto::verifySigned(frame, data, size, slot.devicePublicKey)) {
            VEXA_LOG(LogDebug, "ignored a challenge that the device did not sign");
            return;
        }
        reply.lockSeconds = frame.u32(proto::TagLockSeconds);
    } else {
        const std::vector<uint8_t> sealed = frame.bytes(proto::TagSealed);
        if (sealed.empty() || !slot.ephemeral) {
            VEXA_LOG(LogDebug, "ignored an unsealed result");
            return;
        }
        const auto opened = crypto::openReply(*slot.ephemeral, slot.devicePublicKey, crypto::ByteView(sealed));
        const auto payload = opened ? crypto::decodePayload(crypto::ByteView(*opened)) : std::nullopt;
        const auto* codeField = payload ? payload->find(proto::TagResultCode) : nullptr;
        if (!payload ||
            crypto::checkBinding(*payload, static_cast<uint8_t>(MsgType::Result), slot.target, slot.requestId,
                                 slot.challenge) != crypto::Binding::Ok ||
            !codeField || codeField->value.size() != 4) {
            VEXA_LOG(LogDebug, "ignored a result that does not verify");
            return;
        }
        reply.code = (uint32_t{codeField->value[0]} << 24) | (uint32_t{codeField->value[1]} << 16) |
                     (uint32_t{codeField->value[2]} << 8) | codeField->value[3];
        if (const auto* field = payload->find(proto::TagData))
            reply.data = field->value;
    }
    it->second->reply = std::move(reply);
    g_slotsChanged.notify_all();
}

} // namespace vexa

namespace {

int runWithSecret(Request& request, std::string& secret) {
    const int result = run(request);
    const uint32_t code = VEXA_GetLastError();
    crypto::wipe(secret);
    vexa::setLastError(code);
    return result;
}

// One protocol's way of carrying out the operations; the C entry points look the backend up once per call, by the
// device's name, and never branch on the protocol themselves.
class Backend {
public:
    virtual ~Backend() = default;
    virtual int activate(const char* serialNo, const char* password) = 0;
    virtual int modify(const char* mac, const char* password, VEXA_NET_PARAM* params) = 0;
    virtual int resetPassword(const char* serialNo, VEXA_RESET_PARAM* params) = 0;
    virtual int deviceConfig(const char* serialNo, uint32_t command, const void* in, uint32_t inSize, void* out,
                             uint32_t outSize) = 0;
    virtual int restoreDefault(const char* serialNo, const char* securityCode, const char* newPassword) = 0;
};

// Our protocol: every operation over the sealed channel.
class OwnProtocol final : public Backend {
public:
    int activate(const char* serialNo, const char* password) override;
    int modify(const char* mac, const char* password, VEXA_NET_PARAM* params) override;
    int resetPassword(const char* serialNo, VEXA_RESET_PARAM* params) override;
    int deviceConfig(const char* serialNo, uint32_t command, const void* in, uint32_t inSize, void* out,
                     uint32_t outSize) override;
    int restoreDefault(const char* serialNo, const char* securityCode, const char* newPassword) override;
};

// ONVIF devices: network settings through their device service. Activation, key reset and security codes do not
// exist there: refused before anything is sent.
class OnvifProtocol final : public Backend {
public:
    int activate(const char*, const char*) override { return fail(VEXA_ERR_NOT_SUPPORTED); }
    int modify(const char* mac, const char* password, VEXA_NET_PARAM* params) override {
        const auto onvif = vexa::runningOnvif();
        if (!onvif)
            return fail(VEXA_ERR_NOT_STARTED);
        std::string secret = password ? bounded(password, kMaxPassword + 1) : std::string();
        if (secret.size() > kMaxPassword)
            return fail(VEXA_ERR_BAD_ARGUMENT);
        std::string detail;
        const uint32_t code = onvif->modify(bounded(mac, 256), secret, *params, detail);
        crypto::wipe(secret);
        if (code != 0) {
            fail(code);
            vexa::setLastErrorDetail(detail);
            return 0;
        }
        vexa::setLastError(VEXA_NOERROR);
        return 1;
    }
    int resetPassword(const char*, VEXA_RESET_PARAM*) override { return fail(VEXA_ERR_NOT_SUPPORTED); }
    int deviceConfig(const char*, uint32_t, const void*, uint32_t, void*, uint32_t) override {
        return fail(VEXA_ERR_NOT_SUPPORTED);
    }
    int restoreDefault(const char*, const char*, const char*) override { return fail(VEXA_ERR_NOT_SUPPORTED); }
};

// The backend of the device a name (serial number, MAC or endpoint reference) names: an ONVIF device heard, else
// ours, which says what it does not know. A name that fits more than one device sets refused: nothing is sent.
Backend& backendFor(const char* name, uint32_t& refused) {
    static OwnProtocol own;
    static OnvifProtocol onvif;
    refused = 0;
    if (!name)
        return own;
    bool isOnvif = false;
    refused = onvifName(bounded(name, 256), isOnvif);
    return isOnvif ? static_cast<Backend&>(onvif) : own;
}

int OwnProtocol::activate(const char* serialNo, const char* password) {
    if (!serialNo || !password || !*serialNo || !*password || strnlen(password, kMaxPassword + 1) > kMaxPassword)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    Request request;
    request.type = MsgType::Activate;
    request.serialNo = bounded(serialNo, 48);
    request.carriesPassword = false; // activation sets a password, it checks none
    std::string secret(password);
    request.fill = [&secret](crypto::Payload& p) { p.addText(vexa::proto::TagPassword, secret); };
    return runWithSecret(request, secret);
}

int OwnProtocol::modify(const char* mac, const char* password, VEXA_NET_PARAM* params) {
    if (!mac || !*mac || !password || !*password || !params || strnlen(password, kMaxPassword + 1) > kMaxPassword)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    // The record's IPv6 fields are 128 bytes wide; an address never needs more than 45 characters.
    const std::string ipv6 = bounded(params->ipv6Address, sizeof params->ipv6Address);
    const std::string ipv6Gateway = bounded(params->ipv6Gateway, sizeof params->ipv6Gateway);
    if (ipv6.size() > 46 || ipv6Gateway.size() > 46)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const VEXA_NET_PARAM p = *params;
    Request request;
    request.type = MsgType::SetNetwork;
    request.mac = bounded(mac, 20);
    request.checksVersion = true;
    request.builtFrom = params->recordVersion;
    request.movesTo = bounded(p.ipv4Address, sizeof p.ipv4Address);
    // A device without the capability would keep its IPv6 or DHCP setting and still answer success: refuse such a
    // change here rather than report it done. The values it already has pass unchanged.
    request.check = [&p, &ipv6, &ipv6Gateway](const vexa::proto::DeviceRecord& r) -> uint32_t {
        const bool ipv6Changed =
            ipv6 != r.ipv6Address || ipv6Gateway != r.ipv6Gateway || p.ipv6PrefixLength != r.ipv6PrefixLength;
        if (ipv6Changed && !(r.supportFlags & VEXA_SUPPORT_MODIFY_IPV6))
            return VEXA_ERR_NOT_SUPPORTED;
        if ((p.dhcpEnabled ? 1 : 0) != (r.dhcpEnabled ? 1 : 0) && !(r.supportFlags & VEXA_SUPPORT_DHCP))
            return VEXA_ERR_NOT_SUPPORTED;
        return 0;
    };
    std::string secret(password);
    request.fill = [&](crypto::Payload& payload) {
        payload.addText(vexa::proto::TagPassword, secret);
        payload.addText(vexa::proto::TagIpv4, bounded(p.ipv4Address, sizeof p.ipv4Address));
        payload.addText(vexa::proto::TagMask, bounded(p.ipv4SubnetMask, sizeof p.ipv4SubnetMask));
        payload.addText(vexa::proto::TagGateway, bounded(p.ipv4Gateway, sizeof p.ipv4Gateway));
        payload.addText(vexa::proto::TagIpv6Address, ipv6);
        payload.addText(vexa::proto::TagIpv6Gateway, ipv6Gateway);
        addU32(payload, vexa::proto::TagPort, p.port);
        addU8(payload, vexa::proto::TagIpv6Prefix, p.ipv6PrefixLength);
        addU8(payload, vexa::proto::TagDhcp, p.dhcpEnabled);
        addU32(payload, vexa::proto::TagHttpPort, p.httpPort);
        addU32(payload, vexa::proto::TagRtspPort, p.rtspPort);
        payload.addText(vexa::proto::TagDeviceName, bounded(p.deviceName, sizeof p.deviceName));
    };
    return runWithSecret(request, secret);
}

int OwnProtocol::resetPassword(const char* serialNo, VEXA_RESET_PARAM* params) {
    if (!serialNo || !*serialNo || !params)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    std::string key = bounded(params->key, sizeof params->key);
    if (key.empty()) {
        const std::string path = bounded(params->keyFilePath, sizeof params->keyFilePath);
        if (path.empty())
            return fail(VEXA_ERR_BAD_ARGUMENT);
        if (!readKeyFile(path, key))
            return fail(VEXA_ERR_FILE);
    }
    if (key.empty() || key.size() > 255)
        return fail(VEXA_ERR_DEVICE_REFUSED);
    std::string secret = bounded(params->newPassword, sizeof params->newPassword);
    if (secret.empty())
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const uint8_t resetIpc = params->resetIpc ? 1 : 0;
    Request request;
    request.type = MsgType::ResetPassword;
    request.serialNo = bounded(serialNo, 48);
    request.carriesPassword = false; // a reset key works while a lock-out holds
    request.fill = [&](crypto::Payload& payload) {
        payload.addText(vexa::proto::TagResetKey, key);
        payload.addText(vexa::proto::TagPassword, secret);
        addU8(payload, vexa::proto::TagResetIpc, resetIpc);
    };
    return runWithSecret(request, secret);
}

int OwnProtocol::deviceConfig(const char* serialNo, uint32_t command, const void* in, uint32_t inSize, void* out,
                              uint32_t outSize) {
    (void)in;
    if (!serialNo || !*serialNo || !out || inSize != 0 ||
        (command != VEXA_CMD_KEY_REQUEST && command != VEXA_CMD_KEY_REQUEST_QR))
        return fail(VEXA_ERR_BAD_ARGUMENT);
    const uint32_t capacity = command == VEXA_CMD_KEY_REQUEST ? 256 : 384;
    if (outSize < capacity + 4)
        return fail(VEXA_ERR_BUFFER_TOO_SMALL);
    Request request;
    request.type = MsgType::GetKeyRequest;
    request.serialNo = bounded(serialNo, 48);
    request.carriesPassword = false;
    request.changesDevice = false;
    request.fill = [command](crypto::Payload& payload) {
        addU8(payload, vexa::proto::TagCommand, static_cast<uint8_t>(command));
    };
    if (!run(request))
        return 0;
    if (request.data.size() > capacity)
        return fail(VEXA_ERR_BUFFER_TOO_SMALL);
    auto* bytes = static_cast<uint8_t*>(out);
    std::memset(bytes, 0, capacity + 4);
    const uint32_t length = static_cast<uint32_t>(request.data.size());
    std::memcpy(bytes, &length, 4);
    if (!request.data.empty()) // an empty vector's data() may be null, which memcpy must never get
        std::memcpy(bytes + 4, request.data.data(), request.data.size());
    return 1;
}

int OwnProtocol::restoreDefault(const char* serialNo, const char* securityCode, const char* newPassword) {
    if (!serialNo || !*serialNo || !securityCode || !*securityCode || strnlen(securityCode, 33) > 32 || !newPassword ||
        !*newPassword || strnlen(newPassword, kMaxPassword + 1) > kMaxPassword)
        return fail(VEXA_ERR_BAD_ARGUMENT);
    Request request;
    request.type = MsgType::RestoreDefault;
    request.serialNo = bounded(serialNo, 48);
    request.carriesPassword = false; // so does a security code
    std::string secret(securityCode);
    std::string password(newPassword);
    request.fill = [&secret, &password](crypto::Payload& payload) {
        payload.addText(vexa::proto::TagSecurityCode, secret);
        payload.addText(vexa::proto::TagPassword, password);
    };
    const int result = runWithSecret(request, secret);
    const uint32_t code = VEXA_GetLastError();
    crypto::wipe(password);
    vexa::setLastError(code);
    return result;
}

} // namespace

extern "C" {

int VEXA_ActivateDevice(const char* serialNo, const char* password) {
    uint32_t refused = 0;
    Backend& backend = backendFor(serialNo, refused);
    return refused ? fail(refused) : backend.activate(serialNo, password);
}

int VEXA_ModifyDeviceNetParam(const char* mac, const char* password, VEXA_NET_PARAM* params) {
    uint32_t refused = 0;
    // Without a record there is nothing to send to anyone: ours says so.
    Backend& backend = backendFor(params ? mac : nullptr, refused);
    return refused ? fail(refused) : backend.modify(mac, password, params);
}

int VEXA_ResetPasswd(const char* serialNo, VEXA_RESET_PARAM* params) {
    uint32_t refused = 0;
    Backend& backend = backendFor(serialNo, refused);
    return refused ? fail(refused) : backend.resetPassword(serialNo, params);
}

int VEXA_GetDeviceConfig(const char* serialNo, uint32_t command, const void* in, uint32_t inSize, void* out,
                         uint32_t outSize) {
    uint32_t refused = 0;
    Backend& backend = backendFor(serialNo, refused);
    return refused ? fail(refused) : backend.deviceConfig(serialNo, command, in, inSize, out, outSize);
}

int VEXA_ResetDefaultPasswd(const char* serialNo, const char* securityCode, const char* newPassword) {
    uint32_t refused = 0;
    Backend& backend = backendFor(serialNo, refused);
    return refused ? fail(refused) : backend.restoreDefault(serialNo, securityCode, newPassword);
}

} // extern "C"
