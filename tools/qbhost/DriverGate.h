// What qbhost does before a command loads the driver. While another program
// holds the driver (the logger, as a rule), qbhost would compete with it for
// the radios and disturb its links: it refuses unless --force. And since
// loading the driver starts k4logio.log afresh, it first moves the log aside
// (LogAside), and never loads the driver while that cannot be done, --force
// or not.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/qbhost/Registration.h"

namespace qbhost {

// Throws Failure (kDriverInUse, kLogInUse) when the driver must not be
// loaded; names the log's copy on out once it is moved aside.
void prepareDriverLoad(bool force, std::ostream& out);

// The DLLs the class registrations name, for the holder check.
std::vector<std::string> registeredPaths(const Registrations& found);

}  // namespace qbhost
