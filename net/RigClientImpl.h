// The TCP client of one network rig: carries command texts to one K4 and
// collects the bytes it sends back, without framing or looking inside them.
//
// Concurrency picture
//
//   host thread                         connection thread (one per connection)
//   -----------                         --------------------------------------
//   connect / reconnect / stop   --->   run(): socket, connect, run loop in
//     (start and join the thread)         50 ms slices until `stopping`, then
//   send: outbox += text, post   --->     close, clear `connected`, drain
//     doWrite                           onConnect / onRead / doWrite / onWrite
//   receive: take the inbox      <---     (inbox += chunk, outbox -> socket)
//   reconnect: wait on
//     connectedChanged (<= 1 s)  <---   `connected` set / cleared + notify;
//                                         texts not written set aside
//   stop: wait on outboxChanged
//     (<= 100 ms) for the queue  <---   onWrite: queue written + notify
//   abandon: end the link, wake   --->   run loop returns at once
//     the loop, join
//
// `mutex` guards inbox, outbox, unsent, writing, writeProgress,
// exceptionText, loopRunning and every change of `connected`; it is held
// only for those short steps and never across I/O. A thread that asks the
// connection to end stops the service under it while `loopRunning`, so the
// run loop wakes at once, and the connection thread clears `loopRunning`
// under it before the drain, which nothing may cut short.
// `stopping` and `connected` are atomic and also read without it. Every
// completion handler and posted function runs on the connection thread and
// holds a shared reference to the client. Only the host thread starts and
// joins connection threads, and there is at most one at a time.
//
// A text belongs to the connection that accepted it: what a connection has
// not handed to its socket when it ends is set aside (takeUnsent), never
// written on a later one, and a link given up as lost is reset, so that the
// system discards what it has not delivered either. A radio that comes back
// must not carry out commands the logger gave up on ("TX;").
//
// Lifetime: while a connection runs, its thread and its pending operations
// keep the client alive, so its owner calls stop before letting go of its
// last reference (the RigClient handle does so when its last copy goes); a
// connection leaves no operation behind once it has ended. An owner that
// lets go without stop leaves the connection running until the radio ends
// it; the client is then destroyed on the connection thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "net/RunLoop.h"

namespace K4Ip {

using Bytes = std::shared_ptr<std::vector<char>>;

class RigClientImpl : public std::enable_shared_from_this<RigClientImpl> {
public:
    static constexpr std::size_t kReadSize = 64;
    static constexpr std::size_t kInboxLimit = 0x4000;
    // Bytes of texts waiting to be written; a text that would go past it is
    // refused (one text is always taken while none waits).
    static constexpr std::size_t kOutboxLimit = 0x4000;
    // How long stop lets a healthy link write the texts still queued.
    static constexpr std::chrono::milliseconds kFlushWait{100};

    static std::shared_ptr<RigClientImpl> create();
    ~RigClientImpl();
    RigClientImpl(const RigClientImpl&) = delete;
    RigClientImpl& operator=(const RigClientImpl&) = delete;

    // Ends any connection, then connects to the radio's address and TCP
    // port, waiting up to one second for the link.
    void connect(const boost::asio::ip::address& address, uint16_t port);
    // Starts a new connection unless one is established, waiting up to one
    // second for it. A connection still trying to connect is ended first.
    void reconnect();
    // Ends the connection, joins its thread and drops the received bytes. A
    // healthy link first gets up to kFlushWait to write the queued texts
    // and is closed in order; otherwise it is reset, and the texts it did
    // not write are left for takeUnsent.
    void stop();
    // Ends the connection as lost and waits for its end. The link is reset;
    // the bytes received stay fetchable and the texts it did not write are
    // set aside.
    void abandon();

    // True from the moment the link is established until its connection has
    // ended: once false, every byte the connection received is in the inbox.
    bool isConnected() const { return connected; }
    // Queues the text for the connection thread; false while not connected,
    // once the connection is ending and while the queue is full. A full
    // queue that the radio has not shortened since the previous text ends
    // the link as lost.
    bool send(Bytes text);
    // Every byte received and not yet fetched, oldest first; never null.
    Bytes receive();
    bool hasReceived();
    // The texts the last connection accepted but did not deliver whole (never
    // handed to its socket, or being written when it was reset), oldest
    // first, once; they are not written on any later connection.
    std::vector<Bytes> takeUnsent();
    // The text of the exception that ended the last connection, once.
    std::optional<std::string> takeException();

    // The two moments at which a test may hold the end of a connection: its
    // run loop has ended (completions may still be queued), and `connected`
    // has just been cleared.
    enum class EndingStep { RunLoopEnded, LinkDown };

private:
    RigClientImpl();

    // Connection thread: the life of one connection.
    void run();
    void startConnect();
    void closeSocket();
    void endConnection();
    void drainCancelledOperations();
    void setAsideUnsent();
    void onConnect(const boost::system::error_code& error);
    void disableSendCoalescing();
    void startRead();
    void onRead(const boost::system::error_code& error, std::size_t count);
    void storeReceived(Bytes chunk);
    void doWrite();
    void writeFrom(Bytes text, std::size_t offset);
    void onWrite(const boost::system::error_code& error, std::size_t count, Bytes text, std::size_t offset);
    void keepException(const std::exception& exception);

    // Either thread: asks the connection to end, waking its run loop at
    // once (only while the loop runs: the drain that follows must finish).
    void endSoon();
    void endSoonLocked();  // with `mutex` held

    // Host thread.
    bool endUnestablishedConnection();
    void waitForConnection();
    bool flushQueuedTexts();

    friend struct RigClientTestAccess;

    boost::asio::io_context ioContext;
    std::unique_ptr<boost::asio::ip::tcp::socket> socket;
    boost::asio::ip::tcp::endpoint endpoint{boost::asio::ip::address_v4::any(), 0};
    std::atomic<bool> stopping{false};
    std::atomic<bool> connected{false};
    Bytes readBuffer;
    std::deque<Bytes> inbox;
    std::size_t inboxBytes = 0;
    std::deque<Bytes> outbox;
    std::size_t outboxBytes = 0;
    std::vector<Bytes> unsent;  // what the last connection left in outbox
    std::optional<std::string> exceptionText;  // what ended the last connection
    bool loopRunning = false;  // the connection thread is inside its run loop
    bool writing = false;
    bool writeProgress = false;  // a write has completed, or the connection begun, since the previous send
    std::mutex mutex;
    std::condition_variable connectedChanged;
    std::condition_variable outboxChanged;
    std::atomic<bool> closeInOrder{false};  // stop found the queue written: close, do not reset
    std::function<void(EndingStep)> endingProbe;  // tests only
    std::chrono::milliseconds runSlice = kRunSlice;  // a test may make it long: nothing may wait it out
    std::thread connectionThread;
};

}  // namespace K4Ip
