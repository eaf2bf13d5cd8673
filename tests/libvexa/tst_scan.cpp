// The scanner against stand-ins of the test's own at 127.73.x addresses: what counts as a device found, and the
// one reason given for an address that gave none. Also its bounds: in flight, rate and stop.

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sodium.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "Scan.h"
#include "proto/Codec.h"
#include "proto/DeviceRecord.h"

using namespace std::chrono_literals;
using vexa::ScanReason;

namespace {

uint16_t envPort(const char* name, uint16_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<uint16_t>(std::atoi(text)) : fallback;
}

enum class Act { Closed, Silent, Answer, WrongId, Garbage, Elsewhere, SecondTry, OtherAddress };

int udpAt(const std::string& address, uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at), 0) << address << ":" << port;
    return fd;
}

std::string between(const std::string& text, const std::string& open, char close) {
    const size_t at = text.find(open);
    if (at == std::string::npos)
        return {};
    const size_t from = at + open.size();
    return text.substr(from, text.find(close, from) - from);
}

std::string probeMatches(const std::string& relatesTo, const std::string& address) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" xmlns:a=\"urn:a\" xmlns:d=\"urn:d\">"
           "<s:Header><a:MessageID>urn:uuid:stand-in</a:MessageID><a:RelatesTo>" +
           relatesTo +
           "</a:RelatesTo></s:Header><s:Body><d:ProbeMatches><d:ProbeMatch><a:EndpointReference><a:Address>"
           "urn:uuid:scan-" +
           address +
           "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types><d:XAddrs>http://" +
           address +
           "/onvif/device_service</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion></d:ProbeMatch>"
           "</d:ProbeMatches></s:Body></s:Envelope>";
}

