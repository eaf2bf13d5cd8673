#pragma once

// Positive certificate verdicts kept across runs, so that a device seen before costs one signature check at the
// next start, not two. An entry is the BLAKE2b digest of (manufacturer key, certified message, certificate): it
// can only be found again by hashing those exact bytes under a key trusted now, so the file cannot certify a
// device by a key no longer trusted, nor a device whose certificate never verified. Thread-safe: the verifier
// threads look up and add while the engine runs; load and save run at start and stop.

#include <array>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

#include "vexa_crypto.h"

namespace vexa {

class VerdictFile {
public:
    using Digest = std::array<uint8_t, 32>;
    static constexpr size_t kMaxEntries = 100000;

    enum class Load { Loaded, Missing, Refused };

    explicit VerdictFile(size_t maxEntries = kMaxEntries);

    static Digest digestOf(const crypto::PublicKey& manufacturer, crypto::ByteView message,
                           crypto::ByteView certificate);

    // Replaces what is held by the file's entries. Missing: no file (nothing held). Refused, with the reason: a
    // symlink, not a regular file, owned by another user, writable by group or others, malformed, or its digest
    // does not match (nothing held either way).
    Load load(const std::string& path, std::string& why);
    // Writes every entry, least recently used first, to a fresh 0600 file that replaces path; creates the folder
    // (0700) when missing. False with a reason when it cannot.
    bool save(const std::string& path, std::string& error) const;

    // True when held; marks it most recently used.
    bool contains(const Digest& digest);
    // Adds (or refreshes) an entry; the least recently used goes when the bound is reached.
    void add(const Digest& digest);
    size_t size() const;
    // Whether anything was added since the last load or save.
    bool changed() const;

private:
    struct DigestHash {
        size_t operator()(const Digest& d) const;
    };
    size_t maxEntries_;
    mutable std::mutex mutex_;
    std::list<Digest> order_; // least recently used first
    std::unordered_map<Digest, std::list<Digest>::iterator, DigestHash> index_;
    mutable bool changed_ = false;
};

} // namespace vexa
