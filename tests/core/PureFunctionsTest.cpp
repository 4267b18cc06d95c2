// The parser, the set gate, the receive buffer and the command builders, as
// pure functions over a K4State and a text.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/Commands.h"
#include "core/ReceiveBuffer.h"
#include "core/ResponseParser.h"
#include "core/SetGate.h"

namespace {

class ResponseParserTest : public ::testing::Test {
protected:
    K4State state;
};

TEST_F(ResponseParserTest, FrequencyAnswersAreHertzStoredAsKilohertz) {
    EXPECT_EQ(applyResponse(state, "FA00014074000;"), ParseResult::Applied);
    EXPECT_EQ(applyResponse(state, "FB00007012500;"), ParseResult::Applied);
    EXPECT_DOUBLE_EQ(state.vfoA, 14074.0);
    EXPECT_DOUBLE_EQ(state.vfoB, 7012.5);
    applyResponse(state, "FA99999999999;");
    EXPECT_DOUBLE_EQ(state.vfoA, 99999999.999);
}

TEST_F(ResponseParserTest, FrequencyAnswerOfAnyOtherLengthIsIgnored) {
    EXPECT_EQ(applyResponse(state, "FA0001407400;"), ParseResult::Ignored);
    EXPECT_EQ(applyResponse(state, "FA000140740000;"), ParseResult::Ignored);
    EXPECT_DOUBLE_EQ(state.vfoA, 0.0);
    EXPECT_EQ(applyResponse(state, "FA;"), ParseResult::Ignored);
}

// A K4 always sends 11 digits; anything else in the value is a garbled
// answer, and the frequency stays what it was.
TEST_F(ResponseParserTest, FrequencyValueOfAnythingButElevenDigitsIsMalformed) {
    applyResponse(state, "FA00014074000;");
    applyResponse(state, "FB00007012500;");
    for (const char* answer : {"FA00014x74000;", "FB0000701250x;", "FA 0014074000;", "FB+0007012500;",
                               "FA-0014074000;", "FBxxxxxxxxxxx;", "FA0000703MD$9;", "FB00007\0" "12500;"}) {
        EXPECT_EQ(applyResponse(state, std::string(answer, 14)), ParseResult::Malformed) << answer;
    }
    EXPECT_DOUBLE_EQ(state.vfoA, 14074.0);
    EXPECT_DOUBLE_EQ(state.vfoB, 7012.5);
}

TEST_F(ResponseParserTest, SplitAnswerStoresItsCharacter) {
    EXPECT_EQ(applyResponse(state, "FT1;"), ParseResult::Applied);
    EXPECT_EQ(state.splitChar, '1');
    applyResponse(state, "FTz;");
    EXPECT_EQ(state.splitChar, 'z');
    EXPECT_EQ(applyResponse(state, "FT10;"), ParseResult::Ignored);
}

struct ModeCase {
    char radio;
    int32_t mode;
    char cw;
    char data;
};

TEST_F(ResponseParserTest, ModeTableMapsRadioVariantsToOneHostMode) {
    const ModeCase cases[] = {
        {'1', 1, '3', '6'}, {'2', 2, '3', '6'}, {'3', 3, '3', '6'}, {'4', 4, '3', '6'}, {'5', 5, '3', '6'},
        {'6', 6, '3', '6'}, {'7', 3, '7', '6'}, {'9', 6, '3', '9'}, {'8', 4, '3', '6'}, {'x', 4, '3', '6'},
        {'0', 4, '3', '6'},
    };
    for (const ModeCase& c : cases) {
        K4State fresh;
        fresh.mode = 4;
        const std::string answer = std::string("MD") + c.radio + ";";
        EXPECT_EQ(applyResponse(fresh, answer), ParseResult::Applied) << answer;
        EXPECT_EQ(fresh.modeChar, c.radio) << answer;
        EXPECT_EQ(fresh.mode, c.mode) << answer;
        EXPECT_EQ(fresh.cwModeChar, c.cw) << answer;
        EXPECT_EQ(fresh.dataModeChar, c.data) << answer;
    }
}

TEST_F(ResponseParserTest, ReversedVariantIsForgottenWhenTheNormalOneIsReported) {
    applyResponse(state, "MD7;");
    applyResponse(state, "MD9;");
    applyResponse(state, "MD3;");
    EXPECT_EQ(state.cwModeChar, '3');
    EXPECT_EQ(state.dataModeChar, '9');
}

TEST_F(ResponseParserTest, SubModeAnswerEndsThePollAndLeavesTheHostMode) {
    EXPECT_EQ(applyResponse(state, "MD$7;"), ParseResult::PollComplete);
    EXPECT_EQ(state.subModeChar, '7');
    EXPECT_EQ(state.mode, 3);
    EXPECT_EQ(state.cwModeChar, '3');
    // Four characters: the main mode form, with '$' as its character.
    EXPECT_EQ(applyResponse(state, "MD$;"), ParseResult::Applied);
    EXPECT_EQ(state.modeChar, '$');
}

TEST_F(ResponseParserTest, UnknownAnswersChangeNothing) {
    for (const char* answer : {"KS020;", ";", "IF00014074000;", "md2;", "\x80\xff;", "FA00014074000"}) {
        EXPECT_EQ(applyResponse(state, answer), ParseResult::Ignored) << answer;
    }
    EXPECT_DOUBLE_EQ(state.vfoA, 0.0);
    EXPECT_EQ(state.mode, 3);
}

// Bytes sent without ';' (noise, a flood) become the front of the next
// response; the answer they hide is still found at its end.
TEST(StrayBytesTest, TheAnswerAtTheEndOfAResponseIsSeparatedFromWhatPrecedesIt) {
    struct Case {
        const char* response;
        const char* stray;
        const char* answer;
    };
    for (const Case& c : {Case{"FA00014074000;", "", "FA00014074000;"}, Case{"xxxFA00014074000;", "xxx", "FA00014074000;"},
                          Case{"\r\nMD$2;", "\r\n", "MD$2;"}, Case{"zzMD2;", "zz", "MD2;"},
                          Case{"noiseFT1;", "noise", "FT1;"}, Case{"garbleKS020;", "garble", "KS020;"},
                          Case{"xKSKS020;", "xKS", "KS020;"}, Case{"KS;", "", "KS;"}, Case{"?;", "", "?;"},
                          Case{"xxFA0001407;", "", "xxFA0001407;"}, Case{"FB0001407400x;", "", "FB0001407400x;"},
                          Case{"xxKS02x;", "", "xxKS02x;"}}) {
        const ResponseParts parts = separateStrayBytes(c.response);
        EXPECT_EQ(parts.stray, c.stray) << c.response;
        EXPECT_EQ(parts.answer, c.answer) << c.response;
    }
}

TEST(SetGateTest, OnlyTheLastAwaitedConfirmationPasses) {
    int32_t pending = 2;
    EXPECT_EQ(passSetGate(pending, "FA00014074000;"), GateVerdict::Skip);
    EXPECT_EQ(passSetGate(pending, "KS020;"), GateVerdict::Skip);
    EXPECT_EQ(pending, 1);
    EXPECT_EQ(passSetGate(pending, "KS;"), GateVerdict::Parse);
    EXPECT_EQ(pending, 0);
    EXPECT_EQ(passSetGate(pending, "FA00014074000;"), GateVerdict::Parse);
}

TEST(SetGateTest, ConfirmationNeedsThreeCharacters) {
    EXPECT_TRUE(isSetConfirmation("KS;"));
    EXPECT_TRUE(isSetConfirmation("KSx"));
    EXPECT_FALSE(isSetConfirmation("KS"));
    EXPECT_FALSE(isSetConfirmation("K;"));
    EXPECT_FALSE(isSetConfirmation("ks;"));
    int32_t pending = 1;
    EXPECT_EQ(passSetGate(pending, "KS"), GateVerdict::Skip);
    EXPECT_EQ(pending, 1);
}

TEST(SetGateTest, LateConfirmationsAreThoseBeyondTheAwaitedOnes) {
    struct Case {
        int32_t awaited;
        const char* received;
        int32_t late;
    };
    for (const Case& c : {Case{0, "FA00014074000;MD2;", 0}, Case{0, "FA00014074000;MD2;KS020;", 1},
                          Case{0, "KS020;FA00014074000;KS020;", 2}, Case{1, "FA00014074000;KS020;", 0},
                          Case{1, "KS020;FA00014074000;KS020;FT0;", 1}, Case{0, "xx\x01KS020;", 1},
                          Case{0, "FA00014074000;KS0", 0}, Case{0, "KS;", 1}}) {
        SCOPED_TRACE(c.received);
        EXPECT_EQ(lateConfirmations(c.awaited, c.received), c.late);
    }
}

TEST(ReceiveBufferTest, CutsResponsesAndKeepsThePartialOne) {
    ReceiveBuffer buffer;
    buffer.append("FT0;MD2;FA0001", 14);
    EXPECT_EQ(buffer.takeResponse(), "FT0;");
    EXPECT_EQ(buffer.takeResponse(), "MD2;");
    EXPECT_EQ(buffer.takeResponse(), "");
    EXPECT_EQ(buffer.size(), 6u);
    buffer.append("4074000;", 8);
    EXPECT_EQ(buffer.takeResponse(), "FA00014074000;");
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.takeResponse(), "");
}

