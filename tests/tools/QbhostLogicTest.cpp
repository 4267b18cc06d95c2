// qbhost's decisions and texts that need no Windows: the command line, the
// log copies it keeps and deletes, what the report keeps back, the settings
// it names, and the answers that depend on what it found.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/qbhost/CommandTexts.h"
#include "tools/qbhost/LogKeeping.h"
#include "tools/qbhost/Options.h"
#include "tools/qbhost/ReportPrivacy.h"
#include "tools/qbhost/SettingProblems.h"

namespace {

using Strings = std::vector<std::string>;

std::string parseError(const Strings& args) {
    std::string error;
    return qbhost::parseOptions(args, &error) ? "" : error;
}

TEST(QbhostOptions, TxKeysAtMostAMinuteAndForceIsASwitch) {
    EXPECT_EQ(parseError({"tx", "--slot", "0", "--seconds", "60"}), "");
    EXPECT_EQ(parseError({"tx", "--slot", "0", "--seconds", "60.5"}), "tx --seconds 60.5: at most 60 s of transmitting");
    EXPECT_EQ(parseError({"poll", "--slot", "0", "--seconds", "600"}), "");
    EXPECT_EQ(parseError({"report", "--force"}), "report takes no option --force");
    std::string error;
    const auto options = qbhost::parseOptions({"set", "--slot", "0", "--rx", "7010", "--force"}, &error);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->force);
    EXPECT_FALSE(options->mode) << "no --mode: the radio's own";
}

TEST(QbhostLogCopies, NamesAndTheirPattern) {
    const qbhost::LocalStamp written{2026, 12, 6, 9, 5, 3};
    EXPECT_EQ(qbhost::logCopyName(written, 1), "k4logio-20261206-090503.log");
    EXPECT_EQ(qbhost::logCopyName(written, 3), "k4logio-20261206-090503-3.log");
    for (const char* name : {"k4logio-20261206-090503.log", "k4logio-20261206-090503-12.log"})
        EXPECT_TRUE(qbhost::isLogCopyName(name)) << name;
    for (const char* name : {"k4logio.log", "k4logio-20261206-0905.log", "k4logio-20261206-090503-.log",
                             "..\\k4logio-20261206-090503.log", "k4logio-20261206-090503.log.txt", "quillbox.ini"})
        EXPECT_FALSE(qbhost::isLogCopyName(name)) << name;
}

TEST(QbhostLogCopies, OnlyTheFiveNewestRecordedCopiesStay) {
    const Strings recorded = qbhost::readCopyRecord(
        "# heading\r\nk4logio-20260101-000001.log\r\nC:\\quillbox.ini\r\nquillbox.ini\r\n"
        "k4logio-20260101-000002.log\nk4logio-20260101-000003.log\nk4logio-20260101-000004.log\n"
        "k4logio-20260101-000005.log\n");
    ASSERT_EQ(recorded.size(), 5u) << "lines that are no copy names name nothing";
    const qbhost::Pruning pruning = qbhost::addLogCopy(recorded, "k4logio-20260101-000006.log");
    EXPECT_EQ(pruning.toDelete, Strings{"k4logio-20260101-000001.log"});
    ASSERT_EQ(pruning.record.size(), 5u);
    EXPECT_EQ(pruning.record.back(), "k4logio-20260101-000006.log");
    EXPECT_EQ(qbhost::readCopyRecord(qbhost::copyRecordText(pruning.record)), pruning.record);
    // A name used again (its file deleted by hand) is recorded once, as the newest.
    const qbhost::Pruning again = qbhost::addLogCopy({"k4logio-20260101-000002.log"}, "k4logio-20260101-000002.log");
    EXPECT_EQ(again.record, Strings{"k4logio-20260101-000002.log"});
    EXPECT_TRUE(again.toDelete.empty());
}

TEST(QbhostReportPrivacy, OnlyTheDriversKeys) {
    for (const char* key : {"ELECRAFT_K4_IP_ADDRESSES", "elecraft_k4_tcp_portnumber_slot:", "K4Slot12",
                            "K4onSerialEnable", "LOGFILEFOLDER"})
        EXPECT_TRUE(qbhost::isDriverKey(key)) << key;
    for (const char* key : {"OtherRigPassword", "ELECRAFT_K3_PORT", "K4onSerialEnabled", "LogFileFolder2", "K4Slo", ""})
        EXPECT_FALSE(qbhost::isDriverKey(key)) << key;
}

