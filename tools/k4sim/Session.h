// One connection to a radio over a byte stream: a TCP socket, or the
// master side of a pseudo-terminal. It reads whatever arrives, lets its
// Conversation answer, and writes the answers when they are due.
//
// Under the drip fault the answers leave one byte per write, the fault's
// milliseconds apart. While the radio's half-open fault is on, a TCP session neither reads nor
// writes (the read pending when the fault began loses its bytes) and looks
// every 50 ms whether the fault is over; then it resets the connection.
// Under the stall fault it stops reading, keeps the bytes of the read that
// found the fault, and looks every 50 ms whether it is over; then it takes
// them and reads on, on the same connection.
//
// Concurrency: everything runs on the simulator's thread, which runs every
// handler; each pending operation holds a shared reference to the session.
// Exactly one read, one write, one timer wait, one hold watch and one stall
// watch are outstanding at most.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include "Conversation.h"
#include "ReplyQueue.h"

namespace k4sim {

// Makes the next close of a TCP socket a reset; other streams just close.
inline void resetOnClose(boost::asio::ip::tcp::socket& socket) {
    boost::system::error_code ignored;
    socket.set_option(boost::asio::socket_base::linger(true, 0), ignored);
}
template <class Stream>
void resetOnClose(Stream&) {}

template <class Stream>
class Session : public std::enable_shared_from_this<Session<Stream>> {
public:
    Session(Stream stream, std::shared_ptr<Radio> radio, Conversation::Link link, const std::string& peer)
        : stream_(std::move(stream)),
          timer_(stream_.get_executor()),
          holdTimer_(stream_.get_executor()),
          stallTimer_(stream_.get_executor()),
          conversation_(std::move(radio), link, peer) {}

    void start() {
        if (!holding()) startRead();
    }

    // Sends these bytes after the answers already queued, unasked; false
    // when the connection has closed.
    bool inject(std::string bytes) {
        if (closed_) return false;
        replies_.push(Clock::now(), std::chrono::milliseconds(0), std::move(bytes));
        pump();
        return true;
    }

    void close() {
        if (closed_) return;
        closed_ = true;
        boost::system::error_code ignored;
        timer_.cancel();
        holdTimer_.cancel();
        stallTimer_.cancel();
        stream_.close(ignored);
        conversation_.end();
    }

private:
    using Clock = std::chrono::steady_clock;

    void startRead() {
        stream_.async_read_some(boost::asio::buffer(readBuffer_),
                                [self = this->shared_from_this()](const boost::system::error_code& error,
                                                                  std::size_t size) { self->onRead(error, size); });
    }

    void onRead(const boost::system::error_code& error, std::size_t size) {
        if (closed_) return;
        if (error) return close();
        if (holding()) return;
        if (conversation_.stalled()) {
            stalledBytes_.assign(readBuffer_.data(), size);
            return watchStall();
        }
        take(readBuffer_.data(), size);
    }

    // Lets the conversation answer the bytes read and reads on, unless it
    // hangs up.
    void take(const char* data, std::size_t size) {
        Reply reply = conversation_.receive(data, size);
        const Clock::time_point now = Clock::now();
        replies_.push(now, reply.delay, std::move(reply.bytes));
        replies_.push(now, reply.delay + reply.pause, std::move(reply.paused));
        if (reply.close)
            hangUp_ = true;
        else
            startRead();
        pump();
    }

    // While the stall fault lasts, the bytes of the read that found it wait
    // here and nothing more is read; afterwards they are taken as read now.
    void watchStall() {
        stallTimer_.expires_after(std::chrono::milliseconds(50));
        stallTimer_.async_wait([self = this->shared_from_this()](const boost::system::error_code& error) {
            if (!error) self->onStallWatch();
        });
    }

    void onStallWatch() {
        if (closed_) return;
        if (conversation_.stalled()) return watchStall();
        const std::string bytes = std::exchange(stalledBytes_, std::string());
        take(bytes.data(), bytes.size());
    }

    // Writes the answers that are due (a byte at a time while dripping),
    // waits for the next ones, and hangs up once everything is written if
    // the conversation asked for it.
    void pump() {
        if (closed_ || writing_ || holding()) return;
        const Clock::time_point now = Clock::now();
        unsent_ += replies_.takeDue(now);
        if (!unsent_.empty()) {
            if (now < nextByteAt_) return startWait(nextByteAt_);
            const int drip = conversation_.dripMs();
            const std::size_t size = drip > 0 ? 1 : unsent_.size();
            outgoing_ = unsent_.substr(0, size);
            unsent_.erase(0, size);
            nextByteAt_ = now + std::chrono::milliseconds(drip);
            return startWrite();
        }
        if (auto due = replies_.nextDue()) return startWait(*due);
        if (hangUp_) close();
    }

    void startWrite() {
        writing_ = true;
        boost::asio::async_write(stream_, boost::asio::buffer(outgoing_),
                                 [self = this->shared_from_this()](const boost::system::error_code& error,
                                                                   std::size_t size) { self->onWrite(error, size); });
    }

    void onWrite(const boost::system::error_code& error, std::size_t size) {
        writing_ = false;
        if (closed_) return;
        if (error) return close();
        conversation_.sent(size);
        pump();
    }

    void startWait(Clock::time_point due) {
        if (waiting_) return;
        waiting_ = true;
        timer_.expires_at(due);
        timer_.async_wait([self = this->shared_from_this()](const boost::system::error_code&) { self->onWait(); });
    }

    void onWait() {
        waiting_ = false;
        pump();
    }

    // Whether the half-open fault holds this session; once held, it stays
    // held until the fault is over and the connection is reset.
    bool holding() {
        if (!held_ && !closed_ && conversation_.halfOpen()) {
            held_ = true;
            watchHold();
        }
        return held_;
    }

    void watchHold() {
        holdTimer_.expires_after(std::chrono::milliseconds(50));
        holdTimer_.async_wait([self = this->shared_from_this()](const boost::system::error_code& error) {
            if (!error) self->onHoldWatch();
        });
    }

    void onHoldWatch() {
        if (closed_) return;
        if (conversation_.halfOpen()) return watchHold();
        resetOnClose(stream_);
        close();
    }

    Stream stream_;
    boost::asio::steady_timer timer_;
    boost::asio::steady_timer holdTimer_;
    boost::asio::steady_timer stallTimer_;
    Conversation conversation_;
    ReplyQueue replies_;
    std::array<char, 256> readBuffer_{};
    std::string stalledBytes_;  // read when the stall fault began
    std::string unsent_;    // due, not yet written
    std::string outgoing_;  // being written
    Clock::time_point nextByteAt_{};
    bool writing_ = false;
    bool waiting_ = false;
    bool hangUp_ = false;
    bool held_ = false;
    bool closed_ = false;
};

}  // namespace k4sim
