// The episodes of the spare radio, which only discovery faults hit: the
// fault switched on for its time, during which the logger opens its chooser
// once (and, for control-id, chooses the spare for a slot of its own), then
// switched off; recovery is the time until the chooser, opened again every
// second, shows the usual list. Episodes are 20 s apart, so that the
// chooser opens at about a logger's cadence.
//
// Runs on the soak's thread only.
#pragma once

#include <string>

#include "Chooser.h"
#include "Evidence.h"
#include "FaultKinds.h"
#include "RadioSide.h"
#include "Results.h"

namespace soak {

class DiscoveryEpisode {
public:
    DiscoveryEpisode(RadioSide& spare, Chooser& chooser, SoakResult& result, short spareSlot, std::string settingsPath,
                     TimePoint runStart);

    bool ready(TimePoint now) const { return phase_ == Phase::idle && now >= next_; }
    bool betweenFaults() const { return phase_ == Phase::idle; }
    void start(const FaultKind& kind, TimePoint now);
    void tick(TimePoint now);

private:
    enum class Phase { idle, on, recovering };

    void look(TimePoint now);
    void chooseSpare();
    void end(TimePoint now, bool recovered);

    RadioSide& spare_;
    Chooser& chooser_;
    SoakResult& result_;
    const short spareSlot_;
    const std::string settingsPath_;
    const TimePoint runStart_;
    Phase phase_ = Phase::idle;
    const FaultKind* kind_ = nullptr;
    EpisodeFacts facts_;
    bool looked_ = false;
    TimePoint since_{}, end_{}, next_{}, nextLook_{};
};

}  // namespace soak
