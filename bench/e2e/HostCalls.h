// How long the driver holds the host's thread: a rig driven by the logger
// double (a 250 ms timer, Checks as the hints ask, the operator's Sets,
// steps, keying and RIT clears) while its radio goes through one fault after
// another. Every call is timed; a call that may have renewed the link (it was
// made while the link was down, or the radio saw a new connection during it)
// is counted apart, as a renewal may take up to one second by design.
#pragma once

#include <array>
#include <cstddef>

#include "com/Interfaces.h"
#include "k4sim/Simulator.h"
#include "tools/loggerdouble/LoggerDouble.h"

namespace e2e {

struct MethodCalls {
    long calls = 0;
    long renewals = 0;              // calls that may have renewed the link
    double longestMs = 0;           // of every call
    double longestOtherMs = 0;      // of the others
    long otherOver5Ms = 0;
};

using HostCallFigures = std::array<MethodCalls, static_cast<std::size_t>(loggerdouble::Method::Count)>;

// Runs every fault once for `faultSeconds`, each followed by as long again
// without it.
HostCallFigures timeHostCallsUnderFaults(IQbRig* rig, k4sim::Simulator& simulator, std::size_t radio,
                                         double faultSeconds);

}  // namespace e2e
