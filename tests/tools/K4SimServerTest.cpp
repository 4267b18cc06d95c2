// The simulator in-process on 127.0.0.1 with ports the system chooses,
// against plain TCP and UDP clients: the protocol on the wire, the record
// of received bytes, every fault option and the discovery answers.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/error.hpp>
#include <gtest/gtest.h>

#include "k4sim/Control.h"
#include "k4sim/Simulator.h"
#include "SimClient.h"

namespace {

using namespace std::chrono_literals;
using simtest::TcpClient;
using simtest::UdpProber;

k4sim::RadioOptions loopbackRadio(const std::string& name, const std::string& id) {
    k4sim::RadioOptions radio;
    radio.name = name;
    radio.id = id;
    radio.port = 0;
    return radio;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class K4SimServer : public ::testing::Test {
protected:
    void start(std::vector<k4sim::RadioOptions> radios = {loopbackRadio("K4-Alpha", "K4A001")}) {
        k4sim::SimOptions options;
        options.radios = std::move(radios);
        options.bindAddress = "127.0.0.1";
        options.discoveryBind = "127.0.0.1";
        options.discoveryPort = 0;
        options.recordFile = recordFile_;
        sim_ = std::make_unique<k4sim::Simulator>(options);
        sim_->start();
    }

    // A new client connected to the radio's port.
    std::unique_ptr<TcpClient> connect(std::size_t index = 0) {
        auto client = std::make_unique<TcpClient>();
        EXPECT_FALSE(client->connect(sim_->radio(index).port()));
        return client;
    }

    k4sim::Radio& radio(std::size_t index = 0) { return sim_->radio(index); }

    void setFaults(const k4sim::Faults& faults) { radio().setFaults(faults); }

    std::string recordFile_;
    std::unique_ptr<k4sim::Simulator> sim_;
};

TEST_F(K4SimServer, ReportsTheChosenPorts) {
    start({loopbackRadio("K4-Alpha", "K4A001"), loopbackRadio("K4-Beta", "K4B002")});
    EXPECT_NE(radio(0).port(), 0);
    EXPECT_NE(radio(1).port(), 0);
    EXPECT_NE(radio(0).port(), radio(1).port());
    EXPECT_NE(sim_->discoveryPort(), 0);
    EXPECT_EQ(sim_->findRadio("K4-Beta"), &radio(1));
    EXPECT_EQ(sim_->findRadio("K4-Gamma"), nullptr);
}

TEST_F(K4SimServer, AnswersThePollAndTheSetSequence) {
    start();
    auto client = connect();
    client->send("FA;FB;FT;MD;MD$;");
    EXPECT_EQ(client->readAnswers(5), "FA00014074000;FB00014074000;FT0;MD2;MD$2;");
    client->send("FA00007010000;MD7;FB00007012500;MD$7;FT1;KS;");
    EXPECT_EQ(client->readAnswers(1), "KS020;");  // the sets are not answered
    client->send("FA;FB;FT;MD;MD$;");
    EXPECT_EQ(client->readAnswers(5), "FA00007010000;FB00007012500;FT1;MD7;MD$7;");
    const auto state = radio().state();
    EXPECT_EQ(state.vfoA, 7010000);
    EXPECT_EQ(state.vfoB, 7012500);
    EXPECT_TRUE(state.split);
}

TEST_F(K4SimServer, StepsTransmitsClearsRitAndAnswersUnknownCommands) {
    auto options = loopbackRadio("K4-Alpha", "K4A001");
    options.protocol.stepHz = 50;
    options.initialState.ritOffset = 300;
    start({options});
    auto client = connect();
    client->send("UP;UP;DN;FA;TX;TQ;");
    EXPECT_EQ(client->readAnswers(2), "FA00014074050;TQ1;");
    EXPECT_TRUE(radio().state().transmitting);
    client->send("RX;RC;ID;XY;MD0;");
    EXPECT_EQ(client->readAnswers(3), "ID017;?;?;");
    EXPECT_FALSE(radio().state().transmitting);
    EXPECT_EQ(radio().state().ritOffset, 0);
}

TEST_F(K4SimServer, CommandSplitAcrossReadsIsOneCommand) {
    start();
    auto client = connect();
    // Each piece is sent only once the simulator has received the previous
    // one, so each arrives in a read of its own.
    client->send("F");
    ASSERT_TRUE(radio().waitForBytes(1, 5s));
    client->send("A;F");
    ASSERT_TRUE(radio().waitForBytes(4, 5s));
    client->send("B;");
    EXPECT_EQ(client->readAnswers(2), "FA00014074000;FB00014074000;");
    EXPECT_EQ(radio().commands(), std::vector<std::string>({"FA", "FB"}));
}

TEST_F(K4SimServer, RecordsExactBytesPerConnectionAndInTheFile) {
    const auto unique = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto path = std::filesystem::temp_directory_path() / ("k4sim-record-" + unique + ".bin");
    std::filesystem::remove(path);
    recordFile_ = path.string();
    start();
    auto first = connect();
    first->send("FA;\r\nID;");
    EXPECT_EQ(first->readAnswers(2), "FA00014074000;ID017;");
    auto second = connect();
    second->send("KS;ZZ;");
    EXPECT_EQ(second->readAnswers(2), "KS020;?;");

    const auto connections = radio().connections();
    ASSERT_EQ(connections.size(), 2u);
    EXPECT_EQ(connections[0].number, 1);
    EXPECT_EQ(connections[0].received, "FA;\r\nID;");
    EXPECT_EQ(connections[0].commands, std::vector<std::string>({"FA", "ID"}));
    EXPECT_EQ(connections[1].received, "KS;ZZ;");
    EXPECT_EQ(connections[1].commands, std::vector<std::string>({"KS", "ZZ"}));
    EXPECT_EQ(connections[1].peer.rfind("127.0.0.1:", 0), 0u);
    EXPECT_EQ(radio().received(), "FA;\r\nID;KS;ZZ;");
    EXPECT_EQ(radio().connectionCount(), 2u);

    sim_->stop();  // closes the connections and the file's last writer
    EXPECT_EQ(readFile(path), "FA;\r\nID;KS;ZZ;");
    EXPECT_FALSE(radio().connections()[0].open);
    radio().clearRecord();
    EXPECT_TRUE(radio().received().empty());
    EXPECT_TRUE(radio().commands().empty());
    sim_.reset();
    std::filesystem::remove(path);
}

TEST_F(K4SimServer, LatencyAndDripDelayTheAnswers) {
    struct Case {
        const char* what;
        k4sim::Faults faults;
        std::chrono::milliseconds atLeast;
    };
    k4sim::Faults late, drip;
    late.latencyMs = 150;
    drip.dripMs = 2;
    start();
    for (const auto& c : {Case{"latency", late, 150ms}, Case{"drip: 27 pauses between 28 bytes", drip, 54ms}}) {
        setFaults(c.faults);
        auto client = connect();
        const auto sent = std::chrono::steady_clock::now();
        client->send("FA;FB;");
        EXPECT_EQ(client->readAnswers(2), "FA00014074000;FB00014074000;") << c.what;
        // Only a lower bound: how much later the answers came depends on the machine.
        EXPECT_GE(std::chrono::steady_clock::now() - sent, c.atLeast) << c.what;
    }
}

TEST_F(K4SimServer, ClosesAfterTheConfiguredNumberOfCommands) {
    start();
    k4sim::Faults faults;
    faults.closeAfter = 2;
    setFaults(faults);
    auto client = connect();
    client->send("FA;FB;FT;");
    EXPECT_EQ(client->readToEnd(), "FA00014074000;FB00014074000;");
    EXPECT_TRUE(client->ended());
    EXPECT_EQ(radio().commands(), std::vector<std::string>({"FA", "FB"}));  // FT was never executed
    auto again = connect();  // a new connection counts from zero
    again->send("ID;");
    EXPECT_EQ(again->readAnswers(1), "ID017;");
}

TEST_F(K4SimServer, RefusesConnectionsWhileNotListening) {
    auto options = loopbackRadio("K4-Alpha", "K4A001");
    options.listening = false;
    start({options});
    const auto port = radio().port();
    ASSERT_NE(port, 0);
    TcpClient refused;
    EXPECT_EQ(refused.connect(port), boost::asio::error::connection_refused);
    sim_->setListening(0, true);
    auto client = connect();
    client->send("ID;");
    EXPECT_EQ(client->readAnswers(1), "ID017;");
    sim_->setListening(0, false);
    TcpClient refusedAgain;
    EXPECT_EQ(refusedAgain.connect(port), boost::asio::error::connection_refused);
    client->send("FA;");  // a connection made before keeps working
    EXPECT_EQ(client->readAnswers(1), "FA00014074000;");
    // The control port does the same by the fault's key; clear listens again.
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "clear K4-Alpha"), "ok");
    EXPECT_FALSE(TcpClient().connect(port));
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "faults K4-Alpha refuse=1"), "ok");
    EXPECT_EQ(TcpClient().connect(port), boost::asio::error::connection_refused);
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "faults K4-Alpha refuse=0"), "ok");
    EXPECT_FALSE(TcpClient().connect(port));
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "faults K4-Alpha refuse=maybe"), "error refuse: expected 1 or 0: 'maybe'");
}

