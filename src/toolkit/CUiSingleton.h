#pragma once

#include <atomic>
#include <memory>
#include <mutex>

namespace OrvisGUIToolkit {

// Process-wide instance of T, created on the first call of GetInstance() and deleted at process exit.
//
//     class Settings : public OrvisGUIToolkit::CUiSingleton<Settings> { ... };
//     Settings::GetInstance()->...
//
// Creation is safe from any thread: the fast path reads an atomic pointer, and the slow path tests again
// once it holds the lock, so two first callers never build two instances.
template <typename T>
class CUiSingleton {
public:
    static T* GetInstance() {
        T* instance = s_instance.load(std::memory_order_acquire);
        if (instance == nullptr) {
            std::lock_guard<std::mutex> lock(s_mutex);
            instance = s_instance.load(std::memory_order_relaxed);
            if (instance == nullptr) {
                s_holder.reset(new T);
                instance = s_holder.get();
                s_instance.store(instance, std::memory_order_release);
            }
        }
        return instance;
    }

    // Deletes the instance now rather than at exit, so that the program can end things in an order of its
    // own while the application object still exists. Only once nothing else uses the instance; a later
    // GetInstance() creates a fresh one.
    static void ReleaseInstance() {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_instance.store(nullptr, std::memory_order_release);
        T* instance = s_holder.get();
        s_holder.reset(nullptr);
        delete instance;
    }
    static bool HasInstance() { return s_instance.load(std::memory_order_acquire) != nullptr; }

    CUiSingleton(const CUiSingleton&) = delete;
    CUiSingleton& operator=(const CUiSingleton&) = delete;

protected:
    CUiSingleton() = default;
    virtual ~CUiSingleton() = default;

private:
    // Deletes the instance when static objects are destroyed at exit.
    struct Holder {
        ~Holder() {
            s_instance.store(nullptr, std::memory_order_release);
            delete m_instance;
        }
        void reset(T* instance) { m_instance = instance; }
        T* get() const { return m_instance; }

        T* m_instance = nullptr;
    };

    static inline std::atomic<T*> s_instance{nullptr};
    static inline std::mutex s_mutex;
    static inline Holder s_holder;
};

} // namespace OrvisGUIToolkit
