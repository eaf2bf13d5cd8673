#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

#include "AddressAsk.h"
#include "Commands.h"
#include "SafeText.h"
#include "deployment/FieldText.h"
#include "deployment/PlanValidator.h"
#include "vexa.h"

namespace cli {

namespace {

using VexaTool::plan::fieldText;

using Clock = std::chrono::steady_clock;

// The operations need the device heard first: its record (and certificate) comes from discovery. Every device the
// name fits is kept: two ONVIF devices with one serial number are refused, not picked from.
struct Target {
    std::string serialOrMac;
    std::mutex mutex;
    std::condition_variable found;
    std::map<std::string, VEXA_DEVICE_INFO> matches; // by deviceKey
    std::map<std::string, bool> byClaim;             // matched by serial number or MAC, which a device may share
    VEXA_DEVICE_INFO info{};
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* target = static_cast<Target*>(user);
    const std::string key = deviceKey(*info);
    const std::string serial = fieldText(info->serialNo);
    const std::string mac = fieldText(info->mac);
    // An ONVIF device may also be named by its address or endpoint reference.
    const std::string address = fieldText(info->ipv4Address);
    const std::string endpoint = fieldText(info->endpointReference);
    const bool direct =
        can(*info, VEXA_KNOWN_BY_ENDPOINT) && (address == target->serialOrMac || endpoint == target->serialOrMac);
    const bool named = direct || serial == target->serialOrMac || mac == target->serialOrMac;
    std::lock_guard<std::mutex> lock(target->mutex);
    if (info->eventType == VEXA_EVENT_GONE || !named) {
        // A device that moved away from the name, or left, no longer answers to it.
        if (target->matches.erase(key))
            target->found.notify_all();
        return;
    }
    const auto it = target->matches.find(key);
    // The newest record wins (the library lists nothing older than it has seen, but reports what came first).
    if (it != target->matches.end() && can(*info, VEXA_VERSIONS_RECORD) &&
        info->recordVersion < it->second.recordVersion)
        return;
    target->matches[key] = *info;
    target->byClaim[key] = !direct;
    target->found.notify_all();
}

// What the name looks like: an address, a MAC or an endpoint reference names one ONVIF device before it is read;
// a serial number is known only once every device is read.
bool namesOneDevice(const std::string& name) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(name.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &tail) == 4)
        return true;
    if (name.size() == 17 && std::count(name.begin(), name.end(), '-') + std::count(name.begin(), name.end(), ':') == 5)
        return true;
    return name.find(':') != std::string::npos; // urn:uuid:..., http://...
}

// Whether a match is ready to act on: ours once heard; an ONVIF device named by its address or reference once it
// said whether it needs a login (first) or once read (after the login); one named by a claim only at the end.
bool ready(const Target& t, bool first) {
    for (const auto& [key, info] : t.matches) {
        if (!can(info, VEXA_DETAILS_READ_LATER))
            return true;
        if (first ? !t.byClaim.at(key) && info.detailsState != VEXA_DETAILS_PENDING : detailsRead(info))
            return true;
    }
    return false;
}

size_t onvifMatches(const Target& t, VEXA_DEVICE_INFO* one) {
    size_t n = 0;
    for (const auto& [key, info] : t.matches)
        if (can(info, VEXA_KNOWN_BY_ENDPOINT)) {
            if (one && n == 0)
                *one = info;
            ++n;
        }
    return n;
}

// Through a volatile pointer, so the compiler cannot drop the stores as dead.
void wipe(char* data, size_t size) {
    volatile char* p = data;
    for (size_t i = 0; i < size; ++i)
        p[i] = 0;
}

void copyField(char* field, size_t width, const std::string& value) {
    std::memset(field, 0, width);
    std::memcpy(field, value.data(), std::min(width, value.size()));
}

