// The common core of every COM class of the driver.
//
// A class derives from ObjectRoot and from its interfaces, and states which
// interfaces it answers in a static table (interfaces()). ComObject<T> then
// supplies IUnknown once for all of them: one shared QueryInterface that walks
// the table, and a reference count that is a plain integer, because every call
// on a driver object arrives on the apartment thread that created it. Each
// live ComObject holds one lock on the module.
//
//   class CThing : public com::ObjectRoot, public IThing {
//   public:
//       static const com::InterfaceTable<CThing>& interfaces();
//   };
//   const com::InterfaceTable<CThing>& CThing::interfaces() {
//       static const com::InterfaceEntry<CThing> entries[] = {
//           com::interfaceEntry<CThing, IThing>(IID_IThing)};
//       static const com::InterfaceTable<CThing> table{entries};
//       return table;
//   }
#pragma once

#include <cstddef>
#include <new>
#include <utility>

#include "com/Guard.h"
#include "com/Interfaces.h"
#include "com/ModuleLock.h"

namespace com {

template <class T>
struct InterfaceEntry {
    const IID* iid;
    IUnknown* (*cast)(T* self);
};

template <class T, class I>
InterfaceEntry<T> interfaceEntry(const IID& iid) {
    return {&iid, [](T* self) -> IUnknown* { return static_cast<I*>(self); }};
}

template <class T>
struct InterfaceTable {
    template <size_t N>
    explicit InterfaceTable(const InterfaceEntry<T> (&e)[N]) : entries(e), count(N) {}
    const InterfaceEntry<T>* entries;
    size_t count;
};

// QueryInterface over a table: IUnknown is the first entry's pointer, so that
// every query for IUnknown yields the same identity.
template <class T>
HRESULT queryInterface(T* self, const InterfaceTable<T>& table, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (size_t i = 0; i < table.count; ++i) {
        const InterfaceEntry<T>& entry = table.entries[i];
        if (IsEqualIID(iid, *entry.iid) || (i == 0 && IsEqualIID(iid, IID_IUnknown))) {
            IUnknown* found = entry.cast(self);
            found->AddRef();
            *out = found;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

class ObjectRoot {
public:
    ObjectRoot(const ObjectRoot&) = delete;
    ObjectRoot& operator=(const ObjectRoot&) = delete;

    // Runs after construction, before the object is first queried; a failure
    // destroys the object and is returned to the creator.
    HRESULT finalConstruct() { return S_OK; }
    // Runs when the last reference goes, before the destructor.
    void finalRelease() {}

protected:
    ObjectRoot() = default;
    virtual ~ObjectRoot() = default;

    ULONG refCount_ = 0;
};

template <class T>
class ComObject final : public T {
public:
    template <class... Args>
    explicit ComObject(Args&&... args) : T(std::forward<Args>(args)...) {
        ModuleLock::lock();
    }
    ~ComObject() override { ModuleLock::unlock(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return queryInterface<T>(this, T::interfaces(), iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++this->refCount_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = --this->refCount_;
        if (count == 0) {
            // The module stays locked while the object tears itself down.
            ModuleLock::lock();
            this->refCount_ = 1;  // a stray AddRef/Release pair during teardown must not delete twice
            this->finalRelease();
            delete this;
            ModuleLock::unlock();
        }
        return count;
    }

    // Creates an object holding one reference that the caller owns, runs
    // finalConstruct, and returns null (with the reason in *hr) on failure.
    template <class... Args>
    static ComObject* create(HRESULT* hr, Args&&... args) noexcept {
        ComObject* object = nullptr;
        *hr = guard([&] {
            object = new ComObject(std::forward<Args>(args)...);
            object->AddRef();
            return object->finalConstruct();
        });
        if (FAILED(*hr) && object) {
            object->Release();
            object = nullptr;
        }
        return object;
    }
};

// The class-object side of creation: refuses aggregation, creates the object,
// runs finalConstruct and queries it for the caller's interface.
template <class T>
HRESULT createInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    HRESULT hr = S_OK;
    ComObject<T>* object = ComObject<T>::create(&hr);
    if (!object) return hr;
    hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

}  // namespace com
