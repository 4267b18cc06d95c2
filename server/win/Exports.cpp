// The five functions the DLL exports (see QboxK4Driver.def). No exception
// leaves them: each body runs inside com::guard.
#include <windows.h>

#include "com/Guard.h"
#include "server/win/QuillboxK4Module.h"

namespace {

// DllInstall's command line "user", in any letter case and nothing else,
// asks for a registration of the current user only.
RegistrationScope scopeOf(LPCWSTR commandLine) {
    const bool user = commandLine && CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL;
    return user ? RegistrationScope::User : RegistrationScope::Machine;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return quillboxModule.getClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return quillboxModule.canUnloadNow(); }

STDAPI DllRegisterServer() {
    return com::guard([] { return quillboxModule.registerServer(RegistrationScope::Machine); });
}

STDAPI DllUnregisterServer() {
    return com::guard([] { return quillboxModule.unregisterServer(RegistrationScope::Machine); });
}

// Registration that fails is undone, so that nothing stays half-written.
STDAPI DllInstall(BOOL bInstall, LPCWSTR pszCmdLine) {
    return com::guard([&] {
        const RegistrationScope scope = scopeOf(pszCmdLine);
        if (!bInstall) return quillboxModule.unregisterServer(scope);
        const HRESULT hr = quillboxModule.registerServer(scope);
        if (FAILED(hr)) quillboxModule.unregisterServer(scope);
        return hr;
    });
}
