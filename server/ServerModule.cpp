#include "server/ServerModule.h"

#include "com/Guard.h"
#include "com/ModuleLock.h"

namespace com {

void ServerModule::terminate() {
    initialised_.store(false, std::memory_order_release);
    classes_.releaseClassObjects();
}

HRESULT ServerModule::getClassObject(REFCLSID rclsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!initialised_.load(std::memory_order_acquire)) return E_UNEXPECTED;
    return guard([&] { return classes_.getClassObject(rclsid, iid, out); });
}

HRESULT ServerModule::canUnloadNow() const { return ModuleLock::count() == 0 ? S_OK : S_FALSE; }

}  // namespace com
