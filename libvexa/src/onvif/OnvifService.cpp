#include "OnvifService.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <openssl/rand.h>
#include <sys/socket.h>

#include "../Logger.h"
#include "../proto/Transport.h"
#include "Xml.h"
#include "vexa_crypto.h"

namespace vexa::onvif {

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kGroup = "239.255.255.250";
constexpr size_t kMaxDatagram = 65536;

void copyText(char* field, size_t width, const std::string& text) {
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

std::string bounded(const char* text, size_t width) {
    return std::string(text, strnlen(text, width));
}

bool readNumber(const char* name, long low, long high, long& out, std::string& error) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return true;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (*end != '\0' || n < low || n > high) {
        error = std::string(name) + " is not a number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    out = n;
    return true;
}

// The IPv4 networks of the interfaces in use (all multicast-capable ones when none is pinned).
std::vector<Subnet> subnetsOf(const std::vector<asio::ip::address_v4>& pinned) {
    std::vector<Subnet> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || !it->ifa_netmask || it->ifa_addr->sa_family != AF_INET || !(it->ifa_flags & IFF_UP))
            continue;
        sockaddr_in address{}, mask{};
        std::memcpy(&address, it->ifa_addr, sizeof address);
        std::memcpy(&mask, it->ifa_netmask, sizeof mask);
        const Subnet subnet{ntohl(address.sin_addr.s_addr), ntohl(mask.sin_addr.s_addr)};
        const bool wanted = pinned.empty() ? (it->ifa_flags & IFF_MULTICAST) != 0
                                           : std::any_of(pinned.begin(), pinned.end(),
                                                         [&](const auto& a) { return a.to_uint() == subnet.address; });
        if (wanted)
            out.push_back(subnet);
    }
    freeifaddrs(list);
    for (const auto& a : pinned) // pinned to an address no interface has: that address alone
        if (std::none_of(out.begin(), out.end(), [&](const Subnet& s) { return s.address == a.to_uint(); }))
            out.push_back({a.to_uint(), 0xffffffffu});
    return out;
}

std::vector<asio::ip::address_v4> multicastInterfaces() {
    std::vector<asio::ip::address_v4> out;
    for (const Subnet& s : subnetsOf({}))
        out.emplace_back(s.address);
    return out;
}

bool isOnvifType(const std::string& type) {
    const char* local = localName(type.c_str());
    return std::strcmp(local, "NetworkVideoTransmitter") == 0 || std::strcmp(local, "Device") == 0;
}

std::string canonicalMac(const std::string& text) {
    const auto mac = crypto::parseMac(text);
    return mac ? crypto::formatMac(*mac) : std::string();
}

// The login mark follows who has a login; a device not read again says so at once, so the list shows which.
bool markLogin(OnvifDevice& device, bool given) {
    const uint8_t before = device.flags;
    if (given)
        device.flags |= VEXA_ONVIF_LOGIN_GIVEN;
    else
        device.flags &= static_cast<uint8_t>(~VEXA_ONVIF_LOGIN_GIVEN);
    return device.flags != before;
}

// The host part of a service URL: whose readers a job counts against.
std::string hostOf(const std::string& url) {
    const auto parsed = parseUrl(url);
    return parsed ? parsed->host : url;
}

// A login copy that wipes itself when the last holder lets go.
std::shared_ptr<const Credentials> sharedLogin(const std::string& user, const std::string& password) {
    auto* login = new Credentials{user, password};
    return std::shared_ptr<const Credentials>(login, [](Credentials* c) {
        c->wipe();
        delete c;
    });
}

// Serial number and MAC as the device at session.url tells them, never with a token: anonymously, or with HTTP
// Digest when it asks. A stranger at that address learns at most a digest to guess at, never a token to replay.
CallResult readIdentity(DeviceClient& client, Session& session, const Credentials* login, DeviceDetails& out) {
    session.noToken = true;
    CallResult r = client.call(session, "GetDeviceInformation", nullptr, login);
    if (r.code == 0 && !readDeviceInformation(r.answer.response, out))
        r.code = VEXA_ERR_BAD_ANSWER;
    if (r.code != 0)
        return r;
    const auto url = parseUrl(session.url);
    r = client.call(session, "GetNetworkInterfaces", nullptr, login);
    if (r.code == 0 && !readNetworkInterfaces(r.answer.response, url ? url->host : std::string(), out))
        r.code = VEXA_ERR_BAD_ANSWER;
    return r;
}

bool sameDevice(const DeviceDetails& known, const DeviceDetails& seen) {
    return !known.serial.empty() && known.serial == seen.serial && !canonicalMac(known.mac).empty() &&
           canonicalMac(known.mac) == canonicalMac(seen.mac);
}

// The URL a message names, on the host it came from: we talk only to the address a message came from.
std::string fromSource(const std::string& xaddr, const asio::ip::address& from) {
    auto url = parseUrl(xaddr);
    if (!url || !from.is_v4())
        return {};
    url->host = from.to_v4().to_string();
    url->ipv4 = true;
    url->address = from.to_v4().to_uint();
    return formatUrl(*url);
}

uint32_t jitter(uint32_t range) {
    uint32_t r = 0;
    RAND_bytes(reinterpret_cast<unsigned char*>(&r), sizeof r);
    return range ? r % range : 0;
}

} // namespace

