// The soak's judgements, each fed what the soak would see: whole states and
// k4sim's answer marks (a new rig's defaults, the poll window, a confirmed
// Set), what the radio did of the logger's actions (keying, Sets, steps,
// rejected commands), when a link may be down, call limits and the
// watchdog, growth, proof of each fault, the verdict, the settings file,
// the log's exception entries and k4sim's answers.
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/soak/ActionCheck.h"
#include "tools/soak/CallWatch.h"
#include "tools/soak/Evidence.h"
#include "tools/soak/Growth.h"
#include "tools/soak/LinkWatch.h"
#include "tools/soak/LogScan.h"
#include "tools/soak/ReadingCheck.h"
#include "tools/soak/SettingsCheck.h"
#include "tools/soak/SimControl.h"
#include "tools/soak/Verdict.h"
#include "tools/soak/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using soak::Reading;
using soak::TimePoint;

const soak::RadioState kUsb20{14074000, 14074000, 2, false, false};
const soak::RadioState kCw40{7010000, 7010000, 3, false, false};
const soak::RadioState kSplit{7010000, 7012000, 3, true, false};
const Reading kWanted{21050000, 21050000, 6, 0};
const soak::RadioState kWantedState{21050000, 14074000, 6, false, false};

soak::RadioState keyed(soak::RadioState state, bool on = true) {
    state.transmitting = on;
    return state;
}

// One radio as k4sim reports it: its history, its answer marks, the
// connections opened to it.
struct Radio {
    Radio() { history.add({{1, kUsb20, 'i'}}); }
    void moves(const soak::RadioState& state, char cause = 'c') { history.add({{history.lastSeq() + 1, state, cause}}); }
    void answered(char kind = 'p', int connection = 1) {
        history.addMarks({{history.lastMark() + 1, connection, history.lastSeq(), kind}});
    }
    soak::RadioPoint point() const { return {history.lastSeq(), history.lastMark(), opened}; }

    soak::RadioHistory history;
    int opened = 1;
};

class ReadingRules : public ::testing::Test {
protected:
    ReadingRules() { check.bound({1, 0, 0}); }
    // A Launch, after the radio answered the poll the previous one sent.
    void pollAndLaunch(int connection = 1) {
        radio.answered('p', connection);
        check.launching(radio.history.lastMark());
    }
    bool allowed(const soak::RadioState& state) { return allowed(soak::readingOf(state)); }
    bool allowed(const Reading& reading) { return check.judge(reading, radio.history).empty(); }

    Radio radio;
    soak::ReadingCheck check;
};

TEST_F(ReadingRules, ANewRigShowsItsDefaultsOrPartsOfAnswersUntilItsPollWasAnsweredALaunchAgo) {
    EXPECT_TRUE(allowed(soak::kRigDefaults));
    EXPECT_TRUE(allowed(Reading{14074000, 0, 3, 0}));  // FA answered, the connection lost before the rest
    pollAndLaunch();  // answered, but maybe not yet taken in
    EXPECT_TRUE(allowed(soak::kRigDefaults));
    check.launching(radio.history.lastMark());  // a timer period later: the run took it in,
    radio.answered('p');                         // and the connection carried on after it
    EXPECT_FALSE(allowed(soak::kRigDefaults));
    EXPECT_TRUE(allowed(kUsb20));
    check.bound({1, radio.history.lastMark(), 1});  // made afresh: its polls go on connection 2
    pollAndLaunch(1);  // the old rig's
    check.launching(radio.history.lastMark());
    EXPECT_TRUE(allowed(soak::kRigDefaults));
}

TEST_F(ReadingRules, AReadingIsOneWholeStateHeldSinceThePollTheRigHasTakenIn) {
    pollAndLaunch();
    pollAndLaunch();
    radio.moves(kCw40, 'k');
    EXPECT_TRUE(allowed(kUsb20));  // the poll may have been answered before the knob turned
    EXPECT_TRUE(allowed(kCw40));
    EXPECT_FALSE(allowed(Reading{7010000, 7010000, 2, 0}));  // CW's frequency with USB's mode: two states mixed
    pollAndLaunch();
    EXPECT_TRUE(allowed(kUsb20));
    check.launching(radio.history.lastMark());
    EXPECT_TRUE(allowed(kUsb20));  // the answers were the connection's last: a reset may have lost them
    radio.answered('p');
    EXPECT_FALSE(allowed(kUsb20));
    radio.moves(kSplit);
    EXPECT_TRUE(allowed(Reading{7010000, 7012000, 3, 1}));
    EXPECT_FALSE(allowed(Reading{7010000, 7010000, 3, 1}));  // split, but transmitting on VFO A
}