VEXA_NET_PARAM netParams(const VEXA_DEVICE_INFO& d, std::map<std::string, std::string>& options) {
    VEXA_NET_PARAM p{};
    auto text = [&](const char* option, char* field, size_t width, const char* current, size_t currentWidth) {
        copyField(field, width, options.count(option) ? options[option] : fieldText(current, currentWidth));
    };
    text("--ipv4", p.ipv4Address, sizeof p.ipv4Address, d.ipv4Address, sizeof d.ipv4Address);
    text("--mask", p.ipv4SubnetMask, sizeof p.ipv4SubnetMask, d.ipv4SubnetMask, sizeof d.ipv4SubnetMask);
    text("--gateway", p.ipv4Gateway, sizeof p.ipv4Gateway, d.ipv4Gateway, sizeof d.ipv4Gateway);
    text("--ipv6", p.ipv6Address, sizeof p.ipv6Address, d.ipv6Address, sizeof d.ipv6Address);
    text("--ipv6-gateway", p.ipv6Gateway, sizeof p.ipv6Gateway, d.ipv6Gateway, sizeof d.ipv6Gateway);
    text("--name", p.deviceName, sizeof p.deviceName, d.deviceName, sizeof d.deviceName);
    auto number = [&](const char* option, long current) {
        return options.count(option) ? std::strtol(options[option].c_str(), nullptr, 10) : current;
    };
    p.port = static_cast<uint16_t>(number("--port", d.port));
    p.ipv6PrefixLength = static_cast<uint8_t>(number("--prefix", d.ipv6PrefixLength));
    p.dhcpEnabled = static_cast<uint8_t>(number("--dhcp", d.dhcpEnabled));
    p.httpPort = static_cast<uint16_t>(number("--http-port", d.httpPort));
    p.rtspPort = static_cast<uint16_t>(number("--rtsp-port", d.rtspPort));
    p.recordVersion = d.recordVersion;
    return p;
}

int report(int ok, const char* what) {
    if (ok) {
        std::printf("%s: ok\n", what);
        return 0;
    }
    const uint32_t code = VEXA_GetLastError();
    std::fprintf(stderr, "vexa: %s failed: %s (error %u)\n", what, errorSentence(code), code);
    printErrorDetail();
    return 1;
}

} // namespace

const char* operationsUsage() {
    return "       vexa activate SERIAL                 (password: VEXA_PASSWORD or the first line of stdin)\n"
           "       vexa set-network MAC [--ipv4 A] [--mask M] [--gateway G] [--ipv6 A] [--ipv6-gateway G]\n"
           "                            [--prefix N] [--dhcp 0|1] [--port N] [--http-port N] [--rtsp-port N]\n"
           "                            [--name TEXT]     (admin password as for activate; other fields kept)\n"
           "                            [--no-address-check] (else a new address is asked first and refused\n"
           "                            when anything answers there)\n"
           "       vexa key-request SERIAL [--qr] [--out FILE]\n"
           "       vexa reset SERIAL (--key KEY | --key-file FILE) [--reset-ipc]   (new password as above)\n"
           "       vexa restore SERIAL [CODE]          (new admin password as above; no CODE: VEXA_SECURITY_CODE or\n"
           "                                            the next line of stdin)\n"
           "Options for all: --seconds S (time to hear the device first, default 3)\n"
           "                 --user NAME (ONVIF devices: the user; the password as above, up to 64 bytes)\n"
           "                 --accept-new-certificate (ONVIF over HTTPS: pin the certificate the device shows now)\n"
           "ONVIF devices are named by address, MAC, endpoint reference or serial number. The login goes only to the\n"
           "device named by address, MAC or endpoint reference; a serial number is known only once a device is read,\n"
           "so naming one that needs a login sends the login to every ONVIF device that answers.\n";
}