bool serviceConfigFromEnvironment(ServiceConfig& out, std::string& error) {
    long port = out.wsdPort, workers = out.workers, timeout = static_cast<long>(out.requestTimeout.count()),
         reboot = static_cast<long>(out.rebootWait.count()), budget = static_cast<long>(out.readBudget.count());
    if (!readNumber("VEXA_WSD_PORT", 1, 65535, port, error) ||
        !readNumber("VEXA_ONVIF_WORKERS", 1, 512, workers, error) ||
        !readNumber("VEXA_ONVIF_TIMEOUT_MS", 100, 60000, timeout, error) ||
        !readNumber("VEXA_ONVIF_REBOOT_WAIT_MS", 100, 600000, reboot, error) ||
        !readNumber("VEXA_ONVIF_BUDGET_MS", 100, 600000, budget, error))
        return false;
    out.readBudget = std::chrono::milliseconds(budget);
    if (const char* pins = std::getenv("VEXA_ONVIF_PIN_FILE"))
        out.pinFile = pins;
    out.wsdPort = static_cast<uint16_t>(port);
    out.workers = static_cast<unsigned>(workers);
    out.requestTimeout = std::chrono::milliseconds(timeout);
    out.rebootWait = std::chrono::milliseconds(reboot);
    return proto::interfacesFromEnvironment(out.interfaces, error);
}

bool onvifEnabledByEnvironment() {
    const char* value = std::getenv("VEXA_ONVIF");
    return !(value && std::strcmp(value, "0") == 0);
}

void fillOnvifInfo(const OnvifDevice& device, int eventType, VEXA_DEVICE_INFO& info) {
    const DeviceDetails& d = device.details;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.recordTag, "VXDP1", 5);
    info.eventType = eventType;
    info.protocol = VEXA_PROTOCOL_ONVIF;
    info.source = device.scanned ? VEXA_SOURCE_SCAN : VEXA_SOURCE_DISCOVERY;
    info.detailsState = device.state;
    info.deviceClass = VEXA_CLASS_VIDEO;
    info.onvifFlags = device.flags;
    copyText(info.endpointReference, sizeof info.endpointReference, device.discovery.endpoint);
    copyText(info.serviceAddress, sizeof info.serviceAddress, device.session.url);
    const auto url = parseUrl(device.session.url);
    if (url)
        info.port = url->port;
    const ScopeFacts scopes = readScopes(device.discovery.scopes);
    // Partly read counts as read: what was read is filled, discovery fills in where a read failed.
    const bool read = device.state == VEXA_DETAILS_READ || device.state == VEXA_DETAILS_PARTIAL;
    copyText(info.deviceName, sizeof info.deviceName, read && !d.name.empty() ? d.name : scopes.name);
    copyText(info.location, sizeof info.location, read && !d.location.empty() ? d.location : scopes.location);
    if (!read) {
        // What discovery tells: the address it is reached at and its scopes.
        if (url && url->ipv4)
            copyText(info.ipv4Address, sizeof info.ipv4Address, url->host);
        copyText(info.hardwareId, sizeof info.hardwareId, scopes.hardware);
        return;
    }
    info.missingDetails = d.missing;
    copyText(info.serialNo, sizeof info.serialNo, d.serial);
    copyText(info.mac, sizeof info.mac, canonicalMac(d.mac));
    copyText(info.ipv4Address, sizeof info.ipv4Address, !d.ipv4.empty() || !url || !url->ipv4 ? d.ipv4 : url->host);
    copyText(info.ipv4SubnetMask, sizeof info.ipv4SubnetMask,
             d.ipv4.empty() ? std::string() : prefixToMask(d.prefixLength));
    copyText(info.ipv4Gateway, sizeof info.ipv4Gateway, d.gateway);
    copyText(info.ipv6Address, sizeof info.ipv6Address, d.ipv6);
    copyText(info.ipv6Gateway, sizeof info.ipv6Gateway, d.ipv6Gateway);
    info.ipv6PrefixLength = static_cast<uint8_t>(std::clamp(d.ipv6PrefixLength, 0, 128));
    info.supportFlags = VEXA_SUPPORT_DHCP | (d.ipv6.empty() ? 0 : VEXA_SUPPORT_IPV6);
    info.dhcpEnabled = d.dhcp ? 1 : 0;
    info.httpPort = d.httpPort;
    info.httpsPort = d.httpsPort;
    info.rtspPort = d.rtspPort;
    copyText(info.deviceTypeName, sizeof info.deviceTypeName, d.model);
    copyText(info.softwareVersion, sizeof info.softwareVersion, d.firmware);
    copyText(info.manufacturer, sizeof info.manufacturer, d.manufacturer);
    copyText(info.hardwareId, sizeof info.hardwareId, d.hardwareId.empty() ? d.hardware : d.hardwareId);
}

OnvifService::OnvifService(ServiceConfig config, Report report)
    : config_(std::move(config))
    , report_(std::move(report))
    , listen_(io_)
    , probe_(io_)
    , probeTimer_(io_)
    , listenBuffer_(kMaxDatagram)
    , probeBuffer_(kMaxDatagram) {}

OnvifService::~OnvifService() {
    stop();
}

