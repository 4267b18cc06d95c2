// qbhost tx: keys a rig for a while and unkeys it again, and tells whether
// the radio has taken the unkey. The radio answers commands in the order it
// receives them, so a poll sent after Xmit(0) and answered proves that the
// unkey arrived; nothing less counts, since a transmitter left keyed without
// the operator knowing is the worst outcome qbhost can have.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "com/Interfaces.h"
#include "tools/qbhost/PollWatch.h"

namespace qbhost {

struct TransmitPlan {
    double seconds = 1;          // how long to stay keyed
    bool hold = false;           // leave the radio keyed once it has taken the key
    std::string where;           // the radio, for the live line
    std::function<bool()> stop;  // true once the user asks to stop early
};

struct TransmitResult {
    // How the answers went while keyed: Answered throughout, or how they ended.
    PollWatch::Outcome keyed = PollWatch::Outcome::Answered;
    bool stopped = false;  // ended early on the user's request
    bool held = false;     // hold: the key was confirmed and the radio is left keyed
    bool unkeyed = false;  // a poll sent after Xmit(0) was answered
};

// Keys the rig and shows its answers for plan.seconds, or until a poll goes
// unanswered or plan.stop says so, then unkeys it. With plan.hold it returns
// once a poll sent after the key has been answered (keyed = Answered) and
// leaves the radio keyed; when none is, or the user asked to stop meanwhile,
// it unkeys.
TransmitResult transmit(IQbRig* rig, PollWatch& watch, const TransmitPlan& plan, std::ostream& out);

// Sends Xmit(0) and waits until a poll sent after it has been answered:
// false when that does not happen within the driver's poll bound.
bool unkeyConfirmed(IQbRig* rig, PollWatch& watch);

}  // namespace qbhost
