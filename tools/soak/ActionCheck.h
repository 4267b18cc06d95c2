// Whether the radio did what the logger asked, and only that, judged on
// every fetch of its history and marks:
// - the transmitter: every state in which the radio transmits lies in a
//   window from an Xmit(1) to the first poll answered after the matching
//   Xmit(0) (on whichever connection: an "RX;" the old link never delivered
//   is owed to the next one), and that poll finds it receiving; a poll
//   answered on the same link after an Xmit(1) finds it transmitting;
// - Sets land: once k4sim has answered a Set's "KS" (the Set made with no
//   fault on), the radio held the Set's state since the Set;
// - a tuning step moves VFO A by exactly 10 Hz, and no more often in either
//   direction than the logger tuned that way;
// - the radio rejects no command (k4sim's count of "?;" answers stays put),
//   except while a fault that sends it bytes of its own is on.
// The caller says when the logger acted and where the radio stood then.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "RadioHistory.h"
#include "Reading.h"

namespace soak {

class ActionCheck {
public:
    // Xmit was called; `at` was fetched just before an Xmit(1), just after an Xmit(0).
    void xmitCalled(bool on, const RadioPoint& at);
    // Set was called; `before` was fetched just before.
    void setCalled(const Reading& wanted, const RadioPoint& before);
    void tuneCalled(long amount);
    // A fault is on (or recovering) from now until `faultOn(false)`; one
    // that sends bytes of its own (garbage, stray) may make the radio reject commands.
    void faultOn(bool on, bool rejectionsAllowed = false);

    // Judges what was added to the history since the last call, and k4sim's
    // count of rejected commands; returns the violations.
    std::vector<std::string> judge(const RadioHistory& history, long rejected);

private:
    struct Keyed {
        RadioPoint keyedAt;
        std::optional<RadioPoint> unkeyedAt;
        std::optional<uint64_t> untilSeq;  // the state of the first poll answered after the unkey
        bool onAirChecked = false;
    };
    struct PendingSet {
        Reading wanted;
        RadioPoint before;
        bool excused = false;
    };

    void judgeEntry(const HistoryEntry& entry, const RadioState& previous, std::vector<std::string>& violations);
    void judgeKeying(const RadioHistory& history, std::vector<std::string>& violations);
    void judgeSet(const RadioHistory& history, std::vector<std::string>& violations);
    bool keyedAt(uint64_t seq) const;

    std::deque<Keyed> keyed_;
    std::optional<PendingSet> set_;
    long upsCalled_ = 0, downsCalled_ = 0, upsSeen_ = 0, downsSeen_ = 0;
    bool faultOn_ = false, rejectionsAllowed_ = false;
    std::optional<long> rejected_;
    uint64_t judgedSeq_ = 0;
    std::optional<RadioState> lastState_;
};

}  // namespace soak
