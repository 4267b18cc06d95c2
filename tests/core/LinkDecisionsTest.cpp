// The rig's decisions about a radio and its link, as pure functions over
// times and counts: when a silent radio is given up, when a closing link may
// still deliver, when an unkey is still owed, and which answers of a poll
// make a whole reading.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/OwedUnkey.h"
#include "core/PollHold.h"
#include "core/RigTiming.h"

namespace {

constexpr platform::Nanos kMs = 1'000'000;
constexpr platform::Nanos kT0 = 1'000'000 * kMs;

// Polls go out at the given times after kT0, a byte comes (or not) after
// them, then the rule is asked at `at`.
TEST(SilenceRuleTest, TheFirstPollAfterTheLastByteCountsAndResendsDoNotMoveIt) {
    struct Case {
        const char* what;
        std::vector<platform::Nanos> polls;
        platform::Nanos byteAt;  // negative: none
        platform::Nanos at;
        bool silent;
    };
    const Case cases[] = {
        {"three polls, the first 6 s old", {0, 2000 * kMs, 4000 * kMs}, -1, 6000 * kMs, true},
        {"the first poll 1 ns short of 6 s", {0, 2000 * kMs, 4000 * kMs}, -1, 6000 * kMs - 1, false},
        {"polls every 250 ms move nothing", {0, 250 * kMs, 500 * kMs, 750 * kMs}, -1, 6000 * kMs, true},
        {"two polls and a long silence", {0, 2000 * kMs}, -1, 600000 * kMs, false},
        {"a byte after the polls starts afresh", {0, 2000 * kMs, 4000 * kMs}, 4500 * kMs, 6000 * kMs, false},
        {"a clock that went back", {0, 2000 * kMs, 4000 * kMs}, -1, -1000 * kMs, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rigtiming::SilenceWatch watch;
        for (platform::Nanos poll : c.polls) rigtiming::notePollSent(watch, kT0 + poll);
        if (c.byteAt >= 0) rigtiming::noteByteReceived(watch);
        EXPECT_EQ(rigtiming::radioIsSilent(watch, kT0 + c.at), c.silent);
    }
}

TEST(ReadingRuleTest, ARecentByteAndNoPollUnansweredForLongMeanTheRadioReads) {
    struct Case {
        const char* what;
        rigtiming::RadioActivity activity;
        platform::Nanos at;
        bool reading;
    };
    const Case cases[] = {
        {"never a byte", {false, 0, false, 0}, kT0, false},
        {"a byte 2 s ago", {true, kT0 - 2000 * kMs, false, 0}, kT0, true},
        {"a byte 2 s and 1 ns ago", {true, kT0 - 2000 * kMs - 1, false, 0}, kT0, false},
        {"a poll unanswered for 0.5 s", {true, kT0, true, kT0 - 500 * kMs}, kT0, true},
        {"a poll unanswered for 0.5 s and 1 ns", {true, kT0, true, kT0 - 500 * kMs - 1}, kT0, false},
        {"an old poll that was answered", {true, kT0, false, kT0 - 5000 * kMs}, kT0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rigtiming::radioIsReading(c.activity, c.at), c.reading);
    }
}

TEST(OwedUnkeyTest, AnUnkeyIsOwedUntilALaterQueryIsAnswered) {
    struct Case {
        const char* what;
        OwedUnkey unkey;
        uint64_t answers;
        bool owed;
    };
    const Case cases[] = {
        {"refused", {false, 0}, 99, true},
        {"no answer on its link", {true, 3}, 0, true},
        {"only the queries before it answered", {true, 3}, 2, true},
        {"a query after it answered", {true, 3}, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(unkeyStillOwed(c.unkey, c.answers), c.owed);
    }
}

TEST(PollHoldTest, AWholeReadingNeedsBothVfosSplitAndMode) {
    struct Case {
        const char* what;
        std::vector<std::string> answers;
        bool complete;
    };
    const Case cases[] = {
        {"the whole poll", {"FA00007003000;", "FB00007005000;", "FT0;", "MD3;", "MD$3;"}, true},
        {"all but MD$", {"FA00007003000;", "FB00007005000;", "FT0;", "MD3;"}, true},
        {"no mode", {"FA00007003000;", "FB00007005000;", "FT0;"}, false},
        {"VFO A alone", {"FA00007003000;"}, false},
        {"answers of no poll", {"KS020;", "?;"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PollHold hold;
        for (const std::string& answer : c.answers) hold.hold(answer);
        EXPECT_EQ(hold.isComplete(), c.complete);
    }
}

// The held answers reach the state together and in the poll's order; a later
// answer of a form replaces the earlier one.
TEST(PollHoldTest, HeldAnswersApplyTogetherAndTheLatestOfAFormWins) {
    PollHold hold;
    K4State state;
    for (const char* answer : {"MD3;", "FA00007003000;", "FB00007005000;", "FA00007004000;", "FT1;"})
        EXPECT_TRUE(hold.hold(answer));
    EXPECT_FALSE(hold.hold("KS020;"));
    EXPECT_DOUBLE_EQ(state.vfoA, 0.0) << "nothing applies while held";
    hold.applyTo(state);
    EXPECT_DOUBLE_EQ(state.vfoA, 7004.0);
    EXPECT_DOUBLE_EQ(state.vfoB, 7005.0);
    EXPECT_EQ(state.splitChar, '1');
    EXPECT_EQ(state.mode, 3);
    EXPECT_TRUE(hold.empty());
    hold.hold("FA00014074000;");
    EXPECT_EQ(hold.drop(), "FA00014074000;");
    EXPECT_TRUE(hold.empty());
}

}  // namespace
