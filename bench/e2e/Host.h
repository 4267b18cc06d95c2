// What differs between the two builds of the end-to-end benchmark. The
// native build makes the driver's objects in this process, as its tests do;
// the Windows build asks COM for the registered QboxK4Driver.dll, as the
// logger does. Each build has its own implementation file (HostLinux.cpp,
// HostWindows.cpp) and its own serial port (SerialPortLinux.cpp,
// SerialPortWindows.cpp).
#pragma once

#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace e2e {

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

// CPU time (user + system) this process has used, in seconds.
double processCpuSeconds();

// The host's IQbRigIO over a serial port ("COM5" under Windows, a terminal
// path natively); throws std::runtime_error when it cannot be opened.
com::ComPtr<IQbRigIO> openSerialPort(const std::string& name);

}  // namespace e2e
