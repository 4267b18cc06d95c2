// Objects for the tests of the COM helpers: an IUnknown that only counts, and
// a small COM class with two interfaces built on com::ObjectRoot.
#pragma once

#include "com/Interfaces.h"
#include "com/ObjectRoot.h"

namespace comtest {

// Counts AddRef and Release calls; never deletes itself.
struct CountingUnknown : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++addRefs, static_cast<ULONG>(addRefs - releases); }
    ULONG STDMETHODCALLTYPE Release() override { return ++releases, static_cast<ULONG>(addRefs - releases); }

    int addRefs = 0;
    int releases = 0;
};

inline const IID IID_IFirst = {0x6b1c53a0, 0x1d8e, 0x4f3a, {0x9c, 0x11, 0x20, 0x7e, 0x35, 0x42, 0x0a, 0x01}};
inline const IID IID_ISecond = {0x6b1c53a0, 0x1d8e, 0x4f3a, {0x9c, 0x11, 0x20, 0x7e, 0x35, 0x42, 0x0a, 0x02}};
inline const IID IID_IOther = {0x6b1c53a0, 0x1d8e, 0x4f3a, {0x9c, 0x11, 0x20, 0x7e, 0x35, 0x42, 0x0a, 0x03}};

struct IFirst : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE first(LONG* value) = 0;
};
struct ISecond : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE second(LONG* value) = 0;
};

// What the test class's instances did, reset by each test.
struct Census {
    int constructed = 0;
    int finalReleased = 0;
    int destroyed = 0;
    HRESULT finalConstructResult = S_OK;
    bool throwInConstructor = false;
    long locksInFinalRelease = -1;  // the module's lock count seen there
    long locksInDestructor = -1;
};
inline Census census;

class CTwoFaces : public com::ObjectRoot, public IFirst, public ISecond {
public:
    CTwoFaces() {
        if (census.throwInConstructor) throw 42;
        ++census.constructed;
    }
    ~CTwoFaces() override {
        ++census.destroyed;
        census.locksInDestructor = com::ModuleLock::count();
    }

    static const com::InterfaceTable<CTwoFaces>& interfaces() {
        static const com::InterfaceEntry<CTwoFaces> entries[] = {
            com::interfaceEntry<CTwoFaces, IFirst>(IID_IFirst),
            com::interfaceEntry<CTwoFaces, ISecond>(IID_ISecond),
        };
        static const com::InterfaceTable<CTwoFaces> table{entries};
        return table;
    }

    HRESULT finalConstruct() { return census.finalConstructResult; }
    void finalRelease() {
        ++census.finalReleased;
        census.locksInFinalRelease = com::ModuleLock::count();
    }

    HRESULT STDMETHODCALLTYPE first(LONG* value) override { return *value = 1, S_OK; }
    HRESULT STDMETHODCALLTYPE second(LONG* value) override { return *value = 2, S_OK; }
};

// The reference count of an object, read by a balanced AddRef/Release pair.
inline ULONG refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

}  // namespace comtest
