// One rig slot driven as a logger drives it: Launch, then Check once and
// again for as long as the pTime hint asks, then GetFrequency, whose reading the radio's
// history judges (ReadingCheck). Between polls it clicks the band map (a
// Set, some of them split), tunes in steps, clears the RIT and keys the
// transmitter now and then. Its episode (Soak) may hold the Sets and steps,
// so that a knob turn on the radio stays the radio's state, and wait for a
// reading to show that state.
//
// Runs on the soak's thread (the host's apartment) only.
#pragma once

#include <optional>
#include <random>
#include <string>

#include "CallWatch.h"
#include "RadioSide.h"
#include "ReadingCheck.h"
#include "com/ComPtr.h"

namespace soak {

class RigDriver {
public:
    RigDriver(short slot, RadioSide& radio, CallWatch& calls, std::mt19937& random);

    short slot() const { return slot_; }
    RadioSide& radio() { return radio_; }
    bool bound() const { return static_cast<bool>(rig_); }

    // Gets a rig object for the slot: choice n >= 1, or -1 for the saved
    // one (E_FAIL then allowed only when `savedListed` is false). Returns
    // the HRESULT.
    HRESULT bind(IRadioChooser* chooser, short choice, bool savedListed);
    void release() { rig_.reset(); }
    // Does whatever is due; makes at most one call to the rig.
    void step(TimePoint now);

    // Sets and tuning steps wait while held.
    void hold(bool held) { held_ = held; }
    // Keying is allowed only between faults.
    void allowKeying(bool allowed) { keyingAllowed_ = allowed; }
    bool transmitting() const { return transmitting_; }
    // The next step clicks the band map.
    void setSoon() { nextSet_ = {}; }

    // From `since` on, waits for GetFrequency to report `target`.
    void await(const Reading& target, TimePoint since);
    bool awaiting() const { return target_.has_value(); }
    // The ms from `since` to the reading, once (then the wait ends).
    std::optional<double> takeSeen() { return std::exchange(seenMs_, std::nullopt); }
    void stopAwaiting() { target_.reset(); }
    // Polls of the current rig object known to have been answered in full.
    int answeredPolls() const { return check_.answeredPolls(); }
    int answeredPollsInAll() const { return answeredInAll_; }

private:
    void poll(TimePoint now);
    void check(TimePoint now);
    void readFrequency(TimePoint now);
    bool act(TimePoint now);
    void set();
    void judge(const Reading& reading);
    std::function<bool()> linkMayBeDown();

    const short slot_;
    RadioSide& radio_;
    CallWatch& calls_;
    std::mt19937& random_;
    com::ComPtr<IQbRig> rig_;
    ReadingCheck check_;
    bool polling_ = false;
    bool held_ = false;
    bool keyingAllowed_ = false;
    bool transmitting_ = false;
    int answeredInAll_ = 0;
    TimePoint due_{}, nextSet_{}, nextXmit_{}, nextTune_{}, nextClear_{};
    std::optional<Reading> target_;
    TimePoint targetSince_{};
    std::optional<double> seenMs_;
};

}  // namespace soak
