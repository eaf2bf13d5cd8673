#include "discovery/DeviceCalls.h"

#include <condition_variable>
#include <mutex>

namespace VEXA {

namespace {

struct Counter {
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
};

Counter& counter() {
    static Counter c;
    return c;
}

} // namespace

DeviceCalls::Ticket::Ticket() {
    Counter& c = counter();
    std::lock_guard<std::mutex> lock(c.mutex);
    ++c.running;
}

DeviceCalls::Ticket::Ticket(Ticket&& other) noexcept
    : m_held(other.m_held) {
    other.m_held = false;
}

DeviceCalls::Ticket::~Ticket() {
    release();
}

void DeviceCalls::Ticket::release() {
    if (!m_held)
        return;
    m_held = false;
    Counter& c = counter();
    std::lock_guard<std::mutex> lock(c.mutex);
    if (--c.running == 0)
        c.idle.notify_all();
}

int DeviceCalls::running() {
    Counter& c = counter();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.running;
}

void DeviceCalls::waitForAll() {
    Counter& c = counter();
    std::unique_lock<std::mutex> lock(c.mutex);
    c.idle.wait(lock, [&c] { return c.running == 0; });
}

} // namespace VEXA
