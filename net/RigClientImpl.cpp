// The TCP client of one network rig.
//
// Concurrency picture
//
//   host thread: connect, reconnect, stop, abandon, send, receive, takeUnsent,
//   takeException
//     - reconnect starts the connection thread and waits (<= 1 s) on
//       connectedChanged; reconnect, stop and abandon join it, after
//       endSoon has woken its run loop (the service is stopped under
//       `mutex` while `loopRunning`).
//     - stop first waits (<= 100 ms) on outboxChanged for the queue to be
//       written.
//     - send queues into outbox and posts doWrite under `mutex`; receive
//       empties inbox under `mutex`.
//   connection thread: run() and every handler, one at a time
//     - onConnect sets `connected`; onRead appends to inbox; doWrite/onWrite
//       take texts from outbox, one write in flight, and notify
//       outboxChanged once it is empty.
//     - at the end: clear `loopRunning` (under `mutex`, so that no wake can
//       cut what follows short), close the socket (reset unless stop found
//       the queue written), run the cancelled completions (a text whose write
//       they end goes back to the queue), clear `connected` and set the
//       unwritten texts aside (notify), then run those posted meanwhile, so
//       that none is left in the service. An exception's text is kept.
//
// No lock is held while an I/O operation starts or a handler runs; the
// service's stop, which only wakes its runner, is called under `mutex`.
#include "net/RigClientImpl.h"

#include <chrono>
#include <exception>
#include <iterator>
#include <utility>

#include <boost/asio/post.hpp>


namespace K4Ip {

namespace {

constexpr std::chrono::seconds kConnectWait{1};
// Cancelled completions are delivered at once; the bound only keeps a
// misbehaving platform from holding the connection thread forever.
constexpr std::chrono::seconds kDrainLimit{1};

Bytes freshReadBuffer() { return std::make_shared<std::vector<char>>(RigClientImpl::kReadSize, '\0'); }

}  // namespace

using boost::asio::ip::tcp;
using boost::system::error_code;

std::shared_ptr<RigClientImpl> RigClientImpl::create() { return std::shared_ptr<RigClientImpl>(new RigClientImpl()); }

RigClientImpl::RigClientImpl() : readBuffer(freshReadBuffer()) {}

// The last reference may go on the connection thread itself, once its
// connection has ended, when the owner let go without stop. That thread has
// nothing left to do but exit: it is let go rather than joined by itself.
RigClientImpl::~RigClientImpl() {
    if (connectionThread.get_id() == std::this_thread::get_id()) connectionThread.detach();
    stop();
}

void RigClientImpl::connect(const boost::asio::ip::address& address, uint16_t port) {
    stop();
    endpoint = tcp::endpoint(address, port);
    reconnect();
}

void RigClientImpl::reconnect() {
    if (!endUnestablishedConnection()) {
        return;
    }
    closeInOrder = false;
    stopping = false;
    // The thread holds a reference for its whole life, so the client cannot
    // be destroyed in the middle of its connection.
    connectionThread = std::thread([self = shared_from_this()] { self->run(); });
    waitForConnection();
}

// Returns false, leaving it alone, when the current connection is
// established and not ending. Otherwise ends it: a connect still pending is
// abandoned (stopping is set under the lock, so onConnect cannot establish it
// afterwards) and the thread is joined within one run slice.
bool RigClientImpl::endUnestablishedConnection() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (connected && !stopping) {
            return false;
        }
        endSoonLocked();
    }
    if (connectionThread.joinable()) {
        connectionThread.join();
    }
    return true;
}

void RigClientImpl::waitForConnection() {
    std::unique_lock<std::mutex> lock(mutex);
    connectedChanged.wait_for(lock, kConnectWait, [this] { return connected.load(); });
}

// The last texts before a rig is released ("RX;" after "TX;") must still
// reach a radio that reads: a healthy link gets a moment to write them.
void RigClientImpl::stop() {
    closeInOrder = flushQueuedTexts();
    abandon();
    std::lock_guard<std::mutex> lock(mutex);
    inbox.clear();
    inboxBytes = 0;
}

// True when the link is up and has handed every queued text to its socket
// within kFlushWait.
bool RigClientImpl::flushQueuedTexts() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!connected || stopping) {
        return false;
    }
    return outboxChanged.wait_for(lock, kFlushWait, [this] { return (outbox.empty() && !writing) || stopping; }) &&
           !stopping;
}

