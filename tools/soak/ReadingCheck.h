// Whether what one rig object reports is true, with the radio's history as
// the oracle. A reading must be one whole state that the radio held since
// the rig's last fully answered poll was sent, or the rig's latest Set while
// no poll sent after it is known to have been answered; once a Set is
// confirmed, no state the radio held before it. A new rig object may show
// its defaults until a poll of its own was answered. Once a poll sent after
// the logger's last Xmit was answered, the radio transmits exactly when
// that Xmit said so.
//
// The soak learns what the driver did from its own calls: a Launch that
// sends a poll less than 2 s (the driver's poll time-out) after the previous
// one began shows that one was answered in full; one that sends less than
// 1.5 s (the set time-out) after a Set began shows that the radio confirmed
// the Set. Times are passed in, so the rules can be tested with any clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "RadioHistory.h"
#include "Reading.h"

namespace soak {

class ReadingCheck {
public:
    // A new rig object; `seqNow` is the radio's present state number.
    void bound(uint64_t seqNow);
    // Launch sent a poll: the call began at `start` and returned at `end`;
    // `history` was fetched just before it. Returns a violation (empty if
    // none) of the transmit rule.
    std::string pollSent(TimePoint start, TimePoint end, const RadioHistory& history);
    // Set was called at `start` with these values; `seqBefore` is the
    // radio's state number just before.
    void setCalled(TimePoint start, const Reading& wanted, uint64_t seqBefore);
    void xmitCalled(TimePoint start, bool on);

    // Empty when the reading is allowed; otherwise why not.
    std::string judge(const Reading& reading, const RadioHistory& history) const;
    // Polls of this rig object known to have been answered in full.
    int answeredPolls() const { return answeredPolls_; }
    // The oldest state number the judgements may still need.
    uint64_t oldestNeeded() const;

private:
    struct Poll {
        TimePoint start;
        uint64_t seqAtSend = 0;
    };
    struct PendingSet {
        TimePoint start;
        Reading wanted;
        uint64_t seqBefore = 0;
        bool confirmed = false;
    };
    struct Xmit {
        TimePoint start;
        bool on = false;
        bool checked = false;
    };

    void pollAnswered(const Poll& poll);
    std::string checkTransmit(const Poll& answered, const RadioHistory& history);
    bool partsFromDefaultsOrHeld(const Reading& reading, const RadioHistory& history) const;

    uint64_t bindSeq_ = 0;
    uint64_t windowSeq_ = 0;  // state number when the last fully answered poll was sent
    uint64_t floorSeq_ = 0;   // state number of the last confirmed Set's state
    int answeredPolls_ = 0;
    std::optional<Poll> lastPoll_;
    std::optional<PendingSet> set_;
    std::optional<Xmit> xmit_;
};

}  // namespace soak
