// Stands in for a running logger in the setup tests: loads a DLL, says so,
// and keeps it loaded until it is ended or the given seconds have passed.
//   hold_dll.exe PATH SECONDS
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: hold_dll PATH SECONDS\n", stderr);
        return 2;
    }
    if (!LoadLibraryW(argv[1])) {
        std::fprintf(stderr, "hold_dll: cannot load the DLL (error %lu)\n", GetLastError());
        return 1;
    }
    std::puts("loaded");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) * 1000);
    return 0;
}
