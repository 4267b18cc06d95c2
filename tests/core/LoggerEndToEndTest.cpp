// Network rigs in the hands of the logger double on the real clock, against
// simulated radios: each of the double's rows drives a rig of its own, all at
// once, and the radios' own records decide what happened. A silent radio is
// shown down within its bound; a late one is never given up; every reading
// shown is one the radio had, also when its answers pause in the middle.
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/RigEndToEnd.h"

namespace {

using coretest::RigEndToEnd;
using loggerdouble::kMillisecond;
using loggerdouble::kSecond;
using loggerdouble::Shown;

class LoggerEndToEndTest : public RigEndToEnd {
protected:
    LoggerEndToEndTest() : RigEndToEnd(loggerdouble::kRows.size()) {}

    // Runs the body for every row at once, each on a thread of its own with
    // a rig on the row's radio.
    void forEveryRow(const std::function<void(const loggerdouble::Row&, size_t radio, IQbRig* rig)>& body) {
        std::vector<std::thread> rows;
        for (size_t i = 0; i < loggerdouble::kRows.size(); ++i)
            rows.emplace_back([&, i] {
                com::ComPtr<IQbRig> rig = makeRig(static_cast<unsigned short>(i));
                body(loggerdouble::kRows[i], i, rig.get());
            });
        for (std::thread& row : rows) row.join();
    }
};

TEST_F(LoggerEndToEndTest, ASilentRadioIsShownDownWithinSixSecondsAndTwoTimerPeriods) {
    forEveryRow([&](const loggerdouble::Row& row, size_t i, IQbRig* rig) {
        loggerdouble::RealTime time;
        loggerdouble::LoggerDouble logger(rig, row, time, static_cast<uint32_t>(i));
        ASSERT_TRUE(logger.runUntilShown(live(i), 5 * kSecond)) << row.name;
        setFaults(i, [](k4sim::Faults& f) { f.halfOpen = true; });
        ASSERT_TRUE(logger.runUntilShown(shownDown, 30 * kSecond)) << row.name;
        const platform::Nanos took = logger.lastShown()->at - lastByteAt(i);
        EXPECT_LE(took, 6 * kSecond + 2 * row.timer + 500 * kMillisecond) << row.name;
        std::printf("%s: shown down %.2f s after the radio's last byte\n", row.name, took / 1e9);
    });
}

TEST_F(LoggerEndToEndTest, ARadioThatAnswersTwoAndAHalfSecondsLateIsNeverGivenUp) {
    for (size_t i = 0; i < loggerdouble::kRows.size(); ++i) setFaults(i, [](k4sim::Faults& f) { f.latencyMs = 2500; });
    forEveryRow([&](const loggerdouble::Row& row, size_t i, IQbRig* rig) {
        loggerdouble::RealTime time;
        loggerdouble::LoggerDouble logger(rig, row, time, static_cast<uint32_t>(i));
        bool down = false;
        logger.onShown([&](const Shown& shown) { down = down || shownDown(shown); });
        logger.runFor(4 * kSecond);
        sim->turnKnob(i, {7012340, {}, {}, {}});
        EXPECT_TRUE(logger.runUntilShown([](const Shown& s) { return s.rcvKHz == 7012.34; }, 12 * kSecond))
            << row.name;
        logger.runFor(4 * kSecond);
        EXPECT_FALSE(down) << row.name;
    });
}

// Answers the radio has sent count as the answer begun even before the rig
// has taken a byte in: the host is asked to check, and a knob turn is shown
// a poll or two later, not at the poll's 2 s time-out.
TEST_F(LoggerEndToEndTest, ARadioThatAnswersHalfASecondLateIsShownAPollOrTwoLater) {
    for (size_t i = 0; i < loggerdouble::kRows.size(); ++i) setFaults(i, [](k4sim::Faults& f) { f.latencyMs = 500; });
    forEveryRow([&](const loggerdouble::Row& row, size_t i, IQbRig* rig) {
        loggerdouble::RealTime time;
        loggerdouble::LoggerDouble logger(rig, row, time, static_cast<uint32_t>(i));
        logger.runFor(3 * kSecond);
        for (long vfoA : {7012340L, 7023450L, 7034560L}) {
            sim->turnKnob(i, {vfoA, {}, {}, {}});
            const platform::Nanos turned = time.now();
            ASSERT_TRUE(logger.runUntilShown([&](const Shown& s) { return s.rcvKHz == vfoA / 1000.0; }, 6 * kSecond));
            const platform::Nanos took = logger.lastShown()->at - turned;
            EXPECT_LE(took, 3 * row.timer + 1500 * kMillisecond) << row.name;
            std::printf("%s: a turn shown %.2f s later\n", row.name, took / 1e9);
            logger.runFor(row.timer / 3);
        }
    });
}

TEST_F(LoggerEndToEndTest, EveryReadingShownIsOneTheRadioHadWhenItsAnswersPause) {
    for (size_t i = 0; i < loggerdouble::kRows.size(); ++i) setFaults(i, [](k4sim::Faults& f) { f.pauseMs = 400; });
    forEveryRow([&](const loggerdouble::Row& row, size_t i, IQbRig* rig) {
        loggerdouble::RealTime time;
        loggerdouble::LoggerDouble logger(rig, row, time, static_cast<uint32_t>(i));
        std::vector<Shown> shown;
        logger.onShown([&](const Shown& s) { shown.push_back(s); });
        const k4sim::KnobTurn turns[] = {{7003000, 7005000, 3, false}, {14074000, 14080000, 2, true}};
        for (int turn = 0; turn < 8; ++turn) {
            sim->turnKnob(i, turns[turn % 2]);
            logger.runFor(700 * kMillisecond);
        }
        const std::vector<k4sim::HistoryEntry> history = radio(i).history(1);
        size_t whole = 0;
        for (const Shown& s : shown) {
            const bool known = isDefault(s) || heldBy(s, history);
            whole += known && !isDefault(s);
            EXPECT_TRUE(known) << row.name << ": " << describe(s);
        }
        EXPECT_GE(whole, 4u) << row.name;
    });
}

}  // namespace
