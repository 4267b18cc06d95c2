// The class object of a creatable class: an IClassFactory that hands every
// CreateInstance to the class's creator function.
//
// The server module caches one class object per class for the life of the
// DLL. That cached reference must not keep the DLL loaded, so the object
// takes a module lock only while someone else also holds it: when its count
// goes from 1 to 2, released again when it falls from 2 to 1.
//
// Concurrency: the cached object can be reached from any thread that calls
// DllGetClassObject, so its reference count is atomic; it has no other state.
#pragma once

#include <atomic>

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace com {

// Creates an object of a class: the creator of com::createInstance<T>'s shape.
using Creator = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

class ClassFactory final : public IClassFactory {
public:
    // A new class object with one reference (the cache's), or null when it
    // cannot be allocated.
    static ComPtr<IClassFactory> create(Creator creator) noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    explicit ClassFactory(Creator creator) : creator_(creator) {}
    ~ClassFactory() = default;

    const Creator creator_;
    std::atomic<ULONG> refCount_{0};
};

}  // namespace com