void RigClientImpl::abandon() {
    endSoon();
    if (connectionThread.joinable()) {
        connectionThread.join();
    }
}

bool RigClientImpl::send(Bytes text) {
    // The post happens under the lock, so that a connection that clears
    // `connected` (under the same lock) and then drains its service cannot
    // miss a write posted for it. A connection that is ending takes no more
    // texts: they could only be set aside.
    std::lock_guard<std::mutex> lock(mutex);
    if (!connected || stopping) {
        return false;
    }
    const bool progressed = std::exchange(writeProgress, false);
    if (!outbox.empty() && outboxBytes + text->size() > kOutboxLimit) {
        // The text is refused, never dropped unseen. A radio that took
        // nothing since the previous text has stopped reading: its link is
        // given up as lost, and the rig's refusals lead to a reconnect.
        if (!progressed) {
            endSoonLocked();
        }
        return false;
    }
    outboxBytes += text->size();
    outbox.push_back(std::move(text));
    if (!writing) {
        boost::asio::post(ioContext, [self = shared_from_this()] { self->doWrite(); });
    }
    return true;
}

Bytes RigClientImpl::receive() {
    auto bytes = std::make_shared<std::vector<char>>();
    std::lock_guard<std::mutex> lock(mutex);
    bytes->reserve(inboxBytes);
    for (const Bytes& chunk : inbox) {
        bytes->insert(bytes->end(), chunk->begin(), chunk->end());
    }
    inbox.clear();
    inboxBytes = 0;
    return bytes;
}

bool RigClientImpl::hasReceived() {
    std::lock_guard<std::mutex> lock(mutex);
    return inboxBytes > 0;
}

std::vector<Bytes> RigClientImpl::takeUnsent() {
    std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(unsent, {});
}

std::optional<std::string> RigClientImpl::takeException() {
    std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(exceptionText, std::nullopt);
}

void RigClientImpl::endSoon() {
    std::lock_guard<std::mutex> lock(mutex);
    endSoonLocked();
}

void RigClientImpl::endSoonLocked() {
    stopping = true;
    if (loopRunning) {
        ioContext.stop();
    }
}

void RigClientImpl::run() {
    try {
        socket = std::make_unique<tcp::socket>(ioContext);
        ioContext.restart();
        startConnect();
        {
            std::lock_guard<std::mutex> lock(mutex);
            loopRunning = true;
        }
        runInSlices(ioContext, stopping, runSlice);
    } catch (const std::exception& exception) {
        // A failure inside the connection ends it like a lost link.
        keepException(exception);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        loopRunning = false;
    }
    try {
        if (endingProbe) endingProbe(EndingStep::RunLoopEnded);
        closeSocket();
    } catch (const std::exception& exception) {
        keepException(exception);
    }
    endConnection();
}

// The client has no log: the rig asks for the text and logs it.
void RigClientImpl::keepException(const std::exception& exception) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!exceptionText) {
        exceptionText = exception.what();
    }
}

void RigClientImpl::startConnect() {
    socket->async_connect(endpoint, [self = shared_from_this()](const error_code& error) { self->onConnect(error); });
}

// A reset (linger 0) makes the system discard what it has not delivered;
// an orderly close would keep sending it, and a radio whose network comes
// back would still carry it out. The pending operations are cancelled and
// completed first: a socket with an operation in flight may be kept open
// past its close (Wine does), and then closed in order after all.
void RigClientImpl::closeSocket() {
    if (!socket->is_open()) {
        return;
    }
    if (!closeInOrder) {
        error_code ignored;
        socket->cancel(ignored);
        drainCancelledOperations();
        socket->set_option(tcp::socket::linger(true, 0), ignored);
    }
    socket->close();
}

// The completions still queued (a read that had already arrived among them)
// run while the link still counts as up: once `connected` reads false, the
// connection has stored every byte it received, so that the rig can tell
// them from the next connection's. A write that send posted until then is
// drained after.
void RigClientImpl::endConnection() {
    stopping = true;
    socket.reset();
    drainCancelledOperations();
    {
        std::lock_guard<std::mutex> lock(mutex);
        connected = false;
        writing = false;
        setAsideUnsent();
        connectedChanged.notify_all();
        outboxChanged.notify_all();
    }
    if (endingProbe) endingProbe(EndingStep::LinkDown);
    drainCancelledOperations();
}

