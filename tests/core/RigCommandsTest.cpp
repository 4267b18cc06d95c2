// The commands a rig sends (Set, TuneFrequency, Xmit, ClearRIT) and the
// set-in-progress gate that holds back stale answers until the radio has
// confirmed every Set, with its 1.5 s time-out at and around the limit.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/RigHarness.h"

namespace {

using coretest::check;
using coretest::frequencyOf;
using coretest::kSecond;
using coretest::launch;

constexpr const char* kPoll = "FA;FB;FT;MD;MD$;";
constexpr const char* kAnswers = "FA00007000000;FB00007000000;FT0;MD2;MD$2;";
constexpr platform::Nanos kSetTimeout = 1500 * coretest::kMillisecond;

class RigCommandsTest : public coretest::SerialRigFixture {
protected:
    void set(double xmit, double rcv, SHORT mode, SHORT primary, SHORT split) {
        LONG time = 4321;
        ASSERT_EQ(rig->Set(xmit, rcv, mode, primary, split, &time), S_OK);
        EXPECT_EQ(time, 4321);
    }
    std::string lastText() const { return port->texts().empty() ? std::string() : port->texts().back(); }
};

TEST_F(RigCommandsTest, SetNonSplitSendsVfoAAndReportsAtOnce) {
    set(14074.0, 14074.0, 2, 0, 0);
    EXPECT_EQ(port->texts(), std::vector<std::string>{"FA00014074000;MD2;FT0;KS;"});
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 14074.0);
    EXPECT_DOUBLE_EQ(f.xmit, 14074.0);
    EXPECT_EQ(f.mode, 2);
    EXPECT_EQ(f.split, 0);
}

TEST_F(RigCommandsTest, SetSplitSendsBothVfosAndKeepsPrimaryVfo) {
    set(7012.5, 7010.0, 1, 1, 1);
    EXPECT_EQ(lastText(), "FA00007010000;MD1;FB00007012500;MD$1;FT1;KS;");
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.xmit, 7012.5);
    EXPECT_EQ(f.primaryVfo, 1);
    EXPECT_EQ(f.split, 1);
}

TEST_F(RigCommandsTest, NonSplitSetLeavesVfoBForALaterSplit) {
    set(7012.5, 7010.0, 2, 0, 1);
    set(21000.0, 14074.0, 2, 0, 0);
    receive("KS;KS;FT1;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).xmit, 7012.5);
}

TEST_F(RigCommandsTest, ModeIsSignExtendedAndReportedInSixteenBits) {
    set(0, 0, -2, 0, 0);
    EXPECT_EQ(frequencyOf(rig.get()).mode, -2);
}

TEST_F(RigCommandsTest, FrequencyRoundsToTheNearestHertzHalfUp) {
    set(0, 7010.0004, 2, 0, 0);
    EXPECT_EQ(lastText(), "FA00007010000;MD2;FT0;KS;");
    set(0, 7010.0005, 2, 0, 0);
    EXPECT_EQ(lastText(), "FA00007010001;MD2;FT0;KS;");
}

TEST_F(RigCommandsTest, NonFiniteAndHugeFrequenciesGiveDefinedFields) {
    const double inf = std::numeric_limits<double>::infinity();
    set(inf, std::nan(""), 2, 0, 1);
    EXPECT_EQ(lastText(), "FA00000000000;MD2;FB9223372036854775807;MD$2;FT1;KS;");
    set(-1e300, 1e300, 2, 0, 1);
    EXPECT_EQ(lastText(), "FA9223372036854775807;MD2;FB-9223372036854775808;MD$2;FT1;KS;");
}

TEST_F(RigCommandsTest, AnswersQueuedBeforeTheSetAreSkipped) {
    set(14074.0, 14074.0, 2, 0, 0);
    receive("FA00007000000;MD1;KS020;FA00021000000;");
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 21000.0);
    EXPECT_EQ(f.mode, 2);
}

// A Set takes what the pending poll has brought first: answers held from
// before it never overwrite its values later, when the poll ends.
TEST_F(RigCommandsTest, ASetTakesTheHeldAnswersFirst) {
    launch(rig.get());
    receive("FA00007003000;FB00007005000;FT0;MD3;");
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(2 * coretest::kSecond);
    launch(rig.get());
    receive("");
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 14074.0);
    EXPECT_EQ(f.mode, 2);
}

