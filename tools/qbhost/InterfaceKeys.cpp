#include "tools/qbhost/InterfaceKeys.h"

#include <windows.h>

#include <optional>

#include "com/Interfaces.h"

namespace qbhost {
namespace {

struct NamedInterface {
    const char* name;
    const IID* iid;
};

const NamedInterface kInterfaces[] = {
    {"IRigManager", &IID_IRigManager}, {"IRigManager2", &IID_IRigManager2}, {"IRigManager3", &IID_IRigManager3},
    {"IRadioChooser", &IID_IRadioChooser}, {"IQbRig", &IID_IQbRig},        {"IQbRigIO", &IID_IQbRigIO},
};

std::string guidText(const GUID& guid) {
    wchar_t wide[64] = {};
    StringFromGUID2(guid, wide, 64);
    std::string text;
    for (const wchar_t* c = wide; *c; ++c) text += static_cast<char>(*c);
    return text;
}

// A key under Software\Classes in the 32-bit view, where a 32-bit program
// such as the logger finds it; null when it does not exist.
HKEY openClassesKey(HKEY hive, const std::string& path) {
    HKEY key = nullptr;
    const std::string name = "Software\\Classes\\" + path;
    return RegOpenKeyExA(hive, name.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS ? key
                                                                                                            : nullptr;
}

bool keyExists(HKEY hive, const std::string& path) {
    HKEY key = openClassesKey(hive, path);
    if (key) RegCloseKey(key);
    return key != nullptr;
}

std::optional<std::string> defaultValue(HKEY hive, const std::string& path) {
    HKEY key = openClassesKey(hive, path);
    if (!key) return std::nullopt;
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return std::string(value);
}

std::string typeLibraryLine(HKEY hive, const std::string& libid) {
    const auto path = defaultValue(hive, "TypeLib\\" + libid + "\\1.0\\0\\win32");
    const std::string start = "  type library " + libid + " 1.0: ";
    if (!path) return start + "not registered\n";
    const bool missing = GetFileAttributesA(path->c_str()) == INVALID_FILE_ATTRIBUTES;
    return start + *path + (missing ? " (the file is missing)" : "") + "\n";
}

std::string interfaceLine(HKEY hive, const NamedInterface& named, const std::string& libid) {
    const std::string iid = guidText(*named.iid);
    const std::string start = "  " + std::string(named.name) + " " + iid + ": ";
    if (!keyExists(hive, "Interface\\" + iid)) return "";
    const auto library = defaultValue(hive, "Interface\\" + iid + "\\TypeLib");
    if (!library) return start + "registered without a type library\n";
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, library->c_str(), -1, libid.c_str(), -1) == CSTR_EQUAL)
        return start + "this driver's type library\n";
    return start + "type library " + *library + ", another program's (the logger's, as a rule)\n";
}

std::string scopeLines(HKEY hive, const char* scope) {
    const std::string libid = guidText(LIBID_QuillboxK4Lib);
    std::string lines = std::string(scope) + ":\n" + typeLibraryLine(hive, libid);
    std::string interfaces;
    for (const NamedInterface& named : kInterfaces) interfaces += interfaceLine(hive, named, libid);
    return lines + (interfaces.empty() ? "  no key of the driver's interfaces\n" : interfaces);
}

}  // namespace

std::string typeLibraryLines() {
    return scopeLines(HKEY_LOCAL_MACHINE, "for all users") + scopeLines(HKEY_CURRENT_USER, "for the current user");
}

}  // namespace qbhost
