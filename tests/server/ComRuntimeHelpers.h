// Small helpers of the tests that reach the driver through the real COM
// runtime.
#pragma once

#include <windows.h>

#include <string>

namespace comtest {

inline const wchar_t* const kDriverDllName = L"QboxK4Driver.dll";

// The object's reference count, read without changing it.
inline ULONG refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The text of a BSTR the caller owns, freed here; "<null>" for null.
inline std::wstring takeBstr(BSTR text) {
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : L"<null>";
    SysFreeString(text);
    return result;
}

// DllCanUnloadNow of the copy of the DLL that COM loaded.
inline HRESULT canUnloadNow() {
    HMODULE module = GetModuleHandleW(kDriverDllName);
    if (!module) return E_UNEXPECTED;
    auto function =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return function();
}

}  // namespace comtest