TEST_F(K4SimServer, CutWritesPartOfTheAnswersThenHangsUp) {
    start();
    k4sim::Faults faults;
    faults.cut = 20;
    setFaults(faults);
    auto client = connect();
    client->send("FA;FB;");
    EXPECT_EQ(client->readToEnd(), "FA00014074000;FB0001");
    EXPECT_TRUE(client->ended());
}

TEST_F(K4SimServer, RebootRefusesForAWhileAndKeepsTheState) {
    start();
    auto client = connect();
    client->send("FA00007010000;");
    ASSERT_TRUE(radio().waitForCommands(1, 5s));
    sim_->reboot(0, 300ms);
    EXPECT_EQ(client->readToEnd(), "");
    EXPECT_TRUE(client->ended());
    TcpClient refused;
    EXPECT_EQ(refused.connect(radio().port()), boost::asio::error::connection_refused);
    std::this_thread::sleep_for(400ms);  // the fault's own duration, not a time-out under test
    auto again = connect();
    again->send("FA;");
    EXPECT_EQ(again->readAnswers(1), "FA00007010000;");
}

TEST_F(K4SimServer, InjectSendsUnaskedBytesAfterQueuedAnswers) {
    start();
    auto client = connect();
    client->send("ID;");
    EXPECT_EQ(client->readAnswers(1), "ID017;");
    EXPECT_EQ(sim_->injectAll(0, "xyz"), 1u);
    client->send("ID;");
    EXPECT_EQ(client->readAnswers(1), "xyzID017;");
}