TEST_F(ReadingRules, AConfirmedSetForbidsEveryStateBeforeIt) {
    pollAndLaunch();
    check.setCalled(kWanted, radio.point());
    EXPECT_TRUE(allowed(kWanted));  // the driver shows a Set at once
    EXPECT_TRUE(allowed(kUsb20));
    radio.moves(kWantedState);
    radio.answered('k');
    check.launching(radio.history.lastMark());
    EXPECT_TRUE(allowed(kUsb20));  // its "KS" may not have been taken in yet
    check.launching(radio.history.lastMark());
    EXPECT_EQ(check.judge(soak::readingOf(kUsb20), radio.history), "a state the radio held before the last confirmed Set");
    EXPECT_TRUE(allowed(kWanted));
}

TEST_F(ReadingRules, AnUnconfirmedSetShowsUntilAPollSentAfterItWasAnswered) {
    pollAndLaunch();
    check.setCalled(kWanted, radio.point());  // the radio never gets it
    pollAndLaunch();  // the poll that was on its way
    pollAndLaunch();
    EXPECT_TRUE(allowed(kWanted));
    check.launching(radio.history.lastMark());
    EXPECT_FALSE(allowed(kWanted));
    EXPECT_TRUE(allowed(kUsb20));
}

TEST(RadioHistory, APollAnsweredAfterAMomentIsTheSecondOnItsLinkOrAnyOnANewOne) {
    Radio radio;
    const soak::RadioPoint at = radio.point();
    radio.answered('k');
    radio.answered('p');  // may have been on its way
    EXPECT_FALSE(radio.history.firstPollAfter(at));
    radio.answered('p');
    EXPECT_EQ(radio.history.firstPollAfter(at)->number, 3u);
    radio.opened = 2;
    const soak::RadioPoint later = radio.point();
    radio.answered('p', 3);  // on a link opened since: sent after the moment
    EXPECT_EQ(radio.history.firstPollAfter(later)->number, 4u);
}

TEST(ActionCheck, TheRadioTransmitsOnlyFromXmit1UntilThePollAnsweredAfterXmit0) {
    const std::string still = "the radio still transmitted when it answered a poll sent after the logger's Xmit(0)";
    const std::string outside = "the radio transmitted outside the logger's Xmit(1) ... Xmit(0) windows";
    const std::string silent = "the radio did not transmit when it answered a poll sent after the logger's Xmit(1)";
    struct Case {
        const char* what;
        bool keyLands, unkeyLands;
        int unkeyLink;  // the link of the polls after the unkey
        bool keysAgain;
        std::vector<std::string> violations;
        bool keyedByTheLoggerAgain = false;  // before the poll after the unkey
    };
    const std::vector<Case> cases = {
        {"keyed and unkeyed", true, true, 1, false, {}},
        {"the unkey lost", true, false, 1, false, {still}},
        {"the unkey owed to the new link and sent there first", true, true, 2, false, {}},
        {"the new link polled first", true, false, 2, false, {still}},
        {"keyed again after the window", true, true, 1, true, {outside}},
        {"the key lost", false, false, 1, false, {silent}},
        {"keyed again by the logger before the poll after the unkey", true, true, 1, false, {}, true},
    };
    for (const auto& c : cases) {
        Radio radio;
        soak::ActionCheck actions;
        std::vector<std::string> seen;
        const auto judge = [&] {
            const auto found = actions.judge(radio.history, 0);
            seen.insert(seen.end(), found.begin(), found.end());
        };
        judge();
        actions.xmitCalled(true, radio.point());
        if (c.keyLands) radio.moves(keyed(kUsb20));
        radio.answered();  // on its way as the key came
        radio.answered();
        judge();
        actions.xmitCalled(false, radio.point());
        radio.answered();  // on its way as the unkey came
        if (c.unkeyLands) radio.moves(kUsb20);
        if (c.keyedByTheLoggerAgain) {
            actions.xmitCalled(true, radio.point());
            radio.moves(keyed(kUsb20));
        }
        radio.answered('p', c.unkeyLink);
        judge();
        if (c.keysAgain) radio.moves(keyed(kUsb20));
        judge();
        EXPECT_EQ(seen, c.violations) << c.what;
    }
}