TEST(ReceiveBufferTest, DropUnfinishedKeepsEveryCompleteResponse) {
    ReceiveBuffer buffer;
    buffer.append("FT0;MD2;FA0001", 14);
    EXPECT_EQ(buffer.takeResponse(), "FT0;");
    EXPECT_EQ(buffer.dropUnfinished(), "FA0001");
    EXPECT_EQ(buffer.dropUnfinished(), "");
    buffer.append("FB", 2);
    EXPECT_EQ(buffer.takeResponse(), "MD2;");
    EXPECT_EQ(buffer.dropUnfinished(), "FB");
    EXPECT_EQ(buffer.size(), 0u);
}

TEST(ReceiveBufferTest, StrayBytesBecomeTheStartOfTheNextResponse) {
    ReceiveBuffer buffer;
    buffer.append("\r\nFT1;", 6);
    EXPECT_EQ(buffer.takeResponse(), "\r\nFT1;");
}

TEST(ReceiveBufferTest, TrimKeepsExactlyTheNewestBytes) {
    ReceiveBuffer buffer;
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += static_cast<char>('A' + i % 26);
    buffer.append(bytes.data(), bytes.size());
    buffer.keepNewest(2048);
    EXPECT_EQ(buffer.size(), 2048u);
    buffer.append(";", 1);
    EXPECT_EQ(buffer.takeResponse(), bytes.substr(3000 - 2048) + ";");
}

