#include "server/win/Registrar.h"

namespace {

// Registry content is ASCII apart from the module path.
std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Owns an open registry key.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY* receive() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The classes root of the scope; the user's is created when missing.
LSTATUS openClassesRoot(bool perUser, Key& root) {
    const REGSAM access = KEY_READ | KEY_WRITE;
    if (!perUser) return RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, access, root.receive());
    return RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, root.receive(), nullptr);
}

LSTATUS deleteTree(HKEY root, const std::string& key) {
    const LSTATUS status = RegDeleteTreeW(root, widen(key).c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS writeRow(HKEY root, const com::RegistryRow& row, const std::wstring& modulePath) {
    Key key;
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
    Key root;
    LSTATUS status = openClassesRoot(perUser, root);
    if (status == ERROR_SUCCESS) status = deleteTree(root.get(), keys.classKey);
    for (const com::RegistryRow& row : keys.rows) {
        if (status != ERROR_SUCCESS) break;
        status = writeRow(root.get(), row, modulePath);
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT removeClassKeys(const com::ClassKeys& keys, bool perUser) {
    Key root;
    LSTATUS status = openClassesRoot(perUser, root);
    if (status == ERROR_SUCCESS) status = deleteTree(root.get(), keys.classKey);
    return HRESULT_FROM_WIN32(status);
}
