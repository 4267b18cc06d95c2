#include "tools/loggerdouble/Time.h"

#include <chrono>
#include <thread>

namespace loggerdouble {

Nanos RealTime::now() { return platform::steadyNow(); }

void RealTime::waitUntil(Nanos moment) {
    const Nanos left = moment - now();
    if (left > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(left));
}

ManualTime::ManualTime(platform::Clock read, std::function<void(Nanos)> moveTo, Nanos realPause)
    : read_(std::move(read)), moveTo_(std::move(moveTo)), realPause_(realPause) {}

Nanos ManualTime::now() { return read_(); }

void ManualTime::waitUntil(Nanos moment) {
    if (realPause_ > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(realPause_));
    if (moment > read_()) moveTo_(moment);
}

}  // namespace loggerdouble