bool OnvifService::start(std::string& error) {
    using asio::ip::udp;
    initCurl();
    pins_ = std::make_unique<CertificatePins>(config_.pinFile);
    if (config_.interfaces.empty())
        config_.interfaces = multicastInterfaces();
    if (config_.interfaces.empty()) {
        error = "no multicast-capable IPv4 interface";
        return false;
    }
    subnets_ = subnetsOf(config_.interfaces);
    const auto group = asio::ip::make_address_v4(kGroup);
    group_ = udp::endpoint(group, config_.wsdPort);
    asio::error_code ec;
    // Hello and Bye arrive on the group's port, which other programs on this host may listen on as well.
    listen_.open(udp::v4(), ec);
    if (!ec) {
        const int one = 1;
        listen_.set_option(asio::socket_base::reuse_address(true), ec);
        ::setsockopt(listen_.native_handle(), SOL_SOCKET, SO_REUSEPORT, &one, sizeof one);
        listen_.bind(udp::endpoint(asio::ip::address_v4::any(), config_.wsdPort), ec);
    }
    size_t joined = 0;
    if (!ec) {
        for (const auto& iface : config_.interfaces) {
            asio::error_code joinError;
            listen_.set_option(asio::ip::multicast::join_group(group, iface), joinError);
            joined += joinError ? 0 : 1;
        }
    }
    if (ec || joined == 0) {
        // Probes still work without it: devices answer them directly.
        VEXA_LOG(LogError, "ONVIF: cannot listen for Hello and Bye on port %u: %s", config_.wsdPort,
                 ec ? ec.message().c_str() : "cannot join the group");
        listen_.close(ec);
    }
    // Probes leave from a port of their own; the answers come back to it.
    probe_.open(udp::v4(), ec);
    if (ec) {
        error = "ONVIF probe socket: " + ec.message();
        return false;
    }
    probe_.bind(
        udp::endpoint(config_.interfaces.size() == 1 ? config_.interfaces.front() : asio::ip::address_v4::any(), 0),
        ec);
    if (ec) {
        error = "ONVIF probe socket: " + ec.message();
        return false;
    }
    int want = 8 * 1024 * 1024; // a burst of a thousand ProbeMatches of 1 to 2 KiB each
    if (::setsockopt(probe_.native_handle(), SOL_SOCKET, SO_RCVBUFFORCE, &want, sizeof want) != 0)
        ::setsockopt(probe_.native_handle(), SOL_SOCKET, SO_RCVBUF, &want, sizeof want);
    probe_.set_option(asio::ip::multicast::hops(1), ec);
    probe_.set_option(asio::ip::multicast::enable_loopback(true), ec);
    probe_.set_option(asio::ip::multicast::outbound_interface(config_.interfaces.front()), ec);
    if (listen_.is_open())
        receive(listen_, listenBuffer_, listenFrom_);
    receive(probe_, probeBuffer_, probeFrom_);
    asio::post(io_, [this] { probeRound(); });
    stopping_ = false;
    ioThread_ = std::thread([this] { io_.run(); });
    started_ = true;
    VEXA_LOG(LogInfo, "ONVIF: WS-Discovery on port %u, up to %u workers", config_.wsdPort, config_.workers);
    return true;
}

void OnvifService::stop() {
    if (!started_)
        return;
    started_ = false;
    stopping_ = true;
    asio::post(io_, [this] {
        asio::error_code ec;
        probeTimer_.cancel();
        listen_.close(ec);
        probe_.close(ec);
    });
    io_.stop();
    if (ioThread_.joinable())
        ioThread_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queueChanged_.notify_all();
        workers.swap(workers_);
    }
    for (std::thread& worker : workers)
        worker.join();
    std::lock_guard<std::mutex> lock(mutex_);
    credentials_.wipe();
    autoLogin_ = false;
    devices_.clear();
    hosts_.clear();
    ready_.clear();
    queued_.clear();
}

void OnvifService::receive(asio::ip::udp::socket& socket, std::vector<char>& buffer, asio::ip::udp::endpoint& from) {
    socket.async_receive_from(asio::buffer(buffer), from,
                              [this, &socket, &buffer, &from](const asio::error_code& ec, size_t n) {
                                  if (ec == asio::error::operation_aborted || !socket.is_open())
                                      return;
                                  if (!ec)
                                      handle(buffer.data(), n, from.address());
                                  receive(socket, buffer, from);
                              });
}

void OnvifService::handle(const char* data, size_t size, const asio::ip::address& from) {
    const auto message = parseDiscovery(data, size);
    if (!message)
        return;
    if (message->kind == DiscoveryKind::Bye) {
        bye(message->endpoints.front().endpoint);
        return;
    }
    if (message->kind == DiscoveryKind::ProbeMatches) {
        std::lock_guard<std::mutex> lock(mutex_);
        // An answer to someone else's probe, or to none: one datagram must not list hundreds of devices.
        if (message->relatesTo.empty() ||
            std::find(probeIds_.begin(), probeIds_.end(), message->relatesTo) == probeIds_.end()) {
            ++counters_.refused;
            return;
        }
    }
    for (const EndpointInfo& info : message->endpoints) {
        // A Hello may come from any kind of device; a ProbeMatch answers our types.
        if (message->kind == DiscoveryKind::Hello && std::none_of(info.types.begin(), info.types.end(), isOnvifType))
            continue;
        heard(info, from);
    }
}

