// The network rig against a simulated radio that stops reading and answering
// but keeps its TCP connection open, as a K4 that lost power or its network:
// the rig gives the link up after three unanswered polls (on the rig's
// injected clock) and, once the radio is back, follows it again; and nothing
// the logger asked of the dead link reaches the radio later. The radio's own
// state and record decide what happened.
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <boost/asio/ip/udp.hpp>
#include <gtest/gtest.h>

#include "core/RigHarness.h"
#include "core/RigNetwork.h"
#include "core/TempLogFolder.h"
#include "k4sim/Simulator.h"
#include "support/Eventually.h"
#include "support/TempIniFolder.h"

namespace {

using namespace std::chrono_literals;
using testsupport::eventually;
using coretest::check;
using coretest::frequencyOf;
using coretest::kSecond;
using coretest::launch;


class DeadRadioTest : public ::testing::Test {
protected:
    DeadRadioTest() {
        k4sim::SimOptions options;
        k4sim::RadioOptions radio;
        radio.port = 0;
        options.radios = {radio};
        options.bindAddress = "127.0.0.1";
        options.discovery = false;
        sim.emplace(options);
        sim->start();
        ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1", std::to_string(radio_().port()));
        log->openInFolder(logFolder.path());

        HRESULT hr = E_FAIL;
        auto* object = com::ComObject<CQbRig>::create(&hr, clock.clock());
        const boost::asio::ip::udp::endpoint from(boost::asio::ip::address_v4::loopback(), 9100);
        EXPECT_TRUE(object->bind(K4Ip::Discovered(std::make_shared<K4Ip::DiscoveredImpl>(from, "K4", "", "K4SIM001")), 0));
        object->setLog(log);
        object->setInstanceNumber(1);
        rig = com::ComPtr<IQbRig>::adopt(object);
    }

    k4sim::Radio& radio_() { return sim->radio(0); }

    // The operator turns the knob: the radio's state changes on its side.
    void turnKnob(int64_t hertz) {
        k4sim::RadioState state = radio_().state();
        state.vfoA = hertz;
        radio_().setState(state);
    }
    void setHalfOpen(bool on) {
        k4sim::Faults faults = radio_().faults();
        faults.halfOpen = on;
        radio_().setFaults(faults);
    }

    // Polls until the rig shows the radio's VFO A.
    bool follows(double kilohertz) {
        clock.advance(2 * kSecond);
        EXPECT_EQ(launch(rig.get()), 10);
        return eventually([&] { return check(rig.get()).hr == S_OK && frequencyOf(rig.get()).rcv == kilohertz; });
    }

    // Three polls unanswered, 2 s apart, and the last one's time-out.
    void leaveThreePollsUnanswered() {
        for (int i = 0; i < 3; ++i) {
            clock.advance(2 * kSecond);
            EXPECT_EQ(launch(rig.get()), 10);
        }
        clock.advance(2 * kSecond);
    }

    // Refused sends, as a logger goes on sending, until a tenth in a row
    // reconnects (a connect that takes longer than its second leaves the
    // link down until the next ten).
    void sendUntilReconnected() {
        for (int i = 0; i < 100 && check(rig.get()).hr == E_FAIL; ++i) EXPECT_EQ(rig->ClearRIT(), S_OK);
        EXPECT_EQ(check(rig.get()).hr, S_OK);
    }

    std::vector<std::string> logLines() {
        rig.reset();
        log.reset();
        return logFolder.entryLines();
    }

    testsupport::TempIniFolder ini;
    std::optional<k4sim::Simulator> sim;
    coretest::TempLogFolder logFolder;
    testsupport::TestClock clock;
    std::shared_ptr<LogTrail> log = std::make_shared<LogTrail>(clock.clock());
    com::ComPtr<IQbRig> rig;
};

TEST_F(DeadRadioTest, ASilentRadioLosesItsLinkAndIsFollowedAgainWhenBack) {
    turnKnob(7010000);
    ASSERT_TRUE(follows(7010.0));

    setHalfOpen(true);
    turnKnob(7020000);
    leaveThreePollsUnanswered();
    EXPECT_EQ(check(rig.get()).hr, E_FAIL) << "the link is given up, not shown as live";
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 7010.0);

    setHalfOpen(false);
    turnKnob(7030000);
    sendUntilReconnected();
    EXPECT_TRUE(radio_().waitForConnections(2, 2000ms));
    EXPECT_TRUE(follows(7030.0));
}

// The transmitter keyed on a link whose writes stalled must not be keyed
// later on the next one. The logger tunes and keys on while the radio has
// stopped reading, until the link is given up with its queue full; then the
// unkey is refused. Every command the dead link never wrote (keying among
// them) is dropped and logged, and the radio, back again, carries out none.
TEST_F(DeadRadioTest, CommandsADeadLinkNeverWroteNeverReachTheRadio) {
    turnKnob(7010000);
    ASSERT_TRUE(follows(7010.0));
    setHalfOpen(true);
    LONG time = 0;
    bool lost = false;
    for (int i = 1; i < 2'000'000 && !lost; ++i) {
        ASSERT_EQ(i % 500 == 0 ? rig->Xmit(1, &time) : rig->TuneFrequency(10, &time), S_OK);
        lost = check(rig.get()).hr == E_FAIL;
    }
    ASSERT_TRUE(lost);
    setHalfOpen(false);  // the radio is back before the link is renewed
    ASSERT_EQ(rig->Xmit(0, &time), S_OK);  // refused: the link is down
    sendUntilReconnected();
    // Once a poll of the new link shows the knob's value, the radio has
    // carried out everything written before it: no step of the dead link.
    turnKnob(7040000);
    EXPECT_TRUE(follows(7040.0));
    EXPECT_FALSE(radio_().state().transmitting);
    const auto commands = radio_().commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "TX"), 0);

    const auto lines = logLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.substr(10) == "dropped unsent \"TX;\"";
    }));
}

}  // namespace
