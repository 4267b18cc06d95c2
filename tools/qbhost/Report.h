// qbhost report: one UTF-8 text file with what a support request needs, and
// nothing else: qbhost's and the driver's versions and registrations (class,
// type library, interfaces), whether qbhost runs elevated, the Windows (and
// Wine) version, the driver's own keys of section RIGS with the values it
// cannot use as written named, whether another program holds the driver, the
// end of the driver's log; and, only while no other program holds the
// driver, the radios discovery finds and a 5 s poll of every slot with a
// saved radio (otherwise why they are missing). The user's profile folder
// shows as %USERPROFILE%; the radios' addresses, remote ones included, stay,
// and the report says so at its top.
#pragma once

#include <ostream>

#include "tools/qbhost/Options.h"

namespace qbhost {

// Writes the report to options.out, or QboxK4Driver-report-<date>-<time>.txt
// in the user's Documents folder, prints its full path and returns 0; throws
// Failure when the file cannot be written.
int writeReport(const Options& options, std::ostream& out);

}  // namespace qbhost
