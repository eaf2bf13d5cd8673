// The simulated ONVIF devices on loopback, through a real HTTP client (libcurl) and real datagrams: Hello,
// Probe and Bye, Digest, RebootNeeded followed to the new address, the saved state, the per-request delay and
// datagram loss.

#include <arpa/inet.h>
#include <chrono>
#include <curl/curl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "DevsimProcess.h"
#include "OnvifSoap.h"

using namespace std::chrono_literals;
using namespace onviftest;

namespace {

const char* const kPassword = "Camera-2024";
const uint16_t kWsdPort = static_cast<uint16_t>(testutil::testPort(1));
const int kHttpPort = testutil::testPort(2);

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Http {
    long status = 0;
    std::string body;
    std::string headers;
};

size_t append(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// One SOAP POST; with user set, HTTP Digest as libcurl does it (401 challenge, then the answer).
Http post(const std::string& url, const std::string& body, const char* user = nullptr, const char* password = nullptr) {
    Http r;
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/soap+xml; charset=utf-8");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &r.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &append);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &r.headers);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    if (user) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_DIGEST);
        curl_easy_setopt(curl, CURLOPT_USERNAME, user);
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password);
    }
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return r;
}

std::string url(const std::string& address, int port = kHttpPort) {
    return "http://" + address + ":" + std::to_string(port) + "/onvif/device_service";
}

std::string token() {
    return usernameToken("admin", kPassword, std::time(nullptr));
}

// A WS-Discovery client socket: hears the group (Hello, Bye) and its own unicast answers.
class Wsd {
public:
    Wsd() {
        group_ = socket(AF_INET, SOCK_DGRAM, 0);
        own_ = socket(AF_INET, SOCK_DGRAM, 0);
        int on = 1;
        setsockopt(group_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(kWsdPort);
        inet_pton(AF_INET, "239.255.255.250", &a.sin_addr);
        bind(group_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ip_mreq join{};
        join.imr_multiaddr = a.sin_addr;
        join.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
        setsockopt(group_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join);
        sockaddr_in me{};
        me.sin_family = AF_INET;
        me.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(own_, reinterpret_cast<sockaddr*>(&me), sizeof me);
        setsockopt(own_, IPPROTO_IP, IP_MULTICAST_IF, &me.sin_addr, sizeof me.sin_addr);
    }
    ~Wsd() {
        close(group_);
        close(own_);
    }

    void probe(const std::string& messageId) {
        const std::string m =
            "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
            "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
            "xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" "
            "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\"><s:Header><a:MessageID>" +
            messageId +
            "</a:MessageID><a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
            "<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action></s:Header><s:Body>"
            "<d:Probe><d:Types>dn:NetworkVideoTransmitter</d:Types></d:Probe></s:Body></s:Envelope>";
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kWsdPort);
        inet_pton(AF_INET, "239.255.255.250", &to.sin_addr);
        sendto(own_, m.data(), m.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }

    struct Message {
        std::string body;
        std::string from;
    };
    // Messages whose Action ends in action, on the group or to this client, until count arrived or timeout.
    std::vector<Message> collect(const std::string& action, size_t count, std::chrono::milliseconds timeout) {
        std::vector<Message> out;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
            for (int fd : {group_, own_}) {
                char buffer[65536];
                sockaddr_in from{};
                socklen_t size = sizeof from;
                const ssize_t n =
                    recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &size);
                if (n <= 0)
                    continue;
                const std::string body(buffer, static_cast<size_t>(n));
                const std::string a = text(body, "Action");
                if (a.size() >= action.size() && a.compare(a.size() - action.size(), action.size(), action) == 0) {
                    char address[INET_ADDRSTRLEN];
                    inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
                    out.push_back({body, address});
                }
            }
            std::this_thread::sleep_for(2ms);
        }
        return out;
    }

private:
    int group_ = -1;
    int own_ = -1;
};

std::vector<std::string> simArgs(const std::string& base, int count, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--count",           "0",
                                     "--onvif",           std::to_string(count),
                                     "--onvif-base",      base,
                                     "--wsd-port",        std::to_string(kWsdPort),
                                     "--onvif-http-port", std::to_string(kHttpPort),
                                     "--reply-delay",     "0:40"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

bool serving(const std::string& address) {
    return post(url(address), envelope("<tds:GetSystemDateAndTime/>")).status == 200;
}

} // namespace

