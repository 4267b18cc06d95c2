// qbhost's watch over a rig's answers, on the driver's serial rig with a fake
// port and an injected clock: each case schedules the radio's answers at
// chosen times around the 2 s poll bound and the 1.5 s set bound, and every
// pause of the watch moves the clock and delivers what has become due.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QbhostFakeRadio.h"
#include "core/RigHarness.h"
#include "tools/qbhost/PollWatch.h"
#include "tools/qbhost/Reading.h"

namespace {

using coretest::kMillisecond;
using Outcome = qbhost::PollWatch::Outcome;

constexpr const char* kAnswer = "FA00007010000;FB00007010000;FT0;MD3;MD$3;";

struct Due {
    platform::Nanos at;  // after the start of the case
    std::string bytes;
};

struct Case {
    const char* name;
    bool set;  // Set 7010 kHz CW-R first, then the poll after it
    std::vector<Due> radio;
    Outcome confirmation;  // of the Set
    Outcome answer;        // of the poll
    bool agrees;
};

const Case kCases[] = {
    {"answered just inside 2 s", false, {{1970 * kMillisecond, kAnswer}}, Outcome::Answered, Outcome::Answered, true},
    {"answered after 2 s", false, {{2010 * kMillisecond, kAnswer}}, Outcome::Answered, Outcome::NoAnswer, true},
    {"silent", false, {}, Outcome::Answered, Outcome::NoAnswer, true},
    {"set confirmed and agreeing", true, {{1400 * kMillisecond, "KS020;"}, {1500 * kMillisecond, kAnswer}},
     Outcome::Answered, Outcome::Answered, true},
    {"set confirmed, radio elsewhere", true,
     {{10 * kMillisecond, "KS020;"}, {50 * kMillisecond, "FA00014074000;FB00014074000;FT0;MD2;MD$2;"}},
     Outcome::Answered, Outcome::Answered, false},
    {"KS after 1.5 s", true, {{1600 * kMillisecond, "KS020;"}}, Outcome::NoAnswer, Outcome::NoAnswer, true},
    {"set never confirmed", true, {}, Outcome::NoAnswer, Outcome::NoAnswer, true},
};

class PollWatchTest : public coretest::SerialRigFixture, public ::testing::WithParamInterface<Case> {
protected:
    void pause(platform::Nanos duration) {
        clock.advance(duration);
        while (next_ < GetParam().radio.size() && clock.now() - start_ >= GetParam().radio[next_].at)
            port->queueBytes(GetParam().radio[next_++].bytes);
    }

    qbhost::PollWatch watch{rig.get(), clock.clock(), [this](platform::Nanos d) { pause(d); }};
    platform::Nanos start_ = clock.now();
    size_t next_ = 0;
};

TEST_P(PollWatchTest, TellsAnsweredFromSilent) {
    const Case& c = GetParam();
    const qbhost::SetRequest request = qbhost::setRequest(7010, nullptr, 7);
    if (c.set) {
        LONG hint = 0;
        ASSERT_EQ(rig->Set(request.txKhz, request.rxKhz, request.mode, 0, request.split, &hint), S_OK);
        const Outcome confirmation = watch.awaitConfirmation(start_);
        ASSERT_EQ(confirmation, c.confirmation);
        if (confirmation != Outcome::Answered) {
            EXPECT_LT(clock.now() - start_, 1700 * kMillisecond);
            return;
        }
    } else {
        watch.start();
    }
    EXPECT_EQ(watch.awaitAnswer(), c.answer);
    EXPECT_LT(clock.now() - start_, 2200 * kMillisecond);
    if (c.answer == Outcome::Answered) {
        EXPECT_EQ(qbhost::agrees(qbhost::readRig(rig.get()), request), c.agrees);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PollWatchTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(PollWatchLink, ADetachedPortIsALinkDown) {
    testsupport::TestClock clock;
    auto rig = coretest::makeSerialRig(clock);
    qbhost::PollWatch watch(rig.get(), clock.clock(), [&](platform::Nanos d) { clock.advance(d); });
    watch.start();
    EXPECT_EQ(watch.awaitAnswer(), Outcome::LinkDown);
}

// set without --mode: the mode of an answered poll, then a Set that the
// radio's KS confirms in time although a poll followed the one read; the rig
// sends back the variant the radio reported (CW-R, read as CW).
class KeptModeTest : public coretest::SerialRigFixture {
protected:
    qbhosttest::FakeRadio radio_{*port.get(), "FA00007010000;FB00007010000;FT0;MD7;MD$7;", [](bool) { return true; }};
    qbhost::PollWatch watch{rig.get(), clock.clock(), [this](platform::Nanos d) {
                                clock.advance(d);
                                radio_.act(clock.now());
                            }};
};

TEST_F(KeptModeTest, TheSetKeepsTheRadiosModeAndIsConfirmed) {
    const qbhost::CurrentMode current = qbhost::currentMode(rig.get(), watch);
    ASSERT_EQ(current.outcome, Outcome::Answered);
    EXPECT_EQ(current.mode, 3);
    const qbhost::SetRequest request = qbhost::setRequest(14025, nullptr, current.mode);
    const platform::Nanos setAt = watch.now();
    LONG hint = 0;
    ASSERT_EQ(rig->Set(request.txKhz, request.rxKhz, request.mode, 0, request.split, &hint), S_OK);
    EXPECT_EQ(watch.awaitConfirmation(setAt), Outcome::Answered);
    const std::vector<std::string> texts = port->texts();
    const auto set = std::find_if(texts.begin(), texts.end(), [](auto& t) { return t.find("KS;") != t.npos; });
    ASSERT_NE(set, texts.end());
    EXPECT_NE(set->find("FA00014025000;MD7;"), std::string::npos) << *set;
}

}  // namespace
