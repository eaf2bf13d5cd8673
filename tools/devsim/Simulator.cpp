#include "Simulator.h"

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>

#include "SendFrom.h"

namespace devsim {

using Clock = std::chrono::steady_clock;
using vexa::proto::Frame;
using vexa::proto::MsgType;
using vexa::proto::RequestId;

namespace {

// The MAC "aa-bb-cc-dd-ee-ff" as a number, the form known-answer lists are looked up in.
bool macKey(const std::string& text, uint64_t& key) {
    unsigned b[6];
    char tail = 0;
    if (std::sscanf(text.c_str(), "%2x-%2x-%2x-%2x-%2x-%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &tail) != 6)
        return false;
    key = 0;
    for (unsigned byte : b)
        key = key << 8 | byte;
    return true;
}

} // namespace

Simulator::Simulator(SimOptions options, std::vector<SimDevice> fleet)
    : options_(std::move(options))
    , fleet_(std::move(fleet))
    , transport_(io_)
    , signals_(io_)
    , timer_(io_)
    , rng_(options_.randomSeed ? options_.randomSeed : std::random_device{}())
    , buffer_(vexa::proto::kMaxDatagram + 64)
    , answerAt_(fleet_.size())
    , answerPending_(fleet_.size(), 0)
    , answerFor_(fleet_.size())
    , previousAnswerAt_(fleet_.size())
    , answerShared_(fleet_.size(), 0) {
    answerTokens_.assign(fleet_.size(), 0.0);
    tokensAt_.assign(fleet_.size(), Clock::time_point{});
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        uint64_t key = 0;
        if (macKey(fleet_[i].record.mac, key))
            byMacBytes_.emplace(key, i);
    }
}

size_t Simulator::IdHash::operator()(const RequestId& id) const {
    // Anyone chooses the ids: SipHash under a key of this run, so that no choice of ids makes the sets collide.
    static const std::array<uint8_t, crypto_shorthash_KEYBYTES> key = [] {
        std::array<uint8_t, crypto_shorthash_KEYBYTES> k{};
        randombytes_buf(k.data(), k.size());
        return k;
    }();
    uint8_t out[crypto_shorthash_BYTES];
    crypto_shorthash(out, id.data(), id.size(), key.data());
    size_t h = 0;
    std::memcpy(&h, out, std::min(sizeof h, sizeof out));
    return h;
}

Simulator::~Simulator() {
    if (stateFile_ >= 0)
        ::close(stateFile_);
}

bool Simulator::open(std::string& error) {
    if (!transport_.open(options_.transport, error))
        return false;
    // An inquiry sent to one address is for the device there only, as on a link where each device is a host.
    const int one = 1;
    ::setsockopt(transport_.socket().native_handle(), IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    signals_.add(SIGTERM);
    signals_.add(SIGINT);
    signals_.add(SIGUSR1);
    armSignals();
    const auto now = Clock::now();
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        if (options_.bootAnnounce) {
            // Twice, a second apart, spread so that a big fleet does not boot in one burst.
            const auto first = now + std::chrono::milliseconds(jitter(0, 500));
            push({first, 0, i, KindReply, RequestId{}, nullptr, nullptr});
            push({first + std::chrono::seconds(1), 0, i, KindReply, RequestId{}, nullptr, nullptr});
        }
        push({now + std::chrono::milliseconds(jitter(options_.announcePeriodMs * 9 / 10, options_.announcePeriodMs)), 0,
              i, KindPeriodic, RequestId{}, nullptr, nullptr});
    }
    // Sign every announcement now, not in the first answer burst: a device signs once per change.
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        if (fleet_[i].announceCache.empty())
            fleet_[i].announceCache = encodeAnnouncement(i);
    }
    armReceive();
    if (!options_.statePath.empty() && !adoptStateFile() && !saveState()) {
        error = "cannot write the state file " + options_.statePath;
        return false;
    }
    writeDump();
    return true;
}

void Simulator::armSignals() {
    signals_.async_wait([this](const asio::error_code& ec, int signal) {
        if (ec)
            return;
        if (signal == SIGUSR1) {
            changeSome();
            armSignals();
        } else {
            stop();
        }
    });
}

void Simulator::run() {
    io_.run();
}

void Simulator::stop() {
    if (stopping_)
        return;
    stopping_ = true;
    saveState();
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        // Bye bypasses loss injection: a clean shutdown is what the tests of "gone" rely on.
        transport_.send(encodeBye(i));
    }
    if (!options_.statsPath.empty()) {
        char text[512];
        std::snprintf(text, sizeof text,
                      "{\"devices\":%zu,\"inquiries\":%llu,\"inquiry_bytes\":%llu,\"answers\":%llu,"
                      "\"answer_bytes\":%llu,\"suppressed_by_rate\":%llu,\"suppressed_as_known\":%llu,"
                      "\"dropped_by_loss\":%llu}\n",
                      fleet_.size(), static_cast<unsigned long long>(counters_.inquiries),
                      static_cast<unsigned long long>(counters_.inquiryBytes),
                      static_cast<unsigned long long>(counters_.answers),
                      static_cast<unsigned long long>(counters_.answerBytes),
                      static_cast<unsigned long long>(counters_.suppressed),
                      static_cast<unsigned long long>(counters_.known), static_cast<unsigned long long>(dropped_));
        writeFileAtomically(options_.statsPath, text);
    }
    asio::error_code ec;
    timer_.cancel();
    signals_.cancel(ec);
    transport_.close();
    io_.stop();
}

