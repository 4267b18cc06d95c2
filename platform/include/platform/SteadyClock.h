// The monotonic clock every time-out of the driver is measured on, in
// nanoseconds. Objects with time-outs take a Clock so that tests can inject
// their own readings.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace platform {

using Nanos = int64_t;
using Clock = std::function<Nanos()>;

inline Nanos steadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline Clock steadyClock() { return &steadyNow; }

}  // namespace platform
