#include "VerdictFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vexa {

namespace {

constexpr char kMagic[8] = {'V', 'X', 'V', 'E', 'R', 'D', '1', '\n'};
constexpr size_t kHeader = sizeof kMagic + 4;
constexpr size_t kEntry = 32;
constexpr size_t kTrailer = 32;

VerdictFile::Digest digestOfBytes(const uint8_t* data, size_t size) {
    VerdictFile::Digest out{};
    crypto_generichash(out.data(), out.size(), data, size, nullptr, 0);
    return out;
}

// Moves all size bytes through read or write, across interrupted and partial calls.
template <typename Byte, typename Call>
bool moveAll(int fd, Byte* data, size_t size, Call call) {
    while (size > 0) {
        const ssize_t n = call(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, uint8_t* out, size_t size) {
    return moveAll(fd, out, size, [](int f, uint8_t* p, size_t n) { return ::read(f, p, n); });
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
    return moveAll(fd, data, size, [](int f, const uint8_t* p, size_t n) { return ::write(f, p, n); });
}

// Creates each missing folder of path's parent, owner-only.
void makeParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

} // namespace

VerdictFile::VerdictFile(size_t maxEntries)
    : maxEntries_(maxEntries) {}

size_t VerdictFile::DigestHash::operator()(const Digest& d) const {
    // Already a uniform hash.
    size_t h;
    std::memcpy(&h, d.data(), sizeof h);
    return h;
}

VerdictFile::Digest VerdictFile::digestOf(const crypto::PublicKey& manufacturer, crypto::ByteView message,
                                          crypto::ByteView certificate) {
    // Each part has a fixed size or comes with its length, so no two inputs run together into one.
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, kEntry);
    crypto_generichash_update(&state, manufacturer.data(), manufacturer.size());
    const uint64_t length = message.size;
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<uint8_t>(length >> (8 * i));
    crypto_generichash_update(&state, lengthBytes, sizeof lengthBytes);
    crypto_generichash_update(&state, message.data, message.size);
    crypto_generichash_update(&state, certificate.data, certificate.size);
    Digest out{};
    crypto_generichash_final(&state, out.data(), out.size());
    return out;
}

VerdictFile::Load VerdictFile::load(const std::string& path, std::string& why) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        order_.clear();
        index_.clear();
        changed_ = false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return Load::Missing;
        why = errno == ELOOP ? "a symbolic link" : std::strerror(errno);
        return Load::Refused;
    }
    struct stat st {};
    std::vector<uint8_t> bytes;
    why.clear();
    if (::fstat(fd, &st) != 0)
        why = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        why = "not a regular file";
    else if (st.st_uid != ::geteuid())
        why = "owned by another user";
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        why = "writable by others";
    else if (st.st_size < static_cast<off_t>(kHeader + kTrailer) ||
             st.st_size > static_cast<off_t>(kHeader + maxEntries_ * kEntry + kTrailer))
        why = "wrong size";
    else {
        bytes.resize(static_cast<size_t>(st.st_size));
        if (!readAll(fd, bytes.data(), bytes.size()))
            why = "cannot be read";
    }
    ::close(fd);
    if (!why.empty())
        return Load::Refused;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        why = "not a verdict file";
        return Load::Refused;
    }
    uint32_t count = 0;
    for (int i = 0; i < 4; ++i)
        count |= static_cast<uint32_t>(bytes[sizeof kMagic + i]) << (8 * i);
    if (count > maxEntries_ || bytes.size() != kHeader + size_t{count} * kEntry + kTrailer) {
        why = "wrong entry count";
        return Load::Refused;
    }
    const size_t body = bytes.size() - kTrailer;
    const Digest digest = digestOfBytes(bytes.data(), body);
    if (sodium_memcmp(digest.data(), bytes.data() + body, digest.size()) != 0) {
        why = "digest does not match";
        return Load::Refused;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (uint32_t i = 0; i < count; ++i) {
        Digest entry;
        std::memcpy(entry.data(), bytes.data() + kHeader + size_t{i} * kEntry, kEntry);
        if (index_.count(entry))
            continue;
        order_.push_back(entry);
        index_.emplace(entry, std::prev(order_.end()));
    }
    return Load::Loaded;
}

bool VerdictFile::save(const std::string& path, std::string& error) const {
    std::vector<uint8_t> bytes;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes.reserve(kHeader + order_.size() * kEntry + kTrailer);
        bytes.insert(bytes.end(), kMagic, kMagic + sizeof kMagic);
        const auto count = static_cast<uint32_t>(order_.size());
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
        for (const Digest& entry : order_)
            bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    const Digest digest = digestOfBytes(bytes.data(), bytes.size());
    bytes.insert(bytes.end(), digest.begin(), digest.end());

    makeParents(path);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data()); // created exclusively, mode 0600
    if (fd < 0) {
        error = std::string("cannot create ") + temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        error = std::string("cannot write ") + temporary + ": " + std::strerror(writeErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    // rename replaces a symbolic link at path, never what it points to.
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::string("cannot replace ") + path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    changed_ = false;
    return true;
}

bool VerdictFile::contains(const Digest& digest) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = index_.find(digest);
    if (it == index_.end())
        return false;
    order_.splice(order_.end(), order_, it->second);
    return true;
}

void VerdictFile::add(const Digest& digest) {
    std::lock_guard<std::mutex> lock(mutex_);
    changed_ = true;
    if (const auto it = index_.find(digest); it != index_.end()) {
        order_.splice(order_.end(), order_, it->second);
        return;
    }
    if (maxEntries_ == 0)
        return;
    if (order_.size() >= maxEntries_) {
        index_.erase(order_.front());
        order_.pop_front();
    }
    order_.push_back(digest);
    index_.emplace(digest, std::prev(order_.end()));
}

size_t VerdictFile::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return order_.size();
}

bool VerdictFile::changed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return changed_;
}

} // namespace vexa
