// qbhost tx on the driver's serial rig with a fake port and an injected
// clock. The fake radio keys on "TX;", unkeys on "RX;" and answers each poll
// 50 ms after it was written, as long as the case lets it; every pause of
// the watch moves the clock and lets the radio act. The unkey must count
// only once a poll written after "RX;" has been answered.
#include <cctype>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/RigHarness.h"
#include "tools/qbhost/Transmit.h"

namespace {

using coretest::kMillisecond;
using coretest::kSecond;
using Outcome = qbhost::PollWatch::Outcome;

constexpr const char* kAnswer = "FA00014074000;FB00014074000;FT0;MD2;MD$2;";
constexpr platform::Nanos kLatency = 50 * kMillisecond;
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
};

class TransmitTest : public coretest::SerialRigFixture, public ::testing::WithParamInterface<Case> {
protected:
    // The radio reads what the rig wrote and answers the polls that are due.
    void pause(platform::Nanos duration) {
        clock.advance(duration);
        const auto& writes = port->writes();
        for (; read_ < writes.size(); ++read_) {
            const std::string& text = writes[read_].bytes;
            if (text.find("TX;") != std::string::npos) keyed_ = true, keyedAt_ = clock.now();
            if (text.find("RX;") != std::string::npos) keyed_ = false, unkeyedAt_ = clock.now(), unkeySeen_ = true;
            const bool answering = unkeySeen_ ? GetParam().answersAfterUnkey : GetParam().answersUntilUnkey;
            if (text.find("MD$;") != std::string::npos && answering) due_.push_back(clock.now() + kLatency);
        }
        while (!due_.empty() && due_.front() <= clock.now()) {
            port->queueBytes(kAnswer);
            due_.erase(due_.begin());
        }
    }

    qbhost::PollWatch watch{rig.get(), clock.clock(), [this](platform::Nanos d) { pause(d); }};
    platform::Nanos start_ = clock.now();
    size_t read_ = 0;
    std::vector<platform::Nanos> due_;
    bool keyed_ = false, unkeySeen_ = false;
    platform::Nanos keyedAt_ = -1, unkeyedAt_ = -1;
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
    EXPECT_EQ(keyed_, c.keyedAtEnd);
    ASSERT_GE(keyedAt_, start_) << "the radio was never keyed";
    if (c.keyedAtEnd) return;
    ASSERT_GE(unkeyedAt_, keyedAt_) << "the radio was never unkeyed";
    const platform::Nanos keyedFor = unkeyedAt_ - keyedAt_;
    if (c.keyed == Outcome::Answered && !c.stopped) {
        EXPECT_GE(keyedFor, static_cast<platform::Nanos>(c.seconds * kSecond));
        EXPECT_LT(keyedFor, static_cast<platform::Nanos>(c.seconds * kSecond) + 300 * kMillisecond);
    }
    if (c.stopped) EXPECT_LT(keyedFor, c.stopAt + 300 * kMillisecond);
    // Nothing waits past the driver's poll bound twice over.
    EXPECT_LT(clock.now() - unkeyedAt_, 4200 * kMillisecond);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransmitTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

}  // namespace