TEST(ActionCheck, SetsLandStepsAreTenHertzAndNothingIsRejected) {
    Radio radio;
    soak::ActionCheck actions;
    const auto judge = [&](long rejected = 0) { return actions.judge(radio.history, rejected); };
    EXPECT_TRUE(judge().empty());
    actions.setCalled(kWanted, radio.point());
    radio.moves(kWantedState);
    radio.answered('k');
    EXPECT_TRUE(judge().empty());
    actions.setCalled({7010000, 7010000, 3, 0}, radio.point());
    radio.moves({7011000, 14074000, 3, false, false});  // 1 kHz off
    radio.answered('k');
    EXPECT_EQ(judge(), std::vector<std::string>{"the radio answered a Set's \"KS\" but never held its state "
                                                "(rx 7010000 Hz, tx 7010000 Hz, mode 3, split 0)"});
    actions.setCalled(kWanted, radio.point());
    actions.faultOn(true);  // a Set under a fault is not judged
    radio.answered('k');
    EXPECT_TRUE(judge().empty());
    actions.faultOn(false);

    actions.tuneCalled(10);
    radio.moves({7011010, 14074000, 3, false, false}, 'u');
    EXPECT_TRUE(judge().empty());
    radio.moves({7011000, 14074000, 3, false, false}, 'u');
    EXPECT_EQ(judge(), std::vector<std::string>{"the radio stepped down more often than the logger tuned that way"});
    actions.tuneCalled(10);
    radio.moves({7011100, 14074000, 3, false, false}, 'u');
    EXPECT_EQ(judge(), std::vector<std::string>{"a tuning step moved VFO A by 100 Hz or changed more"});

    EXPECT_EQ(judge(1), std::vector<std::string>{
                            "the radio rejected 1 command(s) (answered \"?;\") while no fault sent it bytes of its own"});
    actions.faultOn(true, true);  // garbage or stray
    EXPECT_TRUE(judge(3).empty());
}

TEST(LinkWatch, DownWhileNoConnectionOrALinkFaultAndFor2Point5sAfter) {
    soak::LinkWatch link;
    const TimePoint t0{};
    EXPECT_FALSE(link.mayBeDown(t0));
    link.observed(t0, 1);
    EXPECT_FALSE(link.mayBeDown(t0));
    link.observed(t0, 0);
    EXPECT_TRUE(link.mayBeDown(t0 + 2500ms));
    EXPECT_FALSE(link.mayBeDown(t0 + 2501ms));
    link.faultOn(t0 + 10s);
    EXPECT_TRUE(link.mayBeDown(t0 + 60s));
    link.faultOff(t0 + 60s);
    EXPECT_TRUE(link.mayBeDown(t0 + 62500ms));
    EXPECT_FALSE(link.mayBeDown(t0 + 62501ms));
}

TEST(CallWatch, LimitsHresultsAndExceptions) {
    const auto down = [] { return true; };
    const auto up = [] { return false; };
    EXPECT_EQ(soak::callLimitMs("Check", down), 250);
    EXPECT_EQ(soak::callLimitMs("Set", up), 250);
    EXPECT_EQ(soak::callLimitMs("Set", down), 1100);
    EXPECT_EQ(soak::callLimitMs("GetRigObject", down), 1100);
    EXPECT_EQ(soak::callLimitMs("GetNumChoices(fresh)", up), 1600);
    EXPECT_EQ(soak::callLimitMs("Release", up), 1200);
    soak::CallWatch calls;
    const TimePoint before = soak::Clock::now();
    EXPECT_EQ(calls.call("Check", {S_OK}, [] { return E_FAIL; }), E_FAIL);
    calls.call("Launch", {S_OK}, []() -> HRESULT { throw std::runtime_error("boom"); });
    EXPECT_EQ(calls.violations(),
              (std::vector<std::string>{"Check returned 0x80004005", "an exception came out of Launch",
                                        "Launch returned 0x8000FFFF"}));
    EXPECT_FALSE(calls.chooserWaitedSince(before));  // a rig's calls are not the chooser's waits
    calls.call("Release", {S_OK}, [] { return S_OK; });
    EXPECT_TRUE(calls.chooserWaitedSince(before));
}

