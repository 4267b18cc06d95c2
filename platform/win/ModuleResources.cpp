#include "platform/ModuleResources.h"

namespace platform {
// The module that holds this code: the driver's DLL, or a test program that
// links the same library.
void* moduleHandle() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleHandle), &module);
    return module;
}

BSTR loadStringResource(UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(static_cast<HMODULE>(moduleHandle()), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? SysAllocStringLen(text, static_cast<UINT>(length)) : nullptr;
}

}  // namespace platform
