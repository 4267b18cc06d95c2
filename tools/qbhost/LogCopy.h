// The driver's log as the report carries it: the last 200 KB of
// k4logio.log, read before qbhost loads the driver (which starts the file
// afresh), or how to turn logging on when it is off.
#pragma once

#include <string>

namespace qbhost {

// The report's log section: a line naming the file and what follows, then
// the copy (lines end in '\n'); or why there is none.
std::string copyDriverLog();

// The log file the driver writes, or empty when logging is off.
std::string driverLogPath();

}  // namespace qbhost
