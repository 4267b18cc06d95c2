// The simulated radio without a network: the command framer, the command
// interpreter, the answer schedule (with chosen clock readings), the
// discovery answers and the program's command line.
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "k4sim/CommandLine.h"
#include "k4sim/Control.h"
#include "k4sim/Protocol.h"
#include "k4sim/Radio.h"
#include "k4sim/ReplyQueue.h"
#include "k4sim/Simulator.h"

namespace {

using namespace std::chrono_literals;
using k4sim::RadioState;

std::vector<std::string> frame(k4sim::CommandFramer& framer, const std::string& bytes) {
    std::vector<std::string> commands;
    framer.feed(bytes.data(), bytes.size(), commands);
    return commands;
}

class Interpreter : public ::testing::Test {
protected:
    // Runs every ";"-ended command of `text` and joins the answers.
    std::string run(const std::string& text) {
        k4sim::CommandFramer framer;
        std::string answers;
        for (const auto& command : frame(framer, text)) answers += k4sim::answerCommand(command, state, settings);
        return answers;
    }

    RadioState state;
    k4sim::ProtocolSettings settings;
};

TEST(CommandFramer, CutsAtEverySemicolonAcrossFeeds) {
    k4sim::CommandFramer framer;
    EXPECT_TRUE(frame(framer, "F").empty());
    EXPECT_EQ(frame(framer, "A;F"), std::vector<std::string>({"FA"}));
    EXPECT_EQ(frame(framer, "B;FT;MD;MD$;"), std::vector<std::string>({"FB", "FT", "MD", "MD$"}));
}

TEST(CommandFramer, SkipsLineEndsBetweenCommandsAndKeepsEmptyOnes) {
    k4sim::CommandFramer framer;
    EXPECT_EQ(frame(framer, "FA;\r\n ID;;"), std::vector<std::string>({"FA", "ID", ""}));
    EXPECT_EQ(frame(framer, "F A;"), std::vector<std::string>({"F A"}));  // inside a command a blank stays
}

TEST(CommandFramer, OverlongCommandIsCutAndStillEndsAtItsSemicolon) {
    k4sim::CommandFramer framer;
    const auto commands = frame(framer, std::string(3000, 'x') + ";ID;");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], std::string(k4sim::CommandFramer::maxCommandLength, 'x'));
    EXPECT_EQ(commands[1], "ID");
}

TEST_F(Interpreter, AnswersThePollString) {
    EXPECT_EQ(run("FA;FB;FT;MD;MD$;"), "FA00014074000;FB00014074000;FT0;MD2;MD$2;");
}

TEST_F(Interpreter, SetsAreSilentAndShowInLaterQueries) {
    EXPECT_EQ(run("FA00007010000;MD7;FB00007012500;MD$9;FT1;"), "");
    EXPECT_EQ(run("FA;FB;FT;MD;MD$;"), "FA00007010000;FB00007012500;FT1;MD7;MD$9;");
    EXPECT_EQ(state.vfoA, 7010000);
    EXPECT_EQ(run("FT0;FT;"), "FT0;");
}

TEST_F(Interpreter, EveryModeFromOneToNine) {
    for (char m = '1'; m <= '9'; ++m) {
        EXPECT_EQ(run(std::string("MD") + m + ";MD$" + m + ";MD;MD$;"), std::string("MD") + m + ";MD$" + m + ";");
    }
}

TEST_F(Interpreter, KeyerSpeedQueryAndSet) {
    EXPECT_EQ(run("KS;"), "KS020;");
    EXPECT_EQ(run("KS035;KS;"), "KS035;");
    EXPECT_EQ(run("KS007;KS051;KS35;KS;"), "?;?;?;KS035;");
}

TEST_F(Interpreter, UpAndDownStepVfoAOnly) {
    settings.stepHz = 10;
    EXPECT_EQ(run("UP;UP;DN;UP;FA;FB;"), "FA00014074020;FB00014074000;");
    state.vfoA = 5;
    EXPECT_EQ(run("DN;FA;"), "FA00000000000;");  // never below zero
    settings.stepHz = 1000;
    EXPECT_EQ(run("UP;FA;"), "FA00000001000;");
}

TEST_F(Interpreter, TransmitReceiveRitAndId) {
    state.ritOffset = 120;
    EXPECT_EQ(run("TX;TQ;"), "TQ1;");
    EXPECT_TRUE(state.transmitting);
    EXPECT_EQ(run("RX;TQ;RC;ID;"), "TQ0;ID017;");
    EXPECT_FALSE(state.transmitting);
    EXPECT_EQ(state.ritOffset, 0);
}