TEST_F(K4SimServer, SilentRadioRecordsButNeverAnswers) {
    start();
    k4sim::Faults faults;
    faults.silent = true;
    setFaults(faults);
    auto client = connect();
    client->send("FA;KS;");
    ASSERT_TRUE(radio().waitForCommands(2, 5s));
    setFaults({});
    client->send("ID;");
    // Had FA or KS been answered, those answers would come first.
    EXPECT_EQ(client->readAnswers(1), "ID017;");
    EXPECT_EQ(radio().received(), "FA;KS;ID;");
}

TEST_F(K4SimServer, GarbageGoesBeforeAndStrayAnswersAfterEveryAnswer) {
    start();
    k4sim::Faults faults;
    faults.garbage = "\r\n#";
    faults.stray = "?;";
    setFaults(faults);
    auto client = connect();
    client->send("FA;FT0;ID;");
    EXPECT_EQ(client->readAnswers(4), "\r\n#FA00014074000;?;\r\n#ID017;?;");
}

TEST_F(K4SimServer, HalfOpenStallsWritesKeepsTheLinkAndResetsItWhenCleared) {
    start();
    auto client = connect();
    client->send("ID;");
    EXPECT_EQ(client->readAnswers(1), "ID017;");
    k4sim::Faults faults;
    faults.halfOpen = true;
    setFaults(faults);
    // A reading radio takes 16 MiB at once; this one stalls the writes once
    // its receive buffer and the client's send buffer are full: about 70 KB
    // natively, about 3 MB where the segment size cannot be limited.
    EXPECT_LT(client->sendUntilStalled(16 << 20, 300ms), 8u << 20);
    EXPECT_EQ(radio().commands(), std::vector<std::string>({"ID"}));  // nothing after the fault was read
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "connections K4-Alpha"), "ok open=1 opened=1 received=3 sent=6");
    auto during = connect();  // a connection made during the fault is held as well
    during->send("ID;");
    ASSERT_TRUE(radio().waitForConnections(2, 5s));
    EXPECT_EQ(sim_->injectAll(0, ""), 2u);  // runs on the simulator's thread once the accept is done

    setFaults({});
    EXPECT_EQ(client->readToEnd(), "");
    EXPECT_TRUE(client->ended());
    EXPECT_EQ(during->readToEnd(), "");
    EXPECT_TRUE(during->ended());
    EXPECT_EQ(radio().commands(), std::vector<std::string>({"ID"}));
    auto after = connect();
    after->send("ID;");
    EXPECT_EQ(after->readAnswers(1), "ID017;");
    EXPECT_EQ(radio().linkCounts().opened, 3);
}

