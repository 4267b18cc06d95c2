// Writes and removes a class's registry rows below the classes root: the
// machine's HKEY_CLASSES_ROOT, or HKEY_CURRENT_USER\Software\Classes for a
// per-user registration.
#pragma once

#include <windows.h>

#include <string>

#include "server/RegistryRows.h"

// Removes the class key whole, then writes every row; a ModulePath row gets
// modulePath. Returns the first failure as an HRESULT.
HRESULT writeClassKeys(const com::ClassKeys& keys, const std::wstring& modulePath, bool perUser);

// Removes the class key with everything below it; a missing key is success.
HRESULT removeClassKeys(const com::ClassKeys& keys, bool perUser);