TEST(QbhostReportPrivacy, TheProfileFolderIsHidden) {
    const std::string profile = "C:\\Users\\Jo";
    const struct {
        const char* text;
        const char* hidden;
    } rows[] = {
        {"LogFileFolder=C:\\Users\\Jo\\K4Logs\n", "LogFileFolder=%USERPROFILE%\\K4Logs\n"},
        {"c:\\users\\JO\n", "%USERPROFILE%\n"},
        {"in C:\\Users\\Jo: C:\\Users\\Jo", "in %USERPROFILE%: %USERPROFILE%"},
        {"C:\\Users\\Joan\\K4Logs", "C:\\Users\\Joan\\K4Logs"},
        {"D:\\Users\\Jo\\x", "D:\\Users\\Jo\\x"},
    };
    for (const auto& row : rows) EXPECT_EQ(qbhost::withProfileHidden(row.text, profile), row.hidden) << row.text;
    EXPECT_EQ(qbhost::withProfileHidden("C:\\x", ""), "C:\\x");
}

TEST(QbhostSettingProblems, EachValueWithWhatTheDriverMakesOfIt) {
    const struct {
        std::string problem;
        const char* expected;  // empty: no problem
    } rows[] = {
        {qbhost::discoveryPortProblem("9100", 9100), ""},
        {qbhost::discoveryPortProblem("domain", 53), ""},
        {qbhost::discoveryPortProblem("abc", std::nullopt),
         "ELECRAFT_K4_PORTNUMBER=abc is not a port or a service name: the driver sends no search and finds no radio "
         "(the default is 9100)"},
        {qbhost::discoveryPortProblem("70000", 4464),
         "ELECRAFT_K4_PORTNUMBER=70000 is not a port: the driver searches on port 4464"},
        {qbhost::discoveryPortProblem("", 0),
         "ELECRAFT_K4_PORTNUMBER= is not a port: the driver searches on port 0, which reaches no radio"},
        {qbhost::serialEnableProblem("", false), ""},
        {qbhost::serialEnableProblem("1", true), ""},
        {qbhost::serialEnableProblem("-2", true), ""},
        {qbhost::serialEnableProblem("yes", false),
         "K4onSerialEnable=yes is not a number: the driver takes it as 0 and does not offer the serial rig (1 "
         "offers it)"},
        {qbhost::serialEnableProblem("1x", true),
         "K4onSerialEnable=1x is not a number: the driver takes it as on and offers the serial rig"},
        {qbhost::logFolderProblem("", false), ""},
        {qbhost::logFolderProblem("C:\\K4Logs", true), ""},
        {qbhost::logFolderProblem("C:\\K4Logs", false),
         "LogFileFolder=C:\\K4Logs names a folder that does not exist: the driver writes no log, since it never "
         "makes the folder (make it: mkdir \"C:\\K4Logs\")"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.problem, row.expected);
}

TEST(QbhostCommandTexts, WhatQbhostFound) {
    const struct {
        std::string text;
        const char* expected;
    } rows[] = {
        {qbhost::savedChoiceLine(0, "", 0, ""), "saved choice for slot 0: none (K4Slot1 is not set)"},
        {qbhost::savedChoiceLine(1, "K4A001", 0, ""), "saved choice for slot 1: K4Slot2=K4A001 not found"},
        {qbhost::savedChoiceLine(0, "K4A001", 2, "K4-Alpha"), "saved choice for slot 0: 2  K4-Alpha (K4Slot1=K4A001)"},
        {qbhost::noSavedRadio(0, ""),
         "no radio saved for slot 0 (K4Slot1 is not set): choose one with --choice N, as qbhost list numbers them"},
        {qbhost::noSavedRadio(9, "K4A001"),
         "the radio saved for slot 9, K4Slot10=K4A001, was not found: it did not answer discovery (qbhost list "
         "shows the radios that did)"},
        {qbhost::dialogOutcome("", "k4.example.net"), "addresses saved: ELECRAFT_K4_IP_ADDRESSES=k4.example.net"},
        {qbhost::dialogOutcome("10.0.0.7", "10.0.0.7"),
         "address dialog closed, addresses unchanged: ELECRAFT_K4_IP_ADDRESSES=10.0.0.7"},
        {qbhost::serialOpenFailure("COM5", 5, "Access denied", false), "cannot open COM5: Access denied (error 5)"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.text, row.expected);
    EXPECT_NE(qbhost::serialOpenFailure("COM5", 5, "Access denied", true).find("dosdevices/com5"), std::string::npos);
}

}  // namespace
