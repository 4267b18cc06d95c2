#include "server/ClassFactory.h"

#include <new>

#include "com/Guard.h"
#include "com/ModuleLock.h"

namespace com {

ComPtr<IClassFactory> ClassFactory::create(Creator creator) noexcept {
    return ComPtr<IClassFactory>::retain(new (std::nothrow) ClassFactory(creator));
}

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
}

ULONG STDMETHODCALLTYPE ClassFactory::AddRef() {
    const ULONG count = refCount_.fetch_add(1, std::memory_order_relaxed) + 1;
    if (count == 2) ModuleLock::lock();
    return count;
}

ULONG STDMETHODCALLTYPE ClassFactory::Release() {
    const ULONG count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 1) ModuleLock::unlock();
    if (count == 0) delete this;
    return count;
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return guard([&] { return creator_(nullptr, iid, out); });
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleLock::lock();
    else
        ModuleLock::unlock();
    return S_OK;
}

}  // namespace com
