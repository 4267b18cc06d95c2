// The TCP rig client against a real peer on 127.0.0.1. Real time matters
// here only where the client itself waits on a blocking primitive (the
// one-second connect wait, the 50 ms run slice); those bounds are checked
// generously, and everything else waits for an event with a time limit.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <boost/asio/ip/address.hpp>
#include <gtest/gtest.h>

#include "net/RigClient.h"
#include "net/RigClientImpl.h"
#include "support/LoopbackPeer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using K4Ip::RigClient;
using testsupport::LoopbackPeer;

const boost::asio::ip::address kLoopback = boost::asio::ip::address_v4::loopback();

std::string textOf(const std::shared_ptr<std::vector<char>>& bytes) { return {bytes->begin(), bytes->end()}; }

template <typename Condition>
bool eventually(Condition condition, Clock::duration limit = 2s) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::string receiveAtLeast(RigClient& client, std::size_t count) {
    std::string received;
    eventually([&] {
        received += textOf(client.receive());
        return received.size() >= count;
    });
    return received;
}

// Bytes that differ from their neighbours, so that a misplaced slice shows.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned value = 1;
    for (char& byte : bytes) {
        value = value * 1103515245u + 12345u;
        byte = static_cast<char>('A' + (value >> 16) % 26);
    }
    return bytes;
}

class RigClientTest : public ::testing::Test {
protected:
    ~RigClientTest() override { client.stop(); }

    void connectClient() {
        client = RigClient(kLoopback, peer.port());
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(peer.accept());
    }

    LoopbackPeer peer;
    RigClient client;
};

TEST_F(RigClientTest, TextsArriveInOrderAndExactlyConcatenated) {
    connectClient();
    ASSERT_TRUE(client.send("FA;"));
    ASSERT_TRUE(client.send("FB00007040000;"));
    ASSERT_TRUE(client.send("MD$;"));

    EXPECT_EQ(peer.read(21), "FA;FB00007040000;MD$;");
    EXPECT_EQ(peer.read(1, 100ms), "") << "nothing added";
}

TEST_F(RigClientTest, ManyQueuedTextsKeepTheirOrder) {
    connectClient();
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        const std::string text = "FA" + std::to_string(10000000000 + i) + ";";
        ASSERT_TRUE(client.send(text));
        expected += text;
    }
    EXPECT_EQ(peer.read(expected.size()), expected);
}

TEST_F(RigClientTest, EmptyTextIsAcceptedAndPutsNothingOnTheWire) {
    connectClient();
    EXPECT_TRUE(client.send(""));
    ASSERT_TRUE(client.send("RX;"));
    EXPECT_EQ(peer.read(3), "RX;");
    EXPECT_EQ(peer.read(1, 100ms), "");
}

TEST_F(RigClientTest, ReceiveReturnsTheBytesInArrivalOrderOnce) {
    connectClient();
    ASSERT_TRUE(peer.write("FA00014074000;"));
    ASSERT_TRUE(peer.write("FB00007040000;"));
    EXPECT_EQ(receiveAtLeast(client, 28), "FA00014074000;FB00007040000;");
    EXPECT_EQ(textOf(client.receive()), "");
}