void OnvifService::heard(EndpointInfo info, const asio::ip::address& from, bool byScan) {
    const std::string url = fromSource(chooseXAddr(info.xaddrs, subnets_), from);
    if (url.empty())
        return;
    const size_t trimmed = keepShare(info);
    VEXA_DEVICE_INFO event;
    bool isNew = false;
    bool claimed = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        counters_.trimmed += trimmed;
        auto it = devices_.find(info.endpoint);
        if (it == devices_.end()) {
            if (devices_.size() >= config_.maxDevices)
                return;
            OnvifDevice device;
            device.discovery = info;
            device.session.url = url;
            device.session.pinKey = info.endpoint;
            device.generation = 1;
            device.flags = autoLogin_ ? VEXA_ONVIF_LOGIN_GIVEN : 0;
            it = devices_.emplace(info.endpoint, std::move(device)).first;
            isNew = true;
        }
        OnvifDevice& device = it->second;
        device.scanned = device.scanned || byScan;
        // An older announcement, or a forged one: metadata only moves forward.
        if (info.metadataVersion < device.discovery.metadataVersion)
            return;
        // A device we read, or gave a login, stays where it is until the other address proves to be the same
        // device; one we know nothing of is where its message came from.
        const bool moved = !isNew && url != device.session.url;
        if (moved && (device.state == VEXA_DETAILS_READ || device.login)) {
            if (device.claimedUrl == url)
                return;
            device.claimedUrl = url;
            device.flags |= VEXA_ONVIF_ADDRESS_CLAIMED;
            device.lastHeard = Clock::now();
            fillOnvifInfo(device, VEXA_EVENT_CHANGED, event);
            claimed = true;
        } else {
            device.lastHeard = Clock::now();
            const bool firstInRound = device.heardInRound != round_;
            if (firstInRound) {
                device.heardInRound = round_;
                ++newInRound_;
            }
            if (isNew) {
                fillOnvifInfo(device, VEXA_EVENT_NEW, event);
            } else if (moved || info.metadataVersion != device.discovery.metadataVersion ||
                       info.xaddrs != device.discovery.xaddrs || info.scopes != device.discovery.scopes) {
                // New metadata or a new address: read it again; the read reports the change.
                device.discovery = info;
                if (moved) {
                    device.session = Session{};
                    device.session.url = url;
                    device.session.pinKey = info.endpoint;
                }
                ++device.generation;
            } else if (firstInRound && device.state == VEXA_DETAILS_UNREACHABLE) {
                ++device.generation; // it answers probes again: perhaps its service too
            } else {
                return;
            }
        }
    }
    if (isNew || claimed)
        report_(event);
    enqueue(info.endpoint, claimed ? Job::CheckMove : Job::Read);
}

void OnvifService::bye(const std::string& endpoint) {
    // Anyone can say goodbye for a device: it leaves the list only when it no longer answers at its address.
    VEXA_DEVICE_INFO event;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = devices_.find(endpoint);
        if (it == devices_.end() || (it->second.flags & VEXA_ONVIF_SAID_BYE))
            return;
        it->second.flags |= VEXA_ONVIF_SAID_BYE;
        fillOnvifInfo(it->second, VEXA_EVENT_CHANGED, event);
    }
    report_(event);
    enqueue(endpoint, Job::CheckBye);
}

void OnvifService::report(const std::string& endpoint) {
    VEXA_DEVICE_INFO event;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end())
            return;
        fillOnvifInfo(it->second, VEXA_EVENT_CHANGED, event);
    }
    report_(event);
}

void OnvifService::checkBye(DeviceClient& client, const std::string& endpoint) {
    Session session;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end())
            return;
        session = it->second.session;
    }
    // Asked twice, a second apart: a device that says goodbye as it shuts down may still answer for a moment.
    bool answers = true;
    for (int attempt = 0; attempt < 2 && answers && !stopping_; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::seconds(1));
        const CallResult r = client.call(session, "GetSystemDateAndTime", nullptr, nullptr, true);
        answers = r.code != VEXA_ERR_CONNECTION && r.code != VEXA_ERR_TIMEOUT && r.code != VEXA_ERR_NOT_STARTED;
    }
    if (stopping_)
        return;
    VEXA_DEVICE_INFO event;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end() || it->second.session.url != session.url)
            return;
        if (answers) {
            it->second.flags &= static_cast<uint8_t>(~VEXA_ONVIF_SAID_BYE);
            fillOnvifInfo(it->second, VEXA_EVENT_CHANGED, event);
        } else {
            fillOnvifInfo(it->second, VEXA_EVENT_GONE, event);
            devices_.erase(it);
        }
    }
    if (answers)
        VEXA_LOG(LogInfo, "ONVIF: %s said goodbye but still answers at %s: kept", endpoint.c_str(),
                 session.url.c_str());
    report_(event);
}

void OnvifService::checkMove(DeviceClient& client, const std::string& endpoint) {
    std::string claimed;
    DeviceDetails details;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end() || it->second.claimedUrl.empty())
            return;
        claimed = it->second.claimedUrl;
        details = it->second.details;
    }
    // Anonymous only: anyone can send the message that starts this, so it must not earn them even a digest. A
    // device that tells its identity only after a login stays at its known address until signed in to again.
    Session there;
    there.url = claimed;
    there.pinKey = endpoint;
    DeviceDetails seen;
    const CallResult r = readIdentity(client, there, nullptr, seen);
    const bool same = r.code == 0 && sameDevice(details, seen);
    if (stopping_)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end() || it->second.claimedUrl != claimed)
            return;
        OnvifDevice& device = it->second;
        device.claimedUrl.clear();
        device.flags &= static_cast<uint8_t>(~VEXA_ONVIF_ADDRESS_CLAIMED);
        if (same) {
            device.session = there;
            ++device.generation;
        }
    }
    VEXA_LOG(LogInfo, "ONVIF: %s: %s %s", endpoint.c_str(), claimed.c_str(),
             same ? "is the same device: moved there" : "is not the device read: kept at its address");
    if (same)
        enqueueRead(endpoint);
    else
        report(endpoint);
}

