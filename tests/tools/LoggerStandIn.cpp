// The logger as qbhost's test needs it: it creates RigManager through COM,
// as the logger does when it starts (the driver loads and opens its log),
// says "holding" and keeps it for SECONDS.
//   logger_standin SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "com/Interfaces.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    IRigManager3* manager = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_RigManager, nullptr, CLSCTX_INPROC_SERVER, IID_IRigManager3,
                                        reinterpret_cast<void**>(&manager));
    if (FAILED(hr)) {
        std::fprintf(stderr, "logger_standin: RigManager not created (0x%08lX)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    std::puts("holding");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) * 1000);
    manager->Release();
    CoUninitialize();
    return 0;
}
