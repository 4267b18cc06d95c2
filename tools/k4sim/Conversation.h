// One connection's exchange with a radio, free of any transport: it records
// what arrives, cuts it into commands, executes them on the radio and says
// what to send back, when, and whether to hang up afterwards. Used by one
// Session on the simulator's thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

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

    Reply receive(const char* data, std::size_t size);
    void sent(std::size_t size) { radio_->recordSent(size); }
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

    const std::shared_ptr<Radio> radio_;
    const Link link_;
    const int connection_;
    CommandFramer framer_;
    int executed_ = 0;
    bool hangingUp_ = false;
    bool ended_ = false;
};

}  // namespace k4sim
