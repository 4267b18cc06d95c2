#include "server/win/Registrar.h"

#include "server/win/RegistryKey.h"

namespace {

// Registry content is ASCII apart from the module path.
std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

LSTATUS writeRow(HKEY root, const com::RegistryRow& row, const std::wstring& modulePath) {
    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(root, widen(row.key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_WRITE, nullptr, key.receive(), nullptr);
    if (status != ERROR_SUCCESS || row.data == com::RegistryRow::Data::KeyOnly) return status;

    const std::wstring value = row.data == com::RegistryRow::Data::ModulePath ? modulePath : widen(row.text);
    const std::wstring name = widen(row.valueName);
    return RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

HRESULT writeClassKeys(const com::ClassKeys& keys, const std::wstring& modulePath, bool perUser) {
    RegistryKey root;
    LSTATUS status = openClassesRoot(perUser, root);
    if (status == ERROR_SUCCESS) status = deleteKeyTree(root.get(), widen(keys.classKey).c_str());
    for (const com::RegistryRow& row : keys.rows) {
        if (status != ERROR_SUCCESS) break;
        status = writeRow(root.get(), row, modulePath);
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT removeClassKeys(const com::ClassKeys& keys, bool perUser) {
    RegistryKey root;
    LSTATUS status = openClassesRoot(perUser, root);
    if (status == ERROR_SUCCESS) status = deleteKeyTree(root.get(), widen(keys.classKey).c_str());
    return HRESULT_FROM_WIN32(status);
}
