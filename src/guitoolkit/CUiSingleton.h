#pragma once

#include "sync/Singleton.h"

namespace OrvisGUIToolkit {

// Process-wide instance of T, created on the first call of GetInstance() and deleted at process exit: the toolkit's
// names over Singleton::CSingleton, which does the work (one creation lock, release, deletion at exit).
//
//     class Settings : public OrvisGUIToolkit::CUiSingleton<Settings> { ... };
//     Settings::GetInstance()->...
template <typename T>
class CUiSingleton : private Singleton::CSingleton<T, CUiSingleton<T>> {
    using Base = Singleton::CSingleton<T, CUiSingleton<T>>;
    friend Base;

public:
    static T* GetInstance() { return Base::instance(); }
    // Deletes the instance now rather than at exit, so that the program can end things in an order of its
    // own while the application object still exists. Only once nothing else uses the instance; a later
    // GetInstance() creates a fresh one.
    static void ReleaseInstance() { Base::release(); }
    static bool HasInstance() { return Base::exists(); }

protected:
    CUiSingleton() = default;
    virtual ~CUiSingleton() = default;

private:
    static T* create() { return new T; }
};

} // namespace OrvisGUIToolkit
