// One rig slot driven as the logger drives it, through the logger double
// (Launch on the slot's timer, Check while the hints ask, GetFrequency and
// GetStatusText when a run of Checks ends), every call timed and judged
// through the CallWatch. Each reading is judged against the radio's
// history (ReadingCheck); what the radio did of the logger's actions is
// judged on every fetch (ActionCheck). Between polls it clicks the band map
// (a Set, some of them split), tunes in steps, clears the RIT and keys the
// transmitter now and then. Its episode may hold the Sets and steps, so that
// a knob turn on the radio stays the radio's state, and wait for a reading
// to show that state.
//
// Runs on the soak's thread (the host's apartment) only.
#pragma once

#include <memory>
#include <optional>
#include <random>
#include <string>

#include "CallWatch.h"
#include "RadioSide.h"
#include "ReadingCheck.h"
#include "com/ComPtr.h"
#include "tools/loggerdouble/LoggerDouble.h"

namespace soak {

class RigDriver {
public:
    RigDriver(short slot, RadioSide& radio, CallWatch& calls, std::mt19937& random, loggerdouble::Row row);
    ~RigDriver();

    short slot() const { return slot_; }
    RadioSide& radio() { return radio_; }
    bool bound() const { return static_cast<bool>(rig_); }
    double timerMs() const { return static_cast<double>(row_.timer) / 1e6; }

    // Gets a rig object for the slot: choice n >= 1, or -1 for the saved
    // one (E_FAIL then allowed only when `savedListed` is false). Returns
    // the HRESULT.
    HRESULT bind(IRadioChooser* chooser, short choice, bool savedListed);
    void release();
    // Makes whatever operator action is due, then the logger's calls that are due.
    void step(TimePoint now);

    // Sets and tuning steps wait while held.
    void hold(bool held) { held_ = held; }
    // The operator keys (and unkeys) only between faults; an episode keys
    // and unkeys with key().
    void allowKeying(bool allowed) { keyingAllowed_ = allowed; }
    bool transmitting() const { return transmitting_; }
    // Keys or unkeys at once (an episode's own keying).
    void key(bool on);
    // The next step clicks the band map.
    void setSoon() { nextSet_ = {}; }
    // Clicks the band map `count` times at once.
    void setBurst(int count);

    // From `since` on, waits for GetFrequency to report `target`.
    void await(const Reading& target, TimePoint since);
    bool awaiting() const { return target_.has_value(); }
    // The ms from `since` to the reading, once (then the wait ends).
    std::optional<double> takeSeen() { return std::exchange(seenMs_, std::nullopt); }
    void stopAwaiting() { target_.reset(); }

private:
    HRESULT hooked(loggerdouble::Method method, const std::function<HRESULT()>& body);
    void shown(const loggerdouble::Shown& shown);
    bool act(TimePoint now);
    void set();
    std::function<bool()> linkMayBeDown();

    const short slot_;
    RadioSide& radio_;
    CallWatch& calls_;
    std::mt19937& random_;
    const loggerdouble::Row row_;
    loggerdouble::RealTime time_;
    com::ComPtr<IQbRig> rig_;
    std::unique_ptr<loggerdouble::LoggerDouble> logger_;
    ReadingCheck check_;
    bool held_ = false;
    bool keyingAllowed_ = false;
    bool transmitting_ = false;
    TimePoint nextSet_{}, nextXmit_{}, nextTune_{}, nextClear_{};
    std::optional<Reading> target_;
    TimePoint targetSince_{};
    std::optional<double> seenMs_;
};

}  // namespace soak
