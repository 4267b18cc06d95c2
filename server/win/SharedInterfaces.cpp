#include "server/win/SharedInterfaces.h"

#include <cwctype>
#include <string>
#include <vector>

#include "com/Interfaces.h"
#include "server/RegistryRows.h"
#include "server/win/RegistryKey.h"

namespace {

const IID* const sharedInterfaces[] = {&IID_IQbRigIO, &IID_IQbRig};
const wchar_t* const keptRoot = L"Software\\QboxK4Driver\\Kept interfaces";

// What an interface key names before the step.
enum class Found { Absent, Ours, Other };

// What happens to one interface key around the step.
struct Plan {
    bool copyAside;  // copy the key to the driver's key before the step
    bool putBack;    // afterwards replace the key by its copy, or remove it when there is none
    bool dropCopy;   // forget a copy made earlier
};

Plan planFor(TypeLibraryStep step, Found found) {
    switch (found) {
    case Found::Other:
        return {true, true, false};
    case Found::Ours:
        return {false, step == TypeLibraryStep::Unregister, false};
    case Found::Absent:
        break;
    }
    return {false, false, true};
}

std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// "{BA04A117-...}": upper case, as the system's type library registration
// names interface keys.
std::wstring keyName(const GUID& guid) {
    std::wstring name = widen(com::guidText(guid));
    for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
    return name;
}

struct InterfaceKeys {
    std::wstring registered;  // below the classes root
    std::wstring kept;        // below the hive
};

InterfaceKeys keysOf(const IID& iid) {
    const std::wstring name = keyName(iid);
    return {L"Interface\\" + name, std::wstring(keptRoot) + L"\\" + name};
}

Found find(HKEY classes, const std::wstring& path) {
    RegistryKey key;
    const LSTATUS status = RegOpenKeyExW(classes, path.c_str(), 0, KEY_READ, key.receive());
    if (status == ERROR_FILE_NOT_FOUND) return Found::Absent;
    wchar_t library[64];
    DWORD size = sizeof library;
    if (status != ERROR_SUCCESS ||
        RegGetValueW(key.get(), L"TypeLib", nullptr, RRF_RT_REG_SZ, nullptr, library, &size) != ERROR_SUCCESS)
        return Found::Other;
    const std::wstring ours = widen(com::guidText(LIBID_QuillboxK4Lib));
    const bool same = CompareStringOrdinal(library, -1, ours.c_str(), -1, TRUE) == CSTR_EQUAL;
    return same ? Found::Ours : Found::Other;
}

// Makes the key `to` below toRoot a copy of `from` below fromRoot. A key
// that exists is emptied and filled, so that it keeps its name as written.
LSTATUS copyKey(HKEY fromRoot, const std::wstring& from, HKEY toRoot, const std::wstring& to) {
    RegistryKey copy;
    LSTATUS status = RegCreateKeyExW(toRoot, to.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, copy.receive(), nullptr);
    if (status == ERROR_SUCCESS) status = RegDeleteTreeW(copy.get(), nullptr);
    if (status == ERROR_SUCCESS) status = RegCopyTreeW(fromRoot, from.c_str(), copy.get());
    return status;
}

LSTATUS putBack(HKEY classes, HKEY hive, const InterfaceKeys& keys) {
    RegistryKey kept;
    if (RegOpenKeyExW(hive, keys.kept.c_str(), 0, KEY_READ, kept.receive()) == ERROR_FILE_NOT_FOUND)
        return deleteKeyTree(classes, keys.registered.c_str());
    return copyKey(hive, keys.kept, classes, keys.registered);
}

// The copies' keys go when nothing is left in them.
void removeEmptyKeys(HKEY hive) {
    RegDeleteKeyW(hive, keptRoot);
    RegDeleteKeyW(hive, L"Software\\QboxK4Driver");
}

}  // namespace

HRESULT keepingSharedInterfaces(bool perUser, TypeLibraryStep stepKind, const std::function<HRESULT()>& step) {
    const HKEY hive = perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    RegistryKey classes;
    LSTATUS status = openClassesRoot(perUser, classes);
    std::vector<Plan> plans;
    for (const IID* iid : sharedInterfaces) {
        if (status != ERROR_SUCCESS) break;
        const InterfaceKeys keys = keysOf(*iid);
        const Plan plan = planFor(stepKind, find(classes.get(), keys.registered));
        if (plan.copyAside) status = copyKey(classes.get(), keys.registered, hive, keys.kept);
        if (plan.dropCopy) status = deleteKeyTree(hive, keys.kept.c_str());
        plans.push_back(plan);
    }
    if (status != ERROR_SUCCESS) {
        removeEmptyKeys(hive);
        return HRESULT_FROM_WIN32(status);
    }

    HRESULT hr = step();
    for (size_t i = 0; i < plans.size(); ++i) {
        if (!plans[i].putBack) continue;
        status = putBack(classes.get(), hive, keysOf(*sharedInterfaces[i]));
        if (SUCCEEDED(hr) && status != ERROR_SUCCESS) hr = HRESULT_FROM_WIN32(status);
    }
    if (stepKind == TypeLibraryStep::Unregister) {
        status = deleteKeyTree(hive, keptRoot);
        if (SUCCEEDED(hr) && status != ERROR_SUCCESS) hr = HRESULT_FROM_WIN32(status);
    }
    removeEmptyKeys(hive);
    return hr;
}
