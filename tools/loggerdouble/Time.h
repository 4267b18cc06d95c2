// The time a logger double lives in. On the real clock it sleeps until the
// moment of its next call; on a test's clock it moves that clock there, so
// that the rig's time-outs are decided exactly and at once.
#pragma once

#include <functional>

#include "platform/SteadyClock.h"

namespace loggerdouble {

using platform::Nanos;

class Time {
public:
    virtual ~Time() = default;
    virtual Nanos now() = 0;
    // Returns at `moment` (at once when it has passed).
    virtual void waitUntil(Nanos moment) = 0;
};

// The steady clock the driver itself reads.
class RealTime : public Time {
public:
    Nanos now() override;
    void waitUntil(Nanos moment) override;
};

// A clock the test owns: `read` gives its reading, `moveTo` sets it. Each
// wait also yields `realPause` of real time (none by default), for a test
// whose radio answers on a thread of its own.
class ManualTime : public Time {
public:
    ManualTime(platform::Clock read, std::function<void(Nanos)> moveTo, Nanos realPause = 0);
    Nanos now() override;
    void waitUntil(Nanos moment) override;

private:
    platform::Clock read_;
    std::function<void(Nanos)> moveTo_;
    Nanos realPause_;
};

}  // namespace loggerdouble