void OnvifService::probeRound() {
    asio::post(io_, [this] {
        uint64_t round = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            round = ++round_;
            newInRound_ = 0;
        }
        probeTimer_.cancel();
        scheduleStep(round, 0, 0);
    });
}

void OnvifService::scheduleStep(uint64_t round, unsigned step, unsigned quiet) {
    sendProbes();
    uint64_t before = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        before = newInRound_;
    }
    const auto fifth = static_cast<uint32_t>(std::max<long>(1, static_cast<long>(config_.probeGap.count() / 5)));
    probeTimer_.expires_after(config_.probeGap + std::chrono::milliseconds(jitter(fifth)));
    probeTimer_.async_wait([this, round, step, quiet, before](const asio::error_code& ec) {
        if (ec)
            return;
        uint64_t now = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (round != round_)
                return;
            now = newInRound_;
        }
        const unsigned nowQuiet = now > before ? 0 : quiet + 1;
        if (nowQuiet >= config_.quietSteps || step + 1 >= config_.maxSteps) {
            VEXA_LOG(LogInfo, "ONVIF: probe round %llu ends after %u probes, %llu devices heard",
                     static_cast<unsigned long long>(round), step + 1, static_cast<unsigned long long>(now));
            return;
        }
        scheduleStep(round, step + 1, nowQuiet);
    });
}

void OnvifService::sendProbes() {
    if (!probe_.is_open())
        return;
    for (const char* type : {kTypeDevice, kTypeTransmitter}) {
        const std::string id = newMessageId();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            probeIds_.push_back(id);
            while (probeIds_.size() > 64)
                probeIds_.pop_front();
        }
        const std::string probe = buildProbe(id, type);
        for (const auto& iface : config_.interfaces) {
            asio::error_code ec;
            if (config_.interfaces.size() > 1)
                probe_.set_option(asio::ip::multicast::outbound_interface(iface), ec);
            probe_.send_to(asio::buffer(probe), group_, 0, ec);
            if (ec)
                VEXA_LOG(LogError, "ONVIF: cannot send a probe: %s", ec.message().c_str());
        }
    }
}

void OnvifService::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    devices_.clear();
    // Reads under way finish and count themselves off; only the waiting ones go.
    for (auto it = hosts_.begin(); it != hosts_.end();) {
        it->second.jobs.clear();
        it = it->second.active == 0 ? hosts_.erase(it) : std::next(it);
    }
    ready_.clear();
    queued_.clear();
}

void OnvifService::setCredentials(const std::string& user, const std::string& password) {
    std::vector<std::string> again, marked;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        credentials_.wipe();
        credentials_.user = user;
        credentials_.password = password;
        autoLogin_ = !user.empty();
        signInRefusals_.clear(); // a login given again may be tried again
        for (auto& [endpoint, device] : devices_) {
            const bool changed = markLogin(device, autoLogin_ || device.login);
            if (device.state == VEXA_DETAILS_NEED_LOGIN) {
                ++device.generation;
                again.push_back(endpoint);
            } else if (changed) {
                marked.push_back(endpoint);
            }
        }
    }
    reportAndRead(marked, again);
}

void OnvifService::reportAndRead(const std::vector<std::string>& marked, const std::vector<std::string>& again) {
    for (const std::string& endpoint : marked)
        report(endpoint);
    for (const std::string& endpoint : again)
        enqueueRead(endpoint);
}

bool OnvifService::setCredentialsFor(const std::vector<std::string>& endpoints, const std::string& user,
                                     const std::string& password) {
    std::vector<std::string> again, marked;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const std::string& endpoint : endpoints)
            if (!devices_.count(endpoint))
                return false;
        const auto login = user.empty() ? nullptr : sharedLogin(user, password);
        for (const std::string& endpoint : endpoints) {
            OnvifDevice& device = devices_[endpoint];
            device.login = login;
            signInRefusals_.erase(endpoint);
            const bool changed = markLogin(device, login || autoLogin_);
            if (device.state == VEXA_DETAILS_NEED_LOGIN && login) {
                ++device.generation;
                again.push_back(endpoint);
            } else if (changed) {
                marked.push_back(endpoint);
            }
        }
    }
    reportAndRead(marked, again);
    return true;
}

bool OnvifService::acceptCertificate(const std::string& endpoint) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end())
            return false;
        it->second.flags &= static_cast<uint8_t>(~VEXA_ONVIF_CERTIFICATE_CHANGED);
        ++it->second.generation;
    }
    if (pins_)
        pins_->forget(endpoint);
    enqueueRead(endpoint);
    return true;
}

OnvifService::Counters OnvifService::counters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counters_;
}

Credentials OnvifService::loginFor(const OnvifDevice& device) const {
    if (device.login)
        return *device.login;
    return autoLogin_ ? credentials_ : Credentials{};
}

void OnvifService::enqueue(const std::string& endpoint, Job job) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto device = devices_.find(endpoint);
    if (device == devices_.end() || !queued_.insert({endpoint, job}).second)
        return;
    const std::string host = hostOf(device->second.session.url);
    HostJobs& jobs = hosts_[host];
    jobs.jobs.emplace_back(endpoint, job);
    if (jobs.jobs.size() == 1 && jobs.active < config_.readersPerHost)
        ready_.push_back(host);
    // Workers start as reads queue up: a site without ONVIF devices costs no threads.
    if (idle_ == 0 && workers_.size() < config_.workers && !stopping_)
        workers_.emplace_back([this] { workerLoop(); });
    queueChanged_.notify_one();
}

