// vexa snapshot: the picture an ONVIF device's camera sees, to tell which device is which camera on the ceiling.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Commands.h"
#include "DeviceCollector.h"
#include "SafeText.h"
#include "deployment/FieldText.h"
#include "vexa.h"

namespace cli {

namespace {

using VexaTool::plan::fieldText;

bool names(const VEXA_DEVICE_INFO& d, const std::string& name) {
    return can(d, VEXA_CAN_SNAPSHOT) &&
           (fieldText(d.endpointReference) == name || fieldText(d.ipv4Address) == name ||
            (detailsRead(d) && (fieldText(d.serialNo) == name || fieldText(d.mac) == name)));
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Created exclusively: an existing file is never overwritten, unless replace, and then whole (a new file renamed
// over it), so that a failure leaves the old one as it was.
bool saveFile(const std::string& path, const std::vector<char>& bytes, bool replace, std::string& error) {
    std::string target = path;
    if (replace) {
        target = path + ".XXXXXX";
        const int fd = ::mkstemp(target.data());
        if (fd < 0) {
            error = std::strerror(errno);
            return false;
        }
        ::fchmod(fd, 0644);
        const bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
        if (::close(fd) != 0 || !ok || ::rename(target.c_str(), path.c_str()) != 0) {
            error = std::strerror(errno);
            ::unlink(target.c_str());
            return false;
        }
        return true;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = errno == EEXIST ? "the file exists (--force replaces it)" : std::strerror(errno);
        return false;
    }
    const bool ok = writeAll(fd, bytes.data(), bytes.size());
    if (::close(fd) != 0 || !ok) {
        error = std::strerror(errno);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

} // namespace

int snapshot(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0) {
        std::fprintf(stderr, "usage: vexa snapshot DEVICE --out FILE [--force] [--profile TOKEN] [--user NAME]\n");
        return 2;
    }
    const std::string name = args[0];
    std::string out, user, profile;
    bool force = false;
    double seconds = 3.0;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--force") {
            force = true;
        } else if (args[i] == "--out" && i + 1 < args.size()) {
            out = args[++i];
        } else if (args[i] == "--user" && i + 1 < args.size()) {
            user = args[++i];
        } else if (args[i] == "--profile" && i + 1 < args.size()) {
            profile = args[++i];
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(args[++i], seconds))
                return 2;
        } else {
            std::fprintf(stderr, "vexa snapshot: unknown option %s\n", args[i].c_str());
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "vexa snapshot: --out FILE is needed\n");
        return 2;
    }
    // Refused before anything goes on the network.
    struct stat st {};
    if (!force && ::lstat(out.c_str(), &st) == 0) {
        std::fprintf(stderr, "vexa: %s exists (--force replaces it)\n", terminalText(out).c_str());
        return 1;
    }
    std::string password = user.empty() ? std::string() : readSecretFrom("VEXA_PASSWORD");
    DeviceCollector collector;
    if (!startDiscovery(&DeviceCollector::callback, &collector, std::string(), std::string())) {
        std::fill(password.begin(), password.end(), '\0');
        return 1;
    }
    // The login goes to the one device named, once it is heard and read.
    VEXA_DEVICE_INFO device{};
    const auto found = [&](bool read) {
        std::unique_lock<std::mutex> lock(collector.mutex);
        return collector.changed.wait_for(lock, std::chrono::milliseconds(static_cast<long>(seconds * 1000)), [&] {
            for (const auto& [key, info] : collector.devices)
                if (names(info, name) && (!read || detailsRead(info))) {
                    device = info;
                    return true;
                }
            return false;
        });
    };
    bool heard = found(false);
    if (heard && !user.empty()) {
        const std::string endpoint = fieldText(device.endpointReference);
        const char* one[] = {endpoint.c_str()};
        VEXA_SetOnvifCredentialsFor(one, 1, user.c_str(), password.c_str());
    }
    std::fill(password.begin(), password.end(), '\0');
    heard = heard && found(true);
    if (!heard) {
        VEXA_Stop();
        std::fprintf(stderr, "vexa: no ONVIF device %s heard and read\n", terminalText(name).c_str());
        return 1;
    }
    std::vector<char> bytes(4 * 1024 * 1024);
    uint32_t written = 0;
    const std::string endpoint = fieldText(device.endpointReference);
    const int ok = VEXA_GetOnvifSnapshot(endpoint.c_str(), profile.empty() ? nullptr : profile.c_str(), bytes.data(),
                                         static_cast<uint32_t>(bytes.size()), &written);
    const uint32_t code = VEXA_GetLastError();
    if (!ok) {
        std::fprintf(stderr, "vexa: no picture: %s (error %u)\n", errorSentence(code), code);
        printErrorDetail();
        VEXA_Stop();
        return 1;
    }
    VEXA_Stop();
    bytes.resize(written);
    std::string error;
    if (!saveFile(out, bytes, force, error)) {
        std::fprintf(stderr, "vexa: cannot write %s: %s\n", terminalText(out).c_str(), error.c_str());
        return 1;
    }
    std::fprintf(stderr, "vexa: %u bytes written to %s\n", written, terminalText(out).c_str());
    return 0;
}

} // namespace cli
