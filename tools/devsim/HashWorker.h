#pragma once

// One thread that runs password hashing for the simulator, so that the thread answering the fleet never waits
// for Argon2id. Jobs run in the order submitted; the destructor finishes the running job, drops the others and
// joins.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace devsim {

class HashWorker {
public:
    HashWorker();
    ~HashWorker();
    HashWorker(const HashWorker&) = delete;
    HashWorker& operator=(const HashWorker&) = delete;

    void submit(std::function<void()> job);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace devsim
