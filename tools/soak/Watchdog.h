// The soak's last line of defence against a hang: a thread of its own that
// ends the process with the verdict FAILED when a call on the soak's thread
// has lasted more than 5 s (a driver call that never returns, Release
// included, which joins the driver's threads) or when the whole run has
// outlived its time limit. It prints which; the soak's thread is stuck, so
// nothing else can.
//
// Concurrency: the soak's thread announces each call (callBegins/callEnds)
// through atomics; the watchdog's thread reads them every 100 ms. The
// owner's destructor stops and joins the thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "Reading.h"

namespace soak {

// What ends the run at `now`, if anything: `method` (nullptr when no call
// runs) began at `callStart`; the run must end by `deadline`.
std::string watchdogVerdict(const char* method, TimePoint callStart, TimePoint now, TimePoint deadline);

class Watchdog {
public:
    explicit Watchdog(TimePoint deadline);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // `method` must be a text that outlives the call (a literal).
    void callBegins(const char* method);
    void callEnds();

private:
    void watch();

    const TimePoint deadline_;
    std::atomic<const char*> method_{nullptr};
    std::atomic<Clock::rep> callStart_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace soak
