// The soak's judgements, each fed what the soak would see, on an injected
// clock: whole states in time (a new rig's defaults, a re-poll after the
// time-out, a confirmed Set, the transmit state), when a link may be down,
// call limits, growth, proof of each fault, the verdict, the settings file,
// the log's exception entries and k4sim's history answer.
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/soak/CallWatch.h"
#include "tools/soak/Evidence.h"
#include "tools/soak/Growth.h"
#include "tools/soak/LinkWatch.h"
#include "tools/soak/LogScan.h"
#include "tools/soak/ReadingCheck.h"
#include "tools/soak/SettingsCheck.h"
#include "tools/soak/SimControl.h"
#include "tools/soak/Verdict.h"

namespace {

using namespace std::chrono_literals;
using soak::Reading;
using soak::TimePoint;

const soak::RadioState kUsb20{14074000, 14074000, 2, false, false};
const soak::RadioState kCw40{7010000, 7010000, 3, false, false};
const soak::RadioState kSplit{7010000, 7012000, 3, true, false};
const Reading kWanted{21050000, 21050000, 6, 0};
const soak::RadioState kWantedState{21050000, 14074000, 6, false, false};

// One rig of one radio: the radio's history, the rig's check, a clock.
class ReadingRules : public ::testing::Test {
protected:
    ReadingRules() {
        history.add({{1, kUsb20, 'i'}});
        check.bound(1);
    }
    void radioMoves(const soak::RadioState& state, char cause = 'c') {
        history.add({{history.lastSeq() + 1, state, cause}});
    }
    std::string poll(std::chrono::milliseconds at) { return check.pollSent(t0 + at, t0 + at + 1ms, history); }
    bool allowed(const soak::RadioState& state) { return check.judge(soak::readingOf(state), history).empty(); }
    bool allowed(const Reading& reading) { return check.judge(reading, history).empty(); }

