// What a soak run collects for its verdict and its final table.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "CallWatch.h"
#include "Growth.h"

namespace soak {

struct KindResult {
    int episodes = 0;
    int effective = 0;               // episodes whose fault was shown to take effect
    int gaveUp = 0;                  // recoveries not seen within the kind's limit
    int keyed = 0;                   // episodes begun while transmitting
    int stalled = 0;                 // episodes that proved the driver's writes stalled
    std::vector<double> recoveryMs;  // fault's end to the reading of the radio's knob state
    std::string lastMissing;         // why the last ineffective episode proved nothing
};

// Display lag of one rig: from a knob turn on its radio until GetFrequency
// showed it, all turns and those during which the chooser did not wait.
struct RigLag {
    double timerMs = 0;  // the rig's Launch timer
    std::vector<double> all, outsideChooser;
};

struct SoakResult {
    CallWatch calls;
    std::vector<std::string> kindsRun;      // chosen fault kinds, in table order
    std::vector<std::string> kindsSkipped;  // left out by --only or --skip
    std::map<std::string, KindResult> kinds;
    std::map<std::string, RigLag> lag;      // by radio
    std::vector<double> bindMs;             // bind to the reading of the radio's knob
    std::map<std::string, long> answeredPolls;  // by radio, as k4sim marked them
    std::vector<GaugeSample> samples;       // taken between faults
    bool memoryCheck = true;
    double seconds = 0;
};

}  // namespace soak
