// vexa-devsim: plays a fleet of devices on the discovery protocol. See docs/protocol.md.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

#include "Fleet.h"
#include "OnvifFleet.h"
#include "RecordedDevice.h"
#include "SecureSimulator.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: vexa-devsim [--count N] [--seed S] [--devices FILE] [--state FILE] [--dump FILE]\n"
                 "                   [--loss P] [--dup P] [--delay MS] [--reply-delay MIN:MAX]\n"
                 "                   [--change-count K] [--no-boot-announce] [--apply-delay MS] [--fast-hash]\n"
                 "                   [--stats FILE] [--onvif N] [--onvif-base A] [--onvif-http-port P]\n"
                 "                   [--wsd-port P] [--onvif-user U] [--onvif-password P] [--onvif-clock-offset S]\n"
                 "                   [--onvif-reboot-delay MS] [--onvif-delay MS] [--onvif-quirks LIST]\n"
                 "  --count N           devices to play (default 10), generated from --seed (default 1)\n"
                 "  --devices FILE      play the devices listed in FILE instead (the --dump format)\n"
                 "  --state FILE        device state, saved atomically after every change; loaded if present\n"
                 "  --dump FILE         the fleet as announced, written when ready and after every change\n"
                 "  --loss P, --dup P   drop / duplicate this share of datagrams (0 to 1)\n"
                 "  --delay MS          extra delay on every datagram sent\n"
                 "  --reply-delay A:B   an answer to an inquiry waits a random time in [A, B] ms (20:500)\n"
                 "  --change-count K    devices changed on every SIGUSR1 (default 1)\n"
                 "  --initial-password P  password of the activated devices of a generated fleet (Install-2024)\n"
                 "  --apply-delay MS    a device takes this long to apply an activation, network change, reset or\n"
                 "                      restore before it answers (0); other devices keep answering meanwhile\n"
                 "  --fast-hash         FOR BENCHMARKS ONLY: the cheapest password hash instead of the device cost\n"
                 "  --stats FILE        on SIGTERM, write the inquiries heard and the answers sent (JSON)\n"
                 "  --onvif N           also play N ONVIF devices (0); --count 0 leaves only them\n"
                 "  --onvif-base A      address of the first ONVIF device, the others follow (127.100.0.1); any\n"
                 "                      local address\n"
                 "  --bind-base A       our devices at A, A+1, ... (generated fleets; default 127.x addresses)\n"
                 "  --onvif-http-port P HTTP port of their device service (8080)\n"
                 "  --wsd-port P        WS-Discovery port (3702)\n"
                 "  --onvif-user U, --onvif-password P  their account (admin / Camera-2024)\n"
                 "  --onvif-clock-offset S[,S...]  their clocks run S seconds ahead (negative: behind); a list:\n"
                 "                      one per device in turn\n"
                 "  --onvif-lock-after N  wrong sign-ins in a row that lock a device out (5; VEXA_SIM_LOCK_MS)\n"
                 "  --onvif-reboot-delay MS  silent this long after SystemReboot (2000)\n"
                 "  --onvif-delay MS    every ONVIF HTTP answer waits this long (0)\n"
                 "  --onvif-quirks LIST prefixes,soap11,xaddrs,fault-applied,no-anonymous,digest-only,\n"
                 "                      digest-sha256,no-interfaces,partial-interfaces,only-transmitter,\n"
                 "                      only-device,local-as-utc,bom,undeclared,plain-content-type,\n"
                 "                      no-addressing,close,other-auth-code,no-timezone,keeps-password,\n"
                 "                      fault=OPERATION (repeatable)\n"
                 "  --onvif-recorded DIR also play one device answering with the texts recorded in DIR\n"
                 "                      (tests/data/onvif-recorded), after the ONVIF devices' addresses\n"
                 "  --onvif-twins K     the first K ONVIF devices are also the first K of ours (same serial and MAC)\n"
                 "  The ONVIF devices' state is kept in FILE.onvif beside --state and --dump; --loss, --dup,\n"
                 "  --delay and --reply-delay apply to their WS-Discovery datagrams too.\n"
                 "SIGUSR1 changes devices, SIGTERM says Bye for every device and exits.\n"
                 "Environment: VEXA_IFACE, VEXA_PORT, VEXA_SIM_ANNOUNCE_MS (announce period, 30000),\n"
                 "VEXA_SIM_LOCK_MS (first lock-out, 60000), VEXA_SIM_CHEAP_HASH=1 (TEST ONLY cheap Argon2id).\n"
                 "Devices carry certificates of the TEST ONLY manufacturer key of vexa-keytool.\n");
}

