// The time limits of the poll cycle and of a pending Set, and the comparisons
// they are used with. Every limit is a difference of two readings of the
// steady clock; the difference saturates instead of overflowing, so a clock
// that jumps wildly cannot cause undefined arithmetic.
#pragma once

#include <cstddef>
#include <limits>

#include "platform/SteadyClock.h"

namespace rigtiming {

inline constexpr platform::Nanos kFirstAnswerWait = 500'000'000;
inline constexpr platform::Nanos kSetTimeout = 1'500'000'000;
inline constexpr platform::Nanos kPollTimeout = 2'000'000'000;
inline constexpr size_t kReceiveCap = 2048;
// A radio that lost power or its network sends no FIN or RST: its link stays
// up. Polls left unanswered this many times in a row, with not a byte from
// the radio since the first of them, mean it is gone.
inline constexpr unsigned kSilentPolls = 3;

inline platform::Nanos elapsed(platform::Nanos now, platform::Nanos since) {
    platform::Nanos difference = 0;
    if (__builtin_sub_overflow(now, since, &difference))
        return now < since ? std::numeric_limits<platform::Nanos>::min() : std::numeric_limits<platform::Nanos>::max();
    return difference;
}

// now - since has reached the (positive) limit; a negative difference never does.
inline bool hasElapsed(platform::Nanos now, platform::Nanos since, platform::Nanos limit) {
    return elapsed(now, since) >= limit;
}

// now - since is at most the limit; a negative difference counts as within.
inline bool isWithin(platform::Nanos now, platform::Nanos since, platform::Nanos limit) {
    return elapsed(now, since) <= limit;
}

// The last of kSilentPolls polls in a row, sent at lastPoll with nothing
// heard from the radio since the first, has timed out: three poll time-outs
// of silence (6 s).
inline bool radioIsSilent(unsigned unansweredPolls, platform::Nanos now, platform::Nanos lastPoll) {
    return unansweredPolls >= kSilentPolls && hasElapsed(now, lastPoll, kPollTimeout);
}

}  // namespace rigtiming
