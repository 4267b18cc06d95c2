// A fault-injecting wrapper around the driver's interfaces, switched on by
// the soak's --break option, to show that each of the soak's checks fails
// when the driver misbehaves in the way it names (the product is not
// touched):
//   a  dead receive path: once a fault begins on a slot, that rig keeps
//      reporting the reading it had before
//   b  stale poll: after a confirmed Set, one reading from before the Set
//   c  hidden exception: every 97th Check fails with E_FAIL on a live link
//   d  leak: 3 KiB more held after every fault episode
//   e  wrong record: GetRigObject binds the choice after the one asked for
//
// Runs on the soak's thread only.
#pragma once

#include <memory>
#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace soak {

enum class BreakKind { none, deadReceive, stalePoll, hiddenFailure, leak, wrongRecord };

// "a" to "e", or "" for none; throws std::invalid_argument otherwise.
BreakKind breakKindFrom(const std::string& letter);

class Breakage {
public:
    explicit Breakage(BreakKind kind);
    ~Breakage();

    // The chooser the soak uses: the driver's own, or a wrapper that breaks
    // it and the rigs it hands out.
    com::ComPtr<IRadioChooser> wrap(IRadioChooser* chooser);
    void faultBegins(short slot);
    void episodeEnded();

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace soak
