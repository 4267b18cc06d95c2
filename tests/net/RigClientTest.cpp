// The TCP rig client against a real peer on 127.0.0.1. Real time matters
// here only where the client itself waits on a blocking primitive (the
// one-second connect wait, the 50 ms run slice); those bounds are checked
// generously, and everything else waits for an event with a time limit.
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>
#include <gtest/gtest.h>

#include "net/RigClient.h"
#include "net/RigClientImpl.h"
#include "support/Eventually.h"
#include "support/LoopbackPeer.h"
#include "support/RigClientTestAccess.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using K4Ip::RigClient;
using testsupport::LoopbackPeer;
using testsupport::eventually;

const boost::asio::ip::address kLoopback = boost::asio::ip::address_v4::loopback();

std::string textOf(const std::shared_ptr<std::vector<char>>& bytes) { return {bytes->begin(), bytes->end()}; }


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

// A radio that stopped reading while a long text was being written: the
// link is up, and every text sent now waits in the client's queue.
class StalledLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(radio.accept());
        ASSERT_TRUE(client.send(pattern(4 << 20)));
        // Once its first byte has come, the long text is being written.
        ASSERT_EQ(radio.read(1).size(), 1u);
    }
    void TearDown() override { client.stop(); }

    LoopbackPeer radio{4096};
    RigClient client{kLoopback, radio.port()};
};

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
// is given up as lost. The next connection starts with an empty queue.
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
    EXPECT_FALSE(client.takeUnsent().empty());

    client.reconnect();
    ASSERT_TRUE(radio.accept());
    ASSERT_TRUE(client.send("RC;"));
    EXPECT_EQ(radio.read(3), "RC;");
}

// A link that stalls with texts queued (the radio stopped reading in the
// middle of a long text): when it ends, what it never wrote whole (the text
// being written first) is set aside, once, and the next connection writes
// only what it is given itself.
TEST_F(StalledLinkTest, TextsALinkNeverWroteAreSetAsideNotReplayed) {
    ASSERT_TRUE(client.send("TX;"));
    ASSERT_TRUE(client.send("UP;"));
    radio.closeConnection();
    ASSERT_TRUE(eventually([&] { return !client.isConnected(); }));
    EXPECT_FALSE(client.send("RX;"));

    const std::vector<std::string> unsent = client.takeUnsent();
    ASSERT_EQ(unsent.size(), 3u);
    EXPECT_TRUE(unsent[0] == pattern(4 << 20)) << "the text being written";
    EXPECT_EQ(std::vector<std::string>(unsent.begin() + 1, unsent.end()), (std::vector<std::string>{"TX;", "UP;"}));
    EXPECT_TRUE(client.takeUnsent().empty());
    client.reconnect();
    ASSERT_TRUE(radio.accept());
    ASSERT_TRUE(client.send("RC;"));
    EXPECT_EQ(radio.read(3), "RC;");
    EXPECT_EQ(radio.read(1, 100ms), "");
}

// Exactly 16384 bytes may wait behind the text being written; one more
// byte is refused.
TEST_F(StalledLinkTest, TheQueueTakesExactly16384Bytes) {
    const std::string quarter(4096, 'U');
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(client.send(quarter)) << i;
    EXPECT_FALSE(client.send(";"));
}

// A link given up as lost is reset: the system discards what it took but
// has not delivered (here megabytes of the long text), which a radio whose
// network comes back would otherwise still receive. It gets no more than its
// own receive buffer already held. A link stopped with its queue written
// closes in order.
TEST_F(StalledLinkTest, ALinkGivenUpDeliversNothingMore) {
    client.abandon();
    EXPECT_FALSE(client.isConnected());
    EXPECT_LT(radio.readToEnd(), 16384u);
}

TEST_F(RigClientTest, AStoppedLinkWithItsQueueWrittenClosesInOrder) {
    connectClient();
    ASSERT_TRUE(client.send("RX;"));
    client.stop();
    EXPECT_EQ(peer.read(3), "RX;");
    EXPECT_EQ(peer.readToEnd(), 0u);
}

TEST_F(StalledLinkTest, StopGivesUpOnAStalledQueueWithinItsWait) {
    ASSERT_TRUE(client.send("TX;"));
    const auto start = Clock::now();
    client.stop();
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_FALSE(client.isConnected());
}

// A connection whose end the test holds at one step, on its own thread,
// while the host's side looks at the client; the link is ended from the
// host's side (abandon, on a thread of its own as it joins the connection).
class EndingConnectionTest : public ::testing::Test {
protected:
    using Step = K4Ip::RigClientImpl::EndingStep;