bool Simulator::chance(double p) {
    return p > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

int Simulator::jitter(int minMs, int maxMs) {
    if (maxMs <= minMs)
        return std::max(0, minMs);
    return std::uniform_int_distribution<int>(minMs, maxMs)(rng_);
}

void Simulator::schedule(Clock::time_point when, std::function<void()> action) {
    push({when, 0, 0, KindAction, RequestId{}, nullptr, std::make_shared<std::function<void()>>(std::move(action))});
}

void Simulator::push(Scheduled item) {
    item.sequence = ++sequence_;
    const auto when = item.when;
    queue_.push(std::move(item));
    if (!armed_ || when < armedFor_)
        armTimer();
}

void Simulator::armTimer() {
    if (queue_.empty() || stopping_) {
        armed_ = false;
        return;
    }
    armed_ = true;
    armedFor_ = queue_.top().when;
    timer_.expires_at(armedFor_);
    timer_.async_wait([this](const asio::error_code& ec) {
        if (ec)
            return; // re-armed for an earlier item, or stopping
        onTimer();
    });
}

void Simulator::onTimer() {
    armed_ = false;
    const auto now = Clock::now();
    while (!queue_.empty() && queue_.top().when <= now && !stopping_) {
        Scheduled item = queue_.top();
        queue_.pop();
        switch (item.kind) {
        case KindReply:
            if (item.id != RequestId{} && (answerFor_[item.device] != item.id || answerPending_[item.device] != 1)) {
                // Listed as known after all (stays quiet), or superseded by a later answer.
                if (answerFor_[item.device] == item.id)
                    answerPending_[item.device] = 0;
                break;
            }
            if (item.id != RequestId{}) {
                answerPending_[item.device] = 0;
                if (!takeAnswerToken(item.device, now)) {
                    ++counters_.suppressed;
                    break;
                }
            }
            announce(item.device, item.id, item.id != RequestId{});
            break;
        case KindPeriodic:
            announce(item.device, RequestId{});
            item.when = now + std::chrono::milliseconds(
                                  jitter(options_.announcePeriodMs * 9 / 10, options_.announcePeriodMs * 11 / 10));
            push(std::move(item));
            break;
        case KindRaw:
            transport_.send(*item.datagram);
            break;
        case KindAction:
            (*item.action)();
            break;
        }
    }
    armTimer();
}

void Simulator::emit(std::vector<uint8_t> datagram) {
    if (datagram.empty())
        return;
    if (chance(options_.loss)) {
        ++dropped_;
        return;
    }
    const int copies = chance(options_.duplicate) ? 2 : 1;
    if (options_.delayMs > 0) {
        auto shared = std::make_shared<std::vector<uint8_t>>(std::move(datagram));
        for (int i = 0; i < copies; ++i)
            push({Clock::now() + std::chrono::milliseconds(options_.delayMs), 0, 0, KindRaw, RequestId{}, shared,
                  nullptr});
        return;
    }
    for (int i = 1; i < copies; ++i)
        transport_.send(datagram);
    transport_.send(datagram);
}

std::vector<uint8_t> Simulator::encodeAnnouncement(uint32_t index) {
    return vexa::proto::encodeAnnounce(fleet_[index].record, RequestId{});
}

std::vector<uint8_t> Simulator::encodeBye(uint32_t index) {
    vexa::proto::TlvWriter w;
    w.addText(vexa::proto::TagSerial, fleet_[index].record.serialNo);
    w.addText(vexa::proto::TagMac, fleet_[index].record.mac);
    return vexa::proto::encodeFrame(MsgType::Bye, RequestId{}, w);
}

void Simulator::answerTo(uint32_t, std::vector<uint8_t>& announcement, const RequestId& id) {
    // The inquiry's id, so that the answer can be matched.
    std::copy(id.begin(), id.end(), announcement.begin() + vexa::proto::kRequestIdOffset);
}

void Simulator::announce(uint32_t index, const RequestId& id, bool answer) {
    if (index >= fleet_.size())
        return;
    SimDevice& device = fleet_[index];
    if (answer)
        answerPending_[index] = 0;
    if (device.announceCache.empty())
        device.announceCache = encodeAnnouncement(index);
    if (device.announceCache.empty())
        return;
    std::vector<uint8_t> datagram = device.announceCache;
    if (id != RequestId{})
        answerTo(index, datagram, id);
    if (answer) {
        ++counters_.answers;
        counters_.answerBytes += datagram.size();
    }
    emit(std::move(datagram));
}

bool Simulator::takeAnswerToken(uint32_t device, Clock::time_point now) {
    // Each device answers about once a second on average, with room for a discovery's first answers at once: a
    // flood of inquiries cannot make the fleet send more, however they are spread, and answers drawn from other
    // devices never silence this one.
    double& tokens = answerTokens_[device];
    Clock::time_point& at = tokensAt_[device];
    const double elapsed = at == Clock::time_point{} ? 1e9 : std::chrono::duration<double>(now - at).count();
    tokens = std::min(2.25, tokens + elapsed);
    at = now;
    if (tokens < 1.0)
        return false;
    tokens -= 1.0;
    return true;
}

void Simulator::bumpVersion(uint32_t index) {
    auto& version = fleet_[index].record.version;
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    version = std::max<uint32_t>(version + 1, static_cast<uint32_t>(std::clamp<int64_t>(now, 0, UINT32_MAX)));
    fleet_[index].announceCache.clear();
}

void Simulator::markNetworkChanged(uint32_t index) {
    fleet_[index].state["netVersion"] = std::to_string(fleet_[index].record.version);
}

void Simulator::markChanged(uint32_t index) {
    fleet_[index].announceCache.clear();
    announce(index, RequestId{});
}

void Simulator::armReceive() {
    transport_.socket().async_wait(asio::socket_base::wait_read, [this](const asio::error_code& ec) {
        if (ec || stopping_)
            return;
        drain();
        armReceive();
    });
}

void Simulator::drain() {
    for (int i = 0; i < 1024 && !stopping_; ++i) {
        std::string to;
        const size_t n = receive(to);
        if (n == 0)
            return;
        if (n > buffer_.size())
            continue;
        handleDatagram(buffer_.data(), n, to);
    }
}

size_t Simulator::receive(std::string& to) {
    iovec data{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    lastFrom_ = sockaddr_in{};
    message.msg_name = &lastFrom_;
    message.msg_namelen = sizeof lastFrom_;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(transport_.socket().native_handle(), &message, MSG_DONTWAIT | MSG_TRUNC);
    if (n <= 0)
        return 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO)
            continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        if ((ntohl(info.ipi_addr.s_addr) >> 28) != 0xe) { // not a group
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &info.ipi_addr, text, sizeof text);
            to = text;
        }
    }
    return static_cast<size_t>(n);
}

