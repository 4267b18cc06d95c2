// What a rig reports through GetFrequency, what qbhost asks a Set for, and
// whether the one agrees with the other as the driver reports a mode; the
// radio's mode for a Set that keeps it.
#pragma once

#include "com/Interfaces.h"
#include "tools/qbhost/PollWatch.h"

namespace qbhost {

struct RigReading {
    double rxKhz = 0;
    double txKhz = 0;
    short mode = 0;
    short primaryVfo = 0;
    short split = 0;
};

RigReading readRig(IQbRig* rig);

struct SetRequest {
    double rxKhz = 0;
    double txKhz = 0;
    short mode = 0;
    short split = 0;
};

// A Set of rx and mode, with a split when tx is given and differs from rx.
SetRequest setRequest(double rxKhz, const double* txKhz, short mode);

// The mode the driver reports once the radio has taken a Set of this mode:
// the reversed CW and DATA (7, 9) come back as CW and DATA (3, 6).
short reportedMode(short setMode);

// The reading shows what was set, to the hertz the radio works in.
bool agrees(const RigReading& reading, const SetRequest& request);

// The mode the radio is in, for a Set that keeps it: the mode of an answered
// poll (the rig then sends back the variant the radio reported, CW-R for
// CW-R). The poll after it is waited out, so that the Set finds the rig idle.
struct CurrentMode {
    PollWatch::Outcome outcome = PollWatch::Outcome::Answered;
    short mode = 0;
};
CurrentMode currentMode(IQbRig* rig, PollWatch& watch);

}  // namespace qbhost