TEST(ReceiveBufferTest, TrimAfterTakingCountsOnlyTheRemainingBytes) {
    ReceiveBuffer buffer;
    buffer.append("FT0;abc", 7);
    EXPECT_EQ(buffer.takeResponse(), "FT0;");
    buffer.keepNewest(2);
    buffer.append(";", 1);
    EXPECT_EQ(buffer.takeResponse(), "bc;");
}

TEST(CommandsTest, FrequencyFieldRoundsHalfHertzUp) {
    EXPECT_EQ(k4command::frequencyField(14074.0), "00014074000");
    EXPECT_EQ(k4command::frequencyField(7010.0004), "00007010000");
    EXPECT_EQ(k4command::frequencyField(7010.0005), "00007010001");
    // 7000.0025 * 1000 is 7000002.5 in double precision and just below it
    // in the x87 unit's wider registers: every build must round it up.
    EXPECT_EQ(k4command::frequencyField(7000.0025), "00007000003");
    EXPECT_EQ(k4command::frequencyField(0.0), "00000000000");
    EXPECT_EQ(k4command::frequencyField(123456789.0), "123456789000");
}

TEST(CommandsTest, FrequencyFieldHasADefinedValueForEveryDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(k4command::frequencyField(std::nan("")), "00000000000");
    EXPECT_EQ(k4command::frequencyField(inf), "9223372036854775807");
    EXPECT_EQ(k4command::frequencyField(1e300), "9223372036854775807");
    EXPECT_EQ(k4command::frequencyField(9223372036854775.807), "9223372036854775807");
    EXPECT_EQ(k4command::frequencyField(-inf), "-9223372036854775808");
    EXPECT_EQ(k4command::frequencyField(-1e300), "-9223372036854775808");
    EXPECT_EQ(k4command::frequencyField(-1.2), "000000-1199");
    EXPECT_EQ(k4command::hertzFromKilohertz(-9223372036854775.808), std::numeric_limits<int64_t>::min());
}

