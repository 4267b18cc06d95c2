#include "server/ClassTable.h"

namespace com {

HRESULT ClassTable::getClassObject(REFCLSID rclsid, REFIID iid, void** out) {
    for (size_t i = 0; i < count_; ++i) {
        if (!IsEqualGUID(rclsid, *rows_[i].clsid)) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        if (!cache_[i]) cache_[i] = ClassFactory::create(rows_[i].create);
        if (!cache_[i]) return E_OUTOFMEMORY;
        const HRESULT hr = cache_[i]->QueryInterface(iid, out);
        if (SUCCEEDED(hr) && !*out) return CLASS_E_CLASSNOTAVAILABLE;
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

void ClassTable::releaseClassObjects() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (ComPtr<IClassFactory>& cached : cache_) cached.reset();
}

}  // namespace com
