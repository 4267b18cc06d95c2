// The state of the in-process server behind its exports: whether the module
// is initialised, its object map, and the unload test on the module lock.
// The Windows entry points forward to one static instance.
#pragma once

#include <atomic>

#include "server/ClassTable.h"
#include "com/Interfaces.h"

namespace com {

class ServerModule {
public:
    explicit ServerModule(ClassTable& classes) : classes_(classes) {}

    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    // Process attach and detach; terminate releases the cached class objects.
    void initialise() { initialised_.store(true, std::memory_order_release); }
    void terminate();

    // DllGetClassObject: E_POINTER for a null out, otherwise *out cleared;
    // E_UNEXPECTED before initialise; then the object map's answer.
    HRESULT getClassObject(REFCLSID rclsid, REFIID iid, void** out);

    // DllCanUnloadNow: S_OK only when nothing holds the module.
    HRESULT canUnloadNow() const;

    const ClassTable& classes() const { return classes_; }

private:
    ClassTable& classes_;
    std::atomic<bool> initialised_{false};
};

}  // namespace com
