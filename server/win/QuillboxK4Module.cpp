#include "server/win/QuillboxK4Module.h"

#include "com/ObjectRoot.h"
#include "server/RigManagerClass.h"
#include "manager/ProcessState.h"
#include "manager/RigManager.h"

namespace {

const com::ClassEntry objectMapRows[] = {
    {&CLSID_RigManager, &com::createInstance<CRigManager>, &com::rigManagerRegistration},
};

com::ClassTable objectMap{objectMapRows};

// The full path of the module, however long.
std::wstring modulePath(HINSTANCE instance) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(instance, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

CQuillboxK4Module quillboxModule;

CQuillboxK4Module::CQuillboxK4Module() : ServerModule(objectMap) {}

void CQuillboxK4Module::attach(HINSTANCE instance) {
    instance_ = instance;
    initialise();
}

void CQuillboxK4Module::detach() {
    terminate();
    process::releaseLogTrail();
}

HRESULT CQuillboxK4Module::registerServer(RegistrationScope scope) const {
    const std::wstring path = modulePath(instance_);
    if (path.empty()) return E_UNEXPECTED;
    return ::registerServer(classes(), path, scope);
}

HRESULT CQuillboxK4Module::unregisterServer(RegistrationScope scope) const {
    return ::unregisterServer(classes(), scope);
}