TEST_F(Interpreter, UnknownAndMalformedCommandsAnswerQuestionMark) {
    const RadioState before = state;
    EXPECT_EQ(run("ZZ;;X;fa;FA123;FA000140740001;FA0001407400x;FB;"), "?;?;?;?;?;?;?;FB00014074000;");
    EXPECT_EQ(run("MD0;MD10;MD$;MD$x;FT2;FTx;TX1;RC0;ID1;UP5;"), "?;?;MD$2;?;?;?;?;?;?;?;");
    EXPECT_EQ(state.vfoA, before.vfoA);
    EXPECT_EQ(state.mode, before.mode);
    EXPECT_FALSE(state.split);
}

// The commands an independent K4 client sends while it opens the radio and
// works its VFOs: each query's answer, and each set read back.
TEST_F(Interpreter, ClientHandshakeAndSettings) {
    const std::vector<std::pair<std::string, std::string>> exchanges = {
        {"ID;K22;K2;K3;K31;K3;OM;RVM;", "ID017;K22;K30;K31;OM AP-S----4---;RVM02.45;"},
        {"AI;AI2;AI;AI4;AI;AI3;AI;", "AI0;AI2;AI4;?;AI4;"},
        {"K24;K2;PS;SB;", "?;K22;PS1;SB0;"},
        {"FR;FR1;FR;FR2;", "FR0;FR1;?;"},
        {"DT;DT3;DT$2;DT;DT$;DT4;", "DT0;DT3;DT$2;?;"},
        {"BW;BW0050;BW$0270;BW;BW$;BW50;", "BW0280;BW0050;BW$0270;?;"},
        {"TQ;TX;TQ;RX;", "TQ0;TQ1;"},
    };
    for (const auto& [sent, answered] : exchanges) EXPECT_EQ(run(sent), answered) << sent;
}

TEST_F(Interpreter, InformationAnswerHasItsFields) {
    EXPECT_EQ(run("IF;"), "IF00014074000     +000000 0002000001 ;");
    state.ritOffset = -120;
    EXPECT_EQ(run("FA00007010000;MD6;DT2;FR1;FT1;TX;IF;"), "IF00007010000     -012000 0016101021 ;");
    EXPECT_EQ(run("IF;").size(), 38u);
}

TEST(ReplyQueue, BatchesLeaveInOrderWhenDue) {
    k4sim::ReplyQueue queue;
    const k4sim::ReplyQueue::TimePoint t0{};
    queue.push(t0, 50ms, "FA00014074000;");
    queue.push(t0 + 10ms, 10ms, "ID017;");  // due earlier, but queued later
    queue.push(t0 + 10ms, 0ms, "");         // nothing to send: not queued
    EXPECT_EQ(queue.nextDue(), t0 + 50ms);
    EXPECT_EQ(queue.takeDue(t0 + 49ms), "");
    EXPECT_EQ(queue.takeDue(t0 + 50ms), "FA00014074000;ID017;");
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.nextDue().has_value());
}

TEST(ReplyQueue, WithoutDelayIsDueAtOnce) {
    k4sim::ReplyQueue queue;
    const k4sim::ReplyQueue::TimePoint t0{};
    queue.push(t0, 0ms, "KS020;");
    queue.push(t0, 30ms, "MD2;");
    EXPECT_EQ(queue.takeDue(t0), "KS020;");
    EXPECT_EQ(queue.takeDue(t0 + 29ms), "");
    EXPECT_EQ(queue.takeDue(t0 + 31ms), "MD2;");
}

k4sim::RadioOptions alpha() {
    k4sim::RadioOptions options;
    options.name = "K4-Alpha";
    options.id = "K4A001";
    options.info = "K4 main";
    options.index = 1;
    return options;
}

TEST(DiscoveryAnswers, NamedAndRealShapes) {
    k4sim::Radio named(alpha(), true, {});
    EXPECT_EQ(named.discoveryAnswers("127.0.0.1"), std::vector<std::string>({"k4:K4-Alpha:K4 main:K4A001"}));
    auto options = alpha();
    options.shape = k4sim::AnswerShape::real;
    k4sim::Radio real(options, true, {});
    EXPECT_EQ(real.discoveryAnswers("10.1.2.3"), std::vector<std::string>({"k4:1:10.1.2.3:K4A001"}));
    options.ipText = "192.0.2.7";
    k4sim::Radio fixedIp(options, true, {});
    EXPECT_EQ(fixedIp.discoveryAnswers("10.1.2.3"), std::vector<std::string>({"k4:1:192.0.2.7:K4A001"}));
}