int operation(const std::string& command, const std::vector<std::string>& argsGiven) {
    std::vector<std::string> argsIn = argsGiven;
    const bool askAddress = !takeNoAddressCheck(argsIn);
    static const char* known[] = {"activate", "set-network", "key-request", "reset", "restore"};
    if (std::find(std::begin(known), std::end(known), command) == std::end(known) || argsIn.empty())
        return -1;
    Target target;
    target.serialOrMac = argsIn[0];
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    double seconds = 3.0;
    for (size_t i = 1; i < argsIn.size(); ++i) {
        const std::string& a = argsIn[i];
        if (a == "--qr" || a == "--reset-ipc" || a == "--accept-new-certificate") {
            options[a] = "1";
        } else if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argsIn.size())
                return -1;
            options[a] = argsIn[++i];
        } else {
            positional.push_back(a);
        }
    }
    if (options.count("--seconds") && !parseSeconds(options["--seconds"], seconds))
        return 1;
    // Read (and check) the secret before anything goes on the network.
    std::string password;
    if (command == "activate" || command == "set-network" || command == "reset" || command == "restore")
        password = readSecretFrom("VEXA_PASSWORD");
    // A security code given on the command line is visible to every local user; it may come as a secret too.
    if (command == "restore" && positional.empty())
        positional.push_back(readSecretFrom("VEXA_SECURITY_CODE"));
    // Ports and the prefix length are checked here: narrowing 70000 to 16 bits would configure another port.
    for (const auto& [option, limit] : {std::pair<const char*, long>{"--port", 65535},
                                        {"--http-port", 65535},
                                        {"--rtsp-port", 65535},
                                        {"--prefix", 128},
                                        {"--dhcp", 1}}) {
        if (!options.count(option))
            continue;
        char* end = nullptr;
        const long value = std::strtol(options[option].c_str(), &end, 10);
        if (options[option].empty() || *end != '\0' || value < 0 || value > limit) {
            std::fprintf(stderr, "vexa: %s takes a number from 0 to %ld\n", option, limit);
            return 1;
        }
    }
    // A text that does not fit its field is refused whole, as the plan reader refuses it: a cut name would end
    // inside a character and the device would keep a name nobody typed.
    for (const auto& [option, width] : {std::pair<const char*, size_t>{"--name", sizeof(VEXA_NET_PARAM::deviceName)},
                                        {"--ipv4", sizeof(VEXA_NET_PARAM::ipv4Address)},
                                        {"--mask", sizeof(VEXA_NET_PARAM::ipv4SubnetMask)},
                                        {"--gateway", sizeof(VEXA_NET_PARAM::ipv4Gateway)},
                                        {"--ipv6", sizeof(VEXA_NET_PARAM::ipv6Address)},
                                        {"--ipv6-gateway", sizeof(VEXA_NET_PARAM::ipv6Gateway)}}) {
        if (options.count(option) && (options[option].size() > width || !VexaTool::plan::validUtf8(options[option]))) {
            std::fprintf(stderr,
                         "vexa: %s takes at most %zu bytes of UTF-8 (a character outside ASCII takes more "
                         "than one)\n",
                         option, width);
            return 1;
        }
    }
    // Our devices keep 16 bytes of a password (the reset record has no room for more): a longer one is refused, as
    // the program refuses it, rather than cut into another password or counted as a wrong one. An ONVIF login
    // (set-network with --user) may have up to 64.
    const size_t ownLimit = sizeof(VEXA_RESET_PARAM::newPassword);
    const size_t limit = command == "set-network" && options.count("--user") ? 64 : ownLimit;
    if (password.size() > limit) {
        std::fprintf(stderr, "vexa: the %spassword is longer than %zu bytes\n", command == "reset" ? "new " : "",
                     limit);
        return 1;
    }
    const std::string user = options.count("--user") ? options["--user"] : std::string();

    // No login yet: it goes to the one device named, once that is found.
    if (!startDiscovery(onDevice, &target, std::string(), std::string()))
        return 1;
    const auto listen = [&](bool first) {
        const auto until = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
        std::unique_lock<std::mutex> lock(target.mutex);
        target.found.wait_until(lock, until, [&] { return ready(target, first); });
    };
    const auto fail = [&](const char* what) {
        VEXA_Stop();
        std::fprintf(stderr, "vexa: device %s %s\n", terminalText(target.serialOrMac).c_str(), what);
        wipe(password.data(), password.size());
        return 1;
    };
    // A serial number or MAC may be claimed by more than one device: the whole time is listened to.
    listen(true);
    VEXA_DEVICE_INFO onvif{};
    size_t onvifCount = 0;
    {
        std::lock_guard<std::mutex> lock(target.mutex);
        onvifCount = onvifMatches(target, &onvif);
    }
    if (onvifCount == 0 && !user.empty() && !namesOneDevice(target.serialOrMac)) {
        std::fprintf(stderr,
                     "vexa: %s is not an address, MAC or endpoint reference: every ONVIF device that "
                     "answers is sent the login to read its serial number\n",
                     terminalText(target.serialOrMac).c_str());
        if (!setOnvifLogin(user, password))
            return fail("not reached: the login could not be set");
        listen(false);
        // Others may claim the same serial number: they are being read too.
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(std::min(seconds, 1.0) * 1000)));
    } else if (onvifCount == 1 && !user.empty()) {
        // The login goes to this one device, and the details it gates are read with it.
        const std::string endpoint = fieldText(onvif.endpointReference);
        if (options.count("--accept-new-certificate"))
            VEXA_AcceptOnvifCertificate(endpoint.c_str());
        const char* one[] = {endpoint.c_str()};
        VEXA_SetOnvifCredentialsFor(one, 1, user.c_str(), password.c_str());
        listen(false);
    }
    std::vector<std::string> addresses;
    bool any = false;
    {
        std::lock_guard<std::mutex> lock(target.mutex);
        any = !target.matches.empty();
        onvifCount = onvifMatches(target, &onvif);
        for (const auto& [key, info] : target.matches)
            if (can(info, VEXA_KNOWN_BY_ENDPOINT))
                addresses.push_back(fieldText(info.ipv4Address) + " (" + fieldText(info.endpointReference) + ")");
        target.info = onvifCount > 0 ? onvif : any ? target.matches.begin()->second : VEXA_DEVICE_INFO{};
    }
    if (!any)
        return fail("not heard");
    if (onvifCount > 1) {
        // The library refuses a serial number two devices claim; so does this, rather than pick one of them.
        VEXA_Stop();
        std::fprintf(stderr, "vexa: %s failed: %s (error %u):", command.c_str(),
                     errorSentence(VEXA_ERR_AMBIGUOUS_DEVICE), VEXA_ERR_AMBIGUOUS_DEVICE);
        for (const std::string& address : addresses)
            std::fprintf(stderr, " %s", terminalText(address).c_str());
        std::fprintf(stderr, "\n");
        wipe(password.data(), password.size());
        return 1;
    }
    if (!can(target.info, VEXA_SIGNS_IN_AS_USER) && password.size() > ownLimit) {
        VEXA_Stop();
        std::fprintf(stderr, "vexa: the password is longer than %zu bytes\n", ownLimit);
        wipe(password.data(), password.size());
        return 1;
    }
    const std::string serial = fieldText(target.info.serialNo);
    int result = 1;
    if (command == "activate") {
        result = report(VEXA_ActivateDevice(serial.c_str(), password.c_str()), "activate");
    } else if (command == "set-network") {
        // Fields not given are the device's own, from the newest record heard, and the change carries that
        // record's version: a device that changed since (or an old announcement heard first) refuses it, and we
        // ask again, build once more from the record it then announces, and try once more.
        uint32_t builtFrom = 0;
        const bool dhcp = options.count("--dhcp") && options["--dhcp"] == "1";
        const std::string refusal = askAddress && !dhcp
                                        ? newAddressRefusal(options.count("--ipv4") ? options["--ipv4"] : "",
                                                            fieldText(target.info.ipv4Address))
                                        : std::string();
        if (!refusal.empty())
            std::fprintf(stderr, "vexa: set-network refused: %s; nothing was sent\n", refusal.c_str());
        for (int attempt = 0; refusal.empty() && attempt < 2; ++attempt) {
            VEXA_DEVICE_INFO d;
            {
                std::lock_guard<std::mutex> lock(target.mutex);
                const auto it = target.matches.find(deviceKey(target.info));
                if (it != target.matches.end())
                    target.info = it->second;
                d = target.info;
            }
            const VEXA_NET_PARAM p = netParams(d, options);
            builtFrom = p.recordVersion;
            // An ONVIF device by its endpoint reference: the one name it always has.
            const std::string name = can(d, VEXA_KNOWN_BY_ENDPOINT) ? fieldText(d.endpointReference) : fieldText(d.mac);
            VEXA_NET_PARAM sent = p;
            const int ok = VEXA_ModifyDeviceNetParam(name.c_str(), password.c_str(), &sent);
            if (ok || VEXA_GetLastError() != VEXA_ERR_DEVICE_CHANGED || attempt == 1) {
                result = report(ok, "set-network");
                break;
            }
            VEXA_SendInquiry();
            std::unique_lock<std::mutex> lock(target.mutex);
            target.found.wait_for(lock, std::chrono::seconds(3), [&] {
                const auto it = target.matches.find(deviceKey(d));
                if (it != target.matches.end())
                    target.info = it->second;
                return target.info.recordVersion > builtFrom;
            });
        }
    } else if (command == "key-request") {
        VEXA_KEY_REQUEST_QR reply{};
        const bool qr = options.count("--qr") > 0;
        const uint32_t size = qr ? sizeof(VEXA_KEY_REQUEST_QR) : sizeof(VEXA_KEY_REQUEST);
        if (VEXA_GetDeviceConfig(serial.c_str(), qr ? VEXA_CMD_KEY_REQUEST_QR : VEXA_CMD_KEY_REQUEST, nullptr, 0,
                                 &reply, size)) {
            const size_t length = std::min<size_t>(reply.dataLength, qr ? 384 : 256);
            const std::string doc(reply.data, length);
            if (options.count("--out")) {
                // A new file of ours only: never through a link or over a file someone left there.
                const int fd =
                    ::open(options["--out"].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                const bool written = fd >= 0 && ::write(fd, doc.data(), doc.size()) == static_cast<ssize_t>(doc.size());
                if (fd >= 0)
                    ::close(fd);
                if (!written)
                    std::fprintf(stderr, "vexa: cannot create %s: %s\n", options["--out"].c_str(),
                                 fd < 0 ? std::strerror(errno) : "write failed");
                result = written ? 0 : 1;
            } else {
                std::printf("%s\n", terminalText(doc).c_str());
                result = 0;
            }
        } else {
            result = report(0, "key-request");
        }
    } else if (command == "reset") {
        VEXA_RESET_PARAM p{};
        if (options.count("--key"))
            copyField(p.key, sizeof p.key - 1, options["--key"]);
        else if (options.count("--key-file"))
            copyField(p.keyFilePath, sizeof p.keyFilePath - 1, options["--key-file"]);
        copyField(p.newPassword, sizeof p.newPassword, password);
        p.resetIpc = options.count("--reset-ipc") ? 1 : 0;
        result = report(VEXA_ResetPasswd(serial.c_str(), &p), "reset");
        wipe(p.newPassword, sizeof p.newPassword);
    } else if (command == "restore") {
        result = report(VEXA_ResetDefaultPasswd(serial.c_str(), positional[0].c_str(), password.c_str()), "restore");
        wipe(positional[0].data(), positional[0].size());
    }
    wipe(password.data(), password.size());
    VEXA_Stop();
    return result;
}

} // namespace cli