TEST(OnvifLoopback, HelloProbeMatchesAndBye) {
    Wsd wsd;
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim(simArgs("127.43.1.1", 3)));
    const auto hellos = wsd.collect("/Hello", 3, 5s);
    ASSERT_EQ(hellos.size(), 3u);
    std::set<std::string> endpoints;
    for (const auto& h : hellos) {
        endpoints.insert(text(h.body, "Address"));
        EXPECT_EQ(text(h.body, "XAddrs"), url(h.from)) << "a device speaks from its own address";
    }
    EXPECT_EQ(endpoints.size(), 3u);

    wsd.probe("urn:uuid:5e1f0000-0000-4000-8000-000000000001");
    const auto matches = wsd.collect("/ProbeMatches", 3, 3s);
    ASSERT_EQ(matches.size(), 3u);
    for (const auto& m : matches) {
        EXPECT_EQ(text(m.body, "RelatesTo"), "urn:uuid:5e1f0000-0000-4000-8000-000000000001");
        EXPECT_TRUE(endpoints.count(text(m.body, "Address")));
    }
    // The same Probe again (a repeat of the datagram) is answered once.
    wsd.probe("urn:uuid:5e1f0000-0000-4000-8000-000000000001");
    EXPECT_TRUE(wsd.collect("/ProbeMatches", 1, 400ms).empty());

    sim.signal(SIGTERM);
    EXPECT_EQ(wsd.collect("/Bye", 3, 3s).size(), 3u);
    EXPECT_EQ(sim.wait(), 0);
}

TEST(OnvifLoopback, DigestAndUsernameTokenOverHttp) {
    testutil::TempDir dir;
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim(simArgs("127.43.2.1", 2, {"--state", dir.file("state")})));
    ASSERT_TRUE(testutil::waitFor([] { return serving("127.43.2.2"); }, 5s));
    const Http info = post(url("127.43.2.2"), envelope("<tds:GetDeviceInformation/>"));
    EXPECT_EQ(info.status, 200);
    EXPECT_FALSE(text(info.body, "SerialNumber").empty());

    const std::string setGateway = envelope(
        "<tds:SetNetworkDefaultGateway><tds:IPv4Address>127.43.2.200</tds:IPv4Address></tds:SetNetworkDefaultGateway>");
    const Http anonymous = post(url("127.43.2.2"), setGateway);
    EXPECT_EQ(anonymous.status, 401);
    EXPECT_NE(anonymous.headers.find("WWW-Authenticate: Digest"), std::string::npos) << anonymous.headers;
    EXPECT_EQ(post(url("127.43.2.2"), setGateway, "admin", "wrong").status, 401);
    EXPECT_EQ(readAll(dir.file("state.onvif")).find("gateway=127.43.2.200"), std::string::npos);

    EXPECT_EQ(post(url("127.43.2.2"), setGateway, "admin", kPassword).status, 200);
    EXPECT_TRUE(testutil::waitFor(
        [&] { return readAll(dir.file("state.onvif")).find("gateway=127.43.2.200") != std::string::npos; }, 2s));
    const std::string tokenGateway = envelope(
        "<tds:SetNetworkDefaultGateway><tds:IPv4Address>127.43.2.201</tds:IPv4Address></tds:SetNetworkDefaultGateway>",
        token());
    EXPECT_EQ(post(url("127.43.2.1"), tokenGateway).status, 200);
    EXPECT_EQ(text(post(url("127.43.2.1"), envelope("<tds:GetNetworkDefaultGateway/>")).body, "IPv4Address"),
              "127.43.2.201");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST(OnvifLoopback, RebootNeededComesBackAtTheNewAddressAndStaysThere) {
    testutil::TempDir dir;
    Wsd wsd;
    {
        testutil::Process sim;
        ASSERT_TRUE(
            sim.startDevsim(simArgs("127.43.3.1", 1, {"--state", dir.file("state"), "--onvif-reboot-delay", "1000"})));
        ASSERT_EQ(wsd.collect("/Hello", 1, 5s).size(), 1u);
        const Http set = post(url("127.43.3.1"),
                              envelope("<tds:SetNetworkInterfaces><tds:InterfaceToken>eth0</tds:InterfaceToken>"
                                       "<tds:NetworkInterface><tt:IPv4><tt:Manual><tt:Address>127.43.3.50</tt:Address>"
                                       "<tt:PrefixLength>24</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP>"
                                       "</tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>",
                                       token()));
        ASSERT_EQ(set.status, 200) << set.body;
        EXPECT_EQ(text(set.body, "RebootNeeded"), "true");
        EXPECT_TRUE(serving("127.43.3.1")) << "the new address waits for the reboot";
        const auto rebootAt = std::chrono::steady_clock::now();
        EXPECT_EQ(post(url("127.43.3.1"), envelope("<tds:SystemReboot/>", token())).status, 200);
        EXPECT_EQ(wsd.collect("/Bye", 1, 2s).size(), 1u);
        EXPECT_FALSE(serving("127.43.3.1"));
        EXPECT_FALSE(serving("127.43.3.50"));
        const auto hello = wsd.collect("/Hello", 1, 5s);
        ASSERT_EQ(hello.size(), 1u);
        EXPECT_GE(std::chrono::steady_clock::now() - rebootAt, 1000ms);
        EXPECT_EQ(hello[0].from, "127.43.3.50");
        EXPECT_EQ(text(hello[0].body, "MetadataVersion"), "2");
        EXPECT_TRUE(serving("127.43.3.50"));
        EXPECT_FALSE(serving("127.43.3.1"));
        EXPECT_NE(readAll(dir.file("state.onvif")).find("ipv4=127.43.3.50\t"), std::string::npos);
        sim.signal(SIGTERM);
        EXPECT_EQ(sim.wait(), 0);
    }
    testutil::Process again;
    ASSERT_TRUE(again.startDevsim(simArgs("127.43.3.1", 1, {"--state", dir.file("state")})));
    EXPECT_TRUE(testutil::waitFor([] { return serving("127.43.3.50"); }, 5s));
    again.signal(SIGTERM);
    EXPECT_EQ(again.wait(), 0);
}

