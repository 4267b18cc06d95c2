// What the setup tests need of Windows that Wine's tools do not offer:
//   setup_helper hold PATH SECONDS   load a DLL and keep it loaded (a running
//                                    logger), saying "loaded" once it is
//   setup_helper run COMMAND_LINE    run a command line exactly as given (NSIS
//                                    wants "_?=folder" unquoted) and return its
//                                    exit code
//   setup_helper limited COMMAND_LINE  the same with this account's filtered,
//                                    not elevated token: a program started
//                                    without "Run as administrator"
//   setup_helper lock KEY            deny everyone any access to the registry key
//                                    (HKLM\... or HKCU\..., 32-bit view), as to a
//                                    key that another account or a security
//                                    program holds
//   setup_helper unlock KEY          allow it again (the owner still may)
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "setup_helper: %s (error %lu)\n", what, GetLastError());
    return 1;
}

int hold(const wchar_t* path, const wchar_t* seconds) {
    if (!LoadLibraryW(path)) return fail("cannot load the DLL");
    std::puts("loaded");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::wcstoul(seconds, nullptr, 10)) * 1000);
    return 0;
}

// The filtered token linked to this (elevated) process's token.
HANDLE limitedToken() {
    HANDLE own = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    HANDLE primary = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
        GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                         &primary);
        CloseHandle(linked.LinkedToken);
    }
    if (own) CloseHandle(own);
    return primary;
}

int run(std::wstring commandLine, HANDLE token) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = token ? CreateProcessAsUserW(token, nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                                      nullptr, nullptr, &startup, &process)
                               : CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                                nullptr, &startup, &process);
    if (!started) return fail("cannot start the command");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The key's DACL: Everyone may do anything, or with `locked` nothing at all.
int setKeyAccess(const std::wstring& name, bool locked) {
    const HKEY root = name.rfind(L"HKLM\\", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, name.substr(5).c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return fail("cannot open the key");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const wchar_t* dacl = locked ? L"D:P(D;;KA;;;WD)" : L"D:P(A;OICI;KA;;;WD)";
    LONG status = ERROR_INVALID_PARAMETER;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl, SDDL_REVISION_1, &descriptor, nullptr)) {
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
    }
    RegCloseKey(key);
    if (status == ERROR_SUCCESS) return 0;
    SetLastError(static_cast<DWORD>(status));
    return fail("cannot set the key's access");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"hold" && argc == 4) return hold(argv[2], argv[3]);
    if (command == L"run" && argc == 3) return run(argv[2], nullptr);
    if (command == L"limited" && argc == 3) {
        const HANDLE token = limitedToken();
        return token ? run(argv[2], token) : fail("no filtered token");
    }
    if (command == L"lock" && argc == 3) return setKeyAccess(argv[2], true);
    if (command == L"unlock" && argc == 3) return setKeyAccess(argv[2], false);
    std::fputs("usage: setup_helper hold PATH SECONDS | run|limited COMMAND_LINE | lock|unlock KEY\n", stderr);
    return 2;
}
