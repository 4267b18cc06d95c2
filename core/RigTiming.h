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
// up. It is taken for gone once the first poll sent after its last byte is
// this old and this many polls have gone out since that byte.
inline constexpr platform::Nanos kSilenceLimit = 6'000'000'000;
inline constexpr unsigned kSilentPolls = 3;
// A radio that sent a byte this recently, with no poll older than
// kFirstAnswerWait unanswered, is reading what it is sent: a link being
// closed may still deliver what the system holds for it.
inline constexpr platform::Nanos kRecentByte = 2'000'000'000;

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

// The polls (a Set's "KS;" among them) sent since the radio's last byte.
// Resending a poll does not move the time of the first.
struct SilenceWatch {
    unsigned polls = 0;
    platform::Nanos firstPoll = 0;  // meaningful while polls > 0
};

inline void notePollSent(SilenceWatch& watch, platform::Nanos now) {
    if (watch.polls == 0) watch.firstPoll = now;
    if (watch.polls < kSilentPolls) ++watch.polls;
}

inline void noteByteReceived(SilenceWatch& watch) { watch = SilenceWatch{}; }

inline bool radioIsSilent(const SilenceWatch& watch, platform::Nanos now) {
    return watch.polls >= kSilentPolls && hasElapsed(now, watch.firstPoll, kSilenceLimit);
}

// What the rig knows, when its link is being closed, of whether the radio
// still reads: when it last sent a byte, and the last poll.
struct RadioActivity {
    bool anyByte = false;
    platform::Nanos lastByte = 0;
    bool pollUnanswered = false;
    platform::Nanos pollSent = 0;
};

// A byte came within kRecentByte and no poll older than kFirstAnswerWait
// waits for its answer.
inline bool radioIsReading(const RadioActivity& activity, platform::Nanos now) {
    return activity.anyByte && isWithin(now, activity.lastByte, kRecentByte) &&
           !(activity.pollUnanswered && !isWithin(now, activity.pollSent, kFirstAnswerWait));
}

}  // namespace rigtiming
