// The settings in section RIGS of quillbox.ini: defaults, key names,
// capacities, integer reading, and writes read back, through the platform's
// private-profile functions on the INI file that IniHome gives each test.
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/IniHome.h"

namespace {

class Settings : public ::testing::Test {
protected:
    void putRigs(const std::string& lines, const std::string& fileName = "quillbox.ini") {
        ini_.put(fileName, "[Other]\r\nK4Slot1=not this one\r\n[RIGS]\r\n" + lines);
    }

    IniHome ini_;
};

TEST_F(Settings, DefaultsWithoutAnIniFile) {
    EXPECT_EQ(settings::remoteAddresses(), "");
    EXPECT_EQ(settings::discoveryPort(), "9100");
    EXPECT_EQ(settings::tcpPort(0), 9200);
    EXPECT_EQ(settings::tcpPort(9), 9200);
    EXPECT_FALSE(settings::serialRigEnabled());
    EXPECT_EQ(settings::savedChoice(0), "");
    EXPECT_EQ(settings::logFolder(), "");
    EXPECT_FALSE(ini_.read());
}

TEST_F(Settings, ReadsEveryKeyFromSectionRigs) {
    putRigs("ELECRAFT_K4_IP_ADDRESSES=10.0.0.5, k4.example.net\r\n"
            "ELECRAFT_K4_PORTNUMBER=k4disc\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT1=9300\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT:=9310\r\n"
            "K4onSerialEnable=1\r\n"
            "K4Slot1=radio-a\r\n"
            "K4Slot10=radio-j\r\n"
            "LogFileFolder=/var/log/k4\r\n");
    EXPECT_EQ(settings::remoteAddresses(), "10.0.0.5, k4.example.net");
    EXPECT_EQ(settings::discoveryPort(), "k4disc");
    EXPECT_EQ(settings::tcpPort(0), 9300);
    EXPECT_EQ(settings::tcpPort(1), 9200);
    EXPECT_EQ(settings::tcpPort(9), 9310);
    EXPECT_TRUE(settings::serialRigEnabled());
    EXPECT_EQ(settings::savedChoice(0), "radio-a");
    EXPECT_EQ(settings::savedChoice(9), "radio-j");
    EXPECT_EQ(settings::logFolder(), "/var/log/k4");
}

TEST_F(Settings, SlotKeysFollowTheHostsSlotNumber) {
    EXPECT_EQ(settings::savedChoiceKey(0), "K4Slot1");
    EXPECT_EQ(settings::savedChoiceKey(1), "K4Slot2");
    EXPECT_EQ(settings::savedChoiceKey(9), "K4Slot10");
    EXPECT_EQ(settings::savedChoiceKey(-1), "K4Slot0");
    EXPECT_EQ(settings::savedChoiceKey(-2), "K4Slot-1");
    EXPECT_EQ(settings::savedChoiceKey(32767), "K4Slot32768");
    EXPECT_EQ(settings::savedChoiceKey(-32768), "K4Slot-32767");

    EXPECT_EQ(settings::tcpPortKey(0), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT1");
    EXPECT_EQ(settings::tcpPortKey(8), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT9");
    EXPECT_EQ(settings::tcpPortKey(9), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT:");
    EXPECT_EQ(settings::tcpPortKey(256 + 1), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT2");
    EXPECT_EQ(settings::tcpPortKey(0xFFFF), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT0");
    // '1' + 0xCF wraps to 0, which ends the key text.
    EXPECT_EQ(settings::tcpPortKey(0xCF), "ELECRAFT_K4_TCP_PORTNUMBER_SLOT");
}

TEST_F(Settings, TcpPortKeepsTheLow16BitsAndNonNumericIsZero) {
    putRigs("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1=70000\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT2=abc\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT3=99999999999\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT4=-1\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT5=\r\n");
    EXPECT_EQ(settings::tcpPort(0), 4464);
    EXPECT_EQ(settings::tcpPort(1), 0);
    EXPECT_EQ(settings::tcpPort(2), 59391);  // 99999999999 wraps to 0x4876E7FF
    EXPECT_EQ(settings::tcpPort(3), 65535);
    EXPECT_EQ(settings::tcpPort(4), 9200);
}

// Values the driver takes without complaint are named for the user, with the
// port they give; numbers from 1 to 65535, and no value at all, are not.
TEST_F(Settings, TcpPortValuesThatAreNotPortsAreNamedWithThePortUsed) {
    putRigs("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1=70000\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT2=abc\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT3=0\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT4=9201x\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT5=\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT6=65535\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT7=1\r\n"
            "ELECRAFT_K4_TCP_PORTNUMBER_SLOT8=065536\r\n");
    const std::pair<unsigned short, std::string> cases[] = {
        {0, "ELECRAFT_K4_TCP_PORTNUMBER_SLOT1=70000 is not a port: the driver uses 4464"},
        {1, "ELECRAFT_K4_TCP_PORTNUMBER_SLOT2=abc is not a port: the driver uses 0"},
        {2, "ELECRAFT_K4_TCP_PORTNUMBER_SLOT3=0 is not a port: the driver uses 0"},
        {3, "ELECRAFT_K4_TCP_PORTNUMBER_SLOT4=9201x is not a port: the driver uses 9201"},
        {4, ""}, {5, ""}, {6, ""},
        {7, "ELECRAFT_K4_TCP_PORTNUMBER_SLOT8=065536 is not a port: the driver uses 0"},
        {8, ""},  // no key
    };
    for (const auto& [slot, problem] : cases) EXPECT_EQ(settings::tcpPortProblem(slot), problem) << "slot " << slot;
}

TEST_F(Settings, SerialRigIsEnabledByAnyNonZeroNumber) {
    const std::pair<const char*, bool> cases[] = {{"1", true},   {"7", true},           {"-1", true},
                                                  {"0", false},  {"abc", false},        {"", false},
                                                  {" 2x", true}, {"4294967296", false}, {"0x0", false}};
    for (const auto& [value, enabled] : cases) {
        putRigs(std::string("K4onSerialEnable=") + value + "\r\n", "QUILLBOX.INI");
        EXPECT_EQ(settings::serialRigEnabled(), enabled) << value;
    }
}

TEST_F(Settings, TextIsCutToItsCapacity) {
    const std::string longText(3000, 'z');
    putRigs("ELECRAFT_K4_IP_ADDRESSES=" + longText + "\r\nELECRAFT_K4_PORTNUMBER=" + longText +
            "\r\nK4Slot1=" + longText + "\r\nLogFileFolder=" + longText + "\r\n");
    EXPECT_EQ(settings::remoteAddresses(), longText.substr(0, 127));
    EXPECT_EQ(settings::discoveryPort(), longText.substr(0, 127));
    EXPECT_EQ(settings::savedChoice(0), longText.substr(0, 63));
    EXPECT_EQ(settings::logFolder(), longText.substr(0, 2037));
}

TEST_F(Settings, KeysSectionAndFileNameMatchInAnyCase) {
    ini_.put("Quillbox.Ini", "[rigs]\r\nelecraft_k4_portnumber=9101\r\nk4onserialenable=1\r\nK4SLOT2=two\r\n"
                                "logfilefolder=/logs\r\n");
    EXPECT_EQ(settings::discoveryPort(), "9101");
    EXPECT_TRUE(settings::serialRigEnabled());
    EXPECT_EQ(settings::savedChoice(1), "two");
    EXPECT_EQ(settings::logFolder(), "/logs");
}

// The read trims blanks and a pair of quotes and keeps 63 bytes: an id that
// would read back as another text is not kept, and the slot's earlier choice
// goes with it.
TEST_F(Settings, ASavedChoiceIsKeptOnlyWhenItReadsBackAsWritten) {
    const std::pair<std::string, bool> cases[] = {
        {"k4-7002", true},  {"X Y", true},  {"\"X", true},   {std::string(63, 'r'), true},
        {" X", false},      {"X ", false},  {"\"X\"", false}, {"'X'", false},
        {std::string(64, 'r'), false}};
    for (const auto& [id, kept] : cases) {
        putRigs("K4Slot1=old\r\n");
        EXPECT_EQ(settings::saveChoice(0, id), std::nullopt) << "[" << id << "]";
        EXPECT_EQ(settings::savedChoice(0), kept ? id : "") << "[" << id << "]";
    }
    ini_.put("quillbox.ini", "");
    settings::saveChoice(0, "k4-7002");
    settings::saveChoice(9, std::string(64, 'r'));
    EXPECT_EQ(ini_.read(), "[RIGS]\r\nK4Slot1=k4-7002\r\n");
}

TEST_F(Settings, AnIdWithAControlByteIsNeverWrittenAndRemovesTheSlotsChoice) {
    const std::string ids[] = {"x\r\nK4onSerialEnable=1", "x\n", "x\r", std::string("a\0b", 3), "tab\there",
                               "esc\x1b", "us\x1f", "del\x7f"};
    for (const auto& id : ids) {
        putRigs("K4Slot1=old\r\n");
        settings::saveChoice(0, id);
        EXPECT_EQ(ini_.read(), "[Other]\r\nK4Slot1=not this one\r\n[RIGS]\r\n") << id;
        EXPECT_FALSE(settings::serialRigEnabled());
    }
    settings::saveChoice(0, "\xE4nne \x80");
    EXPECT_EQ(settings::savedChoice(0), "\xE4nne \x80") << "bytes above 0x7F are written";
}

// A folder where the file should be refuses every write, even for root: the
// choice, and the removal that stands for an id that cannot be stored, give
// the system's words and number.
TEST_F(Settings, AChoiceTheFileRefusesGivesTheSystemsError) {
    const auto blocked = ini_.block();
    for (const std::string id : {"k4-7002", "x\r\n"}) {
        const auto failure = settings::saveChoice(0, id);
        ASSERT_TRUE(failure) << id;
        EXPECT_NE(failure->rfind("error ", 0), 0u) << "the system's words come first: " << *failure;
        EXPECT_NE(failure->find(" (error "), std::string::npos) << *failure;
        EXPECT_EQ(failure->back(), ')') << *failure;
    }
}

TEST_F(Settings, WritesKeepTheHostsOwnKeys) {
    putRigs("HostKey=host value\r\nK4Slot1=old\r\n");
    settings::saveChoice(0, "new");
    settings::setRemoteAddresses("192.0.2.1 192.0.2.2");
    EXPECT_EQ(settings::savedChoice(0), "new");
    EXPECT_EQ(settings::remoteAddresses(), "192.0.2.1 192.0.2.2");
    EXPECT_EQ(ini_.read(),
              "[Other]\r\nK4Slot1=not this one\r\n[RIGS]\r\nHostKey=host value\r\nK4Slot1=new\r\n"
              "ELECRAFT_K4_IP_ADDRESSES=192.0.2.1 192.0.2.2\r\n");
}

TEST_F(Settings, AddressListIsStoredNoLongerThanItCanBeRead) {
    settings::setRemoteAddresses(std::string(200, 'a'));
    EXPECT_EQ(settings::remoteAddresses(), std::string(127, 'a'));
    EXPECT_EQ(ini_.read(), "[RIGS]\r\nELECRAFT_K4_IP_ADDRESSES=" + std::string(127, 'a') + "\r\n");
}

TEST_F(Settings, EveryReadSeesTheFileAsItIsNow) {
    putRigs("K4onSerialEnable=1\r\n", "QUILLBOX.INI");
    EXPECT_TRUE(settings::serialRigEnabled());
    putRigs("K4onSerialEnable=0\r\n", "QUILLBOX.INI");
    EXPECT_FALSE(settings::serialRigEnabled());
}

}  // namespace
