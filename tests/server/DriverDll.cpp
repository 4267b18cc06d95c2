#include "tests/server/DriverDll.h"

#include <gtest/gtest.h>

namespace comtest {

std::wstring driverDllPath() {
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path(program, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"QboxK4Driver.dll";
}

DriverDll::DriverDll() : module_(LoadLibraryW(driverDllPath().c_str())) {
    if (!module_) ADD_FAILURE() << "cannot load the driver DLL, error " << GetLastError();
}

DriverDll::~DriverDll() {
    if (module_) FreeLibrary(module_);
}

std::wstring DriverDll::loadedPath() const {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module_, path, MAX_PATH);
    return std::wstring(path, length);
}

template <class Function>
Function DriverDll::function(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(exported(name)));
}

HRESULT DriverDll::getClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return function<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
}

HRESULT DriverDll::canUnloadNow() const { return function<HRESULT(WINAPI*)()>("DllCanUnloadNow")(); }

HRESULT DriverDll::registerServer() const { return function<HRESULT(WINAPI*)()>("DllRegisterServer")(); }

HRESULT DriverDll::unregisterServer() const { return function<HRESULT(WINAPI*)()>("DllUnregisterServer")(); }

HRESULT DriverDll::install(BOOL install, const wchar_t* commandLine) const {
    return function<HRESULT(WINAPI*)(BOOL, LPCWSTR)>("DllInstall")(install, commandLine);
}

}  // namespace comtest
