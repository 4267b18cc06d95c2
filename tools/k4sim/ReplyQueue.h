// Answers waiting for their send time. A connection with answer latency
// queues each batch of answers with its due time; answers leave in the
// order they were queued, so a batch never overtakes an earlier one even
// when the latency was lowered in between. The caller passes the time, so
// the schedule can be tested with any clock readings.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

namespace k4sim {

class ReplyQueue {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    void push(TimePoint now, std::chrono::milliseconds delay, std::string bytes);
    // Takes every leading batch that is due at `now`, joined in order.
    std::string takeDue(TimePoint now);
    // When the oldest batch is due; empty when nothing waits.
    std::optional<TimePoint> nextDue() const;
    bool empty() const { return batches_.empty(); }

private:
    struct Batch {
        TimePoint due;
        std::string bytes;
    };
    std::deque<Batch> batches_;
};

}  // namespace k4sim
