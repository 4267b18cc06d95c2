// The process log trail as the managers and rigs of one process share it.
// Its own program: the trail is made once per process, by the first manager.
#include <algorithm>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "ManagerHarness.h"
#include "com/ExceptionLog.h"
#include "k4sim/Simulator.h"
#include "manager/ProcessState.h"
#include "platform/Path.h"
#include "support/TempIniFolder.h"
#include "platform/IniHome.h"
#include "platform/Profile.h"
#include "platform/TestFolder.h"

using managertest::chooserOf;
using managertest::createManager;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The writer id that heads an entry line (three columns), or -1 for any
// other line.
int writerOf(const std::string& line) {
    if (line.size() < 10 || line.find_first_not_of(" -0123456789") < 3) return -1;
    return std::stoi(line.substr(0, 3));
}

TEST(ProcessLogTest, ManagersShareOneFileAndRigsAreNumberedInCreationOrder) {
    testsupport::TempIniFolder ini;
    TestFolder logs;
    ini.set("LogFileFolder", logs.path());

    k4sim::RadioOptions radio;
    radio.port = 0;
    k4sim::SimOptions options;
    options.radios = {radio};
    options.bindAddress = "127.0.0.1";
    options.discoveryPort = 0;
    k4sim::Simulator sim(options);
    sim.start();
    ini.set("ELECRAFT_K4_PORTNUMBER", std::to_string(sim.discoveryPort()));
    ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1", std::to_string(sim.radio(0).port()));
    // Slot 1's value is no port number; the driver still uses its digits.
    const std::string port = std::to_string(sim.radio(0).port());
    ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT2", port + "x");

    auto first = createManager();
    auto second = createManager();
    com::ComPtr<IQbRig> serialA, network, serialB, badPort;
    ASSERT_EQ(first->GetRigObject(1, serialA.receive()), S_OK);
    ASSERT_EQ(chooserOf(second.get())->GetRigObject(0, 1, 0, network.receive()), S_OK);
    ASSERT_EQ(second->GetRigObject(1, serialB.receive()), S_OK);
    ASSERT_EQ(chooserOf(second.get())->GetRigObject(0, 1, 1, badPort.receive()), S_OK);

    LONG hint = 0;
    for (IQbRig* rig : {serialA.get(), network.get(), serialB.get()}) ASSERT_EQ(rig->TuneFrequency(10, &hint), S_OK);

    com::logStoppedException("stopped at the boundary");  // guard()'s sink is the process trail

    // The file is complete once its last holder has let go of the trail.
    serialA.reset();
    network.reset();
    serialB.reset();
    badPort.reset();
    first.reset();
    second.reset();
    process::releaseLogTrail();

    const auto text = logs.read("k4logio.log");
    ASSERT_TRUE(text);
    const auto lines = linesOf(*text);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "quillbox k4 driver version 12,0,73,4 ");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), lines[0]), 1) << "one banner for both managers";

    std::vector<int> tuners;
    for (const std::string& line : lines)
        if (line.find("RigBase::TuneFrequency") != std::string::npos) tuners.push_back(writerOf(line));
    EXPECT_EQ(tuners, (std::vector<int>{1, 2, 3}));
    // Once, by the rig bound with it, after the header (id and milliseconds).
    std::vector<std::string> portLines;
    for (const std::string& line : lines)
        if (line.find("is not a port") != std::string::npos) portLines.push_back(line);
    ASSERT_EQ(portLines.size(), 1u);
    EXPECT_EQ(writerOf(portLines[0]), 4);
    EXPECT_EQ(portLines[0].substr(10), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT2=" + port + "x is not a port: the driver uses " + port);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return writerOf(line) == 0 && line.find("Discovery Response 127.0.0.1") != std::string::npos;
    }));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("exception stopped at the boundary") == 10; }),
              1);
}

// A choice the settings file refuses (a folder stands where the file should
// be) still binds its rig, and the chooser's log entry names the slot's key
// and the system's error.
TEST(ProcessLogTest, AChoiceTheSettingsFileRefusesIsLogged) {
    IniHome ini;
    TestFolder logs;
    const auto set = [](const char* key, const std::string& value) {
        WritePrivateProfileStringA("RIGS", key, value.c_str(), "quillbox.ini");
    };
    set("LogFileFolder", logs.path());
    k4sim::RadioOptions radio;
    radio.port = 0;
    k4sim::SimOptions options;
    options.radios = {radio};
    options.bindAddress = "127.0.0.1";
    options.discoveryPort = 0;
    k4sim::Simulator sim(options);
    sim.start();
    set("ELECRAFT_K4_PORTNUMBER", std::to_string(sim.discoveryPort()));

    auto manager = createManager();
    auto chooser = chooserOf(manager.get());
    SHORT count = 0;
    ASSERT_EQ(chooser->GetNumChoices(0, 0, &count), S_OK);
    ASSERT_EQ(count, 2);
    com::ComPtr<IQbRig> rig;
    {
        const auto blocked = ini.block();
        EXPECT_EQ(chooser->GetRigObject(0, 1, 2, rig.receive()), S_OK);
    }
    EXPECT_TRUE(rig);
    rig.reset();
    chooser.reset();
    manager.reset();
    process::releaseLogTrail();

    const auto text = logs.read("k4logio.log");
    ASSERT_TRUE(text);
    std::vector<std::string> unsaved;
    for (const std::string& line : linesOf(*text))
        if (line.find(" not saved: ") != std::string::npos) unsaved.push_back(line);
    ASSERT_EQ(unsaved.size(), 1u) << *text;
    EXPECT_EQ(writerOf(unsaved[0]), 0);
    const std::string prefix = "K4Slot3 not saved: ";
    EXPECT_EQ(unsaved[0].substr(10, prefix.size()), prefix);
    EXPECT_GT(unsaved[0].size(), 10 + prefix.size()) << "with the system's error";
}

}  // namespace