void Simulator::handleDatagram(const uint8_t* data, size_t size, const std::string& to) {
    // Our own announcements come back through the multicast loop; skip them before decoding.
    if (size < vexa::proto::kHeaderSize || !vexa::proto::isKnownType(data[5]) ||
        !vexa::proto::isToolMessage(static_cast<MsgType>(data[5])))
        return;
    if (chance(options_.loss)) {
        ++dropped_;
        return;
    }
    Frame frame;
    if (vexa::proto::decodeFrame(data, size, frame) != vexa::proto::DecodeError::None)
        return;
    if (frame.type == MsgType::Inquiry) {
        handleInquiry(frame, size, to);
        return;
    }
    Peer peer;
    if (!to.empty() && lastFrom_.sin_family == AF_INET && ntohs(lastFrom_.sin_port) != options_.transport.port) {
        peer.asker = lastFrom_;
        peer.at = to;
    }
    handleRequest(frame, peer);
}

void Simulator::handleRequest(const Frame&, const Peer&) {}

void Simulator::reply(std::vector<uint8_t> datagram, uint32_t device, const Peer& peer) {
    if (!peer.direct()) {
        emit(std::move(datagram));
        return;
    }
    if (chance(options_.loss)) {
        ++dropped_;
        return;
    }
    sendFrom(datagram, fleet_[device].record.ipv4Address, peer.asker);
}