// One address's two ports, each acting as told, answering from a thread of the test's own.
class StandIn {
public:
    StandIn(const std::string& address, Act ours, Act onvif, uint16_t port, uint16_t wsdPort)
        : address_(address)
        , ours_(ours)
        , onvif_(onvif) {
        if (ours != Act::Closed)
            oursFd_ = udpAt(address, port);
        if (onvif != Act::Closed)
            wsdFd_ = udpAt(address, wsdPort);
        // Another host's address, for answers that come from elsewhere.
        elsewhereFd_ = udpAt("127.73.1." + address.substr(address.rfind('.') + 1), 0);
        thread_ = std::thread([this] { loop(); });
    }
    ~StandIn() {
        stop_ = true;
        thread_.join();
        for (int fd : {oursFd_, wsdFd_, elsewhereFd_})
            if (fd >= 0)
                ::close(fd);
    }

private:
    void reply(int fd, Act act, const sockaddr_in& to, const std::vector<uint8_t>& right,
               const std::vector<uint8_t>& wrong, int& heard) {
        ++heard;
        const std::vector<uint8_t> garbage{'h', 'e', 'l', 'l', 'o'};
        const std::vector<uint8_t>* datagram = &right;
        int from = fd;
        switch (act) {
        case Act::Closed:
        case Act::Silent:
            return;
        case Act::SecondTry:
            if (heard < 2)
                return;
            break;
        case Act::WrongId:
        case Act::OtherAddress:
            datagram = &wrong;
            break;
        case Act::Garbage:
            datagram = &garbage;
            break;
        case Act::Elsewhere:
            from = elsewhereFd_;
            break;
        case Act::Answer:
            break;
        }
        ::sendto(from, datagram->data(), datagram->size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    void loop() {
        std::vector<uint8_t> buffer(65536);
        int oursHeard = 0;
        int probesHeard = 0;
        while (!stop_) {
            pollfd fds[2] = {{oursFd_, POLLIN, 0}, {wsdFd_, POLLIN, 0}};
            if (::poll(fds, 2, 20) <= 0)
                continue;
            for (int k = 0; k < 2; ++k) {
                sockaddr_in from{};
                socklen_t size = sizeof from;
                const int fd = k == 0 ? oursFd_ : wsdFd_;
                const ssize_t n =
                    fd < 0 ? -1
                           : ::recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
                if (n <= 0)
                    continue;
                if (k == 0) {
                    vexa::proto::Frame frame;
                    ASSERT_EQ(vexa::proto::decodeFrame(buffer.data(), static_cast<size_t>(n), frame),
                              vexa::proto::DecodeError::None);
                    vexa::proto::DeviceRecord record;
                    record.serialNo = "SCAN" + address_.substr(address_.rfind('.') + 1);
                    record.mac = "02-00-00-00-00-01";
                    record.ipv4Address = address_;
                    vexa::proto::RequestId other;
                    randombytes_buf(other.data(), other.size());
                    const std::vector<uint8_t> right = vexa::proto::encodeAnnounce(record, frame.requestId);
                    record.ipv4Address = "127.73.2.1";
                    const std::vector<uint8_t> wrong = ours_ == Act::OtherAddress
                                                           ? vexa::proto::encodeAnnounce(record, frame.requestId)
                                                           : vexa::proto::encodeAnnounce(record, other);
                    reply(fd, ours_, from, right, wrong, oursHeard);
                } else {
                    // Probes come in pairs (two types): a try is the pair.
                    const std::string probe(buffer.begin(), buffer.begin() + n);
                    const std::string id = between(probe, "MessageID>", '<');
                    const std::string right = probeMatches(id, address_);
                    const std::string wrong = probeMatches("urn:uuid:someone-else", address_);
                    int tries = (probesHeard++) / 2;
                    reply(fd, onvif_, from, {right.begin(), right.end()}, {wrong.begin(), wrong.end()}, tries);
                }
            }
        }
    }

    std::string address_;
    Act ours_;
    Act onvif_;
    int oursFd_ = -1;
    int wsdFd_ = -1;
    int elsewhereFd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

vexa::ScanConfig quickConfig() {
    vexa::ScanConfig config;
    config.inquiryPort = envPort("VEXA_PORT", 42086);
    config.wsdPort = envPort("VEXA_WSD_PORT", 3702);
    config.rate = 1000;
    config.answerWait = 300ms;
    config.retries = 1;
    return config;
}

struct Case {
    const char* name;
    Act ours;
    Act onvif;
    ScanReason reason;
    uint8_t protocols; // found, and handed on
};

TEST(Scan, WhatCountsAsFoundAndTheReasonForNothing) {
    const Case cases[] = {
        {"our device answers", Act::Answer, Act::Closed, ScanReason::Found, vexa::kScanFoundOurs},
        {"an ONVIF device answers", Act::Closed, Act::Answer, ScanReason::Found, vexa::kScanFoundOnvif},
        {"a device on both protocols", Act::Answer, Act::Answer, ScanReason::Found,
         vexa::kScanFoundOurs | vexa::kScanFoundOnvif},
        {"the first answers lost", Act::SecondTry, Act::Silent, ScanReason::Found, vexa::kScanFoundOurs},
        {"an announcement under another id", Act::WrongId, Act::Silent, ScanReason::NotCamera, 0},
        {"our answer naming another address", Act::OtherAddress, Act::Silent, ScanReason::NotCamera, 0},
        {"a ProbeMatch for someone else's probe", Act::Silent, Act::WrongId, ScanReason::NotCamera, 0},
        {"something else answers", Act::Garbage, Act::Garbage, ScanReason::NotCamera, 0},
        {"right answers from another address", Act::Elsewhere, Act::Elsewhere, ScanReason::NoAnswer, 0},
        {"listening, silent", Act::Silent, Act::Silent, ScanReason::NoAnswer, 0},
        {"both ports closed", Act::Closed, Act::Closed, ScanReason::PortClosed, 0},
    };
    const vexa::ScanConfig config = quickConfig();
    std::vector<std::unique_ptr<StandIn>> standIns;
    std::string ranges;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string address = "127.73.0." + std::to_string(10 + i);
        standIns.push_back(
            std::make_unique<StandIn>(address, cases[i].ours, cases[i].onvif, config.inquiryPort, config.wsdPort));
        ranges += address + ",";
    }
    std::mutex mutex;
    std::map<std::string, uint8_t> handedOn;
    vexa::Scanner scanner(
        config,
        [&](std::vector<uint8_t> datagram) {
            vexa::proto::Frame frame;
            ASSERT_EQ(vexa::proto::decodeFrame(datagram.data(), datagram.size(), frame),
                      vexa::proto::DecodeError::None);
            std::lock_guard<std::mutex> lock(mutex);
            handedOn[frame.text(vexa::proto::TagIpv4)] |= vexa::kScanFoundOurs;
        },
        [&](vexa::onvif::EndpointInfo info, uint32_t address) {
            std::lock_guard<std::mutex> lock(mutex);
            EXPECT_EQ(info.endpoint, "urn:uuid:scan-" + vexa::formatIpv4(address));
            handedOn[vexa::formatIpv4(address)] |= vexa::kScanFoundOnvif;
        });
    std::vector<vexa::AddressSpan> spans;
    std::string bad;
    ASSERT_EQ(vexa::parseScanRanges(ranges, false, spans, bad), vexa::RangeError::None);
    std::map<std::string, vexa::ScanOutcome> outcomes;
    uint64_t lastDone = 0;
    std::string error;
    ASSERT_TRUE(scanner.run(
        spans,
        [&](const vexa::ScanOutcome& outcome, uint64_t done, uint64_t total) {
            EXPECT_EQ(total, std::size(cases));
            EXPECT_EQ(done, lastDone + 1);
            lastDone = done;
            EXPECT_TRUE(outcomes.emplace(vexa::formatIpv4(outcome.address), outcome).second);
        },
        error))
        << error;
    ASSERT_EQ(outcomes.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        const std::string address = "127.73.0." + std::to_string(10 + i);
        EXPECT_EQ(static_cast<int>(outcomes[address].reason), static_cast<int>(cases[i].reason));
        EXPECT_EQ(outcomes[address].protocols, cases[i].protocols);
        EXPECT_EQ(handedOn.count(address) ? handedOn[address] : 0, cases[i].protocols);
    }
}

TEST(Scan, InFlightRateAndStopHoldWhateverTheRange) {
    vexa::ScanConfig config = quickConfig();
    config.maxInFlight = 16;
    config.rate = 2000;
    config.answerWait = 50ms;
    config.retries = 0;
    std::vector<vexa::AddressSpan> spans;
    std::string bad;
    ASSERT_EQ(vexa::parseScanRanges("127.74.0.0/23", false, spans, bad), vexa::RangeError::None);
    vexa::Scanner scanner(
        config, [](std::vector<uint8_t>) {}, [](vexa::onvif::EndpointInfo, uint32_t) {});
    uint64_t settled = 0;
    const auto began = std::chrono::steady_clock::now();
    std::string error;
    ASSERT_TRUE(scanner.run(
        spans, [&](const vexa::ScanOutcome&, uint64_t done, uint64_t) { settled = done; }, error));
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(settled, 510u);
    EXPECT_LE(scanner.counters().mostInFlight, 16u);
    EXPECT_EQ(scanner.counters().datagramsSent, 3u * 510u);
    // 16 in flight for 50 ms each: at most 320 addresses a second, whatever the rate allows.
    EXPECT_GE(took, 1500ms);

    vexa::Scanner stopped(
        config, [](std::vector<uint8_t>) {}, [](vexa::onvif::EndpointInfo, uint32_t) {});
    settled = 0;
    ASSERT_TRUE(stopped.run(
        spans,
        [&](const vexa::ScanOutcome&, uint64_t done, uint64_t) {
            settled = done;
            if (done == 20)
                stopped.stop();
        },
        error));
    EXPECT_LT(settled, 40u);
}

} // namespace