TEST(Watchdog, EndsTheRunOnACallOver5sOrPastTheTimeLimit) {
    const TimePoint t0{};
    const TimePoint deadline = t0 + 60s;
    EXPECT_EQ(soak::watchdogVerdict(nullptr, t0, t0 + 30s, deadline), "");
    EXPECT_EQ(soak::watchdogVerdict("Release", t0, t0 + 5s, deadline), "");
    EXPECT_EQ(soak::watchdogVerdict("Release", t0, t0 + 5001ms, deadline), "Release has not returned within 5 s");
    EXPECT_EQ(soak::watchdogVerdict(nullptr, t0, t0 + 61s, deadline), "the run did not end within its time limit");
}

std::vector<soak::GaugeSample> samples(int count, double kibPerSample, long threadsFrom = 5, long threadsRise = 0) {
    std::vector<soak::GaugeSample> out;
    for (int i = 0; i < count; ++i)
        out.push_back({i * 20.0, {30000 + kibPerSample * i, threadsFrom + (i >= count * 3 / 4 ? threadsRise : 0), 40}});
    return out;
}

TEST(Growth, SlopeOverTheRunAndNoRiseOfThreadsOrHandles) {
    // 31 samples 20 s apart: a 10-minute run.
    EXPECT_NEAR(soak::memorySlopePerHour(samples(31, 5)), 900, 1);
    EXPECT_EQ(soak::growthFault(samples(31, 5), 600, true), "");
    EXPECT_EQ(soak::growthFault(samples(31, 6), 600, true), "memory grew by more than 1 MiB per hour");
    EXPECT_EQ(soak::growthFault(samples(31, 6), 599, true), "");  // a short run is not judged
    EXPECT_EQ(soak::growthFault(samples(31, 6), 600, false), "");  // nor memory under a sanitizer
    auto oneHalf = samples(31, 0);
    for (int i = 16; i < 31; ++i) oneHalf[i].gauge.memoryKiB += (i - 15) * 20;  // a leak in the second half only
    EXPECT_EQ(soak::growthFault(oneHalf, 600, true), "memory grew by more than 1 MiB per hour");
    auto warmUp = samples(31, 0);
    for (int i = 0; i < 6; ++i) warmUp[i].gauge.memoryKiB -= (6 - i) * 60;  // settling in the first two minutes
    EXPECT_EQ(soak::growthFault(warmUp, 600, true), "");
    EXPECT_EQ(soak::growthFault(samples(31, 0, 5, 1), 600, true), "the thread count rose");
    for (const auto& [rise, fault] : {std::pair{4L, ""}, std::pair{5L, "the handle count rose by more than 4"}}) {
        auto handles = samples(31, 0);
        for (int i = 20; i < 31; ++i) handles[i].gauge.handles += rise;  // kept from the run's second half on
        EXPECT_EQ(soak::growthFault(handles, 600, true), fault) << rise;
    }
    auto spike = samples(31, 0);
    spike[3].gauge.handles = 60;  // a link being remade while sampled
    spike[29].gauge.handles = 60;
    EXPECT_EQ(soak::growthFault(spike, 600, true), "");
    EXPECT_EQ(soak::unsoundSamples(samples(3, 0)), "");
    EXPECT_EQ(soak::unsoundSamples(samples(2, 0)), "fewer than 3 samples of the process");
    auto unreadable = samples(3, 0);
    unreadable[1].gauge.handles = 0;
    EXPECT_NE(soak::unsoundSamples(unreadable), "");
}

const soak::FaultKind& kind(const std::string& name) { return *soak::findFaultKind(name); }

