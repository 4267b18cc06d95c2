// The radio's state on one line, rewritten in place on a console and written
// again only when it changes into a pipe or file.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "tools/qbhost/PollWatch.h"
#include "tools/qbhost/Reading.h"

namespace qbhost {

// "RX    7010.000 kHz  TX    7010.000 kHz  CW    split off"
std::string formatReading(const RigReading& reading);

// Shows the answer of the poll in flight and of every poll after it for the
// given time, each line ending in `where`; stops at the first poll that is
// not answered in time or finds the link down, and after an answered poll
// once `stop` (when given) returns true. The line is rewritten in place only
// on qbhost's own console output.
PollWatch::Outcome showLive(PollWatch& watch, IQbRig* rig, double seconds, const std::string& where,
                            std::ostream& out, const std::function<bool()>& stop = {});

}  // namespace qbhost