// An answer that ends a poll or a Set is marked once written, with its
// connection and the state it gave; one that was cut off or never sent is not.
TEST_F(K4SimServer, MarksEachPollAndSetAnsweredInFull) {
    start();
    const auto ask = [&](const std::string& request) { return k4sim::controlAnswer(*sim_, request); };
    auto client = connect();
    client->send("FA;FB;FT;MD;MD$;");
    EXPECT_EQ(client->readAnswers(5), "FA00014074000;FB00014074000;FT0;MD2;MD$2;");
    client->send("FA00007010000;MD3;FT0;KS;UP;XY;");
    EXPECT_EQ(client->readAnswers(2), "KS020;?;");
    ASSERT_TRUE(radio().waitForAnswers(2, 5s));
    EXPECT_EQ(ask("answers K4-Alpha 1"), "ok now=2 rejected=1 1:1:1:p 2:1:3:k");
    const std::string step = ask("history K4-Alpha 4");
    EXPECT_EQ(step.substr(step.rfind(':')), ":u");  // the UP
    k4sim::Faults silent;
    silent.silent = true;
    setFaults(silent);
    client->send("FA;FB;FT;MD;MD$;");
    ASSERT_TRUE(radio().waitForCommands(16, 5s));
    k4sim::Faults cut;
    cut.cut = 20;
    setFaults(cut);
    client->send("FA;FB;FT;MD;MD$;");
    EXPECT_EQ(client->readToEnd(), "FA00007010010;FB0001");
    setFaults({});
    auto next = connect();
    next->send("MD$;");
    EXPECT_EQ(next->readAnswers(1), "MD$2;");
    ASSERT_TRUE(radio().waitForAnswers(3, 5s));
    EXPECT_EQ(ask("answers K4-Alpha 3"), "ok now=3 rejected=1 3:2:4:p");  // the cut and the silent poll left none
}

TEST_F(K4SimServer, HalfOpenNotesTheBytesLeftUnreadEvenAfterAReset) {
    start();
    auto client = connect();
    k4sim::Faults faults;
    faults.halfOpen = true;
    setFaults(faults);
    client->send(std::string(3000, 'x'));  // the read pending as the fault began takes up to 256 of them
    client->reset();  // the system throws the waiting bytes away; they still count
    for (int look = 0; look < 100 && radio().unreadPeak() < 2000; ++look) std::this_thread::sleep_for(50ms);
    EXPECT_GE(radio().unreadPeak(), 2744u);
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "unread K4-Alpha"), "ok unread=" + std::to_string(radio().unreadPeak()));
    setFaults({});
    for (int look = 0; look < 100 && radio().linkCounts().open > 0; ++look) std::this_thread::sleep_for(10ms);
    setFaults(faults);  // the held connection is gone: the count starts afresh
    EXPECT_EQ(k4sim::controlAnswer(*sim_, "unread K4-Alpha"), "ok unread=0");
}

