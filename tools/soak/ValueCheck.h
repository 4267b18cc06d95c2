// Whether a value that GetFrequency reported is one the radio really held,
// or one the host set and the radio has not yet confirmed. A rig object
// starts from empty defaults (0 kHz, CW, no split), which it may report
// until its first poll has been answered.
#pragma once

#include <deque>
#include <string>

#include "SimControl.h"

namespace soak {

class ValueCheck {
public:
    // Readings that the radio has held: the soak adds them from k4sim.
    HeldValues& held() { return held_; }
    void noteSet(const Reading& set);
    // A new rig object: its defaults are allowed again until firstPollDone.
    void restart() { fresh_ = true; }
    void firstPollDone() { fresh_ = false; }

    // Empty when every part of the reading is allowed; otherwise what is wrong.
    std::string wrongParts(const Reading& reading) const;

private:
    HeldValues held_;
    std::deque<Reading> pendingSets_;  // the latest few
    bool fresh_ = true;
};

}  // namespace soak
