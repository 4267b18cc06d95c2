// The soak's judgements: which readings count as values the radio held, a
// settings file broken by control bytes, and the fault kind lists.
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "tools/soak/FaultKinds.h"
#include "tools/soak/SettingsCheck.h"
#include "tools/soak/ValueCheck.h"

namespace {

using soak::Reading;

TEST(ValueCheck, HeldValuesPendingSetsAndFreshDefaults) {
    soak::ValueCheck check;
    check.held().vfoA = {7010000};
    check.held().vfoB = {7012000};
    check.held().modes = {3};
    check.held().splits = {0, 1};
    EXPECT_EQ(check.wrongParts({7010000, 7010000, 3, 0}), "");
    EXPECT_EQ(check.wrongParts({7010000, 7012000, 3, 1}), "");
    EXPECT_EQ(check.wrongParts({0, 0, 3, 0}), "");  // before the first poll: the defaults
    check.firstPollDone();
    EXPECT_EQ(check.wrongParts({0, 0, 3, 0}), "receive frequency");
    EXPECT_EQ(check.wrongParts({7010140, 7010000, 2, 0}), "receive frequency, transmit frequency, mode");
    check.noteSet({14025000, 14027000, 2, 1});  // sent, not yet confirmed
    EXPECT_EQ(check.wrongParts({14025000, 14027000, 2, 1}), "");
    EXPECT_EQ(check.wrongParts({7010000, 7010000, 3, 0}), "");
}

TEST(SettingsCheck, ControlBytesAndBrokenLines) {
    const std::string path = testing::TempDir() + "soak_settings.ini";
    const auto faultOf = [&](const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        return soak::settingsFileFault(path);
    };
    EXPECT_EQ(faultOf("[RIGS]\r\nK4Slot1=K4S001\r\n\r\n"), "");
    EXPECT_NE(faultOf("[RIGS]\r\nK4Slot4=K4SPARE\x01\x1b\r\n"), "");
    EXPECT_NE(faultOf("[RIGS]\r\nK4Slot4=K4SPARE\r\nEVIL\r\n"), "");
    std::remove(path.c_str());
    EXPECT_EQ(soak::settingsFileFault(path), "");  // no file yet
}

TEST(FaultKinds, OnlyAndSkipChooseByName) {
    EXPECT_EQ(soak::chooseFaultKinds("", "").size(), soak::allFaultKinds().size());
    const auto two = soak::chooseFaultKinds("reboot,cut,silent", "silent");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_STREQ(two[0]->name, "reboot");
    EXPECT_THROW(soak::chooseFaultKinds("meteor", ""), std::invalid_argument);
    EXPECT_EQ(soak::requestFor("faults %s cut=8", "K4-Soak1"), "faults K4-Soak1 cut=8");
}

}  // namespace