// Under `mutex`: the texts this connection accepted and never wrote leave
// the queue, so that the next connection starts with an empty one.
void RigClientImpl::setAsideUnsent() {
    unsent.assign(std::make_move_iterator(outbox.begin()), std::make_move_iterator(outbox.end()));
    outbox.clear();
    outboxBytes = 0;
}

// Closing the socket completes its pending operations with "aborted", but
// only inside the service. Running them here keeps them from reaching the
// next connection (where they would end it) and releases the references to
// the client they hold, which would otherwise keep it alive for ever.
void RigClientImpl::drainCancelledOperations() {
    try {
        ioContext.restart();
        ioContext.run_for(kDrainLimit);
    } catch (const std::exception& exception) {
        keepException(exception);
    }
    ioContext.stop();
}

void RigClientImpl::onConnect(const error_code& error) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (error || stopping) {
            endSoonLocked();
            return;
        }
        connected = true;
        writeProgress = true;
        connectedChanged.notify_all();
    }
    disableSendCoalescing();
    startRead();
}

// A command the radio does not answer ("TX;") leaves its segment waiting for
// the radio's delayed acknowledgement; with the system's small-packet
// coalescing the next text (the poll) would wait for it too, about 40 ms.
// Every text is written whole and at once, so there is nothing to gain from
// holding it back. A refusal leaves the link as it is.
void RigClientImpl::disableSendCoalescing() {
    error_code ignored;
    socket->set_option(tcp::no_delay(true), ignored);
}

void RigClientImpl::startRead() {
    if (!socket || stopping) {
        return;
    }
    socket->async_read_some(boost::asio::buffer(*readBuffer), [self = shared_from_this()](
                                                                   const error_code& error, std::size_t count) {
        self->onRead(error, count);
    });
}

void RigClientImpl::onRead(const error_code& error, std::size_t count) {
    if (error) {
        endSoon();
        return;
    }
    readBuffer->resize(count);
    storeReceived(std::exchange(readBuffer, freshReadBuffer()));
    startRead();
}

void RigClientImpl::storeReceived(Bytes chunk) {
    std::lock_guard<std::mutex> lock(mutex);
    inboxBytes += chunk->size();
    inbox.push_back(std::move(chunk));
    // Whole oldest chunks go first; the newest one (at most 64 bytes) always
    // stays.
    while (inboxBytes > kInboxLimit) {
        inboxBytes -= inbox.front()->size();
        inbox.pop_front();
    }
}

void RigClientImpl::doWrite() {
    if (!socket || !connected) {
        return;
    }
    Bytes text;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (writing || outbox.empty() || stopping) {
            return;
        }
        writing = true;
        text = std::move(outbox.front());
        outbox.pop_front();
        outboxBytes -= text->size();
    }
    writeFrom(std::move(text), 0);
}

void RigClientImpl::writeFrom(Bytes text, std::size_t offset) {
    auto rest = boost::asio::buffer(text->data() + offset, text->size() - offset);
    socket->async_write_some(rest, [self = shared_from_this(), text, offset](const error_code& error, std::size_t count) {
        self->onWrite(error, count, text, offset);
    });
}

// A write may take only part of the text; the rest follows before any later
// text, so that a command is never cut short on the wire. A text the
// connection ends in the middle of goes back to the front of the queue, so
// that it is set aside with the texts behind it.
void RigClientImpl::onWrite(const error_code& error, std::size_t count, Bytes text, std::size_t offset) {
    const std::size_t written = offset + count;
    const bool whole = !error && written == text->size();
    if (!error && !whole && socket && !stopping) {
        writeFrom(std::move(text), written);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        writing = false;
        if (!error) {
            writeProgress = true;
        }
        if (!whole) {
            outboxBytes += text->size();
            outbox.push_front(std::move(text));
            endSoonLocked();
        }
        if (outbox.empty()) {
            outboxChanged.notify_all();
        }
    }
    if (whole) {
        doWrite();
    }
}

}  // namespace K4Ip