TEST(DiscoveryAnswers, FloodGivesDistinctIds) {
    k4sim::Radio radio(alpha(), true, {});
    k4sim::Faults faults;
    faults.flood = 3;
    radio.setFaults(faults);
    EXPECT_EQ(radio.discoveryAnswers("127.0.0.1"),
              std::vector<std::string>({"k4:K4-Alpha-1:K4 main:K4A001-1", "k4:K4-Alpha-2:K4 main:K4A001-2",
                                        "k4:K4-Alpha-3:K4 main:K4A001-3"}));
}

TEST(ControlRequests, StateFaultsAndMistakes) {
    k4sim::SimOptions options;
    options.radios = {alpha()};
    k4sim::Simulator simulator(options);  // not started: requests act on the radios directly
    auto ask = [&](const std::string& request) { return k4sim::controlAnswer(simulator, request); };
    EXPECT_EQ(ask("state K4-Alpha"), "ok fa=14074000 fb=14074000 split=0 fr=0 mode=2 submode=2 dt=0 dt$=0 bw=280 "
                                     "bw$=280 ks=20 tx=0 rejected=0");
    EXPECT_EQ(ask("faults K4-Alpha silent latency-ms=500 garbage=\\x01xx"), "ok");
    const k4sim::Faults faults = simulator.radio(0).faults();
    EXPECT_TRUE(faults.silent);
    EXPECT_EQ(faults.latencyMs, 500);
    EXPECT_EQ(faults.garbage, "\x01xx");
    EXPECT_EQ(ask("clear K4-Alpha"), "ok");
    EXPECT_FALSE(simulator.radio(0).faults().silent);
    EXPECT_EQ(ask("knob K4-Alpha fa=7010123 mode=3 split=1"), "ok seq=2");
    const std::string history = ask("history K4-Alpha 2");  // ok now=2 2:MS:...
    EXPECT_EQ(history.substr(0, 11), "ok now=2 2:");
    EXPECT_EQ(history.substr(history.find(':', 11)), ":7010123:14074000:3:1:0:k");
    EXPECT_EQ(ask("history K4-Alpha 3"), "ok now=2");
    EXPECT_EQ(ask("knob K4-Alpha mode=0"), "error number out of range");
    EXPECT_EQ(ask("knob K4-Alpha volume=3"), "error unknown knob 'volume'");
    EXPECT_EQ(ask("faults K4-Alpha halfopen"), "ok");
    EXPECT_TRUE(simulator.radio(0).halfOpen());
    EXPECT_EQ(ask("connections K4-Alpha"), "ok open=0 opened=0 received=0 sent=0");
    EXPECT_EQ(ask("state K4-Beta"), "error no radio named 'K4-Beta'");
    EXPECT_EQ(ask("reboot K4-Alpha -5"), "error number out of range");
    EXPECT_EQ(ask("faults K4-Alpha colour=red"), "error unknown fault 'colour'");
    EXPECT_EQ(ask("faults K4-Alpha latency-ms=x").rfind("error latency-ms: not a number", 0), 0u);
    EXPECT_EQ(ask("frobnicate K4-Alpha"), "error unknown request 'frobnicate'");
}

TEST(DiscoveryAnswers, PaddedNameIdTailAndChurn) {
    k4sim::Radio radio(alpha(), true, {});
    k4sim::Faults faults;
    faults.pad = 3;
    faults.idTail = "\x01\r\n";
    radio.setFaults(faults);
    EXPECT_EQ(radio.discoveryAnswers(""), std::vector<std::string>({"k4:K4-Alphaxxx:K4 main:K4A001\x01\r\n"}));
    faults = {};
    faults.flood = 2;
    faults.churn = true;
    radio.setFaults(faults);
    EXPECT_EQ(radio.discoveryAnswers(""), std::vector<std::string>({"k4:K4-Alpha-2:K4 main:K4A001-2",
                                                                    "k4:K4-Alpha-3:K4 main:K4A001-3"}));
    EXPECT_EQ(radio.discoveryAnswers("")[0], "k4:K4-Alpha-3:K4 main:K4A001-3");
}

// Each entry as "SEQ:FA:MODE:SPLIT:TX:CAUSE".
std::vector<std::string> historyOf(const k4sim::Radio& radio, uint64_t from) {
    std::vector<std::string> entries;
    for (const auto& e : radio.history(from))
        entries.push_back(std::to_string(e.seq) + ":" + std::to_string(e.state.vfoA) + ":" +
                          std::to_string(e.state.mode) + ":" + std::to_string(e.state.split) + ":" +
                          std::to_string(e.state.transmitting) + ":" + static_cast<char>(e.cause));
    return entries;
}

