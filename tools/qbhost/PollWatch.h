// Drives a rig the way a logger does (Launch, then Check for as long as the
// pTime hint asks for it) and tells from the driver's own hints whether the
// radio answers, not merely whether it is connected.
//
// The driver's Launch sends a new poll, and asks for Check with the hint 10,
// only once the previous poll's answer is complete or its own 2 s poll
// time-out has passed; after a Set it polls only once the radio's KS
// confirmation has arrived or its 1.5 s set time-out has passed. A Launch
// that asks for Check sooner than those bounds, counted from a moment before
// the poll or Set, therefore proves that the answer or the confirmation came.
//
// Time comes from an injected clock and every wait goes through an injected
// pause, so that tests can run the bounds without sleeping.
#pragma once

#include <functional>
#include <string>

#include "com/Interfaces.h"
#include "platform/SteadyClock.h"

namespace qbhost {

class PollWatch {
public:
    using Pause = std::function<void(platform::Nanos)>;
    enum class Outcome { Answered, NoAnswer, LinkDown };

    PollWatch(IQbRig* rig, platform::Clock clock, Pause pause);

    // Sends the first poll of a rig that has none pending.
    void start();
    // Waits for the answer to the poll in flight; once it is complete the
    // next poll is already on its way.
    Outcome awaitAnswer();
    // Waits for the answer to a poll sent at or after `since` (read before a
    // command): a poll in flight from before is first waited out, until its
    // answer is complete or the driver drops it at its poll bound, and only
    // then is the next poll sent.
    Outcome awaitAnswerSince(platform::Nanos since);
    // Waits for the confirmation of a Set made at `setAt` (read before the
    // Set) on a rig that had no poll pending; once it is confirmed a poll is
    // on its way.
    Outcome awaitConfirmation(platform::Nanos setAt);

    // Lets the poll in flight end, answered or dropped at the driver's poll
    // bound, taking in its answer, and sends none after it: a Set then finds
    // the rig idle, and its confirmation can be told (a Set made while a
    // poll is pending holds that poll's answer back until the bound).
    void waitOutPoll();

    // Waits a logger's poll period before the next look at the rig.
    void rest();

    platform::Nanos now() const { return clock_(); }

private:
    Outcome await(platform::Nanos since, platform::Nanos bound);
    void restWithin(platform::Nanos since, platform::Nanos bound);
    bool checkWhileHinted();
    bool launch();

    IQbRig* rig_;
    platform::Clock clock_;
    Pause pause_;
    platform::Nanos pollSentAt_ = 0;
};

// The bounds the driver itself keeps, as text for messages ("2 s").
std::string pollBoundText();
std::string setBoundText();

}  // namespace qbhost
