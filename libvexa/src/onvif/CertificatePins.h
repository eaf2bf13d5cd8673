#pragma once

// Trust on first use for the HTTPS of ONVIF devices: the SHA-256 of the first certificate a device shows is pinned
// under its endpoint reference, and a later other one refused until the user accepts it. Kept in a file of the
// user's (one "reference hex-digest" line each), written whole through a fresh 0600 file on every change.
// Thread-safe: the readers check while the caller's thread accepts.

#include <map>
#include <mutex>
#include <string>

namespace vexa::onvif {

class CertificatePins {
public:
    static constexpr size_t kMaxPins = 16384;

    // path empty: pins for this run only. A file that is a symbolic link, not a regular file, owned by another
    // user, writable by others or malformed is not read (refusedWhy says why) and not written over.
    explicit CertificatePins(std::string path);

    // True when digest (32 bytes) is the device's pin, or becomes it now; false when another one is pinned.
    bool check(const std::string& device, const std::string& digest);
    // The device's next certificate is pinned afresh. False when none was pinned.
    bool forget(const std::string& device);

    size_t size() const;
    const std::string& refusedWhy() const { return refusedWhy_; }

private:
    void load();
    void save(); // under mutex_

    std::string path_;
    std::string refusedWhy_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> pins_; // reference -> lower-case hex digest
};

} // namespace vexa::onvif
