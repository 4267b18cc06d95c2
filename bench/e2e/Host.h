// What differs between the two builds of the end-to-end benchmark beyond
// reaching the driver (tools/comhost): the CPU time (CpuTimeLinux.cpp,
// CpuTimeWindows.cpp) and the serial port (SerialPortLinux.cpp,
// SerialPortWindows.cpp).
#pragma once

#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "tools/comhost/ComHost.h"

namespace e2e {

using comhost::createRigManager;
using comhost::hostDescription;
using comhost::HostSession;

// CPU time (user + system) this process has used, in seconds.
double processCpuSeconds();

// The host's IQbRigIO over a serial port ("COM5" under Windows, a terminal
// path natively); throws std::runtime_error when it cannot be opened.
com::ComPtr<IQbRigIO> openSerialPort(const std::string& name);

}  // namespace e2e