TEST_F(RigCommandsTest, EverySetWaitsForItsOwnConfirmation) {
    set(14074.0, 14074.0, 2, 0, 0);
    set(14075.0, 14075.0, 2, 0, 0);
    receive("KS;FA00007000000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14075.0);
    receive("KS;FA00007000000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7000.0);
}

// As documented: the confirmation of a Set that has timed out, arriving
// late, is counted for the next Set.
TEST_F(RigCommandsTest, LateConfirmationOfATimedOutSetCountsForTheNext) {
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(kSetTimeout);
    launch(rig.get());
    set(14075.0, 14075.0, 2, 0, 0);
    receive(std::string("KS;") + kAnswers);
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7000.0);
}

// While a Set awaits its confirmation, Launch polls nothing (the hint 10
// means a poll was sent); the host's Check takes the confirmation in, also
// behind stray bytes, and polling resumes at once.
TEST_F(RigCommandsTest, LaunchSendsNothingWhileASetIsPending) {
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(kSetTimeout - 1);
    EXPECT_EQ(launch(rig.get()), -1);
    EXPECT_EQ(port->texts().size(), 1u);
    receive("noiseKS020;");
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(lastText(), kPoll);
}

// A host that follows the hints does not check while a Set is pending:
// Launch takes the confirmation in itself, the gate skipping what came
// before it, and polls at once.
TEST_F(RigCommandsTest, LaunchTakesTheConfirmationInItself) {
    set(14074.0, 14074.0, 2, 0, 0);
    port->queueBytes("FA00007000000;MD3;KS020;");
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(lastText(), kPoll);
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
}

TEST_F(RigCommandsTest, LaunchForgetsTheSetAfterOnePointFiveSecondsExactly) {
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(kSetTimeout);
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(lastText(), kPoll);
    receive(kAnswers);
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7000.0);
}

TEST_F(RigCommandsTest, CheckForgetsTheSetAfterOnePointFiveSecondsExactly) {
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(kSetTimeout - 1);
    receive("FA00007000000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
    clock.advance(1);
    receive("FA00007000000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7000.0);
}

// A "KS" taken in after its Set's wait timed out (left unread behind a lost
// link, or by a host that did not check) still proves the answers before it
// older than the Set: they are skipped, and those after it apply.
TEST_F(RigCommandsTest, AnswersBeforeALateConfirmationAreSkipped) {
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(kSetTimeout);
    receive("FA00007000000;MD3;KS020;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
    receive("FA00007010000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7010.0);
}

TEST_F(RigCommandsTest, SetClockGoingBackwardsNeverTimesOut) {
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(-10 * kSecond);
    EXPECT_EQ(launch(rig.get()), -1);
    receive("FA00007000000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
}

TEST_F(RigCommandsTest, PendingSetDefersAPollAfterItsTimeout) {
    launch(rig.get());
    set(14074.0, 14074.0, 2, 0, 0);
    clock.advance(kSetTimeout);
    // The set is forgotten, but the poll sent before it is still pending.
    EXPECT_EQ(launch(rig.get()), -1);
    clock.advance(2 * kSecond - kSetTimeout);
    EXPECT_EQ(launch(rig.get()), 10);
}

TEST_F(RigCommandsTest, TuneSendsOneStepAndAsksForNoCheck) {
    const std::vector<std::pair<LONG, std::string>> cases = {{10, "UP;"}, {9, "DN;"}, {0, "DN;"}, {-25, "DN;"}};
    for (const auto& [amount, text] : cases) {
        LONG time = 7;
        ASSERT_EQ(rig->TuneFrequency(amount, &time), S_OK);
        EXPECT_EQ(time, -1);
        EXPECT_EQ(lastText(), text) << amount;
    }
    EXPECT_EQ(port->texts().size(), cases.size());
}

TEST_F(RigCommandsTest, XmitKeysAndUnkeys) {
    LONG time = 0;
    ASSERT_EQ(rig->Xmit(1, &time), S_OK);
    EXPECT_EQ(time, 5);
    EXPECT_EQ(lastText(), "TX;");
    time = 0;
    ASSERT_EQ(rig->Xmit(0, &time), S_OK);
    EXPECT_EQ(time, 5);
    EXPECT_EQ(lastText(), "RX;");
}

TEST_F(RigCommandsTest, ClearRitSendsRc) {
    ASSERT_EQ(rig->ClearRIT(), S_OK);
    EXPECT_EQ(port->texts(), std::vector<std::string>{"RC;"});
}

}  // namespace
