// The driver's log as the report carries it: the last 200 KB of the copy
// that qbhost moved aside before it loaded the driver, or of the log in
// place while another program holds the driver, each named; or why there is
// none and how to turn logging on.
#pragma once

#include <string>

#include "tools/qbhost/LogAside.h"

namespace qbhost {

// The report's log section: a line naming the file and what follows, then
// the copy (lines end in '\n'); or why there is none.
std::string logSection(const DriverLog& log);

}  // namespace qbhost