TEST(Evidence, EachKindMustShowItsFaultTookEffect) {
    soak::EpisodeFacts renewed;
    renewed.atOn = {1, 4, 100, 200};
    renewed.atEnd = {1, 5, 300, 400};
    EXPECT_EQ(soak::missingProof(kind("reboot"), renewed), "");
    soak::EpisodeFacts noLink = renewed;
    noLink.atOn.open = 0;
    EXPECT_EQ(soak::missingProof(kind("halfopen"), noLink), "no connection was open when it began");
    soak::EpisodeFacts kept = renewed;
    kept.atEnd.opened = 4;
    EXPECT_EQ(soak::missingProof(kind("cut"), kept), "the link was not renewed");
    soak::EpisodeFacts quiet;
    quiet.atOn = quiet.atOff = {1, 1, 100, 200};
    EXPECT_EQ(soak::missingProof(kind("silent"), quiet), "the radio read nothing during it");
    quiet.atOff.received = 116;
    EXPECT_EQ(soak::missingProof(kind("silent"), quiet), "");
    EXPECT_EQ(soak::missingProof(kind("drip"), quiet), "the radio delivered no poll's answers during it");
    quiet.atOff.sent = 241;
    EXPECT_EQ(soak::missingProof(kind("drip"), quiet), "");
    EXPECT_EQ(soak::missingProof(kind("silent"), quiet), "the radio answered during it");
    soak::EpisodeFacts none;
    EXPECT_EQ(soak::missingProof(kind("flood"), none), "no connection was open to take the bytes");
    EXPECT_EQ(soak::missingProof(kind("set-knob"), none), "no Set reached the radio during it");
    EXPECT_EQ(soak::missingProof(kind("churn"), none), "the chooser's list never showed it");
    none.spareBound = true;
    EXPECT_EQ(soak::missingProof(kind("control-id"), none), "its id was saved in the settings");
    EXPECT_EQ(soak::linkNotKept(kind("cut"), renewed), "");
    EXPECT_EQ(soak::linkNotKept(kind("late"), kept), "");
    EXPECT_EQ(soak::linkNotKept(kind("flood"), renewed),
              "the link was renewed during flood (k4sim counted 1 new connection(s)): a needless reconnect");
    none.unread = 1023;  // more than the polls of a whole fault leave, less than a stalled burst
    EXPECT_FALSE(soak::writesStalled(none));
    none.unread = 1024;
    EXPECT_TRUE(soak::writesStalled(none));
}

TEST(Verdict, NothingHappeningIsAFailure) {
    soak::SoakResult result;
    result.kindsRun = {"reboot", "flood", "churn", "halfopen"};
    result.kindsSkipped = {"cut"};
    result.kinds["reboot"].episodes = 2;
    result.kinds["reboot"].effective = 1;
    result.kinds["flood"].episodes = 1;
    result.kinds["flood"].lastMissing = "no connection was open to take the bytes";
    result.kinds["halfopen"] = {10, 10, 0, 5, 8, {}, ""};  // 8 of 10 stalled the writes
    result.answeredPolls = {{"K4-Soak1", 40}, {"K4-Soak2", 0}};
    result.lag["K4-Soak1"] = {250, {800, 800, 900}, std::vector<double>(99, 700)};  // slow only in the chooser's waits
    result.lag["K4-Soak3"] = {1000, {}, {300, 1600}};
    result.samples = samples(3, 0);
    result.calls.violation("Check returned 0x80004005");
    result.calls.violation("Check returned 0x80004005");
    EXPECT_EQ(soak::verdictFailures(result),
              (std::vector<std::string>{"Check returned 0x80004005 (2 times)",
                                        "no effective episode of flood: no connection was open to take the bytes",
                                        "no episode of churn",
                                        "only 8 of 10 halfopen episodes stalled the driver's writes (k4sim saw no "
                                        "unread bytes)",
                                        "K4-Soak2 answered no poll",
                                        "K4-Soak3: display lag p99 1600 ms outside the chooser's waits, over 1500 ms "
                                        "(its timer and 0.5 s)"}));
}

TEST(SettingsCheck, ReadAsTheProfileFunctionsDo) {
    const std::string path = testing::TempDir() + "soak_settings.ini";
    const soak::ChosenIds chosen = {{1, {"K4S001"}}, {2, {"K4S002"}}};
    const auto faultOf = [&](const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        return soak::settingsFault(path, chosen);
    };
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot1=K4S001\r\nK4Slot2 = K4S002\r\nLogFileFolder=C:\\\r\n\r\n"), "");
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot1=K4S\r001\r\n"), "a control byte in the line 'K4Slot1=K4S\r001'");
    EXPECT_EQ(faultOf("[RIGS]\r\nLogFileFolder=C:\\\tlogs\r\n"), "a control byte in the line 'LogFileFolder=C:\\\tlogs'");
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot1=K4S001\r\nk4slot1=K4S001\r\n"), "the key k4slot1 twice in section RIGS");
    EXPECT_TRUE(soak::settingsHaveKey(path, "K4SLOT1"));
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot1=K4S002\r\n"), "K4Slot1 holds 'K4S002', which the soak never chose for that slot");
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot4=K4SPARE\r\n"), "K4Slot4 holds 'K4SPARE', which the soak never chose for that slot");
    EXPECT_EQ(faultOf("[RIGS]\r\nEVIL\r\n"), "a line that is neither a section nor a key: 'EVIL'");
    EXPECT_EQ(faultOf("[OTHER]\r\nK4Slot1=X\r\nK4Slot1=Y\r\n"), "no K4Slot1 key");  // only section RIGS holds the driver's keys
    EXPECT_FALSE(soak::settingsHaveKey(path, "K4Slot1"));
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot1=K4S001\r\n"), "no K4Slot2 key");
    std::remove(path.c_str());
    EXPECT_EQ(soak::settingsFault(path, chosen), "no K4Slot1 key");
}

