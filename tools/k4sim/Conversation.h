// One connection's exchange with a radio, free of any transport: it records
// what arrives, cuts it into commands, executes them on the radio and says
// what to send back, when, and whether to hang up afterwards. It counts the
// bytes its session queues and writes, so that the answer ending a poll or
// a Set is marked on the radio once its last byte is written. Used by one
// Session on the simulator's thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "Protocol.h"
#include "Radio.h"

namespace k4sim {

struct Reply {
    std::string bytes;  // answers, each between the garbage and the stray fault's bytes
    std::chrono::milliseconds delay{0};
    std::string paused;  // the rest of the answers, sent `pause` after `bytes`
    std::chrono::milliseconds pause{0};
    bool close = false;  // hang up once these bytes are written
};

class Conversation {
public:
    enum class Link { tcp, serial };  // a serial link never hangs up

    Conversation(std::shared_ptr<Radio> radio, Link link, const std::string& peer);
    ~Conversation();
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    // The session queues all of the reply's bytes, `bytes` before `paused`.
    Reply receive(const char* data, std::size_t size);
    // The session queued bytes of its own after the reply's.
    void injected(std::size_t size) { queued_ += size; }
    // The session wrote this many of the queued bytes, in order.
    void sent(std::size_t size);
    // A connection that the half-open fault holds has this many bytes waiting unread.
    void unread(std::size_t bytes) { radio_->noteUnread(bytes); }
    // Whether the radio's half-open fault holds this connection (TCP only).
    bool halfOpen() const { return link_ == Link::tcp && radio_->halfOpen(); }
    // The drip fault's milliseconds between bytes (TCP only; 0: off).
    int dripMs() const { return link_ == Link::tcp ? radio_->dripMs() : 0; }
    // Whether the radio's stall fault stops this connection's reading (TCP only).
    bool stalled() const { return link_ == Link::tcp && radio_->stalled(); }
    // The connection has closed; also done by the destructor. Idempotent.
    void end();

private:
    static void pauseInsideFrequencyB(Reply& reply, int pauseMs);
    void markAnswer(const std::string& command, uint64_t end);

    const std::shared_ptr<Radio> radio_;
    const Link link_;
    const int connection_;
    CommandFramer framer_;
    int executed_ = 0;
    uint64_t queued_ = 0;   // bytes the session queued, in all
    uint64_t written_ = 0;  // of those, written
    std::deque<std::pair<uint64_t, AnswerMark>> marks_;  // each with the count of bytes that ends its answer
    bool hangingUp_ = false;
    bool ended_ = false;
};

}  // namespace k4sim
