#include "sync/XRT_Mutex.h"

#include <mutex>
#include <new>

struct XRT_MutexImpl {
    std::recursive_mutex mutex;
};

int XRT_Mutex_Create(XRT_MUTEX* mutex) {
    if (!mutex)
        return -1;
    *mutex = new (std::nothrow) XRT_MutexImpl;
    return *mutex ? 0 : -1;
}

int XRT_Mutex_Lock(XRT_MUTEX mutex) {
    if (!mutex)
        return -1;
    mutex->mutex.lock();
    return 0;
}

int XRT_Mutex_Unlock(XRT_MUTEX mutex) {
    if (!mutex)
        return -1;
    mutex->mutex.unlock();
    return 0;
}

int XRT_Mutex_Destroy(XRT_MUTEX* mutex) {
    if (!mutex || !*mutex)
        return -1;
    delete *mutex;
    *mutex = nullptr;
    return 0;
}