void OnvifService::workerLoop() {
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    for (;;) {
        std::string host, endpoint;
        Job job = Job::Read;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ++idle_;
            queueChanged_.wait(lock, [this] { return stopping_ || !ready_.empty(); });
            --idle_;
            if (stopping_)
                return;
            host = std::move(ready_.front());
            ready_.pop_front();
            HostJobs& jobs = hosts_[host];
            std::tie(endpoint, job) = std::move(jobs.jobs.front());
            jobs.jobs.pop_front();
            queued_.erase({endpoint, job});
            ++jobs.active;
            // Back in line behind the other hosts, while it has work and a free reader.
            if (!jobs.jobs.empty() && jobs.active < config_.readersPerHost) {
                ready_.push_back(host);
                queueChanged_.notify_one();
            }
        }
        client.setDeadline(Clock::now() + config_.readBudget);
        if (job == Job::Read)
            readOne(client, endpoint);
        else if (job == Job::CheckMove)
            checkMove(client, endpoint);
        else
            checkBye(client, endpoint);
        client.setDeadline(Clock::time_point::max());
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = hosts_.find(host);
        if (it == hosts_.end())
            continue;
        if (!it->second.jobs.empty() && it->second.active == config_.readersPerHost) {
            ready_.push_back(host);
            queueChanged_.notify_one();
        }
        if (--it->second.active == 0 && it->second.jobs.empty())
            hosts_.erase(it);
    }
}

void OnvifService::readOne(DeviceClient& client, const std::string& endpoint) {
    Session session;
    uint64_t generation = 0;
    Credentials login;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end())
            return;
        session = it->second.session;
        generation = it->second.generation;
        login = loginFor(it->second);
    }
    DeviceDetails details;
    const CallResult result = client.readDetails(session, &login, details);
    login.wipe();
    if (stopping_)
        return;
    VEXA_DEVICE_INFO event;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it == devices_.end() || it->second.generation != generation)
            return;
        OnvifDevice& device = it->second;
        device.session = session;
        device.refusal.clear();
        if (result.code == 0) {
            device.details = std::move(details);
            device.state = device.details.missing ? VEXA_DETAILS_PARTIAL : VEXA_DETAILS_READ;
        } else if (result.code == VEXA_ERR_NEED_CREDENTIALS || result.code == VEXA_ERR_DEVICE_REFUSED) {
            device.state = VEXA_DETAILS_NEED_LOGIN;
            if (result.code == VEXA_ERR_DEVICE_REFUSED)
                device.refusal = result.detail;
        } else {
            device.state = VEXA_DETAILS_UNREACHABLE;
        }
        if (result.code == VEXA_ERR_CERTIFICATE_CHANGED)
            device.flags |= VEXA_ONVIF_CERTIFICATE_CHANGED;
        if (result.code != 0)
            device.details.note = details.note; // why, for a state that shows no details
        fillOnvifInfo(device, VEXA_EVENT_CHANGED, event);
    }
    if (result.code != 0)
        VEXA_LOG(LogInfo, "ONVIF: %s: details not read (error %u %s)", session.url.c_str(), result.code,
                 result.detail.c_str());
    report_(event);
}

bool OnvifService::detailsNote(const std::string& endpoint, std::string& out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = devices_.find(endpoint);
    if (it == devices_.end())
        return false;
    out = it->second.state == VEXA_DETAILS_READ ? std::string() : it->second.details.note;
    return true;
}

bool OnvifService::refusal(const std::string& endpoint, std::string& out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = devices_.find(endpoint);
    if (it == devices_.end())
        return false;
    out = it->second.refusal;
    return true;
}

size_t OnvifService::deviceCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return devices_.size();
}

Match OnvifService::find(const std::string& name, OnvifDevice* out) const {
    if (name.empty())
        return Match::None;
    const std::string mac = canonicalMac(name);
    size_t found = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [endpoint, device] : devices_) {
        const bool read = device.state == VEXA_DETAILS_READ || device.state == VEXA_DETAILS_PARTIAL;
        std::string address = read ? device.details.ipv4 : std::string();
        if (address.empty()) {
            if (const auto url = parseUrl(device.session.url))
                address = url->host;
        }
        const bool hit = endpoint == name || address == name || (read && device.details.serial == name) ||
                         (read && !mac.empty() && canonicalMac(device.details.mac) == mac);
        if (!hit)
            continue;
        if (found++ == 0 && out)
            *out = device;
    }
    return found == 0 ? Match::None : found == 1 ? Match::One : Match::Many;
}

namespace {

bool isIpv4(const std::string& text) {
    const auto url = parseUrl("http://" + text + "/");
    return url && url->ipv4 && url->host == text;
}

} // namespace

