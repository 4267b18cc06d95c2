// The size of the process the driver runs in: its resident memory and
// threads from its entry in the Linux /proc file system (natively
// "/proc/self"; a Windows program under Wine reads "Z:/proc/PID", with the
// Linux process id that whoever started it knows, since Wine's server opens
// files on the program's behalf), and its handles as the process itself
// counts them (GetProcessHandleCount under Windows, where Wine's sockets
// barely show in /proc; open descriptors natively).
#pragma once

#include <string>

namespace soak {

struct ProcessGauge {
    double memoryKiB = 0;  // resident set
    long threads = 0;
    long handles = 0;
};

// Zeros for what cannot be read.
ProcessGauge readProcessGauge(const std::string& procEntry);

// This process's handle count; 0 when it cannot be had.
long countOwnHandles();

// The /proc entry named by the first line of `file` ("Z:/proc/1234"), or
// "/proc/self" for an empty file name.
std::string procEntryFrom(const std::string& file);

}  // namespace soak
