#pragma once

#include <atomic>
#include <memory>
#include <type_traits>

#include "sync/XRT_Mutex.h"

namespace Singleton {

class CNoncopyable {
protected:
    CNoncopyable() = default;
    ~CNoncopyable() = default;

public:
    CNoncopyable(const CNoncopyable&) = delete;
    CNoncopyable& operator=(const CNoncopyable&) = delete;
};

// Process-wide instance of T, created on first use and destroyed by release() or at process exit. Creation is guarded
// by a process-wide mutex with a test before and after taking it, so concurrent first calls create one object.
// Maker, when given, builds the instance (Maker::create()), for a face whose types befriend the face rather than
// this class.
template <typename T, typename Maker = void>
class CSingleton : public CNoncopyable {
public:
    static T* instance() {
        T* current = s_instance.load(std::memory_order_acquire);
        if (current)
            return current;
        XRT_MutexGuard guard(creationMutex());
        current = s_instance.load(std::memory_order_relaxed);
        if (!current) {
            holder().object.reset(create());
            current = holder().object.get();
            s_instance.store(current, std::memory_order_release);
        }
        return current;
    }

    // Deletes the instance now rather than at exit, so that the program can end things in an order of its
    // own while the application object still exists. Only once nothing else uses the instance; a later
    // instance() creates a fresh one.
    static void release() {
        XRT_MutexGuard guard(creationMutex());
        s_instance.store(nullptr, std::memory_order_release);
        holder().object.reset();
    }
    static bool exists() { return s_instance.load(std::memory_order_acquire) != nullptr; }

protected:
    CSingleton() = default;
    ~CSingleton() = default;

private:
    static T* create() {
        if constexpr (std::is_void_v<Maker>)
            return new T;
        else
            return Maker::create();
    }
    static XRT_MUTEX creationMutex() {
        // Created during static initialisation of the first caller; never destroyed, so late users at
        // exit still find it.
        static XRT_MUTEX mutex = [] {
            XRT_MUTEX m = nullptr;
            XRT_Mutex_Create(&m);
            return m;
        }();
        return mutex;
    }
    // Deletes the instance at exit; a call after that creates a fresh one rather than using a dead one.
    struct Holder {
        std::unique_ptr<T> object;
        ~Holder() {
            s_instance.store(nullptr, std::memory_order_release);
            object.reset();
        }
    };
    static Holder& holder() {
        static Holder h;
        return h;
    }
    static inline std::atomic<T*> s_instance{nullptr};
};

} // namespace Singleton
