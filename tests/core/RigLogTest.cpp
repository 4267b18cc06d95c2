// What a rig writes to the process log trail: the exact entries of a Set, a
// tuning step, a poll and its answers, the set-in-progress gate's decisions,
// and the renderings of non-text and overlong data, read back from the file.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/RigHarness.h"
#include "core/TempLogFolder.h"

namespace {

using coretest::check;
using coretest::kMillisecond;
using coretest::kSecond;
using coretest::launch;

constexpr size_t kHeaderWidth = 10;

class RigLogTest : public ::testing::Test {
protected:
    RigLogTest() {
        log->openInFolder(folder.path());
        rig = coretest::makeSerialRig(clock, log, 12);
    }
    void SetUp() override {
        ASSERT_TRUE(log->isOpen());
        ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK);
    }

    // Ends the session (the file is written when the trail closes) and
    // returns the entry lines after the two banner lines.
    std::vector<std::string> lines() {
        rig.reset();
        log.reset();
        return folder.entryLines();
    }

    // The lines without their id and milliseconds columns.
    std::vector<std::string> entries() {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            EXPECT_EQ(line.substr(0, 3), " 12") << line;
            result.push_back(line.substr(kHeaderWidth));
        }
        return result;
    }

    coretest::CheckResult receive(const std::string& bytes) {
        port->queueBytes(bytes);
        return check(rig.get());
    }

    coretest::TempLogFolder folder;
    testsupport::TestClock clock;
    std::shared_ptr<LogTrail> log = std::make_shared<LogTrail>(clock.clock());
    testsupport::FakeRigIO::Ptr port = testsupport::FakeRigIO::create();
    com::ComPtr<IQbRig> rig;
};

TEST_F(RigLogTest, SetLogsItsArgumentsBeforeTheCommand) {
    LONG time = 0;
    ASSERT_EQ(rig->Set(14074.0, 14074.0, 2, 1, 0, &time), S_OK);
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           " 12     0 RigBase::Set 14074.00 14074.00 2 0",
                           " 12     0 writeCommandString \"FA00014074000;MD2;FT0;KS;\"",
                       }));
}

TEST_F(RigLogTest, TuneLogsItsAmountAfterTheCommand) {
    LONG time = 0;
    rig->TuneFrequency(10, &time);
    rig->TuneFrequency(-25, &time);
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "writeCommandString \"UP;\"",
                             "RigBase::TuneFrequency 10",
                             "writeCommandString \"DN;\"",
                             "RigBase::TuneFrequency -25",
                         }));
}

TEST_F(RigLogTest, PollAndItsAnswersAreEachOneLine) {
    launch(rig.get());
    clock.advance(15 * kMillisecond);
    receive("FT0;MD2;FA0001");
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           " 12     0 writeCommandString \"FA;FB;FT;MD;MD$;\"",
                           " 12    15 Check \"FT0;MD2;FA0001\"",
                           " 12     0 getNextCommandResponse=\"FT0;\"",
                           " 12     0 getNextCommandResponse=\"MD2;\"",
                       }));
}

TEST_F(RigLogTest, GateLogsWhatItSkipsButNotTheLastConfirmation) {
    LONG time = 0;
    rig->Set(14074.0, 14074.0, 2, 0, 0, &time);
    rig->Set(14074.0, 14074.0, 2, 0, 0, &time);
    receive("FA00007000000;KS;KS;");
    const std::vector<std::string> all = entries();
    ASSERT_EQ(all.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(all.begin() + 4, all.end()),
              (std::vector<std::string>{
                  "Check \"FA00007000000;KS;KS;\"",
                  "getNextCommandResponse=\"FA00007000000;\"",
                  "skipped \"FA00007000000;\"",
                  "getNextCommandResponse=\"KS;\"",
                  "skipped \"KS;\"",
                  "getNextCommandResponse=\"KS;\"",
              }));
}

TEST_F(RigLogTest, LaunchLogsTheSkipAndTheSetTimeout) {
    LONG time = 0;
    rig->Set(14074.0, 14074.0, 2, 0, 0, &time);
    launch(rig.get());
    clock.advance(1500 * kMillisecond);
    launch(rig.get());
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "RigBase::Set 14074.00 14074.00 2 0",
                             "writeCommandString \"FA00014074000;MD2;FT0;KS;\"",
                             "Launch-skip",
                             "Launch setInProgress timeout setInProgress=1",
                             "writeCommandString \"FA;FB;FT;MD;MD$;\"",
                         }));
}

TEST_F(RigLogTest, StrayBytesBeforeAnAnswerAreLoggedAsDropped) {
    receive("zzFT1;");
    const std::vector<std::string> all = entries();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), "dropped stray \"zz\"");
}

TEST_F(RigLogTest, MalformedFrequencyIsLoggedAndNotApplied) {
    receive("FA00014074000;FA00014x74000;");
    EXPECT_DOUBLE_EQ(coretest::frequencyOf(rig.get()).rcv, 14074.0);
    const std::vector<std::string> all = entries();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), "malformed \"FA00014x74000;\"");
}

TEST_F(RigLogTest, ControlBytesAreLoggedInHex) {
    receive("FA;\r");
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Check 46 41 3b 0d",
                             "getNextCommandResponse=\"FA;\"",
                         }));
}

TEST_F(RigLogTest, ReadsWithoutBytesAndDroppedCommandsLogNothing) {
    port->queue(testsupport::bstrReply(u"FA;"));
    port->queue(testsupport::emptyReply());
    check(rig.get());
    check(rig.get());
    receive("");
    ASSERT_EQ(rig->PutCommPort(nullptr, 0), S_OK);
    LONG time = 0;
    rig->Xmit(1, &time);
    EXPECT_TRUE(lines().empty());
}

TEST_F(RigLogTest, OverlongRunKeepsExactlyTheNewest2048Bytes) {
    clock.advance(kSecond);
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += static_cast<char>('a' + i % 26);
    receive(bytes);
    receive(";");
    // The Check entries continue over several lines; the response is one.
    const std::vector<std::string> all = lines();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), " 12     0 getNextCommandResponse=\"" + bytes.substr(3000 - 2048) + ";\"");
}

TEST_F(RigLogTest, TwoRigsWriteToTheSameTrailUnderTheirOwnNumbers) {
    com::ComPtr<IQbRig> second = coretest::makeSerialRig(clock, log, 13);
    ASSERT_EQ(second->PutCommPort(port.get(), 0), S_OK);
    rig->ClearRIT();
    second->ClearRIT();
    second.reset();
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           " 12     0 writeCommandString \"RC;\"",
                           " 13     0 writeCommandString \"RC;\"",
                       }));
}

}  // namespace
