// One simulated radio as the soak follows it from k4sim's side: its names,
// its history of whole states and answer marks, what it did of the logger's
// actions (judged on every fetch), when its link may be down, and its knob.
//
// Runs on the soak's thread only.
#pragma once

#include <random>
#include <string>

#include "ActionCheck.h"
#include "CallWatch.h"
#include "LinkWatch.h"
#include "RadioHistory.h"
#include "SimControl.h"

namespace soak {

struct RadioIdentity {
    std::string name;  // k4sim's radio name
    std::string id;    // its discovery id, saved as a slot's choice
    bool realShape = false;  // answers discovery as k4:<index>:<ip>:<id>
    // The name the chooser shows for it: a real-shape answer carries an
    // all-digit index where the name would be, shown as "K4 <id>".
    std::string chooserName() const { return realShape ? "K4 " + id : name; }
};

class RadioSide {
public:
    RadioSide(RadioIdentity identity, SimControl& control, CallWatch& calls);

    const RadioIdentity& identity() const { return identity_; }
    const std::string& name() const { return identity_.name; }
    RadioHistory& history() { return history_; }
    ActionCheck& actions() { return actions_; }
    LinkWatch& link() { return link_; }

    // Adds the states and marks k4sim made since the last fetch, and judges
    // them against the logger's actions.
    void fetch();
    // Where the radio stands now (fetches first).
    RadioPoint point();
    // Asks k4sim for the radio's connections and notes them at `now`.
    LinkCounts observeLink(TimePoint now);
    bool linkMayBeDown();
    long unread();
    // Turns the VFO A knob to a frequency the radio never held (an odd
    // hertz count, which the soak's Sets on a 10 Hz grid never reach), now
    // and then with another mode or split; returns the state it made.
    Reading turnKnobFresh(std::mt19937& random);
    // Sends a fault request (FaultKinds) for this radio.
    std::string request(const char* pattern);

private:
    const RadioIdentity identity_;
    SimControl& control_;
    CallWatch& calls_;
    RadioHistory history_;
    ActionCheck actions_;
    LinkWatch link_;
};

}  // namespace soak
