#pragma once

// Collects the library's callback events for tests, thread-safe.

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "DevsimProcess.h"
#include "vexa.h"

// A text field of a device record, bounded by its width.
template <size_t N>
std::string text(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

class Events {
public:
    static void callback(const VEXA_DEVICE_INFO* info, void* user) {
        auto* self = static_cast<Events*>(user);
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->events_.push_back(*info);
    }

    size_t count(int type, size_t from = 0) const {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = 0;
        for (size_t i = from; i < events_.size(); ++i)
            n += events_[i].eventType == type ? 1 : 0;
        return n;
    }
    std::vector<VEXA_DEVICE_INFO> of(int type, size_t from = 0) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<VEXA_DEVICE_INFO> out;
        for (size_t i = from; i < events_.size(); ++i) {
            if (events_[i].eventType == type)
                out.push_back(events_[i]);
        }
        return out;
    }
    std::vector<VEXA_DEVICE_INFO> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_.size();
    }
    bool waitCount(int type, size_t n, std::chrono::milliseconds timeout, size_t from = 0) const {
        return testutil::waitFor([&] { return count(type, from) >= n; }, timeout);
    }

private:
    mutable std::mutex mutex_;
    std::vector<VEXA_DEVICE_INFO> events_;
};
