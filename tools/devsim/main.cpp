// vexa-devsim: plays a fleet of devices on the discovery protocol. See docs/protocol.md.

#include "Fleet.h"
#include "SecureSimulator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: vexa-devsim [--count N] [--seed S] [--devices FILE] [--state FILE] [--dump FILE]\n"
                 "                   [--loss P] [--dup P] [--delay MS] [--reply-delay MIN:MAX]\n"
                 "                   [--change-count K] [--no-boot-announce] [--apply-delay MS] [--fast-hash]\n"
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
    devsim::SimOptions options;
    devsim::SecureOptions secure;
    secure.initialPassword = "Install-2024";
    long count = 10;
    long seed = 1;
    std::string devicesPath;
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
        if (parseLong(lock, ms, 1, 86400000))
            secure.lockBaseMs = ms;
    }
    if (const char* cheap = std::getenv("VEXA_SIM_CHEAP_HASH"); cheap && std::strcmp(cheap, "1") == 0)
        secure.cheapHashes = true;
    std::string error;
    if (!vexa::proto::transportConfigFromEnvironment(options.transport, error)) {
        std::fprintf(stderr, "vexa-devsim: %s\n", error.c_str());
        return 2;
    }
    options.transport.receiveBuffer = 4 * 1024 * 1024;

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
    }

    devsim::provisionFleet(fleet, secure);
    devsim::SecureSimulator simulator(options, secure, std::move(fleet));
    if (!simulator.open(error)) {
        std::fprintf(stderr, "vexa-devsim: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "vexa-devsim: playing %zu devices on port %u\n", simulator.fleet().size(),
                 options.transport.port);
    simulator.run();
    return 0;
}