TEST_F(RigClientTest, RadioClosingTheLinkIsSeenWithinARunSliceAndItsBytesStayFetchable) {
    connectClient();
    ASSERT_TRUE(peer.write("FA00014074000;"));
    peer.closeConnection();
    const auto closed = Clock::now();

    ASSERT_TRUE(eventually([&] { return !client.isConnected(); }, 300ms));
    std::printf("link loss seen after %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - closed).count()));
    EXPECT_EQ(textOf(client.receive()), "FA00014074000;");
    EXPECT_FALSE(client.send("FA;"));
}

TEST_F(RigClientTest, StopAfterTheLinkEndedReturnsAtOnceAndDropsWhatWasReceived) {
    connectClient();
    ASSERT_TRUE(peer.write("FA00014074000;"));
    peer.closeConnection();
    ASSERT_TRUE(eventually([&] { return !client.isConnected(); }));

    const auto start = Clock::now();
    client.stop();
    EXPECT_LT(Clock::now() - start, 40ms);
    EXPECT_EQ(textOf(client.receive()), "");
}

TEST_F(RigClientTest, UnfetchedBytesKeepTheNewest16384FromAChunkBoundary) {
    connectClient();
    const std::string sent = pattern(20000);
    ASSERT_TRUE(peer.write(sent));
    // The end of stream comes after every byte, so once the client has seen
    // it, it has read them all.
    peer.closeConnection();
    ASSERT_TRUE(eventually([&] { return !client.isConnected(); }));

    const std::string kept = textOf(client.receive());
    EXPECT_LE(kept.size(), 16384u);
    EXPECT_GT(kept.size(), 16384u - K4Ip::RigClientImpl::kReadSize);
    EXPECT_EQ(kept, sent.substr(sent.size() - kept.size()));
}

// The bound at its edge. Each block is one write of the peer and arrives at
// once, so the client reads it in full 64-byte chunks: 16384 bytes are all
// kept, and of 16448 exactly the newest 16384 (the oldest chunk goes).
TEST_F(RigClientTest, UnfetchedBytesAtTheBoundAreKeptExactly) {
    for (const std::size_t sent : {std::size_t{16384}, std::size_t{16448}}) {
        client.stop();
        connectClient();
        const std::string bytes = pattern(sent);
        ASSERT_TRUE(peer.write(bytes));
        peer.closeConnection();
        ASSERT_TRUE(eventually([&] { return !client.isConnected(); }));
        EXPECT_TRUE(textOf(client.receive()) == bytes.substr(sent - 16384)) << sent << " bytes sent";
    }
}

TEST_F(RigClientTest, ReconnectOnAConnectedClientReturnsAtOnceAndKeepsTheLink) {
    connectClient();
    const auto start = Clock::now();
    client.reconnect();
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_FALSE(peer.accept(100ms)) << "no second connection";
    ASSERT_TRUE(client.send("FA;"));
    EXPECT_EQ(peer.read(3), "FA;");
}

TEST_F(RigClientTest, ReconnectAfterADropResumesReadsAndWrites) {
    connectClient();
    peer.closeConnection();
    ASSERT_TRUE(eventually([&] { return !client.isConnected(); }));

    client.reconnect();
    ASSERT_TRUE(client.isConnected());
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(client.send("FB;"));
    EXPECT_EQ(peer.read(3), "FB;");
    ASSERT_TRUE(peer.write("FB00007040000;"));
    EXPECT_EQ(receiveAtLeast(client, 14), "FB00007040000;");
}

// The read pending when a connection is stopped completes as "aborted"; it
// must not reach, and end, the next connection.
TEST_F(RigClientTest, ReconnectAfterStopResumesReadsAndWrites) {
    connectClient();
    client.stop();
    client.reconnect();
    ASSERT_TRUE(client.isConnected());
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(client.send("FA;"));
    EXPECT_EQ(peer.read(3), "FA;");
    ASSERT_TRUE(peer.write("FA00014074000;"));
    EXPECT_EQ(receiveAtLeast(client, 14), "FA00014074000;");
    EXPECT_TRUE(client.isConnected());
}

TEST(RigClientLink, RefusedConnectReturnsAfterAboutOneSecondAndRefusesTexts) {
    const auto start = Clock::now();
    RigClient client(kLoopback, testsupport::closedPort());
    const auto waited = Clock::now() - start;

    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 3s);
    EXPECT_FALSE(client.isConnected());
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(client.send("FA;"));
    }
    EXPECT_EQ(textOf(client.receive()), "");
    client.stop();
}

TEST(RigClientLink, StopWhileTheConnectIsPendingReturnsPromptly) {
    testsupport::UnansweredListener listener;
    RigClient client(kLoopback, listener.port());
    ASSERT_FALSE(client.isConnected());

    const auto start = Clock::now();
    client.stop();
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_FALSE(client.isConnected());
}

// A reconnect while the previous attempt still waits for an answer ends that
// attempt (one run slice) instead of waiting for the system to give it up.
TEST(RigClientLink, ReconnectWhileTheConnectIsPendingEndsThatAttempt) {
    testsupport::UnansweredListener listener;
    RigClient client(kLoopback, listener.port());
    ASSERT_FALSE(client.isConnected());

    const auto start = Clock::now();
    client.reconnect();
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 900ms) << "the new attempt had its second";
    EXPECT_LT(waited, 3s);
    EXPECT_FALSE(client.isConnected());
    client.stop();
}

