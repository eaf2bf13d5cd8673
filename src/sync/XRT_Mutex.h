#pragma once

// The portable runtime's mutex: re-entrant, so a thread holding it may lock it again (the device store's
// operations call one another while holding it). Handles are created and destroyed explicitly.
struct XRT_MutexImpl;
using XRT_MUTEX = XRT_MutexImpl*;

// Returns 0 on success and sets *mutex; the handle stays valid until XRT_Mutex_Destroy.
int XRT_Mutex_Create(XRT_MUTEX* mutex);
int XRT_Mutex_Lock(XRT_MUTEX mutex);
int XRT_Mutex_Unlock(XRT_MUTEX mutex);
// Destroys an unlocked mutex and resets *mutex to null.
int XRT_Mutex_Destroy(XRT_MUTEX* mutex);

// Scoped lock: released on every path out of the scope.
class XRT_MutexGuard {
public:
    explicit XRT_MutexGuard(XRT_MUTEX mutex)
        : m_mutex(mutex) {
        XRT_Mutex_Lock(m_mutex);
    }
    ~XRT_MutexGuard() { XRT_Mutex_Unlock(m_mutex); }
    XRT_MutexGuard(const XRT_MutexGuard&) = delete;
    XRT_MutexGuard& operator=(const XRT_MutexGuard&) = delete;

private:
    XRT_MUTEX m_mutex;
};