TEST(LogScan, FindsTheGuardsEntriesAsTheFileGrows) {
    EXPECT_TRUE(soak::isExceptionEntry("  0    12 exception vector::_M_range_check"));
    EXPECT_TRUE(soak::isExceptionEntry("  01234567 exception unknown exception\r"));  // a wide elapsed time
    EXPECT_FALSE(soak::isExceptionEntry("  1     0 writeCommandString \"exception\""));
    EXPECT_FALSE(soak::isExceptionEntry("  0     3 exceptions"));
    EXPECT_TRUE(soak::isExceptionEntry("  2    40 link exception \"read: End of file\""));
    EXPECT_FALSE(soak::isExceptionEntry("  2    40 link lost: 3 polls unanswered for 6 s"));
    const std::string path = testing::TempDir() + "soak_log.txt";
    soak::LogScan scan(path);
    soak::CallWatch calls;
    soak::scanDriverLog(scan, calls, true);
    std::ofstream(path, std::ios::binary) << "banner\n2024-01-01 00:00:00\n";
    soak::scanDriverLog(scan, calls, false);  // the driver may still hold its entries
    soak::scanDriverLog(scan, calls, true);
    const std::string missing = "the driver's log " + path + " is missing or has no entry";
    EXPECT_EQ(calls.violations(), std::vector<std::string>{missing});
    EXPECT_EQ(calls.timesSeen(missing), 2);
    std::ofstream(path, std::ios::binary | std::ios::app) << "  0     1 exception first\r\n  0     2 excep";
    EXPECT_EQ(scan.newExceptions(), std::vector<std::string>{"  0     1 exception first\r"});
    EXPECT_TRUE(scan.sawEntry());  // a line as the Windows build ends it
    std::ofstream(path, std::ios::binary | std::ios::app) << "tion second\n  1     0 Launch-skip\n";
    EXPECT_EQ(scan.newExceptions(), std::vector<std::string>{"  0     2 exception second"});
    EXPECT_TRUE(scan.newExceptions().empty());
    std::remove(path.c_str());
}

TEST(SimControl, HistoryAnswerAndFaultKindLists) {
    const auto entries = soak::parseHistory("ok now=3 2:150:7010123:7012000:7:1:1:k 3:151:7010123:7012000:7:1:0:c");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].seq, 2u);
    EXPECT_EQ(soak::readingOf(entries[0].state), (Reading{7010123, 7012000, 3, 1}));  // CW-R is the host's CW
    EXPECT_TRUE(entries[0].state.transmitting);
    EXPECT_EQ(entries[1].cause, 'c');
    EXPECT_THROW(soak::parseHistory("ok now=1 1:0:7"), std::runtime_error);
    const auto answers = soak::parseAnswers("ok now=9 rejected=2 8:3:41:p 9:3:42:k");
    EXPECT_EQ(answers.rejected, 2);
    ASSERT_EQ(answers.marks.size(), 2u);
    EXPECT_EQ(answers.marks[1].number, 9u);
    EXPECT_EQ(answers.marks[1].connection, 3);
    EXPECT_EQ(answers.marks[1].seq, 42u);
    EXPECT_EQ(answers.marks[1].kind, 'k');
    EXPECT_THROW(soak::parseAnswers("ok now=1 rejected=0 1:1:p"), std::runtime_error);
    soak::RadioHistory radio;
    radio.add(entries);
    radio.forgetBefore(3);
    EXPECT_EQ(radio.lastOfCause('k'), 2u);  // the proof of a fault's knob outlives the state itself
    EXPECT_TRUE(radio.everHad(7010123));
    EXPECT_EQ(soak::chooseFaultKinds("", "").size(), soak::allFaultKinds().size());
    const auto two = soak::chooseFaultKinds("reboot,cut,silent", "silent");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_STREQ(two[0]->name, "reboot");
    EXPECT_THROW(soak::chooseFaultKinds("meteor", ""), std::invalid_argument);
    EXPECT_TRUE(soak::chooseFaultKinds("none", "").empty());
    EXPECT_EQ(soak::requestFor("faults %s cut=8", "K4-Soak1"), "faults K4-Soak1 cut=8");
}

}  // namespace
