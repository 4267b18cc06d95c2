// The qbhost commands, each a function of the parsed options that prints to
// out and returns an exit code or throws Failure.
#pragma once

#include <ostream>

#include "tools/qbhost/Driver.h"
#include "tools/qbhost/Options.h"

namespace qbhost {

int runCommand(const Options& options, std::ostream& out);

}  // namespace qbhost
