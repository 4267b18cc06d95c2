// The poll cycle on a serial rig: Launch sends the poll string, Check
// collects and parses the answers, the pTime hints tell the host whether to
// call Check again, and GetFrequency reports the state. Times are set on an
// injected clock exactly at and just inside each limit.
#include <string>

#include <gtest/gtest.h>

#include "core/RigHarness.h"

namespace {

using coretest::check;
using coretest::frequencyOf;
using coretest::kMillisecond;
using coretest::kSecond;
using coretest::launch;

constexpr const char* kPoll = "FA;FB;FT;MD;MD$;";
constexpr const char* kAnswers = "FA00014074000;FB00007012500;FT0;MD2;MD$2;";

class PollCycleTest : public coretest::SerialRigFixture {
protected:
    size_t polls() const {
        size_t count = 0;
        for (const std::string& text : port->texts()) count += text == kPoll;
        return count;
    }
};

TEST_F(PollCycleTest, LaunchSendsThePollStringOnce) {
    EXPECT_EQ(launch(rig.get()), 10);
    ASSERT_EQ(port->texts(), std::vector<std::string>{kPoll});
    EXPECT_EQ(launch(rig.get()), -1);
    EXPECT_EQ(polls(), 1u);
}

TEST_F(PollCycleTest, WholePollAnsweredInOneBlock) {
    launch(rig.get());
    EXPECT_EQ(receive(kAnswers).time, 10);
    EXPECT_EQ(check(rig.get()).time, -1);
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 14074.0);
    EXPECT_DOUBLE_EQ(f.xmit, 14074.0);
    EXPECT_EQ(f.mode, 2);
    EXPECT_EQ(f.split, 0);
    // The MD$ answer ended the poll: the next Launch polls again at once.
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(polls(), 2u);
}

TEST_F(PollCycleTest, SplitAnswersReportTheTransmitVfo) {
    launch(rig.get());
    receive("FA00007010000;FB00007012500;FT1;MD7;MD$7;");
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 7010.0);
    EXPECT_DOUBLE_EQ(f.xmit, 7012.5);
    EXPECT_EQ(f.mode, 3);
    EXPECT_EQ(f.split, 1);

    LONG time = 0;
    ASSERT_EQ(rig->Set(7012.5, 7010.0, 3, 0, 1, &time), S_OK);
    EXPECT_EQ(port->texts().back(), "FA00007010000;MD7;FB00007012500;MD$7;FT1;KS;");
}

// A burst of bytes without ';' (the buffer keeps the newest 2048 of them)
// sticks to the front of the next answer; the whole poll still counts, so
// the state is never half old, half new.
TEST_F(PollCycleTest, NoiseBeforeAnAnswerDoesNotHideIt) {
    launch(rig.get());
    receive(std::string(3000, 'x'));
    receive("FA00007010000;FB00007012500;FT1;MD3;MD$3;");
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 7010.0);
    EXPECT_DOUBLE_EQ(f.xmit, 7012.5);
    EXPECT_EQ(f.mode, 3);
}

TEST_F(PollCycleTest, AnswersSplitAcrossReadsAreJoined) {
    launch(rig.get());
    EXPECT_EQ(receive("FA0001").time, 10);
    EXPECT_EQ(receive("4074000;FB").time, 10);
    EXPECT_EQ(receive("00007012500;FT0;MD2;MD$2;").time, 10);
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
}

TEST_F(PollCycleTest, SilentRadioIsAwaitedForHalfASecondExactly) {
    launch(rig.get());
    clock.advance(kSecond / 2);
    EXPECT_EQ(check(rig.get()).time, 10);
    clock.advance(1);
    EXPECT_EQ(check(rig.get()).time, -1);
}

// Launch starts the count of answered bytes afresh: every poll, not only
// the first, is awaited for half a second.
TEST_F(PollCycleTest, EveryPollHasItsFirstAnswerWait) {
    launch(rig.get());
    receive(kAnswers);
    EXPECT_EQ(check(rig.get()).time, -1);
    EXPECT_EQ(launch(rig.get()), 10);
    clock.advance(kSecond / 2);
    EXPECT_EQ(check(rig.get()).time, 10);
}

TEST_F(PollCycleTest, ClockBeforeThePollCountsAsWithinTheWait) {
    launch(rig.get());
    clock.advance(-kSecond);
    EXPECT_EQ(check(rig.get()).time, 10);
}

// Answers that arrive while no poll is pending apply at once, and end the
// first-answer wait of none.
TEST_F(PollCycleTest, AnswersOutsideAPollApplyAtOnce) {
    EXPECT_EQ(receive("FA00007010000;").time, 10);
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7010.0);
    clock.advance(kSecond);
    EXPECT_EQ(check(rig.get()).time, -1);
}

TEST_F(PollCycleTest, UnansweredPollBlocksLaunchForTwoSecondsExactly) {
    launch(rig.get());
    clock.advance(2 * kSecond - 1);
    EXPECT_EQ(launch(rig.get()), -1);
    EXPECT_EQ(polls(), 1u);
    clock.advance(1);
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(polls(), 2u);
}

// Once its answer has begun, a poll keeps the host checking (Launch sends
// nothing) until its "MD$" or its time-out.
TEST_F(PollCycleTest, PollWithoutItsLastAnswerStaysPending) {
    launch(rig.get());
    receive("FA00014074000;FB00007012500;FT0;MD2;");
    clock.advance(2 * kSecond - 1);
    EXPECT_EQ(check(rig.get()).time, 10);
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(polls(), 1u);
    clock.advance(1);
    EXPECT_EQ(check(rig.get()).time, -1);
}

TEST_F(PollCycleTest, GrowingPartialAnswerKeepsCheckGoing) {
    clock.advance(kSecond);
    EXPECT_EQ(receive("FA0").time, 10);
    EXPECT_EQ(receive("00").time, 10);
}

TEST_F(PollCycleTest, StuckPartialAnswerAlternatesTheHint) {
    clock.advance(kSecond);
    EXPECT_EQ(receive("FA0001").time, 10);
    EXPECT_EQ(check(rig.get()).time, -1);
    EXPECT_EQ(check(rig.get()).time, 10);
    EXPECT_EQ(check(rig.get()).time, -1);
}

TEST_F(PollCycleTest, LongRunWithoutSemicolonIsCutToTheNewest2048Bytes) {
    clock.advance(kSecond);
    // 3000 bytes, then the buffer holds 2048: the sizes seen by successive
    // Checks are 3000, 2048, 2048.
    EXPECT_EQ(receive(std::string(2987, 'x') + "FA00007000000").time, 10);
    EXPECT_EQ(check(rig.get()).time, 10);
    EXPECT_EQ(check(rig.get()).time, -1);
    // What remains is one overlong response, not an FA answer.
    receive(";FA00014074000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
}

TEST_F(PollCycleTest, CheckWithoutPortFailsAndChangesNothing) {
    receive("FA0001");
    ASSERT_EQ(rig->PutCommPort(nullptr, 0), S_OK);
    const coretest::CheckResult result = check(rig.get());
    EXPECT_EQ(result.hr, E_FAIL);
    EXPECT_EQ(result.time, -1);
    ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK);
    receive("4074000;");
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
}

}  // namespace
