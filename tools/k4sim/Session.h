// One connection to a radio over a byte stream: a TCP socket, or the
// master side of a pseudo-terminal. It reads whatever arrives, lets its
// Conversation answer, and writes the answers when they are due.
//
// Concurrency: everything runs on the simulator's thread, which runs every
// handler; each pending operation holds a shared reference to the session.
// Exactly one read, one write and one timer wait are outstanding at most.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include "Conversation.h"
#include "ReplyQueue.h"

namespace k4sim {

template <class Stream>
class Session : public std::enable_shared_from_this<Session<Stream>> {
public:
    Session(Stream stream, std::shared_ptr<Radio> radio, Conversation::Link link, const std::string& peer)
        : stream_(std::move(stream)), timer_(stream_.get_executor()), conversation_(std::move(radio), link, peer) {}

    void start() { startRead(); }

    // Sends these bytes after the answers already queued, unasked.
    void inject(std::string bytes) {
        if (closed_) return;
        replies_.push(Clock::now(), std::chrono::milliseconds(0), std::move(bytes));
        pump();
    }

    void close() {
        if (closed_) return;
        closed_ = true;
        boost::system::error_code ignored;
        timer_.cancel();
        stream_.close(ignored);
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
        Reply reply = conversation_.receive(readBuffer_.data(), size);
        replies_.push(Clock::now(), reply.delay, std::move(reply.bytes));
        if (reply.close)
            hangUp_ = true;
        else
            startRead();
        pump();
    }

    // Writes the answers that are due, waits for the next ones, and hangs
    // up once everything is written if the conversation asked for it.
    void pump() {
        if (closed_ || writing_) return;
        outgoing_ = replies_.takeDue(Clock::now());
        if (!outgoing_.empty()) return startWrite();
        if (auto due = replies_.nextDue()) return startWait(*due);
        if (hangUp_) close();
    }

    void startWrite() {
        writing_ = true;
        boost::asio::async_write(stream_, boost::asio::buffer(outgoing_),
                                 [self = this->shared_from_this()](const boost::system::error_code& error,
                                                                   std::size_t) { self->onWrite(error); });
    }

    void onWrite(const boost::system::error_code& error) {
        writing_ = false;
        if (closed_) return;
        if (error) return close();
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

    Stream stream_;
    boost::asio::steady_timer timer_;
    Conversation conversation_;
    ReplyQueue replies_;
    std::array<char, 256> readBuffer_{};
    std::string outgoing_;
    bool writing_ = false;
    bool waiting_ = false;
    bool hangUp_ = false;
    bool closed_ = false;
};

}  // namespace k4sim