// A text larger than the socket can take at once goes out in several writes;
// all of it must arrive, and the next text only after it.
TEST(RigClientLink, PartialWritesStillDeliverWholeTextsInOrder) {
    LoopbackPeer slowPeer(4096);
    RigClient client(kLoopback, slowPeer.port());
    ASSERT_TRUE(client.isConnected());
    ASSERT_TRUE(slowPeer.accept());

    const std::string large = pattern(8 << 20) + ";";
    ASSERT_TRUE(client.send(large));
    // Once its first bytes arrive the large text is being written, and the
    // next one waits behind it.
    std::string received = slowPeer.read(1);
    ASSERT_TRUE(client.send("FB;"));
    received += slowPeer.read(large.size() + 2, 15000ms);
    EXPECT_TRUE(received == large + "FB;");
    client.stop();
}

// A radio that accepts the link but never reads: texts queue up to the
// bound, the texts past it are refused (never dropped unseen), and the link
// is given up as lost. The next connection writes the queued texts first
// and then takes new ones.
TEST(RigClientLink, ARadioThatNeverReadsFillsABoundedQueueAndLosesTheLink) {
    LoopbackPeer radio(4096);
    RigClient client(kLoopback, radio.port());
    ASSERT_TRUE(client.isConnected());
    ASSERT_TRUE(radio.accept());

    const std::string poll = "FA;FB;FT;MD;MD$;";
    int refused = 0;
    for (int i = 0; i < 400000 && client.isConnected(); ++i) {
        if (!client.send(poll)) {
            ++refused;
            std::this_thread::sleep_for(1ms);  // time for the connection thread to give up
        }
    }
    ASSERT_FALSE(client.isConnected());
    EXPECT_GT(refused, 0);

    client.reconnect();
    ASSERT_TRUE(radio.accept());
    const std::string last = "FA00014074000;;;";  // as long as a poll, so that reads stay aligned
    EXPECT_TRUE(eventually([&] { return client.send(last); }));
    std::string chunk;
    for (int i = 0; i < 2000 && (chunk = radio.read(poll.size())) == poll; ++i) {
    }
    EXPECT_EQ(chunk, last);
    client.stop();
}

TEST(RigClientLink, AnUnboundHandleDoesNothing) {
    RigClient client;
    EXPECT_FALSE(client.isConnected());
    EXPECT_FALSE(client.send("FA;"));
    ASSERT_NE(client.receive(), nullptr);
    EXPECT_TRUE(client.receive()->empty());
    client.reconnect();
    client.stop();
}

// Operations pending when the client stops hold references to it; they must
// be completed then, not left in the service, or the client is never freed.
TEST(RigClientLink, AStoppedClientIsFreedWithTheLastReference) {
    LoopbackPeer peer;
    auto impl = K4Ip::RigClientImpl::create();
    impl->connect(kLoopback, peer.port());
    ASSERT_TRUE(impl->isConnected());
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(impl->send(std::make_shared<std::vector<char>>(3, ';')));
    EXPECT_EQ(peer.read(3), ";;;");

    const std::weak_ptr<K4Ip::RigClientImpl> watch = impl;
    impl->stop();
    impl.reset();
    EXPECT_TRUE(watch.expired());
}

// A client let go without stop keeps its connection; when the radio ends
// it, the client is destroyed on its own connection thread, which must not
// join itself (that aborts the host's process).
TEST(RigClientLink, AClientLetGoWithoutStopIsFreedWhenTheRadioCloses) {
    LoopbackPeer peer;
    auto impl = K4Ip::RigClientImpl::create();
    impl->connect(kLoopback, peer.port());
    ASSERT_TRUE(impl->isConnected());
    ASSERT_TRUE(peer.accept());

    const std::weak_ptr<K4Ip::RigClientImpl> watch = impl;
    impl.reset();
    EXPECT_FALSE(watch.expired()) << "the connection keeps its client";
    peer.closeConnection();
    EXPECT_TRUE(eventually([&] { return watch.expired(); }));
}

}  // namespace
