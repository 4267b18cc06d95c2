// The built QboxK4Driver.dll for the Windows-only tests: the build copies it
// beside each test program, which loads it and calls its exports.
#pragma once

#include <windows.h>

#include <string>

namespace comtest {

// The full path of the DLL beside the running program.
std::wstring driverDllPath();

// Loads the DLL for the life of the object.
class DriverDll {
public:
    DriverDll();
    ~DriverDll();
    DriverDll(const DriverDll&) = delete;
    DriverDll& operator=(const DriverDll&) = delete;

    HMODULE module() const { return module_; }
    // The path the system loaded the DLL from.
    std::wstring loadedPath() const;

    HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** out) const;
    HRESULT canUnloadNow() const;
    HRESULT registerServer() const;
    HRESULT unregisterServer() const;
    HRESULT install(BOOL install, const wchar_t* commandLine) const;

    // An export by name, null when the DLL has none.
    FARPROC exported(const char* name) const { return GetProcAddress(module_, name); }

private:
    template <class Function>
    Function function(const char* name) const;

    HMODULE module_;
};

}  // namespace comtest
