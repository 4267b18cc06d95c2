#include "server/win/TypeLibRegistration.h"

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace {

using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

const WORD majorVersion = 1;
const WORD minorVersion = 0;
const LCID neutralLocale = 0;

// A function of OLEAUT32.DLL, which the DLL imports and so is loaded.
template <class Function>
Function oleAutomationFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), name)));
}

}  // namespace

HRESULT registerTypeLibrary(const std::wstring& modulePath, bool perUser) {
    com::ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.receive());
    if (FAILED(hr)) return hr;
    OLECHAR* path = const_cast<OLECHAR*>(modulePath.c_str());
    if (!perUser) return RegisterTypeLib(library.get(), path, nullptr);

    const auto registerForUser = oleAutomationFunction<RegisterForUser>("RegisterTypeLibForUser");
    if (!registerForUser) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return registerForUser(library.get(), path, nullptr);
}

HRESULT unregisterTypeLibrary(bool perUser) {
    if (!perUser) return UnRegisterTypeLib(LIBID_QuillboxK4Lib, majorVersion, minorVersion, neutralLocale, SYS_WIN32);

    const auto unregisterForUser = oleAutomationFunction<UnregisterForUser>("UnRegisterTypeLibForUser");
    if (!unregisterForUser) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return unregisterForUser(LIBID_QuillboxK4Lib, majorVersion, minorVersion, neutralLocale, SYS_WIN32);
}
