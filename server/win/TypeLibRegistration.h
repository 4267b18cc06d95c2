// Registration of the type library embedded in the DLL (resource TYPELIB 1).
// Registering it also makes the system's type-library marshaler the proxy of
// every oleautomation interface in it. The per-user functions exist only on
// newer systems, so they are looked up in OLEAUT32.DLL at run time.
#pragma once

#include <windows.h>

#include <string>

HRESULT registerTypeLibrary(const std::wstring& modulePath, bool perUser);

// Unregisters QuillboxK4Lib 1.0, language-neutral, Win32.
HRESULT unregisterTypeLibrary(bool perUser);