void Simulator::sendFrom(const std::vector<uint8_t>& datagram, const std::string& from, const sockaddr_in& to) {
    in_addr source{};
    ::inet_pton(AF_INET, from.c_str(), &source);
    devsim::sendFrom(transport_.socket().native_handle(), datagram.data(), datagram.size(), source, to, MSG_DONTWAIT);
}

void Simulator::handleInquiry(const Frame& frame, size_t size, const std::string& to) {
    const auto now = Clock::now();
    ++counters_.inquiries;
    counters_.inquiryBytes += size;
    while (!recentParts_.empty() &&
           (now - recentParts_.front().second > std::chrono::seconds(1) || recentParts_.size() >= kRecentInquiries)) {
        recentPartSet_.erase(recentParts_.front().first);
        recentParts_.pop_front();
    }
    if (recentParts_.empty())
        recentIds_.clear();
    // A retransmitted (or duplicated) inquiry part within a second is not looked at again.
    const InquiryKey key{frame.requestId, frame.u16(vexa::proto::TagKnownPart, 0)};
    if (!recentPartSet_.insert(key).second)
        return;
    recentParts_.emplace_back(key, now);
    // Sent to one address from another port than ours: a scan, perhaps from behind a router that no multicast
    // crosses. The device there answers the asker alone.
    if (!to.empty() && lastFrom_.sin_family == AF_INET && ntohs(lastFrom_.sin_port) != options_.transport.port) {
        answerScan(frame.requestId, to, lastFrom_);
        return;
    }
    // A known-answer inquiry names the place of each of its parts; one that does not cannot be cut short later.
    const bool hasList = frame.has(vexa::proto::TagKnownPart);
    const auto [heard, newInquiry] = recentIds_.emplace(frame.requestId, hasList);
    const bool mayCancel = heard->second;
    if (recentIds_.size() > 2 * kRecentInquiries)
        recentIds_.clear(); // bounded; forgetting an id can only cost an answer more

    // Devices the client says it has heard in this round stay quiet, even when an earlier part of the same
    // inquiry already had them about to answer.
    std::vector<uint8_t> listed(fleet_.size(), 0);
    const std::vector<uint8_t> known = frame.bytes(vexa::proto::TagKnownMacs);
    for (size_t at = 0; known.size() % 6 == 0 && at < known.size(); at += 6) {
        uint64_t mac = 0;
        for (size_t b = 0; b < 6; ++b)
            mac = mac << 8 | known[at + b];
        auto it = byMacBytes_.find(mac);
        if (it == byMacBytes_.end())
            continue;
        listed[it->second] = 1;
        const uint32_t i = it->second;
        if (mayCancel && answerPending_[i] == 1 && answerFor_[i] == frame.requestId && !answerShared_[i]) {
            answerPending_[i] = 2;
            answerAt_[i] = previousAnswerAt_[i]; // an answer never sent holds back no later inquiry
            ++counters_.known;
        }
    }
    if (!newInquiry)
        return; // the answers to this inquiry were decided on its first part
    // An inquiry with a known-answer list shows that the client has heard most devices: the few not on it
    // answer within a tenth of the window, so that a lost answer is asked for again by the next inquiry.
    const int replyMaxMs = frame.has(vexa::proto::TagKnownMacs)
                               ? options_.replyDelayMinMs + (options_.replyDelayMaxMs - options_.replyDelayMinMs) / 10
                               : options_.replyDelayMaxMs;
    const uint8_t classFilter = frame.u8(vexa::proto::TagClassFilter, 0);
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        if ((classFilter != 0 && fleet_[i].record.deviceClass != classFilter) ||
            (!to.empty() && fleet_[i].record.ipv4Address != to))
            continue;
        if (listed[i]) {
            ++counters_.known;
            continue;
        }
        // However many inquiries arrive and whatever their ids, a device answers at most once per kAnswerGap:
        // an answer still pending serves them all, and the next waits out the gap after the last one.
        if (answerPending_[i] == 1 || now < answerAt_[i] + kAnswerGap) {
            if (answerPending_[i] == 1 && answerFor_[i] != frame.requestId)
                answerShared_[i] = 1;
            ++counters_.suppressed;
            continue;
        }
        const auto when = now + std::chrono::milliseconds(jitter(options_.replyDelayMinMs, replyMaxMs));
        previousAnswerAt_[i] = answerAt_[i];
        answerAt_[i] = when;
        answerPending_[i] = 1;
        answerShared_[i] = 0;
        answerFor_[i] = frame.requestId;
        push({when, 0, i, KindReply, frame.requestId, nullptr, nullptr});
    }
}

