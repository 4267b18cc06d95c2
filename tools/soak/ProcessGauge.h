// The size of the process the driver runs in, read from its entry in the
// Linux /proc file system: natively "/proc/self". A Windows program under
// Wine reads "Z:/proc/PID" (Wine maps drive Z: to "/"), with the Linux
// process id that whoever started it knows; not "self", since Wine's
// server opens files on the program's behalf.
#pragma once

#include <string>

namespace soak {

struct ProcessGauge {
    double memoryKiB = 0;  // resident set
    long threads = 0;
    long handles = 0;  // open file descriptors: files, sockets, events
};

// Zeros for what cannot be read.
ProcessGauge readProcessGauge(const std::string& procEntry);

// The /proc entry named by the first line of `file` ("Z:/proc/1234"), or
// "/proc/self" for an empty file name.
std::string procEntryFrom(const std::string& file);

}  // namespace soak
