// The whole states one radio took, numbered as k4sim numbers them, as far
// back as the soak's judgements still need. The soak adds what k4sim's
// "history" request returns; the judgements ask which states a reading may
// show.
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
    char cause = 'c';  // k4sim's: i initial, c command, k knob, f set-knob fault
};

class RadioHistory {
public:
    // Entries numbered after the last one kept, oldest first.
    void add(const std::vector<HistoryEntry>& entries);
    // The number of the present state as last fetched; 0 before any.
    uint64_t lastSeq() const { return entries_.empty() ? 0 : entries_.back().seq; }
    const RadioState& current() const { return entries_.back().state; }
    // The state numbered `seq`, if kept.
    std::optional<RadioState> at(uint64_t seq) const;

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
    // Whether the radio held this VFO A frequency at any time since the
    // soak began to follow it (forgotten states included).
    bool everHad(int64_t vfoA) const { return vfoAs_.count(vfoA) > 0; }
    // Forgets the states before number `seq` (the present one stays).
    void forgetBefore(uint64_t seq);

private:
    std::deque<HistoryEntry> entries_;
    std::set<int64_t> vfoAs_;
    std::map<char, uint64_t> lastOfCause_;
};

}  // namespace soak
