// What connected network rigs cost while the host leaves them alone: the
// process's CPU time per second of wall time.
#pragma once

#include <string>

#include "com/Interfaces.h"

namespace e2e {

struct IdleCost {
    int rigs = 0;
    int linked = 0;             // rigs whose link was up when the span began
    double cpuShare = 0;        // this process: CPU seconds per wall second (1.0 = one core)
    double serverCpuShare = 0;  // the same for the server process, when one is named
};

// Makes `rigs` network rigs for slot 0 from choice 1, lets them settle, then
// measures over `seconds` while nobody calls them. A non-empty
// `serverStatPath` names the stat file of a process that works on this
// process's behalf (the Wine server), whose CPU time is measured too.
IdleCost idleCost(IRadioChooser* chooser, int rigs, double seconds, const std::string& serverStatPath);

}  // namespace e2e
