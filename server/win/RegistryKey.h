// An open registry key that closes itself, and the roots that registration
// writes below: the classes root of a scope and the driver's own key.
#pragma once

#include <windows.h>

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY* receive() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The machine's HKEY_CLASSES_ROOT, or HKEY_CURRENT_USER\Software\Classes
// (created when missing) for a per-user registration; read and write access.
LSTATUS openClassesRoot(bool perUser, RegistryKey& root);

// Software\QboxK4Driver below HKEY_LOCAL_MACHINE, or below HKEY_CURRENT_USER
// for a per-user registration, created when missing; read and write access.
LSTATUS createDriverKey(bool perUser, RegistryKey& key);

// Removes the key below root with everything under it; a missing key is success.
LSTATUS deleteKeyTree(HKEY root, const wchar_t* path);