void Simulator::answerScan(const RequestId& id, const std::string& to, const sockaddr_in& from) {
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        if (fleet_[i].record.ipv4Address != to)
            continue;
        const auto when =
            Clock::now() + std::chrono::milliseconds(jitter(options_.replyDelayMinMs, options_.replyDelayMaxMs));
        auto send = std::make_shared<std::function<void()>>([this, i, id, from] {
            if (!takeAnswerToken(i, Clock::now())) {
                ++counters_.suppressed;
                return;
            }
            if (fleet_[i].announceCache.empty())
                fleet_[i].announceCache = encodeAnnouncement(i);
            std::vector<uint8_t> datagram = fleet_[i].announceCache;
            if (datagram.empty())
                return;
            answerTo(i, datagram, id);
            ++counters_.answers;
            counters_.answerBytes += datagram.size();
            if (chance(options_.loss)) {
                ++dropped_;
                return;
            }
            // From the device's own address, as a host of its own would answer.
            sendFrom(datagram, fleet_[i].record.ipv4Address, from);
        });
        push({when, 0, i, KindAction, RequestId{}, nullptr, std::move(send)});
        return;
    }
}

void Simulator::changeSome() {
    if (fleet_.empty())
        return;
    ++changeGeneration_;
    const uint32_t count = std::min<uint32_t>(options_.changeCount, static_cast<uint32_t>(fleet_.size()));
    std::vector<uint32_t> changed;
    for (uint32_t n = 0; n < count; ++n) {
        const uint32_t index = (changeCursor_ + n) % fleet_.size();
        std::string& name = fleet_[index].record.deviceName;
        const size_t mark = name.find(" ~");
        if (mark != std::string::npos)
            name.erase(mark);
        name = name.substr(0, 24) + " ~" + std::to_string(changeGeneration_);
        bumpVersion(index);
        markNetworkChanged(index);
        changed.push_back(index);
    }
    changeCursor_ = (changeCursor_ + count) % fleet_.size();
    // Saved before anyone hears of the change, so what was announced is what a restart plays.
    for (uint32_t index : changed)
        saveDevice(index);
    writeDump();
    for (uint32_t index : changed)
        markChanged(index);
}

