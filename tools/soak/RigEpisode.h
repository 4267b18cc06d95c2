// The episodes of one rig slot: between faults (after every fault, and now
// and then while no fault is due) a turn of the radio's knob to a value it
// never held, timed until GetFrequency shows it (the display lag); a fault
// switched on for its time (some begun while transmitting, unkeyed in the
// outage; a half-open one with a burst of Sets that fills what the radio's
// connection takes in); when it ends, a knob turn again, timed until shown
// (the recovery, within the kind's limit), with the slot's Sets and tuning
// steps held from 1 s before the end until then, so that the knob's state
// stays the radio's. Each episode records whether its fault took effect
// (Evidence) and whether the link was kept where it must be.
//
// Runs on the soak's thread only.
#pragma once

#include <optional>
#include <random>

#include "Breakage.h"
#include "Chooser.h"
#include "Evidence.h"
#include "FaultKinds.h"
#include "Results.h"
#include "RigDriver.h"

namespace soak {

class RigEpisode {
public:
    RigEpisode(RigDriver& rig, Chooser& chooser, SoakResult& result, Breakage& breakage, std::mt19937& random,
               TimePoint runStart);

    // Ready for a fault: between faults, no knob probe running, not
    // transmitting, the gap after the last episode over.
    bool ready(TimePoint now) const;
    // No fault switched on and none recovering.
    bool betweenFaults() const { return phase_ == Phase::idle || phase_ == Phase::settling || phase_ == Phase::probing; }
    void start(const FaultKind& kind, TimePoint now);
    // The slot was bound anew: show the radio's knob through it.
    void probeAfterBind(TimePoint now);
    void tick(TimePoint now);

private:
    enum class Phase { idle, settling, probing, keying, faultOn, recovering };

    void switchOn(TimePoint now);
    void beginProbe(TimePoint now, bool afterBind);
    void tickFault(TimePoint now);
    bool inOutage(TimePoint now);
    void endFault(TimePoint now);
    void endEpisode(TimePoint now);
    void tickProbe(TimePoint now);
    void toIdle(TimePoint now);

    RigDriver& rig_;
    Chooser& chooser_;
    SoakResult& result_;
    Breakage& breakage_;
    std::mt19937& random_;
    const TimePoint runStart_;
    Phase phase_ = Phase::idle;
    TimePoint nextProbe_{}, nextFault_{}, since_{}, faultEnd_{}, holdAt_{}, nextLook_{};
    std::optional<TimePoint> turnAt_;
    long answeredAtHold_ = 0;
    bool probeAfterBind_ = false;
    const FaultKind* kind_ = nullptr;
    EpisodeFacts facts_;
    uint64_t seqAtOn_ = 0;
    bool keyed_ = false;
    bool rebound_ = false;
};

}  // namespace soak
