// qbhost tx on the driver's serial rig with a fake port and an injected
// clock: the fake radio answers polls as long as the case lets it, and every
// pause of the watch moves the clock and lets the radio act. The unkey must
// count only once a poll written after "RX;" has been answered.
#include <cctype>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "QbhostFakeRadio.h"
#include "tools/qbhost/Transmit.h"

namespace {

using coretest::kMillisecond;
using coretest::kSecond;
using Outcome = qbhost::PollWatch::Outcome;

constexpr const char* kAnswer = "FA00014074000;FB00014074000;FT0;MD2;MD$2;";
constexpr platform::Nanos kNever = 1000 * kSecond;

struct Case {
    const char* name;
    double seconds;
    bool hold;
    platform::Nanos stopAt;          // when the user asks to stop
    bool answersUntilUnkey;          // polls written before "RX;"
    bool answersAfterUnkey;          // polls written after "RX;"
    Outcome keyed;
    bool stopped;
    bool unkeyed;
    bool keyedAtEnd;                 // the radio's own state once transmit returns
};

const Case kCases[] = {
    {"keyed for the time asked then unkeyed", 1, false, kNever, true, true, Outcome::Answered, false, true, false},
    {"stopped early by the user", 5, false, 300 * kMillisecond, true, true, Outcome::Answered, true, true, false},
    {"radio silent while keyed", 1, false, kNever, false, false, Outcome::NoAnswer, false, false, false},
    {"silent after the unkey", 1, false, kNever, true, false, Outcome::Answered, false, false, false},
    {"hold leaves it keyed", 1, true, kNever, true, true, Outcome::Answered, false, false, true},
    {"hold unanswered unkeys", 1, true, kNever, false, true, Outcome::NoAnswer, false, true, false},
    {"Ctrl+C before hold is confirmed unkeys", 1, true, 10 * kMillisecond, true, true, Outcome::Answered, true, true,
     false},
};

class TransmitTest : public coretest::SerialRigFixture, public ::testing::WithParamInterface<Case> {
protected:
    void pause(platform::Nanos duration) {
        clock.advance(duration);
        radio_.act(clock.now());
    }

    qbhosttest::FakeRadio radio_{*port.get(), kAnswer, [](bool unkeySeen) {
                                     return unkeySeen ? GetParam().answersAfterUnkey : GetParam().answersUntilUnkey;
                                 }};
    qbhost::PollWatch watch{rig.get(), clock.clock(), [this](platform::Nanos d) { pause(d); }};
    platform::Nanos start_ = clock.now();
};

TEST_P(TransmitTest, UnkeysAndCountsItOnlyOnceAPollAfterItIsAnswered) {
    const Case& c = GetParam();
    qbhost::TransmitPlan plan{c.seconds, c.hold, "K4", [&] { return clock.now() - start_ >= c.stopAt; }};
    std::ostringstream out;
    const qbhost::TransmitResult result = qbhost::transmit(rig.get(), watch, plan, out);
    pause(0);
    EXPECT_EQ(result.keyed, c.keyed);
    EXPECT_EQ(result.stopped, c.stopped);
    EXPECT_EQ(result.unkeyed, c.unkeyed);
    EXPECT_EQ(result.held, c.keyedAtEnd);
    EXPECT_EQ(radio_.keyed, c.keyedAtEnd);
    ASSERT_GE(radio_.keyedAt, start_) << "the radio was never keyed";
    if (c.keyedAtEnd) return;
    ASSERT_GE(radio_.unkeyedAt, radio_.keyedAt) << "the radio was never unkeyed";
    const platform::Nanos keyedFor = radio_.unkeyedAt - radio_.keyedAt;
    if (c.keyed == Outcome::Answered && !c.stopped) {
        EXPECT_GE(keyedFor, static_cast<platform::Nanos>(c.seconds * kSecond));
        EXPECT_LT(keyedFor, static_cast<platform::Nanos>(c.seconds * kSecond) + 300 * kMillisecond);
    }
    if (c.stopped) {
        EXPECT_LT(keyedFor, c.stopAt + 300 * kMillisecond);
    }
    // Nothing waits past the driver's poll bound twice over.
    EXPECT_LT(clock.now() - radio_.unkeyedAt, 4200 * kMillisecond);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransmitTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

}  // namespace
