// The whole states one radio took, numbered as k4sim numbers them, and the
// answers with which it ended a poll or a Set (k4sim's marks), as far back
// as the soak's judgements still need. The soak adds what k4sim's "history"
// and "answers" requests return; the judgements ask which states a reading
// may show and which polls answered the logger's calls.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "Reading.h"

namespace soak {

struct HistoryEntry {
    uint64_t seq = 0;
    RadioState state;
    char cause = 'c';  // k4sim's: i initial, c command, u tuning step, k knob, f set-knob fault
};

// An answer that ended an exchange, once k4sim had written its last byte:
// numbered per radio, on k4sim's connection number, with the number of the
// whole state it gave.
struct AnswerMark {
    uint64_t number = 0;
    int connection = 0;
    uint64_t seq = 0;
    char kind = 'p';  // p a poll's "MD$" answer, k a Set's "KS" answer
};

// Where the radio stood when the soak acted: its newest state and mark as
// last fetched, and the connections opened to it so far.
struct RadioPoint {
    uint64_t seq = 0;
    uint64_t mark = 0;
    int opened = 0;
};

class RadioHistory {
public:
    // Entries numbered after the last one kept, oldest first.
    void add(const std::vector<HistoryEntry>& entries);
    // Marks numbered after the last one kept, oldest first.
    void addMarks(const std::vector<AnswerMark>& marks);
    // The number of the present state as last fetched; 0 before any.
    uint64_t lastSeq() const { return entries_.empty() ? 0 : entries_.back().seq; }
    const RadioState& current() const { return entries_.back().state; }
    // The state numbered `seq`, if kept.
    std::optional<RadioState> at(uint64_t seq) const;
    const std::deque<HistoryEntry>& entries() const { return entries_; }

    uint64_t lastMark() const { return lastMark_; }
    // Polls answered in all since the soak began to follow the radio.
    long pollsAnswered() const { return polls_; }
    // The newest poll mark numbered at most `upTo`, on a connection opened
    // after the first `opened`, that the connection carried on after (a later
    // mark on it): the last answers written to a connection that a fault then
    // reset may never have reached the rig.
    std::optional<AnswerMark> newestPoll(uint64_t upTo, int opened) const;
    // The first mark of this kind numbered after `after`.
    std::optional<AnswerMark> firstMarkAfter(uint64_t after, char kind) const;
    // The first poll mark that answered a poll sent after the moment `at`:
    // the first on a connection opened since, or the second on one opened
    // before (the first may have been on its way already: the logger's rig
    // keeps one poll outstanding).
    std::optional<AnswerMark> firstPollAfter(const RadioPoint& at) const;

    // Whether a state numbered `from` or later reads as `reading`.
    bool heldSince(uint64_t from, const Reading& reading) const { return firstHeldSince(from, reading).has_value(); }
    std::optional<uint64_t> firstHeldSince(uint64_t from, const Reading& reading) const;
    // Whether a state numbered `from` or later satisfies `test`.
    template <class Test>
    bool anySince(uint64_t from, Test test) const {
        for (const auto& entry : entries_)
            if (entry.seq >= from && test(entry)) return true;
        return false;
    }
    // The number of the last state of this cause (forgotten ones included); 0 if none.
    uint64_t lastOfCause(char cause) const {
        const auto found = lastOfCause_.find(cause);
        return found == lastOfCause_.end() ? 0 : found->second;
    }
    // Whether the radio held this VFO A frequency, one off the 10 Hz grid of
    // the soak's Sets, at any time since the soak began to follow it
    // (forgotten states included; only those are kept, so that a long run
    // does not grow by every Set).
    bool everHad(int64_t oddVfoA) const { return oddVfoAs_.count(oddVfoA) > 0; }
    // Forgets the states before number `seq` (the present one stays).
    void forgetBefore(uint64_t seq);

private:
    std::deque<HistoryEntry> entries_;
    std::deque<AnswerMark> marks_;
    uint64_t lastMark_ = 0;
    long polls_ = 0;
    std::set<int64_t> oddVfoAs_;
    std::map<char, uint64_t> lastOfCause_;
};

}  // namespace soak
