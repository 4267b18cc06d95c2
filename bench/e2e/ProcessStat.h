// The CPU time of another process, read from the Linux /proc file system
// (which a Windows program under Wine reaches as drive Z:).
#pragma once

#include <string>

namespace e2e {

// User + system CPU time, in seconds, from the text of a /proc/PID/stat
// file (times in clock ticks of 1/100 s); 0 when the text has no such fields.
double cpuSecondsOfStat(const std::string& statText);

// The same, read from the file at `statPath`; 0 when it cannot be read.
double statFileCpuSeconds(const std::string& statPath);

}  // namespace e2e