namespace {

// One device per slot of the state file: its line, then a comment line padding it to the slot's size, so that a
// device's change is written in place, and the file reads as the plain device list it always was.
std::string slotted(const std::string& line, size_t size) {
    std::string slot = line;
    slot += "\n#";
    slot.append(size - slot.size() - 1, ' ');
    slot += '\n';
    return slot;
}

std::string deviceLine(const SimDevice& device) {
    const std::string text = formatFleet({device}, true);
    std::string line = text.substr(text.find('\n') + 1);
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

} // namespace

bool Simulator::saveState() {
    if (options_.statePath.empty())
        return true;
    std::vector<std::string> lines(fleet_.size());
    size_t longest = 0;
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        lines[i] = deviceLine(fleet_[i]);
        longest = std::max(longest, lines[i].size());
    }
    if (lines == savedLines_ && stateFile_ >= 0)
        return true; // nothing changed: the file on disk already says this
    // Slots of a power of two, at least 2 KiB, so that no slot straddles a page.
    size_t slot = 2048;
    while (slot < longest + 3)
        slot *= 2;
    std::string content = slotted("# vexa-devsim devices " + std::to_string(fleet_.size()), slot);
    content.reserve(slot * (fleet_.size() + 1));
    for (const std::string& line : lines)
        content += slotted(line, slot);
    if (!writeFileAtomically(options_.statePath, content))
        return false;
    savedLines_ = std::move(lines);
    slotSize_ = slot;
    if (stateFile_ >= 0)
        ::close(stateFile_);
    // The file just renamed into place; a change of one device is written into its slot of this file.
    stateFile_ = ::open(options_.statePath.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    return true;
}

bool Simulator::adoptStateFile() {
    std::string text;
    if (!readFile(options_.statePath, text))
        return false;
    // Our own layout only: a header slot, then one slot per device, every slot the same power of two.
    const size_t firstBreak = text.find('\n');
    const size_t slotEnd = firstBreak == std::string::npos ? std::string::npos : text.find('\n', firstBreak + 1);
    if (slotEnd == std::string::npos)
        return false;
    const size_t slot = slotEnd + 1;
    if (slot < 2048 || (slot & (slot - 1)) != 0 || text.size() != slot * (fleet_.size() + 1))
        return false;
    if (text.compare(0, slot, slotted("# vexa-devsim devices " + std::to_string(fleet_.size()), slot)) != 0)
        return false;
    std::vector<std::string> lines(fleet_.size());
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        const size_t at = (static_cast<size_t>(i) + 1) * slot;
        const size_t end = text.find('\n', at);
        if (end == std::string::npos || end >= at + slot || deviceLine(fleet_[i]).size() + 3 > slot)
            return false;
        lines[i] = text.substr(at, end - at);
    }
    const int fd = ::open(options_.statePath.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (stateFile_ >= 0)
        ::close(stateFile_);
    stateFile_ = fd;
    savedLines_ = std::move(lines);
    slotSize_ = slot;
    // What changed since (the record versions a restart moves on) goes into its own slot, in place. A slot that
    // cannot be written keeps its old line whole; the device still starts, as the versions follow the clock.
    for (uint32_t i = 0; i < fleet_.size(); ++i) {
        if (!saveDevice(i))
            std::fprintf(stderr, "vexa-devsim: device %u starts with its saved state unchanged\n", i);
    }
    return true;
}

bool Simulator::saveDevice(uint32_t index) {
    if (options_.statePath.empty() || index >= fleet_.size())
        return true;
    if (stateFile_ < 0 || savedLines_.size() != fleet_.size())
        return saveState();
    std::string line = deviceLine(fleet_[index]);
    if (line == savedLines_[index])
        return true;
    if (line.size() + 3 > slotSize_)
        return saveState(); // outgrew its slot: the whole file once, with larger slots
    const std::string slot = slotted(line, slotSize_);
    const off_t offset = static_cast<off_t>((static_cast<uint64_t>(index) + 1) * slotSize_);
    size_t written = 0;
    while (written < slot.size()) {
        const ssize_t n =
            ::pwrite(stateFile_, slot.data() + written, slot.size() - written, offset + static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Put back what this slot said, so that the file holds the old line whole.
            const std::string old = slotted(savedLines_[index], slotSize_);
            if (written > 0 && ::pwrite(stateFile_, old.data(), written, offset) != static_cast<ssize_t>(written))
                std::fprintf(stderr, "vexa-devsim: cannot restore a device's saved state\n");
            return false;
        }
        written += static_cast<size_t>(n);
    }
    if (::fdatasync(stateFile_) != 0)
        return false;
    savedLines_[index] = std::move(line);
    return true;
}

void Simulator::writeDump() {
    if (!options_.dumpPath.empty())
        writeFileAtomically(options_.dumpPath, formatFleet(fleet_, false));
}

} // namespace devsim
