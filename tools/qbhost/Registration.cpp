#include "tools/qbhost/Registration.h"

#include <windows.h>

#include <vector>

#include "QboxVersion.h"
#include "com/Interfaces.h"

namespace qbhost {
namespace {

std::string classKeyPath() {
    wchar_t clsid[64] = {};
    StringFromGUID2(CLSID_RigManager, clsid, 64);
    std::string text;
    for (const wchar_t* c = clsid; *c; ++c) text += static_cast<char>(*c);
    return "Software\\Classes\\CLSID\\" + text;
}

std::string readValue(HKEY key, const char* name) {
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return "";
    return value;
}

ClassRegistration lookUp(HKEY hive, const char* hiveName, REGSAM view) {
    ClassRegistration found;
    found.key = std::string(hiveName) + "\\" + classKeyPath();
    HKEY key = nullptr;
    const std::string server = classKeyPath() + "\\InprocServer32";
    if (RegOpenKeyExA(hive, server.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return found;
    found.found = true;
    found.path = readValue(key, nullptr);
    found.threadingModel = readValue(key, "ThreadingModel");
    RegCloseKey(key);
    return found;
}

std::string describe(const char* scope, const ClassRegistration& registration) {
    if (!registration.found) return std::string(scope) + ": not registered\n";
    const DWORD attributes = GetFileAttributesA(registration.path.c_str());
    const std::string version = fileVersion(registration.path);
    const std::string file = attributes == INVALID_FILE_ATTRIBUTES ? " (the file is missing)"
                             : version.empty()                    ? " (no version record)"
                                                                  : ", version " + version;
    return std::string(scope) + ": " + registration.path + file + ", ThreadingModel " +
           (registration.threadingModel.empty() ? "(none)" : registration.threadingModel) + "\n    key " +
           registration.key + "\n";
}

}  // namespace

std::string fileVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return "";
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return "";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

bool onWindows64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

Registrations findRegistrations() {
    Registrations found;
    found.allUsers = lookUp(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", KEY_WOW64_32KEY);
    found.perUser = lookUp(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", KEY_WOW64_32KEY);
    if (onWindows64()) found.allUsers64 = lookUp(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE (64-bit view)", KEY_WOW64_64KEY);
    return found;
}

bool runsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

std::string regsvr32Path() {
    char folder[MAX_PATH] = {};
    UINT length = GetSystemWow64DirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) length = GetSystemDirectoryA(folder, MAX_PATH);
    return (length > 0 && length < MAX_PATH ? std::string(folder) : std::string("C:\\Windows\\System32")) +
           "\\regsvr32.exe";
}

std::string registrationLines(const Registrations& found) {
    std::string lines = describe("for all users (32-bit view)", found.allUsers) +
                        describe("for the current user (32-bit view)", found.perUser);
    if (found.allUsers64.found)
        lines += describe("for 64-bit programs only (by the 64-bit regsvr32; the logger does not look there)",
                          found.allUsers64);
    return lines;
}

std::string notRegisteredHint(const Registrations& found, bool elevated) {
    std::string hint;
    const std::string perUser = found.perUser.key + " names " + found.perUser.path;
    if (found.perUser.found && elevated)
        hint += "\n  qbhost runs elevated (as administrator), and Windows gives elevated programs no per-user"
                "\n  registration; one exists: " + perUser + ". Install the driver for all users.";
    else if (found.perUser.found)
        hint += "\n  a per-user registration exists that COM did not use (" + perUser +
                "); Wine reads only registrations for all users. Install the driver for all users.";
    else
        hint += std::string("\n  qbhost runs ") + (elevated ? "elevated (as administrator)" : "without elevation") +
                "; there is no per-user registration either.";
    if (found.allUsers64.found)
        hint += "\n  It is registered for 64-bit programs only (" + found.allUsers64.path +
                "), which the 32-bit logger does not see.";
    hint += "\n  To register it: run the setup program, QboxK4Driver-" QBOX_VERSION_TEXT
            "-setup.exe, or by hand from a command prompt run as administrator: " +
            regsvr32Path() + " \"<folder>\\QboxK4Driver.dll\"";
    return hint;
}

}  // namespace qbhost
