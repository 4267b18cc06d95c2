// How a host program reaches the driver in each build. The native build
// makes the driver's objects in this process, as its tests do; the Windows
// build asks COM for the registered QboxK4Driver.dll, as the logger does.
// Each build has its own implementation file (ComHostLinux.cpp,
// ComHostWindows.cpp). Used by the end-to-end benchmark and the soak.
#pragma once

#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace comhost {

// COM for this thread (a single-threaded apartment, where there is COM) and
// a settings file of the run's own, emptied of the driver's keys.
class HostSession {
public:
    HostSession();
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;
};

// One line saying how the driver is reached in this build.
const char* hostDescription();

// A new rig manager; throws std::runtime_error when it cannot be made.
com::ComPtr<IRigManager3> createRigManager();

// The settings file the driver reads in this session.
std::string settingsFilePath();

// Once every object of the driver is released: lets the driver go, so that
// its log file is complete (the DLL is unloaded; natively the process's log
// trail is released).
void releaseDriver();

}  // namespace comhost
