// Waiting for something another thread or process makes happen (a link that
// ends, bytes that arrive): the condition is polled every millisecond until it
// holds or the limit passes. Only for events; time-outs are tested on an
// injected clock.
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

template <typename Condition>
bool eventually(Condition condition, std::chrono::steady_clock::duration limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace testsupport
