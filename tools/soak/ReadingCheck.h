// Whether what one rig object shows is true, with the radio's history and
// its answer marks as the oracle. A reading must be one whole state that the
// radio held since it carried out the newest poll of this rig object that
// k4sim had finished answering before the Launch preceding the run's own,
// and answered again after on the same connection: those answers were on
// the wire a timer period before the run's Checks began, so the run took
// them in (the last answers written before a fault reset a connection may
// never have arrived). Otherwise it may be the rig's latest Set,
// until a poll sent after the Set was answered so; once k4sim has answered
// the Set's "KS", no state the radio held before the Set. Before its first
// such poll, a new rig object may show its defaults and parts of answers.
//
// Nothing here is taken from the driver's own timing: what was answered,
// and when, is k4sim's account. Times do not enter; the caller says when a
// Launch is made and hands in the history as last fetched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "RadioHistory.h"
#include "Reading.h"

namespace soak {

class ReadingCheck {
public:
    // A new rig object, bound at `at`: its connections are those opened after.
    void bound(const RadioPoint& at);
    // A Launch is about to be made; `lastMark` is the newest mark known now.
    void launching(uint64_t lastMark);
    // Set was called with these values; `before` was fetched just before.
    void setCalled(const Reading& wanted, const RadioPoint& before);

    // Empty when the reading is allowed; otherwise why not.
    std::string judge(const Reading& reading, const RadioHistory& history) const;
    // The oldest state number the judgement may still need.
    uint64_t oldestNeeded(const RadioHistory& history) const;

private:
    struct PendingSet {
        Reading wanted;
        RadioPoint before;
    };

    // The state number when the newest poll whose answers the rig must have
    // taken in was carried out; none before its first.
    std::optional<uint64_t> pollWindow(const RadioHistory& history) const;
    bool partsFromDefaultsOrHeld(const Reading& reading, const RadioHistory& history) const;

    RadioPoint bind_;
    uint64_t knownAtLaunch_ = 0;  // the newest mark known at the last Launch
    uint64_t knownBefore_ = 0;    // and at the Launch before it
    std::optional<PendingSet> set_;
};

}  // namespace soak
