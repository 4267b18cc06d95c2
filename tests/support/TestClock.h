// A steady clock that moves only when the test says so. Copies of clock()
// share the reading, so a test advances the clock of an object it has
// already handed the clock to.
#pragma once

#include <atomic>
#include <memory>

#include "platform/SteadyClock.h"

namespace testsupport {

class TestClock {
public:
    // Starts far from 0, where a real steady clock would be.
    explicit TestClock(platform::Nanos start = 1'000'000'000'000) : now_(std::make_shared<std::atomic<platform::Nanos>>(start)) {}

    platform::Clock clock() const {
        return [now = now_] { return now->load(); };
    }
    platform::Nanos now() const { return now_->load(); }
    void set(platform::Nanos reading) { now_->store(reading); }
    void advance(platform::Nanos by) { now_->fetch_add(by); }

private:
    std::shared_ptr<std::atomic<platform::Nanos>> now_;
};

}  // namespace testsupport
