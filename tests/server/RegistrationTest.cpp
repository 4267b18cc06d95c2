// Self-registration of QboxK4Driver.dll, through regsvr32 and through the
// exports: the keys and values written machine-wide (HKLM\Software\Classes,
// behind HKEY_CLASSES_ROOT) or per user (HKCU\Software\Classes), what
// unregistration leaves, the type library's registration, and the logger's
// own registration of the interfaces it shares with the driver, which both
// directions keep. Runs in a Wine prefix of its own, since it changes the
// registry. (Wine's per-user type library registration acts on the machine,
// so the shared interfaces are checked machine-wide only.)
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>

#include "com/Interfaces.h"
#include "tests/server/DriverDll.h"

using comtest::DriverDll;

namespace {

const wchar_t* const classKey = L"CLSID\\{ddc012f8-a786-4584-856d-044bc1f49414}";
const wchar_t* const typeLibKey = L"TypeLib\\{fe4f5263-11d5-4724-95ba-a978983b6369}\\1.0";
const wchar_t* const category = L"{C721215A-7716-101A-AA54-00608C61D0B1}";
const wchar_t* const rigIoKey = L"Interface\\{BA04A117-26C3-4C87-A3BA-F3D7A1D8C4FE}";
const wchar_t* const rigKey = L"Interface\\{DBFD22D6-5229-407D-A407-E15D7FF35253}";
const wchar_t* const rigManager3Key = L"Interface\\{a222643e-744a-46f8-85fe-02883ec5c2e3}";
const wchar_t* const driverKey = L"Software\\QboxK4Driver";

struct Root {
    HKEY key;
    const wchar_t* classes;
};
const Root machine{HKEY_LOCAL_MACHINE, L"Software\\Classes\\"};
const Root user{HKEY_CURRENT_USER, L"Software\\Classes\\"};

std::wstring below(const Root& root, const std::wstring& path) { return root.classes + path; }

bool keyExists(const Root& root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root.key, below(root, path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> stringValue(const Root& root, const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegGetValueW(root.key, below(root, path).c_str(), name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
    return std::wstring(data);
}

std::set<std::wstring> subkeys(const Root& root, const std::wstring& path) {
    std::set<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root.key, below(root, path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

DWORD valueCount(const Root& root, const std::wstring& path) {
    HKEY key = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExW(root.key, below(root, path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}

void setString(const Root& root, const std::wstring& path, const wchar_t* name, const std::wstring& text) {
    RegSetKeyValueW(root.key, below(root, path).c_str(), name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// A key with everything below it: "subkey\path|value name" -> "type:data".
using Tree = std::map<std::wstring, std::wstring>;

void readTree(HKEY key, const std::wstring& at, Tree& tree) {
    tree[at] = L"key";
    wchar_t name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256, size = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        tree[at + L"|" + name] = std::to_wstring(type) + L":" +
                                 std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        readTree(sub, at + L"\\" + name, tree);
        RegCloseKey(sub);
    }
}

// The shared interfaces' keys, empty when neither exists.
Tree sharedInterfaceKeys(const Root& root) {
    Tree tree;
    for (const wchar_t* path : {rigIoKey, rigKey}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root.key, below(root, path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        readTree(key, path, tree);
        RegCloseKey(key);
    }
    return tree;
}

// IQbRigIO and IQbRig registered by another type library, as the logger (or
// another of its drivers) leaves them.
void registerSharedInterfacesElsewhere(const Root& root) {
    for (const wchar_t* path : {rigIoKey, rigKey}) {
        const std::wstring key = path;
        setString(root, key, nullptr, L"logger's interface");
        setString(root, key + L"\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}");
        setString(root, key + L"\\TypeLib", nullptr, L"{0b6a0f1e-5c3d-4e2a-9f10-2b7c1d9e8a44}");
        setString(root, key + L"\\TypeLib", L"Version", L"3.1");
        const DWORD flags = 5;
        RegSetKeyValueW(root.key, below(root, key).c_str(), L"Flags", REG_DWORD, &flags, sizeof flags);
    }
}

// What another program's registration of the type library does: LoadTypeLibEx
// with REGKIND_REGISTER points every interface of it at the driver's library.
void registerTypeLibraryAsAnotherProgramWould(const std::wstring& dllPath) {
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(dllPath.c_str(), REGKIND_REGISTER, &library), S_OK);
    library->Release();
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Runs regsvr32 with the arguments and the DLL's path; its exit code.
DWORD regsvr32(const std::wstring& arguments) {
    std::wstring commandLine = L"regsvr32.exe " + arguments + L" \"" + comtest::driverDllPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError() | 0x80000000u;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Start from nothing registered, whatever an earlier test left.
        dll_.unregisterServer();
        dll_.install(FALSE, L"user");
        for (const wchar_t* path : {rigIoKey, rigKey}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, below(machine, path).c_str());
        ASSERT_FALSE(keyExists(machine, classKey));
        ASSERT_FALSE(keyExists(user, classKey));
    }

    // The whole class key as designed, with the loaded DLL as server.
    void expectClassKeys(const Root& root) {
        EXPECT_EQ(stringValue(root, classKey), L"RigManager class");
        EXPECT_EQ(valueCount(root, classKey), 1u);
        EXPECT_EQ(subkeys(root, classKey),
                  (std::set<std::wstring>{L"Implemented Categories", L"InprocServer32", L"TypeLib", L"Version"}));
        const std::wstring server = classKey + std::wstring(L"\\InprocServer32");
        const std::optional<std::wstring> path = stringValue(root, server);
        ASSERT_TRUE(path);
        EXPECT_TRUE(sameFile(*path, dll_.loadedPath())) << std::string(path->begin(), path->end());
        EXPECT_EQ(stringValue(root, server, L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(valueCount(root, server), 2u);
        EXPECT_EQ(stringValue(root, classKey + std::wstring(L"\\TypeLib")), L"{fe4f5263-11d5-4724-95ba-a978983b6369}");
        EXPECT_EQ(stringValue(root, classKey + std::wstring(L"\\Version")), L"1.0");
        const std::wstring categories = classKey + std::wstring(L"\\Implemented Categories");
        EXPECT_EQ(subkeys(root, categories), std::set<std::wstring>{category});
        EXPECT_EQ(valueCount(root, categories + L"\\" + category), 0u);
    }

    // The type library and the marshaler entries it brings.
    void expectTypeLibrary(const Root& root) {
        const std::optional<std::wstring> path = stringValue(root, typeLibKey + std::wstring(L"\\0\\win32"));
        ASSERT_TRUE(path);
        EXPECT_TRUE(sameFile(*path, dll_.loadedPath()));
        EXPECT_EQ(stringValue(root, L"Interface\\{a222643e-744a-46f8-85fe-02883ec5c2e3}\\ProxyStubClsid32"),
                  L"{00020424-0000-0000-C000-000000000046}");
    }

    DriverDll dll_;
};

TEST_F(RegistrationTest, Regsvr32RegistersMachineWideAndUnregisters) {
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    expectClassKeys(machine);
    expectTypeLibrary(machine);
    EXPECT_FALSE(keyExists(user, classKey));

    ASSERT_EQ(regsvr32(L"/s /u"), 0u);
    EXPECT_FALSE(keyExists(machine, classKey));
    EXPECT_TRUE(keyExists(machine, L"CLSID"));
    EXPECT_FALSE(keyExists(machine, typeLibKey));
}

TEST_F(RegistrationTest, Regsvr32WithUserInstallRegistersForTheUser) {
    ASSERT_EQ(regsvr32(L"/s /n /i:user"), 0u);
    expectClassKeys(user);
    EXPECT_FALSE(keyExists(machine, classKey));
    ASSERT_EQ(regsvr32(L"/s /u /n /i:user"), 0u);
    EXPECT_FALSE(keyExists(user, classKey));
}

TEST_F(RegistrationTest, RegisterServerRecreatesTheClassKeyWhole) {
    HKEY stale = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, below(machine, classKey + std::wstring(L"\\Stale")).c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(stale);
    ASSERT_EQ(dll_.registerServer(), S_OK);
    expectClassKeys(machine);
    expectTypeLibrary(machine);
}

TEST_F(RegistrationTest, UnregisterServerRemovesTheClassKeyButNeverClsid) {
    ASSERT_EQ(dll_.registerServer(), S_OK);
    EXPECT_EQ(dll_.unregisterServer(), S_OK);
    EXPECT_FALSE(keyExists(machine, classKey));
    EXPECT_TRUE(keyExists(machine, L"CLSID"));
    EXPECT_FALSE(keyExists(machine, typeLibKey));
    EXPECT_FALSE(keyExists(machine, rigManager3Key));
    EXPECT_FALSE(keyExists(machine, rigIoKey));
}

struct RegistrationWay {
    const char* name;
    HRESULT (*registerIt)(const DriverDll&);
    HRESULT (*unregisterIt)(const DriverDll&);
};

const RegistrationWay registrationWays[] = {
    {"regsvr32", [](const DriverDll&) { return HRESULT(regsvr32(L"/s")); },
     [](const DriverDll&) { return HRESULT(regsvr32(L"/s /u")); }},
    {"DllRegisterServer", [](const DriverDll& dll) { return dll.registerServer(); },
     [](const DriverDll& dll) { return dll.unregisterServer(); }},
    {"DllInstall", [](const DriverDll& dll) { return dll.install(TRUE, nullptr); },
     [](const DriverDll& dll) { return dll.install(FALSE, nullptr); }},
};

TEST_F(RegistrationTest, EveryWayKeepsTheSharedInterfacesThatAnotherLibraryRegistered) {
    for (const RegistrationWay& way : registrationWays) {
        SCOPED_TRACE(way.name);
        registerSharedInterfacesElsewhere(machine);
        const Tree before = sharedInterfaceKeys(machine);

        ASSERT_EQ(way.registerIt(dll_), S_OK);
        EXPECT_EQ(sharedInterfaceKeys(machine), before);
        expectTypeLibrary(machine);

        ASSERT_EQ(way.unregisterIt(dll_), S_OK);
        EXPECT_EQ(sharedInterfaceKeys(machine), before);
        EXPECT_FALSE(keyExists(machine, rigManager3Key));
        HKEY kept = nullptr;
        EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, driverKey, 0, KEY_READ, &kept), ERROR_SUCCESS);
    }
}

TEST_F(RegistrationTest, UnregistrationPutsBackWhatAnotherRegistrationReplaced) {
    registerSharedInterfacesElsewhere(machine);
    const Tree before = sharedInterfaceKeys(machine);
    ASSERT_EQ(dll_.registerServer(), S_OK);
    registerTypeLibraryAsAnotherProgramWould(dll_.loadedPath());
    ASSERT_EQ(stringValue(machine, rigIoKey + std::wstring(L"\\TypeLib")), L"{FE4F5263-11D5-4724-95BA-A978983B6369}");
    ASSERT_EQ(dll_.registerServer(), S_OK);  // over its own library's keys: the copy stays

    ASSERT_EQ(dll_.unregisterServer(), S_OK);
    EXPECT_EQ(sharedInterfaceKeys(machine), before);
}

TEST_F(RegistrationTest, UnregistrationDoesNotBringBackARegistrationRemovedMeanwhile) {
    registerSharedInterfacesElsewhere(machine);
    ASSERT_EQ(dll_.registerServer(), S_OK);
    for (const wchar_t* path : {rigIoKey, rigKey}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, below(machine, path).c_str());
    ASSERT_EQ(dll_.registerServer(), S_OK);  // the keys are now its own library's
    ASSERT_EQ(dll_.unregisterServer(), S_OK);
    EXPECT_EQ(sharedInterfaceKeys(machine), Tree());
}

TEST_F(RegistrationTest, RegistrationRestoresTheThreadLocale) {
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(german));
    EXPECT_EQ(dll_.registerServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    EXPECT_EQ(dll_.unregisterServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
}

TEST_F(RegistrationTest, InstallWithUserInAnyCaseRegistersForTheCurrentUser) {
    for (const wchar_t* commandLine : {L"user", L"USER", L"uSeR"}) {
        SCOPED_TRACE(std::string(commandLine, commandLine + 4));
        ASSERT_EQ(dll_.install(TRUE, commandLine), S_OK);
        expectClassKeys(user);
        EXPECT_FALSE(keyExists(machine, classKey));
        EXPECT_EQ(dll_.install(FALSE, commandLine), S_OK);
        EXPECT_FALSE(keyExists(user, classKey));
        EXPECT_TRUE(keyExists(user, L"CLSID"));
    }
}

TEST_F(RegistrationTest, InstallWithAnyOtherCommandLineRegistersMachineWide) {
    for (const wchar_t* commandLine : {L"userx", L"use", L" user", L"", static_cast<const wchar_t*>(nullptr)}) {
        ASSERT_EQ(dll_.install(TRUE, commandLine), S_OK);
        expectClassKeys(machine);
        EXPECT_FALSE(keyExists(user, classKey));
        EXPECT_EQ(dll_.install(FALSE, commandLine), S_OK);
        EXPECT_FALSE(keyExists(machine, classKey));
    }
}

TEST_F(RegistrationTest, UserInstallDoesNotMakeLaterRegistrationsPerUser) {
    ASSERT_EQ(dll_.install(TRUE, L"user"), S_OK);
    ASSERT_EQ(dll_.registerServer(), S_OK);
    expectClassKeys(machine);
}

// The type library's key, made volatile: the registry refuses it a lasting
// subkey, so type library registration fails after the class keys are written.
class VolatileTypeLibKey {
public:
    VolatileTypeLibKey() {
        HKEY key = nullptr;
        made_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path().c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr,
                                &key, nullptr) == ERROR_SUCCESS;
        if (made_) RegCloseKey(key);
    }
    ~VolatileTypeLibKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, path().c_str()); }
    bool made() const { return made_; }

private:
    static std::wstring path() { return below(machine, L"TypeLib\\{fe4f5263-11d5-4724-95ba-a978983b6369}"); }
    bool made_ = false;
};

TEST_F(RegistrationTest, FailedInstallLeavesNothingHalfWritten) {
    registerSharedInterfacesElsewhere(machine);
    const Tree before = sharedInterfaceKeys(machine);
    VolatileTypeLibKey blocked;
    ASSERT_TRUE(blocked.made());
    ASSERT_TRUE(FAILED(dll_.registerServer()));
    EXPECT_TRUE(keyExists(machine, classKey));  // the class keys came first

    EXPECT_TRUE(FAILED(dll_.install(TRUE, nullptr)));
    EXPECT_FALSE(keyExists(machine, classKey));
    EXPECT_EQ(sharedInterfaceKeys(machine), before);
}

}  // namespace
