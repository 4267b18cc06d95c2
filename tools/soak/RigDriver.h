// One rig slot driven as a logger drives it: Launch, then Check for as long
// as the pTime hint asks, then GetFrequency, whose reading is checked
// against the values the radio held. Between polls it clicks the band map
// now and then (a Set, some of them split), keys the transmitter and tunes
// in steps. After a fault ends it measures how long the reading takes to
// agree with the radio's true state, clicking and keying on as a logger does.
//
// Runs on the soak's thread (the host's apartment) only.
#pragma once

#include <optional>
#include <random>
#include <string>

#include "CallWatch.h"
#include "SimControl.h"
#include "ValueCheck.h"
#include "com/ComPtr.h"

namespace soak {

class RigDriver {
public:
    RigDriver(short slot, std::string radio, CallWatch& calls, SimControl& control, std::mt19937& random);

    short slot() const { return slot_; }
    const std::string& radio() const { return radio_; }
    bool bound() const { return static_cast<bool>(rig_); }

    // Gets a rig object for the slot: choice n >= 1, or -1 for the saved one.
    void bind(IRadioChooser* chooser, short choice);
    void release();
    // Does whatever is due; returns when it has made at most one call.
    void step(Clock::time_point now);

    // From `since` on, wait for the reading to agree with the radio's state.
    void startRecovery(Clock::time_point since);
    bool recovering() const { return recoverySince_.has_value(); }
    // The time to agreement once reached, in ms (only once per recovery).
    std::optional<double> takeRecovered();
    // Gives up a recovery that took too long; true if one was going on.
    bool abandonRecovery();

private:
    void poll(Clock::time_point now);
    void check(Clock::time_point now);
    void readFrequency(Clock::time_point now);
    bool act(Clock::time_point now);  // a logger action if one is due
    void set();

    const short slot_;
    const std::string radio_;
    CallWatch& calls_;
    SimControl& control_;
    std::mt19937& random_;
    com::ComPtr<IQbRig> rig_;
    ValueCheck values_;
    bool polling_ = false;
    int polls_ = 0;  // Launches that sent a poll, for this rig object
    bool transmitting_ = false;
    Clock::time_point due_{}, nextSet_{}, nextXmit_{}, nextTune_{};
    std::optional<Clock::time_point> recoverySince_;
    std::optional<double> recovered_;
};

}  // namespace soak