    soak::RadioHistory history;
    soak::ReadingCheck check;
    const TimePoint t0{};
};

TEST_F(ReadingRules, ANewRigShowsItsDefaultsOrPartsOfAnswersUntilAPollOfItsOwnWasAnswered) {
    EXPECT_TRUE(allowed(soak::kRigDefaults));
    EXPECT_TRUE(allowed(Reading{14074000, 0, 3, 0}));  // FA answered, the connection lost before the rest
    poll(0ms);
    poll(150ms);  // sent within 2 s of the first: that one was answered in full
    EXPECT_EQ(check.answeredPolls(), 1);
    EXPECT_FALSE(allowed(soak::kRigDefaults));
    EXPECT_TRUE(allowed(kUsb20));
}

TEST_F(ReadingRules, AReadingIsOneWholeStateHeldSinceTheLastAnsweredPollWasSent) {
    poll(0ms);
    poll(150ms);
    radioMoves(kCw40, 'k');
    EXPECT_TRUE(allowed(kUsb20));   // the poll may have been answered before the knob turned
    EXPECT_TRUE(allowed(kCw40));
    EXPECT_FALSE(allowed(Reading{7010000, 7010000, 2, 0}));  // CW's frequency with USB's mode: two states mixed
    poll(300ms);
    poll(450ms);  // the poll sent after the knob turn was answered
    EXPECT_FALSE(allowed(kUsb20));
    radioMoves(kSplit);
    EXPECT_TRUE(allowed(Reading{7010000, 7012000, 3, 1}));
    EXPECT_FALSE(allowed(Reading{7010000, 7010000, 3, 1}));  // split, but transmitting on VFO A
}

TEST_F(ReadingRules, APollAfterTheTimeOutProvesNothingAboutTheOneBefore) {
    poll(0ms);     // a rig bound while its radio reboots: refused
    poll(2500ms);  // the driver's re-poll after its 2 s time-out
    EXPECT_EQ(check.answeredPolls(), 0);
    EXPECT_TRUE(allowed(soak::kRigDefaults));
    poll(2600ms);
    EXPECT_FALSE(allowed(soak::kRigDefaults));
}

TEST_F(ReadingRules, AConfirmedSetForbidsEveryStateBeforeIt) {
    poll(0ms);
    check.setCalled(t0 + 100ms, kWanted, history.lastSeq());
    EXPECT_TRUE(allowed(kWanted));  // the driver shows a Set at once
    EXPECT_TRUE(allowed(kUsb20));
    radioMoves(kWantedState);
    poll(400ms);  // less than 1.5 s after the Set: the radio's "KS" answer cleared the gate
    EXPECT_FALSE(allowed(kUsb20));
    EXPECT_EQ(check.judge(soak::readingOf(kUsb20), history), "a state the radio held before the last confirmed Set");
    EXPECT_TRUE(allowed(kWanted));
}

TEST_F(ReadingRules, AnUnconfirmedSetShowsUntilAPollSentAfterItWasAnswered) {
    poll(0ms);
    check.setCalled(t0 + 100ms, kWanted, history.lastSeq());  // the radio never gets it
    poll(1700ms);  // the gate timed out: not confirmed
    EXPECT_TRUE(allowed(kWanted));
    poll(1800ms);  // the poll after the Set was answered: the radio rules
    EXPECT_FALSE(allowed(kWanted));
    EXPECT_TRUE(allowed(kUsb20));
}

TEST_F(ReadingRules, TheRadioTransmitsAsTheLastXmitSaidOnceAPollAfterItWasAnswered) {
    struct Case {
        bool keyed, radioTransmits;
        std::string violation;
    };
    const std::vector<Case> cases = {
        {true, true, ""},
        {false, false, ""},
        {true, false, "the radio does not transmit after the logger's Xmit(1) and an answered poll"},
        {false, true, "the radio transmits after the logger's Xmit(0) and an answered poll"}};
    for (const auto& c : cases) {
        soak::ReadingCheck rig;
        soak::RadioHistory radio;
        radio.add({{1, {14074000, 14074000, 2, false, c.radioTransmits}, 'c'}});
        rig.bound(1);
        rig.xmitCalled(t0, c.keyed);
        EXPECT_EQ(rig.pollSent(t0 + 10ms, t0 + 11ms, radio), "");
        EXPECT_EQ(rig.pollSent(t0 + 100ms, t0 + 101ms, radio), c.violation);
        EXPECT_EQ(rig.pollSent(t0 + 200ms, t0 + 201ms, radio), "");  // judged once
    }
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
    soak::CallWatch calls;
    EXPECT_EQ(calls.call("Check", {S_OK}, [] { return E_FAIL; }), E_FAIL);
    calls.call("Launch", {S_OK}, []() -> HRESULT { throw std::runtime_error("boom"); });
    EXPECT_EQ(calls.violations(),
              (std::vector<std::string>{"Check returned 0x80004005", "an exception came out of Launch",
                                        "Launch returned 0x8000FFFF"}));
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

const soak::FaultKind& kind(const std::string& name) {
    for (const auto& k : soak::allFaultKinds())
        if (name == k.name) return k;
    throw std::invalid_argument(name);
}

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
}

TEST(Verdict, NothingHappeningIsAFailure) {
    soak::SoakResult result;
    result.kindsRun = {"reboot", "flood", "churn"};
    result.kindsSkipped = {"cut"};
    result.kinds["reboot"].episodes = 2;
    result.kinds["reboot"].effective = 1;
    result.kinds["flood"].episodes = 1;
    result.kinds["flood"].lastMissing = "no connection was open to take the bytes";
    result.answeredPolls = {{"K4-Soak1", 40}, {"K4-Soak2", 0}};
    result.samples = samples(3, 0);
    result.calls.violation("Check returned 0x80004005");
    result.calls.violation("Check returned 0x80004005");
    EXPECT_EQ(soak::verdictFailures(result),
              (std::vector<std::string>{"Check returned 0x80004005 (2 times)",
                                        "no effective episode of flood: no connection was open to take the bytes",
                                        "no episode of churn", "K4-Soak2 answered no poll"}));
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
    EXPECT_EQ(faultOf("[OTHER]\r\nK4Slot1=X\r\nK4Slot1=Y\r\n"), "");  // only section RIGS holds the driver's keys
    EXPECT_FALSE(soak::settingsHaveKey(path, "K4Slot1"));
    std::remove(path.c_str());
    EXPECT_EQ(soak::settingsFault(path, chosen), "");  // no file yet
}

TEST(LogScan, FindsTheGuardsEntriesAsTheFileGrows) {
    EXPECT_TRUE(soak::isExceptionEntry("  0    12 exception vector::_M_range_check"));
    EXPECT_TRUE(soak::isExceptionEntry("  01234567 exception unknown exception\r"));  // a wide elapsed time
    EXPECT_FALSE(soak::isExceptionEntry("  1     0 writeCommandString \"exception\""));
    EXPECT_FALSE(soak::isExceptionEntry("  0     3 exceptions"));
    const std::string path = testing::TempDir() + "soak_log.txt";
    std::ofstream(path, std::ios::binary) << "banner\n  0     1 exception first\n  0     2 excep";
    soak::LogScan scan(path);
    EXPECT_EQ(scan.newExceptions(), std::vector<std::string>{"  0     1 exception first"});
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
    EXPECT_EQ(soak::requestFor("faults %s cut=8", "K4-Soak1"), "faults K4-Soak1 cut=8");
}

}  // namespace
