#include "ReplyQueue.h"

namespace k4sim {

void ReplyQueue::push(TimePoint now, std::chrono::milliseconds delay, std::string bytes) {
    if (bytes.empty()) return;
    batches_.push_back({now + delay, std::move(bytes)});
}

std::string ReplyQueue::takeDue(TimePoint now) {
    std::string due;
    while (!batches_.empty() && batches_.front().due <= now) {
        due += batches_.front().bytes;
        batches_.pop_front();
    }
    return due;
}

std::optional<ReplyQueue::TimePoint> ReplyQueue::nextDue() const {
    if (batches_.empty()) return std::nullopt;
    return batches_.front().due;
}

}  // namespace k4sim