bool OnvifService::waitUntilBack(DeviceClient& client, const std::string& endpoint, Session& session,
                                 const std::string& newUrl, bool rebooting, Clock::time_point since) {
    const auto deadline = Clock::now() + config_.rebootWait;
    const std::string oldUrl = session.url;
    bool sawDown = false;
    auto lastProbe = Clock::now();
    client.setTimeout(std::min(config_.requestTimeout, std::chrono::milliseconds(1000)));
    bool back = false;
    for (bool last = false; !back && !stopping_;) {
        // A Hello (or an answer to our probes) after the change tells where it is now, a new DHCP address too.
        std::string candidate = newUrl;
        bool announced = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = devices_.find(endpoint);
            if (it != devices_.end() && it->second.lastHeard > since) {
                announced = true;
                // Only a candidate: the identity check after the wait decides whether it is this device.
                if (newUrl == oldUrl)
                    candidate = it->second.claimedUrl.empty() ? it->second.session.url : it->second.claimedUrl;
            }
        }
        Session probe = session;
        probe.url = candidate;
        const CallResult r = client.call(probe, "GetSystemDateAndTime", nullptr, nullptr, true);
        const bool answers = r.code == 0 || r.code == VEXA_ERR_NEED_CREDENTIALS;
        if (!answers)
            sawDown = true;
        // Right after a restart request the device still answers at its old address: that is not "back".
        if (answers && (!rebooting || candidate != oldUrl || sawDown || announced || last)) {
            session.url = candidate;
            back = true;
            break;
        }
        if (last)
            break;
        if (Clock::now() - lastProbe > std::chrono::seconds(2)) {
            probeRound();
            lastProbe = Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        last = Clock::now() >= deadline;
    }
    client.setTimeout(config_.requestTimeout);
    return back;
}