bool parseDouble(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return *end == '\0' && out >= 0.0 && out <= 1.0;
}

bool parseLong(const char* text, long& out, long min, long max) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return *text && *end == '\0' && out >= min && out <= max;
}

} // namespace

int main(int argc, char** argv) {
    // A state file over the size limit must fail the save (and the change), not end the whole fleet.
    std::signal(SIGXFSZ, SIG_IGN);
    devsim::SimOptions options;
    devsim::SecureOptions secure;
    secure.initialPassword = "Install-2024";
    long count = 10;
    long seed = 1;
    std::string devicesPath;
    long onvifCount = 0;
    long onvifTwins = 0;             // devices that answer on both protocols
    uint32_t onvifBase = 0x7f640001; // 127.100.0.1
    uint32_t bindBase = 0;           // 0: the generated addresses
    long onvifHttpPort = 8080;
    long wsdPort = 3702;
    devsim::onvif::FleetOptions onvif;
    onvif.service.password = "Camera-2024";
    std::string quirks;
    std::vector<long> clockOffsets;
    std::string recordedFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        long number = 0;
        if (arg == "--no-boot-announce") {
            options.bootAnnounce = false;
            continue;
        }
        if (arg == "--fast-hash") {
            secure.cheapHashes = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        }
        if (!value) {
            usage();
            return 2;
        }
        ++i;
        if (arg == "--count")
            ok = parseLong(value, count, 0, 1000000);
        else if (arg == "--seed")
            ok = parseLong(value, seed, 0, 0x7fffffff);
        else if (arg == "--devices")
            devicesPath = value;
        else if (arg == "--initial-password")
            secure.initialPassword = value;
        else if (arg == "--state")
            options.statePath = value;
        else if (arg == "--dump")
            options.dumpPath = value;
        else if (arg == "--stats")
            options.statsPath = value;
        else if (arg == "--loss")
            ok = parseDouble(value, options.loss);
        else if (arg == "--dup")
            ok = parseDouble(value, options.duplicate);
        else if (arg == "--delay") {
            ok = parseLong(value, number, 0, 60000);
            options.delayMs = static_cast<int>(number);
        } else if (arg == "--apply-delay") {
            ok = parseLong(value, number, 0, 600000);
            secure.applyDelayMs = static_cast<int>(number);
        } else if (arg == "--change-count") {
            ok = parseLong(value, number, 1, 1000000);
            options.changeCount = static_cast<uint32_t>(number);
        } else if (arg == "--reply-delay") {
            int a = 0;
            int b = 0;
            char tail = 0;
            ok = std::sscanf(value, "%d:%d%c", &a, &b, &tail) == 2 && a >= 0 && b >= a && b <= 60000;
            options.replyDelayMinMs = a;
            options.replyDelayMaxMs = b;
        } else if (arg == "--onvif") {
            ok = parseLong(value, onvifCount, 0, 65000);
        } else if (arg == "--onvif-base") {
            ok = devsim::onvif::parseAddress(value, onvifBase) && onvifBase != 0;
        } else if (arg == "--bind-base") {
            ok = devsim::onvif::parseAddress(value, bindBase) && bindBase != 0;
        } else if (arg == "--onvif-http-port") {
            ok = parseLong(value, onvifHttpPort, 1, 65535);
        } else if (arg == "--wsd-port") {
            ok = parseLong(value, wsdPort, 1, 65535);
        } else if (arg == "--onvif-user") {
            onvif.service.user = value;
            ok = !onvif.service.user.empty();
        } else if (arg == "--onvif-password") {
            onvif.service.password = value;
        } else if (arg == "--onvif-clock-offset") {
            // One offset for every device, or one per device in turn.
            clockOffsets.clear();
            std::istringstream list(value);
            for (std::string one; ok && std::getline(list, one, ',');) {
                ok = parseLong(one.c_str(), number, -10L * 365 * 86400, 10L * 365 * 86400);
                clockOffsets.push_back(number);
            }
            ok = ok && !clockOffsets.empty();
            onvif.service.clockOffset = ok ? clockOffsets.front() : 0;
        } else if (arg == "--onvif-lock-after") {
            ok = parseLong(value, number, 1, 1000);
            onvif.service.lockAfter = static_cast<unsigned>(number);
        } else if (arg == "--onvif-reboot-delay") {
            ok = parseLong(value, number, 0, 600000);
            onvif.rebootDelayMs = static_cast<int>(number);
        } else if (arg == "--onvif-delay") {
            ok = parseLong(value, number, 0, 60000);
            onvif.requestDelayMs = static_cast<int>(number);
        } else if (arg == "--onvif-quirks") {
            quirks = value;
        } else if (arg == "--onvif-recorded") {
            recordedFolder = value;
        } else if (arg == "--onvif-twins") {
            ok = parseLong(value, onvifTwins, 0, 65000);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "vexa-devsim: bad option %s %s\n", arg.c_str(), value);
            usage();
            return 2;
        }
    }
    if (const char* period = std::getenv("VEXA_SIM_ANNOUNCE_MS"); period && *period) {
        long ms = 0;
        if (parseLong(period, ms, 10, 3600000))
            options.announcePeriodMs = static_cast<int>(ms);
    }
    if (const char* lock = std::getenv("VEXA_SIM_LOCK_MS"); lock && *lock) {
        long ms = 0;
        if (parseLong(lock, ms, 1, 86400000)) {
            secure.lockBaseMs = ms;
            onvif.service.lockMs = ms;
        }
    }
    if (const char* cheap = std::getenv("VEXA_SIM_CHEAP_HASH"); cheap && std::strcmp(cheap, "1") == 0)
        secure.cheapHashes = true;
    std::string error;
    if (!vexa::proto::transportConfigFromEnvironment(options.transport, error)) {
        std::fprintf(stderr, "vexa-devsim: %s\n", error.c_str());
        return 2;
    }
    // Room for the fleet's own answers, which come back through the multicast loop, besides the client's
    // inquiries: 10,000 looped answers take about 13 MiB of socket buffer.
    options.transport.receiveBuffer = 32 * 1024 * 1024;

    std::vector<devsim::SimDevice> fleet;
    std::string text;
    struct stat st {};
    if (!options.statePath.empty() && ::stat(options.statePath.c_str(), &st) == 0) {
        // A restart plays exactly what was saved.
        if (!devsim::readFile(options.statePath, text) || !devsim::parseFleet(text, fleet, error)) {
            std::fprintf(stderr, "vexa-devsim: state file %s: %s\n", options.statePath.c_str(), error.c_str());
            return 1;
        }
    } else if (!devicesPath.empty()) {
        if (!devsim::readFile(devicesPath, text) || !devsim::parseFleet(text, fleet, error)) {
            std::fprintf(stderr, "vexa-devsim: device list %s: %s\n", devicesPath.c_str(),
                         error.empty() ? "cannot read" : error.c_str());
            return 1;
        }
    } else {
        fleet = devsim::generateFleet(static_cast<uint32_t>(count), static_cast<uint64_t>(seed));
        if (bindBase != 0 && static_cast<uint64_t>(bindBase) + static_cast<uint64_t>(count) > 0xe0000000ull) {
            std::fprintf(stderr, "vexa-devsim: %ld devices from %s run past the unicast addresses\n", count,
                         devsim::onvif::formatAddress(bindBase).c_str());
            return 2;
        }
        for (size_t i = 0; bindBase != 0 && i < fleet.size(); ++i) {
            // Each device a host of its own in the base's /24, as on a camera subnet.
            fleet[i].record.ipv4Address = devsim::onvif::formatAddress(bindBase + static_cast<uint32_t>(i));
            fleet[i].record.ipv4SubnetMask = "255.255.255.0";
            fleet[i].record.ipv4Gateway =
                devsim::onvif::formatAddress(((bindBase + static_cast<uint32_t>(i)) & 0xffffff00u) | 0xfe);
        }
    }

    std::unique_ptr<devsim::onvif::OnvifFleet> onvifFleet;
    if (!devsim::onvif::parseQuirks(quirks, onvif.service.quirks, error)) {
        std::fprintf(stderr, "vexa-devsim: %s\n", error.c_str());
        return 2;
    }
    onvif.wsdPort = static_cast<uint16_t>(wsdPort);
    onvif.loss = options.loss;
    onvif.duplicate = options.duplicate;
    onvif.delayMs = options.delayMs;
    onvif.replyDelayMinMs = options.replyDelayMinMs;
    onvif.replyDelayMaxMs = options.replyDelayMaxMs;
    onvif.seed = static_cast<uint64_t>(seed);
    onvif.bootHello = options.bootAnnounce;
    if (!options.statePath.empty())
        onvif.statePath = options.statePath + ".onvif";
    if (!options.dumpPath.empty())
        onvif.dumpPath = options.dumpPath + ".onvif";
    std::vector<devsim::onvif::OnvifDevice> onvifDevices;
    if (!onvif.statePath.empty() && ::stat(onvif.statePath.c_str(), &st) == 0) {
        // A restart plays exactly what was saved, as for our own devices.
        if (!devsim::readFile(onvif.statePath, text) || !devsim::onvif::parseOnvifFleet(text, onvifDevices, error)) {
            std::fprintf(stderr, "vexa-devsim: state file %s: %s\n", onvif.statePath.c_str(), error.c_str());
            return 1;
        }
    } else if (onvifCount > 0) {
        if (static_cast<uint64_t>(onvifBase) + static_cast<uint64_t>(onvifCount) > 0xe0000000ull) {
            std::fprintf(stderr, "vexa-devsim: %ld ONVIF devices from %s run past the unicast addresses\n", onvifCount,
                         devsim::onvif::formatAddress(onvifBase).c_str());
            return 2;
        }
        onvifDevices = devsim::onvif::generateOnvifFleet(static_cast<uint32_t>(onvifCount), static_cast<uint64_t>(seed),
                                                         onvifBase, static_cast<int>(onvifHttpPort));
        for (size_t i = 0; clockOffsets.size() > 1 && i < onvifDevices.size(); ++i) {
            onvifDevices[i].clockSet = true;
            onvifDevices[i].clockOffset = clockOffsets[i % clockOffsets.size()];
        }
        for (size_t i = 0; i < static_cast<size_t>(onvifTwins) && i < onvifDevices.size() && i < fleet.size(); ++i) {
            onvifDevices[i].serial = fleet[i].record.serialNo;
            onvifDevices[i].mac = fleet[i].record.mac;
        }
    }

    devsim::provisionFleet(fleet, secure);
    devsim::SecureSimulator simulator(options, secure, std::move(fleet));
    if (!simulator.open(error)) {
        std::fprintf(stderr, "vexa-devsim: %s\n", error.c_str());
        return 1;
    }
    // After our socket and signal handlers: a SIGTERM that comes once the ONVIF devices answer finds them.
    if (!onvifDevices.empty()) {
        // A device takes a listening socket, an epoll set and a wake-up descriptor, and one per open connection.
        rlimit files{};
        if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
            files.rlim_cur = files.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &files);
        }
        onvifFleet = std::make_unique<devsim::onvif::OnvifFleet>(onvif, std::move(onvifDevices));
        if (!onvifFleet->start(error)) {
            std::fprintf(stderr, "vexa-devsim: %s\n", error.c_str());
            return 1;
        }
        std::fprintf(stderr, "vexa-devsim: playing %zu ONVIF devices, WS-Discovery on port %u\n", onvifFleet->size(),
                     static_cast<unsigned>(onvif.wsdPort));
    }
    // One device of another make, answering with its recorded texts at the first ONVIF address.
    std::unique_ptr<devsim::onvif::RecordedDevice> recorded;
    if (!recordedFolder.empty()) {
        const std::string address = devsim::onvif::formatAddress(onvifBase + static_cast<uint32_t>(onvifCount));
        recorded = std::make_unique<devsim::onvif::RecordedDevice>(recordedFolder, address,
                                                                   static_cast<uint16_t>(onvifHttpPort));
        if (!recorded->start(error) ||
            !recorded->hello("urn:uuid:recorded-" + address, static_cast<uint16_t>(wsdPort), "Recorded")) {
            std::fprintf(stderr, "vexa-devsim: %s\n",
                         error.empty() ? "cannot announce the recorded device" : error.c_str());
            return 1;
        }
        std::fprintf(stderr, "vexa-devsim: playing the recorded device %s at %s\n", recordedFolder.c_str(),
                     recorded->serviceUrl().c_str());
    }
    std::fprintf(stderr, "vexa-devsim: playing %zu devices on port %u\n", simulator.fleet().size(),
                 options.transport.port);
    simulator.run();
    if (onvifFleet)
        onvifFleet->stop(); // their Bye after ours
    return 0;
}
