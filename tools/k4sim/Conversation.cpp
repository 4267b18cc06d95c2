#include "Conversation.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace k4sim {

Conversation::Conversation(std::shared_ptr<Radio> radio, Link link, const std::string& peer)
    : radio_(std::move(radio)), link_(link), connection_(radio_->openConnection(peer)) {}

Conversation::~Conversation() { end(); }

void Conversation::end() {
    if (std::exchange(ended_, true)) return;
    radio_->closeConnection(connection_);
}

Reply Conversation::receive(const char* data, std::size_t size) {
    radio_->recordReceived(connection_, data, size);
    Reply reply;
    if (hangingUp_) return reply;
    std::vector<std::string> commands;
    framer_.feed(data, size, commands);
    const Faults faults = radio_->faults();
    for (const auto& command : commands) {
        const std::string answer = radio_->execute(connection_, command);
        if (!faults.silent && !answer.empty()) reply.bytes += faults.garbage + answer + faults.stray;
        ++executed_;
        if (link_ == Link::tcp && faults.closeAfter > 0 && executed_ >= faults.closeAfter) {
            hangingUp_ = true;
            break;
        }
    }
    if (link_ == Link::tcp && faults.cut > 0 && !reply.bytes.empty()) {
        reply.bytes.resize(std::min(reply.bytes.size(), static_cast<std::size_t>(faults.cut)));
        hangingUp_ = true;
    }
    reply.delay = std::chrono::milliseconds(faults.latencyMs);
    reply.close = hangingUp_;
    if (link_ == Link::tcp && faults.pauseMs > 0) pauseInsideFrequencyB(reply, faults.pauseMs);
    return reply;
}

// The answers from the sixth byte of the first FB answer on wait for the
// pause, as if their segment had been held up on the way.
void Conversation::pauseInsideFrequencyB(Reply& reply, int pauseMs) {
    const std::size_t answer = reply.bytes.find("FB");
    if (answer == std::string::npos || answer + 5 >= reply.bytes.size()) return;
    reply.paused = reply.bytes.substr(answer + 5);
    reply.bytes.resize(answer + 5);
    reply.pause = std::chrono::milliseconds(pauseMs);
}

}  // namespace k4sim
