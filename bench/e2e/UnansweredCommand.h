// A poll sent right after a command the radio does not answer ("TX;"),
// beside a poll alone. The rig's socket keeps the system's defaults, so a
// second small write may wait for the acknowledgement of the first (Nagle's
// rule), which a receiver that has nothing to answer may delay.
#pragma once

#include <cstdint>
#include <vector>

#include "com/Interfaces.h"

namespace e2e {

struct UnansweredSeries {
    std::vector<double> pollAlone;     // microseconds, Launch to the last answer
    std::vector<double> afterCommand;  // the same, the poll right after "TX;"
    std::vector<double> plainAfterGap;  // a plain TCP exchange after the same quiet gap
    int incomplete = 0;
};

// `count` samples of each, interleaved; every sample starts after a quiet
// `gapMs` so that no acknowledgement is still outstanding. Each "TX;" is
// followed, after its poll, by "RX;". The plain exchanges go to the radio's
// TCP port on a connection of their own.
UnansweredSeries timePollAfterUnanswered(IQbRig* rig, uint16_t radioPort, int count, int gapMs);

}  // namespace e2e
