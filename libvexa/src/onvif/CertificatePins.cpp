#include "CertificatePins.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../Logger.h"
#include "WsDiscovery.h"

namespace vexa::onvif {

namespace {

constexpr char kMagic[] = "VXPIN1\n";
constexpr size_t kMaxFile = sizeof kMagic + CertificatePins::kMaxPins * (kMaxEndpointLength + 66);

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool isPinLine(const std::string& device, const std::string& digest) {
    return !device.empty() && device.size() <= kMaxEndpointLength && digest.size() == 64 &&
           digest.find_first_not_of("0123456789abcdef") == std::string::npos &&
           device.find_first_of(" \n") == std::string::npos;
}

} // namespace

CertificatePins::CertificatePins(std::string path)
    : path_(std::move(path)) {
    if (!path_.empty())
        load();
}

void CertificatePins::load() {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT)
            refusedWhy_ = errno == ELOOP ? "a symbolic link" : std::strerror(errno);
    } else {
        struct stat st {};
        std::string bytes;
        if (::fstat(fd, &st) != 0)
            refusedWhy_ = std::strerror(errno);
        else if (!S_ISREG(st.st_mode))
            refusedWhy_ = "not a regular file";
        else if (st.st_uid != ::geteuid())
            refusedWhy_ = "owned by another user";
        else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            refusedWhy_ = "writable by others";
        else if (st.st_size > static_cast<off_t>(kMaxFile))
            refusedWhy_ = "too large";
        else {
            bytes.resize(static_cast<size_t>(st.st_size));
            if (::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                refusedWhy_ = "cannot be read";
        }
        ::close(fd);
        if (refusedWhy_.empty() && bytes.compare(0, sizeof kMagic - 1, kMagic) != 0)
            refusedWhy_ = "not a pin file";
        std::map<std::string, std::string> pins;
        for (size_t at = sizeof kMagic - 1; refusedWhy_.empty() && at < bytes.size();) {
            const size_t end = bytes.find('\n', at);
            const size_t space = bytes.find(' ', at);
            if (end == std::string::npos || space == std::string::npos || space > end) {
                refusedWhy_ = "malformed";
                break;
            }
            const std::string device = bytes.substr(at, space - at);
            const std::string digest = bytes.substr(space + 1, end - space - 1);
            if (!isPinLine(device, digest)) {
                refusedWhy_ = "malformed";
                break;
            }
            pins[device] = digest;
            at = end + 1;
        }
        if (refusedWhy_.empty())
            pins_ = std::move(pins);
    }
    if (!refusedWhy_.empty())
        VEXA_LOG(LogError, "ONVIF: certificate pins %s not used: %s", path_.c_str(), refusedWhy_.c_str());
}

void CertificatePins::save() {
    if (path_.empty() || !refusedWhy_.empty())
        return;
    std::string bytes = kMagic;
    for (const auto& [device, digest] : pins_)
        bytes += device + ' ' + digest + '\n';
    for (size_t slash = path_.find('/', 1); slash != std::string::npos; slash = path_.find('/', slash + 1))
        ::mkdir(path_.substr(0, slash).c_str(), 0700);
    std::string temporary = path_ + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data()); // created exclusively, mode 0600
    if (fd < 0) {
        VEXA_LOG(LogError, "ONVIF: cannot create %s: %s", temporary.c_str(), std::strerror(errno));
        return;
    }
    const bool written =
        ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        VEXA_LOG(LogError, "ONVIF: cannot write certificate pins to %s: %s", path_.c_str(), std::strerror(errno));
        ::unlink(temporary.c_str());
    }
}

bool CertificatePins::check(const std::string& device, const std::string& digest) {
    const std::string text = hex(digest);
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = pins_.find(device);
    if (it != pins_.end())
        return it->second == text;
    if (pins_.size() >= kMaxPins || !isPinLine(device, text))
        return true; // not pinned, as with no file: the first contact is never verified anyway
    pins_.emplace(device, text);
    VEXA_LOG(LogInfo, "ONVIF: %s: certificate pinned on first contact (sha256 %s)", device.c_str(), text.c_str());
    save();
    return true;
}

bool CertificatePins::forget(const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pins_.erase(device) == 0)
        return false;
    save();
    return true;
}

size_t CertificatePins::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pins_.size();
}

} // namespace vexa::onvif
