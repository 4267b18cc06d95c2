// The driver's server module: the one static instance behind the DLL's entry
// points. It knows the DLL's instance handle and path, holds the object map
// (the one creatable class, RigManager), and registers and unregisters the
// server per machine or per user.
#pragma once

#include <windows.h>

#include <string>

#include "server/ServerModule.h"
#include "server/win/Registration.h"

class CQuillboxK4Module : public com::ServerModule {
public:
    CQuillboxK4Module();

    // DLL_PROCESS_ATTACH and DLL_PROCESS_DETACH.
    void attach(HINSTANCE instance);
    void detach();

    HRESULT registerServer(RegistrationScope scope) const;
    HRESULT unregisterServer(RegistrationScope scope) const;

private:
    HINSTANCE instance_ = nullptr;
};

extern CQuillboxK4Module quillboxModule;
