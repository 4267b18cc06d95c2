// The server's object map: one row per creatable class, giving its CLSID, its
// creator and what registration writes for it. DllGetClassObject looks the
// CLSID up here; the class object of a row is made on the first request and
// cached for the life of the module.
//
// Concurrency: any thread may ask for a class object; the mutex serialises
// the cache (first creation and the final release).
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "server/ClassFactory.h"
#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace com {

// What registration writes for a class under CLSID\{clsid}.
struct ClassRegistration {
    const char* description;     // default value of the class key
    const char* threadingModel;  // InprocServer32's ThreadingModel
    const GUID* typeLibrary;     // the TypeLib key's LIBID
    const char* version;         // default value of the Version key
    const char* category;        // key under Implemented Categories, braces included
};

struct ClassEntry {
    const CLSID* clsid;
    Creator create;
    const ClassRegistration* registration;
};

class ClassTable {
public:
    template <size_t N>
    explicit ClassTable(const ClassEntry (&rows)[N]) : rows_(rows), count_(N), cache_(N) {}

    ClassTable(const ClassTable&) = delete;
    ClassTable& operator=(const ClassTable&) = delete;

    // The class object of rclsid, queried for iid: CLASS_E_CLASSNOTAVAILABLE
    // for a class not in the table. The caller has checked out and cleared *out.
    HRESULT getClassObject(REFCLSID rclsid, REFIID iid, void** out);

    // Drops the cached class objects (module unload).
    void releaseClassObjects();

    const ClassEntry* begin() const { return rows_; }
    const ClassEntry* end() const { return rows_ + count_; }

private:
    const ClassEntry* rows_;
    size_t count_;
    std::mutex mutex_;
    std::vector<ComPtr<IClassFactory>> cache_;
};

}  // namespace com
