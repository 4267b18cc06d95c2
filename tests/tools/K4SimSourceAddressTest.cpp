// Native only: a radio on an address of its own answers probes from that
// address, which is where a prober then connects. (Wine ties a UDP socket
// bound to one address to that address's interface instead, so there the
// source shows as the interface's first address.)
#include <memory>

#include <gtest/gtest.h>

#include "k4sim/Simulator.h"
#include "SimClient.h"

namespace {

TEST(K4SimSourceAddress, AnswerLeavesFromTheRadiosAddress) {
    k4sim::RadioOptions beta;
    beta.port = 0;
    beta.bindAddress = "127.0.0.2";
    k4sim::SimOptions options;
    options.radios = {beta};
    options.discoveryBind = "127.0.0.1";
    options.discoveryPort = 0;
    k4sim::Simulator sim(options);
    sim.start();
    simtest::UdpProber prober;
    prober.send(sim.discoveryPort(), "findk4");
    const auto answers = prober.receive(1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].second.address().to_string(), "127.0.0.2");
}

}  // namespace
