#include "SecureSimulator.h"

#include <arpa/inet.h>
#include <chrono>

#include "passwordrule/PasswordLevel.h"
#include "proto/Signing.h"

namespace devsim {

namespace crypto = vexa::crypto;
using vexa::proto::Frame;
using vexa::proto::MsgType;
using Clock = std::chrono::steady_clock;

namespace {

// Result codes on the wire are the library's error codes, so the tool passes them through unchanged.
constexpr uint32_t kOk = 0;
constexpr uint32_t kBadArgument = 2002;
constexpr uint32_t kRefused = 2009;
constexpr uint32_t kLocked = 2012;
constexpr uint32_t kWeakPassword = 2013;
constexpr uint32_t kNotActivated = 2014;
constexpr uint32_t kNotSupported = 2015;
constexpr uint32_t kStorage = 2017;
constexpr uint32_t kDeviceChanged = 2018;
constexpr uint32_t kRestorePending = 2020;
constexpr uint32_t kAlreadyActivated = 2021;
constexpr uint32_t kPending = UINT32_MAX; // never sent: the request waits for a password hash

constexpr size_t kMaxChallengesPerDevice = 8;
constexpr auto kChallengeLifetime = std::chrono::seconds(60);
constexpr auto kResultCacheLifetime = std::chrono::seconds(60);

crypto::Seed fleetSeed() {
    // TEST ONLY: every simulated device derives its key from this published seed and its serial number.
    crypto::Seed seed{};
    const char label[] = "vexa-devsim TEST ONLY device identities";
    for (size_t i = 0; i < seed.size(); ++i)
        seed[i] = static_cast<uint8_t>(label[i % (sizeof label - 1)]);
    return seed;
}

std::string stateOf(const SimDevice& device, const char* key, const std::string& fallback = {}) {
    auto it = device.state.find(key);
    return it == device.state.end() ? fallback : it->second;
}

int64_t stateNumber(const SimDevice& device, const char* key) {
    return std::strtoll(stateOf(device, key, "0").c_str(), nullptr, 10);
}

bool validIpv4(const std::string& text) {
    in_addr address{};
    return text.empty() || ::inet_pton(AF_INET, text.c_str(), &address) == 1;
}

bool validIpv6(const std::string& text) {
    in6_addr address{};
    return text.empty() || ::inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

uint32_t readU32(const crypto::PayloadField* field, uint32_t fallback) {
    if (!field || field->value.size() != 4)
        return fallback;
    return (uint32_t{field->value[0]} << 24) | (uint32_t{field->value[1]} << 16) | (uint32_t{field->value[2]} << 8) |
           field->value[3];
}

bool wireText(const std::string& text, uint16_t tag) {
    return vexa::proto::isValidText(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                    vexa::proto::fieldRule(tag).limit);
}

void addU32(crypto::Payload& payload, uint16_t tag, uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    payload.add(tag, crypto::ByteView(b, 4));
}

} // namespace

int64_t unixMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

crypto::PasswordCost passwordCost(const SecureOptions& options) {
    return options.cheapHashes ? crypto::PasswordCost::testOnlyCheap() : crypto::PasswordCost::standard();
}

void provisionFleet(std::vector<SimDevice>& fleet, const SecureOptions& options) {
    const crypto::KeyPair manufacturer = crypto::testManufacturerKeyPair();
    const crypto::Seed parent = fleetSeed();
    std::string sharedHash; // Argon2id is slow by design: one hash for the whole fleet's initial password
    for (SimDevice& device : fleet) {
        const crypto::KeyPair keys = crypto::keyPairFromSeed(crypto::deriveSeed(parent, device.record.serialNo));
        device.record.publicKey.assign(keys.publicKey.begin(), keys.publicKey.end());
        device.record.certificate.clear();
        if (const auto mac = crypto::parseMac(device.record.mac)) {
            const crypto::DeviceIdentity identity{device.record.serialNo, *mac, keys.publicKey};
            if (const auto signature = crypto::signCertificate(manufacturer, identity))
                device.record.certificate.assign(signature->begin(), signature->end());
        }
        // Every boot starts a new record version, so whatever the device signed before it went down is stale.
        const int64_t now = unixMillis() / 1000;
        device.record.version = std::max<uint32_t>(device.record.version + 1,
                                                   static_cast<uint32_t>(std::clamp<int64_t>(now, 0, UINT32_MAX)));
        device.announceCache.clear();
        if (device.record.activationState == 0 && stateOf(device, "hash").empty() && !options.initialPassword.empty()) {
            if (sharedHash.empty())
                sharedHash = crypto::hashPassword(options.initialPassword, passwordCost(options)).value_or("");
            device.state["hash"] = sharedHash;
        }
    }
}

SecureSimulator::SecureSimulator(SimOptions options, SecureOptions secure, std::vector<SimDevice> fleet)
    : Simulator(std::move(options), std::move(fleet))
    , secure_(std::move(secure)) {
    const crypto::Seed parent = fleetSeed();
    keys_.reserve(devices().size());
    for (uint32_t i = 0; i < devices().size(); ++i) {
        byMac_[devices()[i].record.mac] = i;
        keys_.push_back(crypto::keyPairFromSeed(crypto::deriveSeed(parent, devices()[i].record.serialNo)));
    }
    challenges_.resize(devices().size());
}

SecureSimulator::~SecureSimulator() = default;

const crypto::KeyPair& SecureSimulator::keys(uint32_t device) {
    return keys_[device];
}

std::vector<uint8_t> SecureSimulator::encodeAnnouncement(uint32_t index) {
    vexa::proto::TlvWriter w;
    vexa::proto::writeDeviceRecord(w, devices()[index].record);
    return vexa::proto::encodeSigned(MsgType::Announce, vexa::proto::RequestId{}, std::move(w), keys(index));
}

void SecureSimulator::answerTo(uint32_t index, std::vector<uint8_t>& announcement, const vexa::proto::RequestId& id) {
    if (!vexa::proto::resign(announcement, id, keys(index)))
        Simulator::answerTo(index, announcement, id);
}

std::vector<uint8_t> SecureSimulator::encodeBye(uint32_t index) {
    const auto& record = devices()[index].record;
    vexa::proto::TlvWriter w;
    w.addText(vexa::proto::TagSerial, record.serialNo);
    w.addText(vexa::proto::TagMac, record.mac);
    w.addU32(vexa::proto::TagRecordVersion, record.version);
    return vexa::proto::encodeSigned(MsgType::Bye, vexa::proto::RequestId{}, std::move(w), keys(index));
}

void SecureSimulator::handleRequest(const Frame& frame, const Peer& peer) {
    auto it = byMac_.find(frame.text(vexa::proto::TagMac));
    if (it == byMac_.end())
        return; // another device's request
    const uint32_t index = it->second;
    // Sent to another host's address: this device never sees it.
    if (peer.direct() && devices()[index].record.ipv4Address != peer.at)
        return;
    if (frame.type == MsgType::GetChallenge) {
        answerChallenge(frame, index, peer);
        return;
    }
    const auto now = Clock::now();
    for (auto cached = results_.begin(); cached != results_.end();) {
        cached = now - cached->second.at > kResultCacheLifetime ? results_.erase(cached) : std::next(cached);
    }
    const std::vector<uint8_t> sealed = frame.bytes(vexa::proto::TagSealed);
    // A retransmission gets the same answer again and changes nothing.
    const auto cacheKey = std::make_pair(index, frame.requestId);
    if (auto cached = results_.find(cacheKey);
        cached != results_.end() && cached->second.type == frame.type && cached->second.sealed == sealed) {
        // Still applying: the answer is on its way once the device is done.
        if (now >= cached->second.ready)
            reply(cached->second.datagram, index, peer);
        return;
    }
    Outcome outcome;
    auto opened = crypto::openRequest(keys(index), crypto::ByteView(sealed));
    std::optional<crypto::Payload> request;
    if (opened)
        request = crypto::decodePayload(crypto::ByteView(opened->plaintext));
    if (!request) {
        outcome.code = kRefused;
        sendResult(frame.requestId, index, outcome, nullptr, nullptr, peer);
        return;
    }
    // The binding: this message type, this device, this request id, and a challenge this device handed out
    // and has not seen used. Consumed here, so a captured request can never be played again.
    auto& pending = challenges_[index];
    bool bound = false;
    crypto::RequestId id;
    std::copy(frame.requestId.begin(), frame.requestId.end(), id.begin());
    const auto mac = crypto::parseMac(devices()[index].record.mac);
    for (auto c = pending.begin(); c != pending.end() && mac; ++c) {
        if (c->expires < now)
            continue;
        if (crypto::checkBinding(*request, static_cast<uint8_t>(frame.type), *mac, id, c->nonce) ==
            crypto::Binding::Ok) {
            pending.erase(c);
            bound = true;
            break;
        }
    }
    if (!bound) {
        // Nothing was done, so nothing is cached: a refusal must not stand in for a later genuine request.
        // Sealed to the sender, who alone can read it: the client takes no unsealed answer.
        outcome.code = kRefused;
        sendResult(frame.requestId, index, outcome, &*opened, &*request, peer);
        return;
    }
    auto job = std::make_shared<Job>();
    job->index = index;
    job->type = frame.type;
    job->requestId = frame.requestId;
    job->sealed = sealed;
    job->opened = std::move(*opened);
    job->request = std::move(*request);
    job->peer = peer;
    // Retransmissions meanwhile find the request taken and wait for its answer.
    results_[cacheKey] = {frame.type, sealed, {}, now, Clock::time_point::max()};
    carryOut(job);
}

void SecureSimulator::carryOut(const std::shared_ptr<Job>& job) {
    // Every cheap refusal runs here first; only a request that gets as far as a password hash waits for the
    // hashing thread, and is judged again, on this thread, once the hash is ready.
    hashed_ = job->hashed ? &*job->hashed : nullptr;
    needed_.reset();
    job->before = devices()[job->index];
    Outcome outcome = perform(job->index, job->request);
    hashed_ = nullptr;
    if (needed_) {
        HashWork work = std::move(*needed_);
        needed_.reset();
        if (job->type == MsgType::RestoreDefault)
            restoring_.insert(job->index);
        hasher_.submit([this, job, work = std::move(work)]() mutable {
            HashDone done = work.run(passwordCost(secure_));
            asio::post(io(), [this, job, done = std::move(done)]() mutable {
                job->hashed = std::move(done);
                carryOut(job);
            });
        });
        return;
    }
    finish(*job, outcome);
}

void SecureSimulator::finish(Job& job, Outcome outcome) {
    const uint32_t index = job.index;
    if (job.type == MsgType::RestoreDefault)
        restoring_.erase(index);
    const auto now = Clock::now();
    if (outcome.changedRecord)
        bumpVersion(index);
    if (outcome.changedRecord && job.type == MsgType::SetNetwork)
        markNetworkChanged(index);
    // Durable before anyone is told: a confirmed change survives a crash right after the answer. A change that
    // cannot be saved is undone and reported, never confirmed only to vanish on the next restart.
    if (!saveDevice(index)) {
        std::fprintf(stderr, "vexa-devsim: cannot save the state file\n");
        if (outcome.code == kOk) {
            devices()[index] = job.before;
            outcome = {kStorage, {}, false};
        }
    }
    if (outcome.changedRecord)
        writeDump();
    const bool applies = job.type != MsgType::GetKeyRequest && secure_.applyDelayMs > 0;
    std::vector<uint8_t> datagram =
        sendResult(job.requestId, index, outcome, &job.opened, &job.request, job.peer, !applies);
    const auto ready = applies ? now + std::chrono::milliseconds(secure_.applyDelayMs) : now;
    results_[std::make_pair(index, job.requestId)] = {job.type, job.sealed, datagram, now, ready};
    if (!applies) {
        if (outcome.changedRecord)
            markChanged(index);
        return;
    }
    const bool changed = outcome.changedRecord;
    schedule(ready, [this, index, changed, peer = job.peer, datagram = std::move(datagram)]() {
        reply(datagram, index, peer);
        if (changed)
            markChanged(index);
    });
}

std::optional<bool> SecureSimulator::passwordMatches(const std::string& stored, const std::string& password) {
    if (hashed_ && hashed_->kind == HashWork::Verify && hashed_->stored == stored && hashed_->password == password)
        return hashed_->matches;
    needed_ = HashWork{HashWork::Verify, stored, password};
    return std::nullopt;
}

std::optional<std::string> SecureSimulator::newHash(const std::string& password) {
    if (hashed_ && hashed_->kind == HashWork::Make && hashed_->password == password)
        return hashed_->hash;
    needed_ = HashWork{HashWork::Make, {}, password};
    return std::nullopt;
}

HashDone::~HashDone() {
    crypto::wipe(password);
}

HashWork::~HashWork() {
    crypto::wipe(password);
}

HashDone HashWork::run(const crypto::PasswordCost& cost) const {
    HashDone done;
    done.kind = kind;
    done.stored = stored;
    done.password = password;
    if (kind == Verify)
        done.matches = crypto::verifyPassword(stored, password);
    else
        done.hash = crypto::hashPassword(password, cost).value_or("");
    return done;
}

void SecureSimulator::answerChallenge(const Frame& frame, uint32_t index, const Peer& peer) {
    auto& pending = challenges_[index];
    const auto now = Clock::now();
    pending.erase(std::remove_if(pending.begin(), pending.end(), [now](const Challenge& c) { return c.expires < now; }),
                  pending.end());
    if (pending.size() >= kMaxChallengesPerDevice)
        pending.erase(pending.begin());
    pending.push_back({crypto::newChallenge(), now + kChallengeLifetime});
    uint32_t secondsLeft = 0;
    locked(devices()[index], &secondsLeft);
    vexa::proto::TlvWriter w;
    w.addText(vexa::proto::TagMac, devices()[index].record.mac);
    w.addBytes(vexa::proto::TagNonce, pending.back().nonce.data(), pending.back().nonce.size());
    w.addU32(vexa::proto::TagLockSeconds, secondsLeft);
    // Signed with the request id: nobody else can make a device look locked or hand out a nonce for it.
    reply(vexa::proto::encodeSigned(MsgType::Challenge, frame.requestId, std::move(w), keys(index)), index, peer);
}

std::vector<uint8_t> SecureSimulator::sendResult(const vexa::proto::RequestId& requestId, uint32_t index,
                                                 const Outcome& outcome, const crypto::OpenedRequest* opened,
                                                 const crypto::Payload* request, const Peer& peer, bool send) {
    vexa::proto::TlvWriter w;
    w.addText(vexa::proto::TagMac, devices()[index].record.mac);
    w.addU32(vexa::proto::TagResultCode, outcome.code);
    if (opened && request) {
        crypto::Payload reply;
        reply.messageType = static_cast<uint8_t>(MsgType::Result);
        reply.target = request->target;
        reply.requestId = request->requestId;
        reply.challenge = request->challenge;
        addU32(reply, vexa::proto::TagResultCode, outcome.code);
        if (!outcome.data.empty())
            reply.add(vexa::proto::TagData, crypto::ByteView(outcome.data));
        if (auto encoded = crypto::encodePayload(reply)) {
            if (auto sealed = crypto::sealReply(keys(index), opened->ephemeralPublicKey, crypto::ByteView(*encoded)))
                w.addBytes(vexa::proto::TagSealed, *sealed);
        }
    }
    std::vector<uint8_t> datagram = vexa::proto::encodeFrame(MsgType::Result, requestId, w);
    if (send)
        reply(datagram, index, peer);
    return datagram;
}

SecureSimulator::Outcome SecureSimulator::perform(uint32_t index, const crypto::Payload& request) {
    SimDevice& device = devices()[index];
    switch (static_cast<MsgType>(request.messageType)) {
    case MsgType::Activate:
        return activate(device, request);
    case MsgType::SetNetwork:
        return setNetwork(device, request);
    case MsgType::GetKeyRequest:
        return keyRequest(device, request);
    case MsgType::ResetPassword:
        return resetPassword(device, request);
    case MsgType::RestoreDefault:
        return restoreDefault(device, request);
    default:
        return {kBadArgument, {}, false};
    }
}

bool SecureSimulator::locked(const SimDevice& device, uint32_t* secondsLeft) const {
    const int64_t until = stateNumber(device, "lockUntil");
    const int64_t now = unixMillis();
    if (secondsLeft)
        *secondsLeft = until > now ? static_cast<uint32_t>((until - now + 999) / 1000) : 0;
    return until > now;
}

uint32_t SecureSimulator::failed(SimDevice& device) {
    const int64_t failures = stateNumber(device, "failures") + 1;
    if (failures < 5) {
        device.state["failures"] = std::to_string(failures);
        return kRefused;
    }
    // Fifth failure in a row: lock for the base time, doubling with every lock-out, at most 60 times the base.
    const int64_t level = stateNumber(device, "lockLevel");
    const int64_t span = std::min<int64_t>(secure_.lockBaseMs << std::min<int64_t>(level, 6), secure_.lockBaseMs * 60);
    device.state["failures"] = "0";
    device.state["lockLevel"] = std::to_string(level + 1);
    device.state["lockUntil"] = std::to_string(unixMillis() + span);
    return kRefused;
}

void SecureSimulator::succeeded(SimDevice& device) {
    device.state.erase("failures");
    device.state.erase("lockLevel");
    device.state.erase("lockUntil");
}

std::optional<SecureSimulator::Outcome> SecureSimulator::adminHash(const std::optional<std::string>& password,
                                                                   std::string& hash) {
    if (!password || password->empty())
        return Outcome{kBadArgument, {}, false};
    if (passwordLevel("admin", *password) < 1)
        return Outcome{kWeakPassword, {}, false};
    const auto computed = newHash(*password);
    if (!computed)
        return Outcome{kPending, {}, false};
    if (computed->empty())
        return Outcome{kBadArgument, {}, false};
    hash = *computed;
    return std::nullopt;
}

SecureSimulator::Outcome SecureSimulator::activate(SimDevice& device, const crypto::Payload& request) {
    if (device.record.activationState == 0)
        return {kAlreadyActivated, {}, false};
    // The device belongs to whoever proved the security code: nobody else activates it while that restore runs.
    if (restoring_.count(static_cast<uint32_t>(&device - devices().data())))
        return {kRestorePending, {}, false};
    std::string hash;
    if (const auto refused = adminHash(request.text(vexa::proto::TagPassword), hash))
        return *refused;
    device.state["hash"] = hash;
    succeeded(device);
    device.record.activationState = 0;
    return {kOk, {}, true};
}

SecureSimulator::Outcome SecureSimulator::setNetwork(SimDevice& device, const crypto::Payload& request) {
    if (device.record.activationState != 0)
        return {kNotActivated, {}, false};
    if (locked(device))
        return {kLocked, {}, false};
    // Built on a view from before the device's last network change: the fields the user left as they were
    // would undo that change.
    if (const auto* built = request.find(vexa::proto::TagRecordVersion);
        built && readU32(built, 0) < static_cast<uint32_t>(stateNumber(device, "netVersion")))
        return {kDeviceChanged, {}, false};
    const auto password = request.text(vexa::proto::TagPassword);
    if (!password)
        return {failed(device), {}, false};
    const auto matches = passwordMatches(stateOf(device, "hash"), *password);
    if (!matches)
        return {kPending, {}, false};
    if (!*matches)
        return {failed(device), {}, false};
    succeeded(device);
    const std::string ipv4 = request.text(vexa::proto::TagIpv4).value_or("");
    const std::string mask = request.text(vexa::proto::TagMask).value_or("");
    const std::string gateway = request.text(vexa::proto::TagGateway).value_or("");
    const std::string ipv6 = request.text(vexa::proto::TagIpv6Address).value_or("");
    const std::string ipv6Gateway = request.text(vexa::proto::TagIpv6Gateway).value_or("");
    const std::string name = request.text(vexa::proto::TagDeviceName).value_or(device.record.deviceName);
    vexa::proto::DeviceRecord& r = device.record;
    const uint32_t port = readU32(request.find(vexa::proto::TagPort), r.port);
    const uint32_t httpPort = readU32(request.find(vexa::proto::TagHttpPort), r.httpPort);
    const uint32_t rtspPort = readU32(request.find(vexa::proto::TagRtspPort), r.rtspPort);
    // Every text must be one the record can announce and the state file can hold: the wire's rules (width, no
    // control bytes, so no NUL that inet_pton would stop at and no tab or line end inside a state line).
    if (!wireText(ipv4, vexa::proto::TagIpv4) || !wireText(mask, vexa::proto::TagMask) ||
        !wireText(gateway, vexa::proto::TagGateway) || !wireText(ipv6, vexa::proto::TagIpv6Address) ||
        !wireText(ipv6Gateway, vexa::proto::TagIpv6Gateway) || !wireText(name, vexa::proto::TagDeviceName) ||
        ipv4.empty() || !validIpv4(ipv4) || !validIpv4(mask) || !validIpv4(gateway) || !validIpv6(ipv6) ||
        !validIpv6(ipv6Gateway) || port > 0xffff || httpPort > 0xffff || rtspPort > 0xffff)
        return {kBadArgument, {}, false};
    r.ipv4Address = ipv4;
    r.ipv4SubnetMask = mask;
    r.ipv4Gateway = gateway;
    r.port = port;
    r.httpPort = static_cast<uint16_t>(httpPort);
    r.rtspPort = static_cast<uint16_t>(rtspPort);
    if (const auto* dhcp = request.find(vexa::proto::TagDhcp); dhcp && dhcp->value.size() == 1)
        r.dhcpEnabled = (r.supportFlags & 0x04) ? (dhcp->value[0] ? 1 : 0) : 0;
    if (r.supportFlags & 0x02) {
        r.ipv6Address = ipv6;
        r.ipv6Gateway = ipv6Gateway;
        if (const auto* prefix = request.find(vexa::proto::TagIpv6Prefix); prefix && prefix->value.size() == 1)
            r.ipv6PrefixLength = std::min<uint8_t>(prefix->value[0], 128);
    }
    r.deviceName = name;
    return {kOk, {}, true};
}

SecureSimulator::Outcome SecureSimulator::keyRequest(SimDevice& device, const crypto::Payload& request) {
    if (!(device.record.supportFlags & 0x40))
        return {kNotSupported, {}, false};
    const auto* commandField = request.find(vexa::proto::TagCommand);
    const uint8_t command = commandField && commandField->value.size() == 1 ? commandField->value[0] : 0;
    if (command != 1 && command != 2)
        return {kBadArgument, {}, false};
    const auto mac = crypto::parseMac(device.record.mac);
    if (!mac)
        return {kNotSupported, {}, false};
    crypto::KeyRequest doc;
    doc.serial = device.record.serialNo;
    doc.mac = *mac;
    // One outstanding nonce until it is used or expires: asking needs no password, so if every request made a
    // new one, anyone on the link could void the key an installer is waiting for.
    const int64_t now = unixMillis() / 1000;
    const auto kept = crypto::fromHex(stateOf(device, "resetNonce"));
    const int64_t keptExpiry = stateNumber(device, "resetExpiry");
    const bool reuse = kept && kept->size() == crypto::kResetNonceSize && keptExpiry > now;
    if (reuse) {
        std::copy(kept->begin(), kept->end(), doc.nonce.begin());
        doc.expiry = keptExpiry;
    } else {
        doc.nonce = crypto::newResetNonce();
        doc.expiry = now + secure_.keyRequestLifetimeS;
    }
    if (command == 2) {
        doc.devicePublicKey = crypto::PublicKey{};
        std::copy(device.record.publicKey.begin(), device.record.publicKey.end(), doc.devicePublicKey->begin());
        crypto::Signature cert{};
        if (device.record.certificate.size() == cert.size()) {
            std::copy(device.record.certificate.begin(), device.record.certificate.end(), cert.begin());
            doc.certificate = cert;
        }
    }
    const auto text =
        crypto::buildKeyRequest(doc, command == 1 ? crypto::kKeyRequestMaxSize : crypto::kKeyRequestQrMaxSize);
    if (!text)
        return {kNotSupported, {}, false};
    device.state["resetNonce"] = crypto::toHex(crypto::ByteView(doc.nonce));
    device.state["resetExpiry"] = std::to_string(doc.expiry);
    return {kOk, std::vector<uint8_t>(text->begin(), text->end()), false};
}

// A reset key (a manufacturer's signature) and a security code (80 bits, two valid a day) cannot be guessed, so
// their failures do not count toward the lock-out and they work while it holds: otherwise anyone on the link
// could lock a device with junk and shut out its owner's recovery routes too.
SecureSimulator::Outcome SecureSimulator::resetPassword(SimDevice& device, const crypto::Payload& request) {
    const auto key = request.text(vexa::proto::TagResetKey);
    const auto password = request.text(vexa::proto::TagPassword);
    const auto nonceBytes = crypto::fromHex(stateOf(device, "resetNonce"));
    const int64_t nonceExpiry = stateNumber(device, "resetExpiry");
    // (A nonce saved without its expiry, by an older simulator, is bounded by the expiry the key carries.)
    const bool nonceLive = nonceExpiry == 0 || nonceExpiry > unixMillis() / 1000;
    if (!key || !password || !nonceBytes || nonceBytes->size() != crypto::kResetNonceSize || !nonceLive)
        return {kRefused, {}, false};
    crypto::ResetNonce nonce{};
    std::copy(nonceBytes->begin(), nonceBytes->end(), nonce.begin());
    const auto status = crypto::verifyResetKey(*key, device.record.serialNo, nonce, unixMillis() / 1000,
                                               {crypto::testManufacturerKeyPair().publicKey});
    if (status != crypto::ResetKeyStatus::Ok)
        return {kRefused, {}, false};
    if (passwordLevel("admin", *password) < 1)
        return {kWeakPassword, {}, false};
    const auto hash = newHash(*password);
    if (!hash)
        return {kPending, {}, false};
    if (hash->empty())
        return {kBadArgument, {}, false};
    device.state.erase("resetNonce"); // used once
    device.state.erase("resetExpiry");
    device.state["hash"] = *hash;
    succeeded(device);
    const bool changed = device.record.activationState != 0;
    device.record.activationState = 0;
    return {kOk, {}, changed};
}

SecureSimulator::Outcome SecureSimulator::restoreDefault(SimDevice& device, const crypto::Payload& request) {
    const auto code = request.text(vexa::proto::TagSecurityCode);
    const auto secret = crypto::deriveDeviceSecret(crypto::testMasterSecret(), device.record.serialNo);
    if (!code || !secret || !crypto::verifySecurityCode(*secret, *code, unixMillis() / 1000))
        return {kRefused, {}, false};
    // The device goes to whoever proved the code, with the password they sent in the same step: never through
    // "not activated", where anyone holding a challenge could activate it first.
    std::string hash;
    if (const auto refused = adminHash(request.text(vexa::proto::TagPassword), hash))
        return *refused;
    succeeded(device);
    device.state["hash"] = hash;
    device.state.erase("resetNonce");
    device.state.erase("resetExpiry");
    const bool changed = device.record.activationState != 0;
    device.record.activationState = 0;
    return {kOk, {}, changed};
}

} // namespace devsim
