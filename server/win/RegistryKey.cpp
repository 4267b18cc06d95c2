#include "server/win/RegistryKey.h"

namespace {

LSTATUS createKey(HKEY parent, const wchar_t* path, RegistryKey& key) {
    return RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                           key.receive(), nullptr);
}

}  // namespace

LSTATUS openClassesRoot(bool perUser, RegistryKey& root) {
    if (!perUser) return RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_READ | KEY_WRITE, root.receive());
    return createKey(HKEY_CURRENT_USER, L"Software\\Classes", root);
}

LSTATUS createDriverKey(bool perUser, RegistryKey& key) {
    return createKey(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"Software\\QboxK4Driver", key);
}

LSTATUS deleteKeyTree(HKEY root, const wchar_t* path) {
    const LSTATUS status = RegDeleteTreeW(root, path);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}
