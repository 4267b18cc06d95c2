// A fault-injecting wrapper around the driver's interfaces (and, for two
// modes, around its settings and log), switched on by the soak's --break
// option, to show that each of the soak's checks fails when the driver
// misbehaves in the way it names (the product is not touched):
//   a  dead receive path: once a fault begins on a slot, that rig keeps
//      reporting the reading it had before
//   b  stale poll: 1.5 s after a Set, one reading from before the Set
//   c  hidden exception: every 29th Check fails with E_FAIL on a live link
//   d  leak: 3 KiB more held after every fault episode
//   e  wrong record: GetRigObject binds the choice after the one asked for
//   f  keys after a reconnect: once Check succeeds after failing, Xmit(1)
//   g  keys again: 1 s after an Xmit(0), Xmit(1)
//   h  slow polls: Launch reaches the rig at most every 1.9 s
//   i  stalled poll path: no Launch reaches the rig during a fault episode
//   j  Set off: every Set 1 kHz above the frequencies asked for
//   k  steps reversed: TuneFrequency the other way
//   l  rejected command: every Set preceded by one with mode 0 ("MD0;")
//   m  needless reconnect: as a fault begins, a second rig for the slot made
//      and let go (one more connection to the radio)
//   n  hanging release: the first rig let go takes 6 s to go
//   o  choice not saved: the slot's K4Slot key removed after each bind
//   p  no log: the driver's log folder named as one that does not exist
//   q  exception entry: a "link exception" entry added to the driver's log
//      once the driver has let it go (addExceptionEntry; while the driver
//      writes it, its own writes would cover the entry)
//   r  unstalled writes: no Set reaches the rig during a fault episode
//
// Runs on the soak's thread only.
#pragma once

#include <memory>
#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace soak {

enum class BreakKind {
    none, deadReceive, stalePoll, hiddenFailure, leak, wrongRecord, keyAfterReconnect, keyAfterUnkey, slowPolls,
    stalledPolls, setOff, stepsReversed, rejectedCommand, needlessReconnect, hangingRelease, choiceNotSaved, noLog,
    exceptionEntry, unstalledWrites
};

// "a" to "r", or "" for none; throws std::invalid_argument otherwise.
BreakKind breakKindFrom(const std::string& letter);

// For --break q: the entry a rig writes when an exception ended its connection.
void addExceptionEntry(const std::string& logPath);

class Breakage {
public:
    explicit Breakage(BreakKind kind);
    ~Breakage();

    BreakKind kind() const;
    // The chooser the soak uses: the driver's own, or a wrapper that breaks
    // it and the rigs it hands out.
    com::ComPtr<IRadioChooser> wrap(IRadioChooser* chooser);
    void faultBegins(short slot);
    void episodeEnded(short slot);

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace soak
