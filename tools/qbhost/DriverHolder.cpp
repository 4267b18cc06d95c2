#include "tools/qbhost/DriverHolder.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>

namespace qbhost {
namespace {

constexpr const char* kDllName = "qboxk4driver.dll";

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string processText(const PROCESSENTRY32& process) {
    return std::string(process.szExeFile) + " (process " + std::to_string(process.th32ProcessID) + ")";
}

// A program that can load a 32-bit DLL in the session of this one.
bool couldHoldIt(DWORD processId, DWORD session) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return false;
    BOOL wow64 = FALSE;
    BOOL selfWow64 = FALSE;
    IsWow64Process(process, &wow64);
    IsWow64Process(GetCurrentProcess(), &selfWow64);
    CloseHandle(process);
    DWORD itsSession = 0;
    // On 64-bit Windows only programs under WOW64 are 32-bit.
    return (!selfWow64 || wow64) && ProcessIdToSessionId(processId, &itsSession) && itsSession == session;
}

enum class Modules { Holds, Lacks, Unreadable };

Modules modulesOf(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return Modules::Unreadable;
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    bool holds = false;
    for (BOOL more = Module32First(snapshot, &module); more && !holds; more = Module32Next(snapshot, &module))
        holds = lower(module.szModule) == kDllName;
    CloseHandle(snapshot);
    return holds ? Modules::Holds : Modules::Lacks;
}

enum class Lock { Free, Held, NoRights };

Lock lockOf(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return Lock::Free;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return Lock::Held;
    return error == ERROR_ACCESS_DENIED ? Lock::NoRights : Lock::Free;
}

}  // namespace

DriverHolders findDriverHolders(const std::vector<std::string>& paths) {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    std::vector<std::string> holders, unexamined;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process)) {
        if (process.th32ProcessID == GetCurrentProcessId() || process.th32ProcessID == 0) continue;
        const Modules modules = modulesOf(process.th32ProcessID);
        if (modules == Modules::Holds) holders.push_back(processText(process));
        if (modules == Modules::Unreadable && couldHoldIt(process.th32ProcessID, session))
            unexamined.push_back(processText(process));
    }
    if (snapshot != INVALID_HANDLE_VALUE) CloseHandle(snapshot);
    const auto join = [](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
        return text;
    };
    if (!holders.empty()) return {DriverHolders::State::Held, join(holders)};
    bool noRights = false;
    for (const std::string& path : paths) {
        const Lock lock = lockOf(path);
        if (lock == Lock::Held) return {DriverHolders::State::Held, "a program qbhost cannot examine (" + path + " is in use)"};
        noRights = noRights || lock == Lock::NoRights;
    }
    if (noRights && !unexamined.empty())
        return {DriverHolders::State::Unknown, "qbhost may not look into " + join(unexamined) +
                                                   ", which may hold it (run qbhost as administrator to see)"};
    return {};
}

}  // namespace qbhost
