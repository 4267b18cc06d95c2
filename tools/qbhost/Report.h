// qbhost report: one UTF-8 text file with what a support request needs, and
// nothing else: qbhost's and the driver's versions and registration, whether
// qbhost runs elevated, the Windows (and Wine) version, section RIGS of
// quillbox.ini with values that are not what the driver expects named, the
// end of the driver's log copied before qbhost loads the driver; and, only
// while no other program holds the driver, the radios discovery finds and a
// 5 s poll of every slot with a saved radio (otherwise why they are missing).
#pragma once

#include <ostream>

#include "tools/qbhost/Options.h"

namespace qbhost {

// Writes the report to options.out, or QboxK4Driver-report-<date>-<time>.txt
// in the current folder, prints its path and returns 0; throws Failure when
// the file cannot be written.
int writeReport(const Options& options, std::ostream& out);

}  // namespace qbhost
