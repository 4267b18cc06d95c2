// The poll cycle in the hands of the logger double, on the test's clock: a
// serial rig whose radio answers each poll with a pause inside its answers,
// as a delayed segment on Wi-Fi would make it. Whatever the host's pattern,
// every reading the operator is shown is one the radio had.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/RigHarness.h"
#include "core/TempLogFolder.h"
#include "support/LoggerRows.h"
#include "support/TimedRadioPort.h"

namespace {

using loggerdouble::kMillisecond;
using loggerdouble::kSecond;
using loggerdouble::Shown;

constexpr const char* kPoll = "FA;FB;FT;MD;MD$;";

struct RadioState {
    long long vfoA;  // Hz
    long long vfoB;
    int mode;
    int split;
};
// The radio moves between these two at every poll; a reading mixed of both
// (VFO A of one, the mode of the other) is one the radio never had.
const RadioState kStates[] = {{7003000, 7005000, 3, 0}, {14074000, 14080000, 2, 1}};

std::string answersFor(const RadioState& s) {
    char text[80];
    std::snprintf(text, sizeof text, "FA%011lld;FB%011lld;FT%d;MD%d;MD$%d;", s.vfoA, s.vfoB, s.split, s.mode, s.mode);
    return text;
}

bool shows(const Shown& shown, const RadioState& s) {
    const double rcv = s.vfoA / 1000.0;
    return shown.rcvKHz == rcv && shown.xmitKHz == (s.split ? s.vfoB / 1000.0 : rcv) && shown.mode == s.mode &&
           shown.split == s.split;
}

class LoggerDoubleRigTest : public ::testing::TestWithParam<loggerdouble::Row> {
protected:
    void SetUp() override {
        log->openInFolder(logFolder.path());
        rig = coretest::makeSerialRig(clock, log);
        ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK);
    }

    // Each poll is answered 5 ms after it is sent, all but its first five
    // bytes of FB `pause` later; a cut poll's rest never comes.
    void answer(const std::string& text, platform::Nanos now, testsupport::TimedRadioPort& radio) {
        if (late > 0) return answerLate(text, now, radio);
        if (text != kPoll) return;
        const std::string answers = answersFor(kStates[polls % 2]);
        const size_t split = answers.find("FB") + 5;
        radio.sendAt(now + 5 * kMillisecond, answers.substr(0, split));
        if (polls == cutPoll) {
            ++polls;
            return;
        }
        radio.sendAt(now + 5 * kMillisecond + pause, answers.substr(split));
        answered.push_back({now + 5 * kMillisecond + pause, polls++ % 2});
    }

    // Every text answered whole `late` after it is sent; once a Set has
    // reached the radio, its polls find the Set's state.
    void answerLate(const std::string& text, platform::Nanos now, testsupport::TimedRadioPort& radio) {
        if (text == kPoll) {
            ++polls;
            return radio.sendAt(now + late, answersFor(kStates[setMade ? 1 : 0]));
        }
        setMade = true;
        radio.sendAt(now + late, "KS020;");
    }

    std::vector<Shown> drive(const loggerdouble::Row& row, platform::Nanos span) {
        loggerdouble::LoggerDouble logger(rig.get(), row, time);
        std::vector<Shown> shown;
        logger.onShown([&](const Shown& s) { shown.push_back(s); });
        logger.runFor(span);
        return shown;
    }

    std::vector<std::string> logLines() {
        rig.reset();
        log.reset();
        return logFolder.entryLines();
    }

    testsupport::TestClock clock;
    loggerdouble::ManualTime time{clock.clock(), [this](platform::Nanos t) { clock.set(t); }};
    platform::Nanos pause = 400 * kMillisecond;
    int polls = 0;
    int cutPoll = -1;
    platform::Nanos late = 0;
    bool setMade = false;
    struct Answered {
        platform::Nanos at;  // the poll's last byte
        int state;
    };
    std::vector<Answered> answered;
    testsupport::TimedRadioPort::Ptr port = testsupport::TimedRadioPort::create(
        clock.clock(), [this](const std::string& text, platform::Nanos now, testsupport::TimedRadioPort& radio) {
            answer(text, now, radio);
        });
    coretest::TempLogFolder logFolder;
    std::shared_ptr<LogTrail> log = std::make_shared<LogTrail>(clock.clock());
    com::ComPtr<IQbRig> rig;
};

// Once a poll's answer has begun, the host is kept checking until its last
// answer, so that each reading is shown as soon as it is whole.
TEST_P(LoggerDoubleRigTest, EveryReadingShownIsOneTheRadioHadAndShownAtOnce) {
    const std::vector<Shown> shown = drive(GetParam(), 20 * kSecond);
    for (const Shown& s : shown) {
        const bool initial = s.rcvKHz == 0 && s.mode == 3;
        EXPECT_TRUE(initial || shows(s, kStates[0]) || shows(s, kStates[1]))
            << s.rcvKHz << " kHz, TX " << s.xmitKHz << ", mode " << s.mode << ", split " << s.split;
    }
    ASSERT_GT(answered.size(), 10u);
    for (const Answered& poll : answered) {
        if (poll.at > time.now() - kSecond) break;
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const Shown& s) {
            return s.at >= poll.at && s.at <= poll.at + 100 * kMillisecond && shows(s, kStates[poll.state]);
        })) << "a poll answered " << (time.now() - poll.at) / kMillisecond << " ms before the end";
    }
}

// A poll whose answers stop after FB's first bytes is dropped whole at its
// time-out: VFO A alone never reaches the operator.
TEST_P(LoggerDoubleRigTest, APollCutShortIsDroppedWhole) {
    cutPoll = 1;
    for (const Shown& shown : drive(GetParam(), 6 * kSecond))
        EXPECT_FALSE(shown.rcvKHz == kStates[1].vfoA / 1000.0 && !shows(shown, kStates[1]));
    const std::vector<std::string> lines = logLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.substr(10) == "dropped incomplete poll \"FA00014074000;\"";
    }));
}

// A Set made while a poll's answers are on their way, from a radio that
// answers everything 500 ms late: the host is kept checking while the Set
// awaits its "KS", so the earlier poll's answers meet the gate and are
// skipped, and the display never falls back to the state before the Set.
TEST_P(LoggerDoubleRigTest, AnswersFromBeforeASetNeverUndoIt) {
    late = 500 * kMillisecond;
    loggerdouble::LoggerDouble logger(rig.get(), GetParam(), time);
    std::vector<Shown> shown;
    logger.onShown([&](const Shown& s) { shown.push_back(s); });
    logger.runFor(3 * kSecond);
    ASSERT_TRUE(logger.lastShown() && shows(*logger.lastShown(), kStates[0]));
    const int pollsBefore = polls;
    while (polls == pollsBefore && time.now() < 6 * kSecond) logger.runFor(10 * kMillisecond);  // one has just gone out
    const RadioState& wanted = kStates[1];
    ASSERT_EQ(logger.set(wanted.vfoB / 1000.0, wanted.vfoA / 1000.0, SHORT(wanted.mode), SHORT(wanted.split)), S_OK);
    shown.clear();
    logger.runFor(4 * kSecond);
    ASSERT_FALSE(shown.empty());
    for (const Shown& s : shown)
        EXPECT_TRUE(shows(s, wanted)) << (s.at - shown.front().at) / kMillisecond << " ms after the Set: " << s.rcvKHz << " kHz";
}

INSTANTIATE_TEST_SUITE_P(Rows, LoggerDoubleRigTest, ::testing::ValuesIn(loggerdouble::kRows), testsupport::rowName);

}  // namespace