TEST_F(K4SimServer, DisconnectAllHangsUpOpenConnections) {
    start();
    auto client = connect();
    ASSERT_TRUE(radio().waitForConnections(1, 5s));
    sim_->disconnectAll(0);
    EXPECT_EQ(client->readToEnd(), "");
    EXPECT_TRUE(client->ended());
}

TEST_F(K4SimServer, EachRadioHasItsOwnState) {
    start({loopbackRadio("K4-Alpha", "K4A001"), loopbackRadio("K4-Beta", "K4B002")});
    auto alpha = connect(0);
    auto beta = connect(1);
    alpha->send("FA00007010000;FA;");
    EXPECT_EQ(alpha->readAnswers(1), "FA00007010000;");
    beta->send("FA;");
    EXPECT_EQ(beta->readAnswers(1), "FA00014074000;");
}

TEST_F(K4SimServer, EveryRadioAnswersTheProbeInItsShape) {
    auto beta = loopbackRadio("K4-Beta", "K4B002");
    beta.shape = k4sim::AnswerShape::real;
    start({loopbackRadio("K4-Alpha", "K4A001"), beta});
    UdpProber prober;
    prober.send(sim_->discoveryPort(), "findk4");
    const auto answers = prober.receive(2);
    ASSERT_EQ(answers.size(), 2u);
    std::set<std::string> texts = {answers[0].first, answers[1].first};
    EXPECT_EQ(texts, std::set<std::string>({"k4:K4-Alpha:K4:K4A001", "k4:0:127.0.0.1:K4B002"}));
    EXPECT_EQ(answers[0].second.address().to_string(), "127.0.0.1");
    EXPECT_EQ(sim_->probeCount(), 1u);
}

TEST_F(K4SimServer, RadioOnItsOwnAddressListensAndAnswersThere) {
    auto beta = loopbackRadio("K4-Beta", "K4B002");
    beta.bindAddress = "127.0.0.2";
    beta.shape = k4sim::AnswerShape::real;
    start({beta});
    UdpProber prober;
    prober.send(sim_->discoveryPort(), "findk4");
    const auto answers = prober.receive(1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].first, "k4:0:127.0.0.2:K4B002");  // the answer's source address: K4SimSourceAddressTest
    TcpClient onLoopback;  // 127.0.0.1: nobody listens there
    EXPECT_EQ(onLoopback.connect(radio().port()), boost::asio::error::connection_refused);
    EXPECT_FALSE(radio().waitForConnections(1, 0ms));
}

TEST_F(K4SimServer, OtherDatagramsAreRecordedButNotAnswered) {
    start();
    UdpProber prober;
    prober.send(sim_->discoveryPort(), "findk4\n");
    prober.send(sim_->discoveryPort(), "findk4");
    ASSERT_TRUE(sim_->waitForProbes(1, 5s));
    const auto answers = prober.receive(1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].first, "k4:K4-Alpha:K4:K4A001");
    EXPECT_EQ(sim_->discoveryDatagrams(), std::vector<std::string>({"findk4\n", "findk4"}));
    EXPECT_EQ(sim_->probeCount(), 1u);
}

TEST_F(K4SimServer, FloodAnswersEachProbeWithDistinctIds) {
    start();
    k4sim::Faults faults;
    faults.flood = 40;
    setFaults(faults);
    UdpProber prober;
    prober.send(sim_->discoveryPort(), "findk4");
    const auto answers = prober.receive(40);
    std::set<std::string> texts;
    for (const auto& answer : answers) texts.insert(answer.first);
    EXPECT_EQ(texts.size(), 40u);
    EXPECT_EQ(texts.count("k4:K4-Alpha-1:K4:K4A001-1"), 1u);
    EXPECT_EQ(texts.count("k4:K4-Alpha-40:K4:K4A001-40"), 1u);
}

TEST_F(K4SimServer, StartFailsOnAPortInUse) {
    start();
    auto options = loopbackRadio("K4-Clash", "K4C003");
    options.port = radio().port();
    k4sim::SimOptions clash;
    clash.radios = {options};
    clash.bindAddress = "127.0.0.1";
    clash.discovery = false;
    k4sim::Simulator second(clash);
    EXPECT_THROW(second.start(), std::exception);
}

}  // namespace