    void holdAt(Step held, std::function<void()> atRunLoopEnd = [] {}) {
        K4Ip::RigClientTestAccess::setEndingProbe(*client, [=](Step step) {
            if (step == Step::RunLoopEnded) atRunLoopEnd();
            if (step != held) return;
            reached.set_value();
            release.wait_for(5s);
        });
        client->connect(kLoopback, peer.port());
        ASSERT_TRUE(client->isConnected());
        ASSERT_TRUE(peer.accept());
        ender = std::thread([this] { client->abandon(); });
        ASSERT_EQ(reached.get_future().wait_for(5s), std::future_status::ready);
    }
    void TearDown() override {
        if (!released) releaseEnd();
        ender.join();
        client->stop();
    }
    void releaseEnd() {
        released = true;
        releaser.set_value();
    }
    std::string received() { return textOf(client->receive()); }

    LoopbackPeer peer;
    std::shared_ptr<K4Ip::RigClientImpl> client = K4Ip::RigClientImpl::create();
    std::promise<void> reached;
    std::promise<void> releaser;
    std::shared_future<void> release = releaser.get_future().share();
    bool released = false;
    std::thread ender;
};

TEST_F(EndingConnectionTest, AConnectionThatIsEndingTakesNoMoreTexts) {
    holdAt(Step::RunLoopEnded);
    ASSERT_TRUE(client->isConnected());
    EXPECT_FALSE(client->send(std::make_shared<std::vector<char>>(3, ';')));
}

// Once the link reads down, every byte the connection received is in the
// inbox, also a read still queued when the run loop ended: a rig that then
// drops the unfinished answer cannot miss a part of it.
TEST_F(EndingConnectionTest, OnceTheLinkReadsDownEveryReceivedByteIsFetchable) {
    holdAt(Step::LinkDown, [this] { K4Ip::RigClientTestAccess::queueReceived(*client, "FA00014074000;FB0"); });
    ASSERT_FALSE(client->isConnected());
    EXPECT_EQ(received(), "FA00014074000;FB0");
}

// A link that is to end wakes its connection thread at once, whichever
// side ends it: with a run slice of an hour, waiting the slice out would
// hold the host (or the link's end) for that hour.
TEST(RigClientLink, ALinkThatIsToEndDoesNotWaitOutItsRunSlice) {
    for (const bool radioEndsIt : {false, true}) {
        SCOPED_TRACE(radioEndsIt ? "the radio closes the link" : "the host gives the link up");
        LoopbackPeer peer;
        auto client = K4Ip::RigClientImpl::create();
        K4Ip::RigClientTestAccess::setRunSlice(*client, std::chrono::hours(1));
        client->connect(kLoopback, peer.port());
        ASSERT_TRUE(client->isConnected());
        ASSERT_TRUE(peer.accept());
        if (radioEndsIt) peer.closeConnection();
        else client->abandon();
        EXPECT_TRUE(eventually([&] { return !client->isConnected(); }));
        client->stop();
    }
}

// An exception that ends a connection is kept, for the rig to log, once.
TEST(RigClientLink, TheExceptionThatEndedAConnectionIsKeptOnce) {
    LoopbackPeer peer;
    auto client = K4Ip::RigClientImpl::create();
    K4Ip::RigClientTestAccess::setEndingProbe(*client, [](K4Ip::RigClientImpl::EndingStep step) {
        if (step == K4Ip::RigClientImpl::EndingStep::RunLoopEnded) throw std::runtime_error("socket trouble");
    });
    client->connect(kLoopback, peer.port());
    ASSERT_TRUE(peer.accept());
    client->abandon();
    EXPECT_EQ(client->takeException(), std::optional<std::string>("socket trouble"));
    EXPECT_EQ(client->takeException(), std::nullopt);
    client->stop();
}

// The last copy of a handle stops its client: the radio sees the link
// closed at once, not when it hangs up itself.
TEST(RigClientLink, TheLastHandleClosesTheLink) {
    LoopbackPeer peer;
    auto client = std::make_unique<RigClient>(kLoopback, peer.port());
    ASSERT_TRUE(peer.accept());
    RigClient copy = *client;
    client.reset();
    EXPECT_TRUE(copy.send("RC;"));
    EXPECT_EQ(peer.read(3), "RC;");
    copy = RigClient();
    const auto start = Clock::now();
    EXPECT_EQ(peer.read(1, 3000ms), "");
    EXPECT_LT(Clock::now() - start, 2s);
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
