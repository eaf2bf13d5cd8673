// What a device never seen before costs in signature checks alone: its certificate (by the manufacturer's key)
// and its announcement (by its own key), checked as the library checks them, on 1 to N threads at once. Prints
// one JSON object per library and thread count: CPU per verification, devices verified per second over all
// threads, and the time 10,000 new devices take at that rate with nothing else running. OpenSSL's Ed25519 is
// measured beside libsodium's, which the library uses. --count K devices per thread; --threads 1,2,... (default:
// 1 and the number of cores).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <openssl/evp.h>
#include <string>
#include <thread>
#include <vector>

#include "vexa_crypto.h"

namespace {

namespace crypto = vexa::crypto;

// One device as it reaches the library: identity, certificate, and a signed announcement of a full datagram.
struct SignedDevice {
    crypto::PublicKey key{};
    crypto::Bytes certified;
    crypto::Signature certificate{};
    crypto::Bytes announcement;
    crypto::Signature signature{};
};

std::vector<SignedDevice> makeDevices(const crypto::KeyPair& manufacturer, int count) {
    std::vector<SignedDevice> devices;
    for (int i = 0; i < count; ++i) {
        const crypto::KeyPair own = crypto::generateKeyPair();
        crypto::DeviceIdentity identity;
        identity.serial = "BENCH" + std::to_string(i);
        identity.mac = {0x02, 0, 0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
        identity.devicePublicKey = own.publicKey;
        SignedDevice device;
        device.key = own.publicKey;
        device.certified = crypto::certificateMessage(identity).value();
        device.certificate = crypto::signCertificate(manufacturer, identity).value();
        device.announcement.resize(1100);
        crypto::randomBytes(device.announcement.data(), device.announcement.size());
        device.signature = crypto::sign(own, device.announcement).value();
        devices.push_back(std::move(device));
    }
    return devices;
}

bool sodiumVerifies(const crypto::PublicKey& key, const crypto::Bytes& message, const crypto::Signature& signature) {
    return crypto::verifySignature(key, message, signature);
}

bool opensslVerifies(const crypto::PublicKey& key, const crypto::Bytes& message, const crypto::Signature& signature) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()), EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    return pkey && context && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, pkey.get()) == 1 &&
           EVP_DigestVerify(context.get(), signature.data(), signature.size(), message.data(), message.size()) == 1;
}

using Verifier = bool (*)(const crypto::PublicKey&, const crypto::Bytes&, const crypto::Signature&);

double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Every thread checks every device (two verifications each); false if any check failed.
bool run(const char* name, Verifier verifies, const crypto::PublicKey& manufacturer,
         const std::vector<SignedDevice>& devices, unsigned threads) {
    std::vector<double> cpu(threads, 0.0);
    std::vector<int> failed(threads, 0);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            const double before = threadCpuSeconds();
            for (const SignedDevice& device : devices) {
                if (!verifies(manufacturer, device.certified, device.certificate) ||
                    !verifies(device.key, device.announcement, device.signature))
                    ++failed[t];
            }
            cpu[t] = threadCpuSeconds() - before;
        });
    }
    for (std::thread& thread : pool)
        thread.join();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double checked = static_cast<double>(devices.size()) * threads;
    double cpuAll = 0.0;
    for (double seconds : cpu)
        cpuAll += seconds;
    const double perSecond = checked / wall;
    int failures = 0;
    for (int f : failed)
        failures += f;
    std::printf("{\"library\":\"%s\",\"threads\":%u,\"devices\":%.0f,\"failed\":%d,\"cpu_us_per_verification\":%.1f,"
                "\"devices_per_second\":%.0f,\"ms_for_10000_devices\":%.0f}\n",
                name, threads, checked, failures, cpuAll / (2.0 * checked) * 1e6, perSecond, 10000.0 / perSecond * 1e3);
    return failures == 0;
}

} // namespace

int main(int argc, char** argv) {
    int count = 1000;
    std::vector<unsigned> threadCounts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--count" && i + 1 < argc) {
            count = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--threads" && i + 1 < argc) {
            for (const char* p = argv[++i]; *p;) {
                char* end = nullptr;
                const long n = std::strtol(p, &end, 10);
                if (end == p || n < 1 || n > 256) {
                    std::fprintf(stderr, "bench_verify: --threads takes numbers from 1 to 256, such as 1,2,4\n");
                    return 2;
                }
                threadCounts.push_back(static_cast<unsigned>(n));
                p = *end == ',' ? end + 1 : end;
            }
        } else {
            std::fprintf(stderr, "usage: bench_verify [--count K] [--threads 1,2,...]\n");
            return 2;
        }
    }
    if (threadCounts.empty())
        threadCounts = {1u, std::max(1u, std::thread::hardware_concurrency())};
    const crypto::KeyPair manufacturer = crypto::generateKeyPair();
    const std::vector<SignedDevice> devices = makeDevices(manufacturer, count);
    bool ok = true;
    for (unsigned threads : threadCounts) {
        ok = run("libsodium", sodiumVerifies, manufacturer.publicKey, devices, threads) && ok;
        ok = run("openssl", opensslVerifies, manufacturer.publicKey, devices, threads) && ok;
    }
    return ok ? 0 : 1;
}
