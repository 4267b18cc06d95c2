// Drives a rig object the way a logger does — Launch, then Check for as long
// as the pTime hint asks for it — and shows the radio's state on one line
// that is rewritten in place.
#pragma once

#include <ostream>

#include "com/Interfaces.h"

namespace qbhost {

struct RigReading {
    double rxKhz = 0;
    double txKhz = 0;
    short mode = 0;
    short primaryVfo = 0;
    short split = 0;
};

// One complete poll: Launch, Check while hinted; false when Check reports
// that the link is down.
bool pollOnce(IQbRig* rig, RigReading* reading);

// Polls for the given time, printing the live line; false when the link was
// down. The link state comes from IQbRigDisplayInfo where the rig has it.
bool showLive(IQbRig* rig, double seconds, std::ostream& out);

const char* modeName(short mode);

}  // namespace qbhost
