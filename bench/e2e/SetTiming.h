// How long a Set takes to reach the radio. Each Set gives VFO A a new whole
// kilohertz value in USB, without split, and is followed by a complete poll
// so that the next Set starts from a quiet rig.
#pragma once

#include <vector>

#include "com/Interfaces.h"
#include "k4sim/Radio.h"

namespace e2e {

// From Set to the simulated radio holding the new frequency: a thread
// waiting on the radio's record wakes once the set sequence's first command
// ("FA...") has been executed; microseconds.
std::vector<double> timeSetApplied(IQbRig* rig, k4sim::Radio& radio, int count);

struct SetSeries {
    std::vector<double> micros;
    int timedOut = 0;  // Sets the rig stopped waiting for (no "KS" answer in time)
};

// From Set to the first Launch that sends a poll again, which the rig does
// once a Check has taken the radio's "KS" confirmation: the radio has then
// executed the whole set sequence. The host calls Check and Launch in turn,
// yielding in between.
SetSeries timeSetConfirmed(IQbRig* rig, int count);

}  // namespace e2e
