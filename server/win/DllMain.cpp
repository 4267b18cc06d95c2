// The DLL's entry point: makes the server module live on process attach and
// releases what it caches (class objects, the process log trail) on detach.
#include <windows.h>

#include "server/win/QuillboxK4Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) quillboxModule.attach(instance);
    if (reason == DLL_PROCESS_DETACH) quillboxModule.detach();
    return TRUE;
}