TEST(OnvifLoopback, RequestDelayHoldsEachAnswerNotTheFleet) {
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim(simArgs("127.43.4.1", 8, {"--onvif-delay", "300"})));
    ASSERT_TRUE(testutil::waitFor([] { return serving("127.43.4.1"); }, 5s));
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    std::vector<long> status(8);
    for (int i = 0; i < 8; ++i)
        clients.emplace_back([i, &status] {
            status[static_cast<size_t>(i)] =
                post(url("127.43.4." + std::to_string(i + 1)), envelope("<tds:GetSystemDateAndTime/>")).status;
        });
    for (auto& t : clients)
        t.join();
    const auto took = std::chrono::steady_clock::now() - start;
    for (long s : status)
        EXPECT_EQ(s, 200);
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 1500ms) << "answers were held one after another";
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST(OnvifLoopback, LossAppliesToDiscovery) {
    Wsd wsd;
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim(simArgs("127.43.5.1", 4, {"--loss", "1"})));
    ASSERT_TRUE(testutil::waitFor([] { return serving("127.43.5.1"); }, 5s));
    wsd.probe("urn:uuid:5e1f0000-0000-4000-8000-000000000005");
    EXPECT_TRUE(wsd.collect("/Hello", 1, 700ms).empty());
    EXPECT_TRUE(wsd.collect("/ProbeMatches", 1, 300ms).empty());
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST(OnvifLoopback, NoBootAnnounceLeavesDevicesToProbes) {
    Wsd wsd;
    testutil::Process sim;
    ASSERT_TRUE(sim.startDevsim(simArgs("127.43.6.1", 2, {"--no-boot-announce"})));
    ASSERT_TRUE(testutil::waitFor([] { return serving("127.43.6.2"); }, 5s));
    EXPECT_TRUE(wsd.collect("/Hello", 1, 600ms).empty());
    wsd.probe("urn:uuid:5e1f0000-0000-4000-8000-000000000006");
    EXPECT_EQ(wsd.collect("/ProbeMatches", 2, 3s).size(), 2u);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