TEST(CommandsTest, SetSequenceNonSplitSendsOnlyVfoA) {
    K4State state;
    EXPECT_EQ(k4command::setSequence(state, 21000.0, 14074.0, 2, 0), "FA00014074000;MD2;FT0;KS;");
}

TEST(CommandsTest, SetSequenceSplitSendsBothVfosWithOneModeCharacter) {
    K4State state;
    state.cwModeChar = '7';
    EXPECT_EQ(k4command::setSequence(state, 7012.5, 7010.0, 3, 1),
              "FA00007010000;MD7;FB00007012500;MD$7;FT1;KS;");
    EXPECT_EQ(k4command::setSequence(state, 7012.5, 7010.0, 3, -1),
              "FA00007010000;MD7;FB00007012500;MD$7;FT1;KS;");
}

TEST(CommandsTest, ModeCharacterUsesTheRememberedVariants) {
    K4State state;
    EXPECT_EQ(k4command::setSequence(state, 0, 0, 3, 0), "FA00000000000;MD3;FT0;KS;");
    EXPECT_EQ(k4command::setSequence(state, 0, 0, 6, 0), "FA00000000000;MD6;FT0;KS;");
    state.dataModeChar = '9';
    EXPECT_EQ(k4command::setSequence(state, 0, 0, 6, 0), "FA00000000000;MD9;FT0;KS;");
    EXPECT_EQ(k4command::setSequence(state, 0, 0, 10, 0), "FA00000000000;MD:;FT0;KS;");
    EXPECT_EQ(k4command::setSequence(state, 0, 0, 208, 0), std::string("FA00000000000;MD\0;FT0;KS;", 25));
    EXPECT_EQ(k4command::setSequence(state, 0, 0, -1, 0), "FA00000000000;MD/;FT0;KS;");
}

TEST(CommandsTest, TuneGoesUpOnlyForTenOrMore) {
    EXPECT_EQ(k4command::tuneCommand(10), "UP;");
    EXPECT_EQ(k4command::tuneCommand(19), "UP;");
    EXPECT_EQ(k4command::tuneCommand(std::numeric_limits<int32_t>::max()), "UP;");
    for (int32_t amount : {9, 1, 0, -9, -10, -25, std::numeric_limits<int32_t>::min()})
        EXPECT_EQ(k4command::tuneCommand(amount), "DN;") << amount;
}

TEST(CommandsTest, XmitKeysForAnyNonZeroState) {
    EXPECT_EQ(k4command::xmitCommand(1), "TX;");
    EXPECT_EQ(k4command::xmitCommand(-1), "TX;");
    EXPECT_EQ(k4command::xmitCommand(0), "RX;");
}

TEST(CommandsTest, SetDetailsHaveTwoDecimalsAndSignedIntegers) {
    EXPECT_EQ(k4command::setDetails(14074.0, 14074.0, 2, 0), "14074.00 14074.00 2 0");
    EXPECT_EQ(k4command::setDetails(7012.5, 7010.004, 3, 1), "7012.50 7010.00 3 1");
    EXPECT_EQ(k4command::setDetails(-0.5, 0.124, -1, -32768), "-0.50 0.12 -1 -32768");
    EXPECT_EQ(k4command::setDetails(std::nan(""), std::numeric_limits<double>::infinity(), 0, 0), "nan inf 0 0");
}

}  // namespace