TEST(History, EveryWholeStateInOrderWithItsCause) {
    k4sim::Radio radio(alpha(), true, {});
    for (const char* command : {"FA00007010000", "FA", "FT1", "KS", "TX", "TX"}) radio.execute(0, command);
    EXPECT_EQ(radio.turnKnob({7010123, {}, 3, {}}), 5u);
    EXPECT_EQ(radio.turnKnob({}), 5u);  // nothing changed: no new state
    k4sim::Faults faults;
    faults.setKnobHz = 7;
    radio.setFaults(faults);
    radio.execute(0, "FA00007020000");
    EXPECT_EQ(radio.execute(0, "KS"), "KS020;");
    EXPECT_EQ(historyOf(radio, 0),
              std::vector<std::string>({"1:14074000:2:0:0:i", "2:7010000:2:0:0:c", "3:7010000:2:1:0:c",
                                        "4:7010000:2:1:1:c", "5:7010123:3:1:1:k", "6:7020000:3:1:1:c",
                                        "7:7020007:3:1:1:f"}));
    EXPECT_EQ(historyOf(radio, 7), std::vector<std::string>({"7:7020007:3:1:1:f"}));
    EXPECT_EQ(radio.currentSeq(), 7u);
}

k4sim::CommandLine parse(const std::vector<std::string>& args) { return k4sim::parseCommandLine(args); }

TEST(CommandLine, RadiosWithGlobalDefaultsAndOwnKeys) {
    const auto line = parse({"--radio", "name=K4-Alpha,id=K4A001,port=9201", "--latency-ms", "5", "--radio",
                             "name=K4-Beta,id=K4B002,port=9202,latency-ms=0,shape=real,fa=7010000,silent",
                             "--discovery-port", "9100", "--bind", "127.0.0.1", "--duration", "3"});
    const auto& radios = line.options.radios;
    ASSERT_EQ(radios.size(), 2u);
    EXPECT_EQ(radios[0].name, "K4-Alpha");
    EXPECT_EQ(radios[0].id, "K4A001");
    EXPECT_EQ(radios[0].port, 9201);
    EXPECT_EQ(radios[0].faults.latencyMs, 5);  // the default, though given after this radio
    EXPECT_EQ(radios[1].faults.latencyMs, 0);
    EXPECT_TRUE(radios[1].faults.silent);
    EXPECT_EQ(radios[1].shape, k4sim::AnswerShape::real);
    EXPECT_EQ(radios[1].initialState.vfoA, 7010000);
    EXPECT_EQ(line.options.bindAddress, "127.0.0.1");
    EXPECT_EQ(line.options.discoveryPort, 9100);
    EXPECT_EQ(line.durationSeconds, 3);
    EXPECT_FALSE(line.help);
}

TEST(CommandLine, OneDefaultRadioWithoutRadioOptions) {
    const auto line = parse({"--refuse", "--flood", "50", "--garbage", "\\r\\nxx\\x2C"});
    ASSERT_EQ(line.options.radios.size(), 1u);
    const auto& radio = line.options.radios[0];
    EXPECT_EQ(radio.name, "K4-1");
    EXPECT_EQ(radio.id, "K4SIM001");
    EXPECT_EQ(radio.port, 9200);
    EXPECT_FALSE(radio.listening);
    EXPECT_EQ(radio.faults.flood, 50);
    EXPECT_EQ(radio.faults.garbage, "\r\nxx,");
    EXPECT_TRUE(line.options.discovery);
    EXPECT_EQ(line.options.discoveryPort, 9100);
}

TEST(CommandLine, PtyAndRecordOptions) {
    const auto line = parse({"--pty-link", "/tmp/k4", "--record", "/tmp/rec", "--no-discovery", "--help"});
    EXPECT_TRUE(line.options.pty);
    EXPECT_EQ(line.options.ptyLink, "/tmp/k4");
    EXPECT_EQ(line.options.recordFile, "/tmp/rec");
    EXPECT_FALSE(line.options.discovery);
    EXPECT_TRUE(line.help);
}

TEST(CommandLine, MistakesAreReported) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--bogus"},          {"--radio"},         {"--radio", "colour=red"}, {"--radio", "port=70000"},
        {"--radio", "port=x"}, {"--latency-ms", "-1"}, {"--garbage", "a;b"},    {"--radio", "shape=round"},
        {"--radio", "mode=0"}, {"stray"},           {"--radio", "silent=maybe"}};
    for (const auto& args : wrong) EXPECT_THROW(parse(args), k4sim::UsageError) << args[0];
}

TEST(CommandLine, Unescape) {
    EXPECT_EQ(k4sim::unescape("a\\x3Ab\\\\c\\"), "a:b\\c\\");
    EXPECT_EQ(k4sim::unescape("\\xZZ"), "xZZ");
}

}  // namespace
