#pragma once

// Test helper: every datagram on the test's port, as anyone on the link would see it, and a way to send
// datagrams of one's own (forged answers, replays, floods). An optional hook sees each datagram as it arrives,
// on the sniffer's thread, so that a test can answer faster than the device. groupOnly: the group's traffic only, as
// a host elsewhere on the link sees it (a datagram sent to one device's address never reaches it).

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "proto/Codec.h"
#include "proto/Transport.h"

class Sniffer {
public:
    using Hook = std::function<void(const std::vector<uint8_t>&, Sniffer&)>;

    explicit Sniffer(Hook hook = {}, bool groupOnly = false)
        : transport_(io_)
        , hook_(std::move(hook)) {
        vexa::proto::TransportConfig config;
        config.groupOnly = groupOnly;
        std::string error;
        ok_ = vexa::proto::transportConfigFromEnvironment(config, error) && transport_.open(config, error);
        thread_ = std::thread([this] {
            std::vector<uint8_t> buffer(2048);
            while (!stop_) {
                const size_t n = transport_.receive(buffer.data(), buffer.size());
                if (n == 0 || n > buffer.size()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    continue;
                }
                std::vector<uint8_t> datagram(buffer.begin(), buffer.begin() + static_cast<long>(n));
                if (hook_)
                    hook_(datagram, *this);
                std::lock_guard<std::mutex> lock(mutex_);
                captured_.push_back(std::move(datagram));
            }
        });
    }
    ~Sniffer() {
        stop_ = true;
        thread_.join();
    }
    bool ok() const { return ok_; }
    std::vector<std::vector<uint8_t>> captured() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return captured_;
    }
    std::vector<std::vector<uint8_t>> ofType(vexa::proto::MsgType type) const {
        std::vector<std::vector<uint8_t>> out;
        for (auto& d : captured()) {
            if (d.size() > 5 && d[5] == static_cast<uint8_t>(type))
                out.push_back(d);
        }
        return out;
    }
    void inject(const std::vector<uint8_t>& datagram) {
        std::lock_guard<std::mutex> lock(sendMutex_);
        transport_.send(datagram);
    }

private:
    asio::io_context io_;
    vexa::proto::Transport transport_;
    Hook hook_;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::mutex sendMutex_;
    std::vector<std::vector<uint8_t>> captured_;
};