uint32_t OnvifService::modify(const std::string& name, const std::string& password, const VEXA_NET_PARAM& p,
                              std::string& detail) {
    OnvifDevice device;
    const Match match = find(name, &device);
    if (match == Match::None)
        return VEXA_ERR_UNKNOWN_DEVICE;
    if (match == Match::Many)
        return VEXA_ERR_AMBIGUOUS_DEVICE;
    Credentials login;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        login = loginFor(device);
    }
    // A password given for this one device is the user sending it there.
    if (!password.empty())
        login.password = password;
    struct Wipe {
        Credentials& c;
        ~Wipe() { c.wipe(); }
    } wipeLogin{login};
    DeviceClient client(&stopping_, config_.requestTimeout);
    client.setPins(pins_.get());
    Session session = device.session;
    const std::string endpoint = device.discovery.endpoint;

    // What it has now, read fresh: the interface token and the other scopes come from here.
    DeviceDetails now;
    CallResult r = client.readDetails(session, &login, now);
    if (r.code != 0) {
        detail = r.detail;
        return r.code;
    }
    const std::string address = bounded(p.ipv4Address, sizeof p.ipv4Address);
    const std::string mask = bounded(p.ipv4SubnetMask, sizeof p.ipv4SubnetMask);
    const std::string gateway = bounded(p.ipv4Gateway, sizeof p.ipv4Gateway);
    const std::string ipv6 = bounded(p.ipv6Address, sizeof p.ipv6Address);
    const std::string ipv6Gateway = bounded(p.ipv6Gateway, sizeof p.ipv6Gateway);
    const std::string newName = bounded(p.deviceName, sizeof p.deviceName);
    const bool dhcp = p.dhcpEnabled != 0;
    const int prefix = maskToPrefix(mask);
    const auto url = parseUrl(session.url);
    // A device that gave no address is shown at the one we reach it at, without a mask: sent back, no change.
    const bool interfaceAsShown = now.ipv4.empty() && !dhcp && !now.dhcp && url && address == url->host &&
                                  (mask.empty() || prefix == now.prefixLength);
    if ((!dhcp && !interfaceAsShown && (!isIpv4(address) || prefix < 1 || prefix > 32)) ||
        (!gateway.empty() && !isIpv4(gateway)))
        return VEXA_ERR_BAD_ARGUMENT;
    // Not offered for ONVIF devices yet: refused before anything is sent rather than silently kept.
    if (ipv6 != now.ipv6 || ipv6Gateway != now.ipv6Gateway ||
        (!ipv6.empty() && p.ipv6PrefixLength != now.ipv6PrefixLength) || (p.port != 0 && url && p.port != url->port))
        return VEXA_ERR_NOT_SUPPORTED;

    // The record holds a name cut to its field: an unchanged field means an unchanged name.
    // Without GetScopes the record shows the name from discovery.
    const std::string shownName =
        (now.missing & VEXA_READ_SCOPES) ? readScopes(device.discovery.scopes).name : now.name;
    const bool wantName = newName != shownName.substr(0, sizeof p.deviceName);
    const bool wantProtocols = (p.httpPort && p.httpPort != now.httpPort) || (p.rtspPort && p.rtspPort != now.rtspPort);
    const bool wantGateway = !dhcp && gateway != now.gateway;
    const bool wantInterface =
        !interfaceAsShown && (dhcp != now.dhcp || (!dhcp && (address != now.ipv4 || prefix != now.prefixLength)));
    // What could not be read is not changed: its current value is unknown, and SetScopes would drop the rest.
    const uint8_t touched = (wantName ? VEXA_READ_SCOPES : 0) | (wantProtocols ? VEXA_READ_PROTOCOLS : 0) |
                            (wantGateway ? VEXA_READ_GATEWAY : 0) | (wantInterface ? VEXA_READ_INTERFACES : 0);
    if (touched & now.missing) {
        detail = now.note;
        return VEXA_ERR_NOT_SUPPORTED;
    }

    uint32_t failure = 0;
    bool unknown = false;
    auto send = [&](const char* operation, const std::function<void(pugi::xml_node)>& fill) {
        r = client.call(session, operation, fill, &login);
        if (r.code == 0)
            return true;
        VEXA_LOG(LogInfo, "ONVIF: %s %s: error %u %s", session.url.c_str(), operation, r.code, r.detail.c_str());
        failure = r.code;
        detail = r.detail;
        unknown = r.reached && (r.code == VEXA_ERR_TIMEOUT || r.code == VEXA_ERR_BAD_ANSWER);
        return false;
    };
    bool ok = true;
    bool rebootNeeded = false;
    if (wantName) {
        const auto scopes = scopesWithName(now.configurableScopes, newName);
        ok = send("SetScopes", [&](pugi::xml_node n) { fillSetScopes(n, scopes); });
    }
    if (ok && wantProtocols)
        ok = send("SetNetworkProtocols", [&](pugi::xml_node n) { fillSetProtocols(n, now, p.httpPort, p.rtspPort); });
    if (ok && wantGateway)
        ok = send("SetNetworkDefaultGateway", [&](pugi::xml_node n) { fillSetGateway(n, gateway); });
    const auto changedAt = Clock::now();
    if (ok && wantInterface) {
        ok = send("SetNetworkInterfaces",
                  [&](pugi::xml_node n) { fillSetInterface(n, now.interfaceToken, dhcp, address, prefix); });
        rebootNeeded = ok && readRebootNeeded(r.answer.response);
    }
    if (failure == VEXA_ERR_NEED_CREDENTIALS || failure == VEXA_ERR_DEVICE_REFUSED || failure == VEXA_ERR_NOT_STARTED)
        return failure; // refused before anything changed

    // Where it will answer: the new address, the new HTTP port when the service is on it.
    std::string newUrl = session.url;
    if (url) {
        Url next = *url;
        if (wantInterface && !dhcp)
            next.host = address;
        if (wantProtocols && next.scheme == "http" && p.httpPort && url->port == now.httpPort)
            next.port = p.httpPort;
        newUrl = formatUrl(next);
    }
    if (rebootNeeded) {
        CallResult reboot = client.call(session, "SystemReboot", nullptr, &login);
        if (reboot.code != 0 && !reboot.reached) {
            detail = reboot.detail;
            return reboot.code;
        }
    }
    const bool moved = newUrl != session.url || (wantInterface && dhcp);
    // A clean fault: it most likely kept everything; read back where it was, else where it would be.
    if (failure && !unknown) {
        DeviceDetails after;
        CallResult back = client.readDetails(session, &login, after);
        if (back.code != 0 && newUrl != session.url) {
            Session elsewhere = session;
            elsewhere.url = newUrl;
            elsewhere.auth = Auth::None;
            DeviceDetails seen;
            if (readIdentity(client, elsewhere, &login, seen).code == 0 && sameDevice(now, seen))
                session = elsewhere;
        }
    } else if (rebootNeeded || moved || unknown) {
        if (!waitUntilBack(client, endpoint, session, newUrl, rebootNeeded, changedAt)) {
            if (stopping_)
                return VEXA_ERR_NOT_STARTED;
            VEXA_LOG(LogError, "ONVIF: %s did not answer at %s in time", endpoint.c_str(), newUrl.c_str());
            return rebootNeeded || moved ? VEXA_ERR_NOT_BACK : VEXA_ERR_OUTCOME_UNKNOWN;
        }
        // Whoever answers there must be this device before it is sent a token: another host may have taken the
        // address while it restarted.
        Session there = session;
        there.auth = Auth::None;
        DeviceDetails seen;
        const CallResult identity = readIdentity(client, there, &login, seen);
        if (identity.code != 0 || !sameDevice(now, seen)) {
            detail = identity.code != 0 ? "the device at " + session.url + " did not tell its serial number and MAC"
                                        : "another device answers at " + session.url + " (serial number " +
                                              seen.serial.substr(0, 48) + ", MAC " + canonicalMac(seen.mac) + ")";
            VEXA_LOG(LogError, "ONVIF: %s: %s", endpoint.c_str(), detail.c_str());
            return VEXA_ERR_NOT_BACK;
        }
        session.digestChallenge = there.digestChallenge;
        session.digestCount = there.digestCount;
        session.noToken = session.noToken || !there.digestChallenge.empty();
    }

    // Read back: what it has now is what we report, whatever it answered.
    DeviceDetails after;
    const CallResult back = client.readDetails(session, &login, after);
    if (back.code != 0) {
        detail = back.detail;
        return VEXA_ERR_OUTCOME_UNKNOWN;
    }
    const bool applied =
        (!wantName || after.name.substr(0, sizeof p.deviceName) == newName) &&
        (!p.httpPort || !wantProtocols || after.httpPort == p.httpPort) &&
        (!p.rtspPort || !wantProtocols || after.rtspPort == p.rtspPort) && (!wantGateway || after.gateway == gateway) &&
        (!wantInterface || (after.dhcp == dhcp && (dhcp || (after.ipv4 == address && after.prefixLength == prefix))));
    VEXA_DEVICE_INFO event;
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = devices_.find(endpoint);
        if (it != devices_.end()) {
            it->second.session = session;
            it->second.details = after;
            it->second.state = after.missing ? VEXA_DETAILS_PARTIAL : VEXA_DETAILS_READ;
            ++it->second.generation;
            fillOnvifInfo(it->second, VEXA_EVENT_CHANGED, event);
            known = true;
        }
    }
    if (known)
        report_(event);
    unknown = unknown || (touched & after.missing) != 0; // only what we wrote decides, when it can be read
    if (applied) {
        if (failure)
            VEXA_LOG(LogInfo, "ONVIF: %s answered error %u but reads back the change", endpoint.c_str(), failure);
        detail.clear();
        return 0;
    }
    return failure ? failure : unknown ? VEXA_ERR_OUTCOME_UNKNOWN : VEXA_ERR_NOT_APPLIED;
}

} // namespace vexa::onvif
