// Every COM call the soak makes goes through a CallWatch: it is timed (the
// watchdog hears of it, Watchdog.h), its HRESULT must be one the interface
// contract allows for that method at that moment, and no exception may come
// out of it. A call on the host's thread may take at most 250 ms, except a
// call that may connect (GetRigObject, and the sending calls Launch, Set,
// Xmit, TuneFrequency, ClearRIT) while that rig's link may be down, 1.1 s
// (the bounded connect wait), a Release, 1.2 s (the last texts' flush and
// the connection thread's drain), and a GetNumChoices that starts discovery
// afresh, 1.6 s (the wait for answers and name lookups). Calls over 20 ms
// are counted. The chooser's calls and the rigs' binds and releases are the
// logger's waits in its chooser (and so is a burst of Sets the soak makes);
// the watch keeps when the last one ended.
#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "Reading.h"
#include "Watchdog.h"
#include "com/Interfaces.h"

namespace soak {

struct MethodFigures {
    long calls = 0;
    long over20ms = 0;
    double longestMs = 0;
};

// The limit of one call in ms; `linkMayBeDown` is asked only when needed.
double callLimitMs(const std::string& method, const std::function<bool()>& linkMayBeDown);

class CallWatch {
public:
    // Runs the call; `allowed` are the HRESULTs it may return. A call over
    // its limit is a violation; `linkMayBeDown` tells whether the rig's link
    // may be down (for the calls that may connect). `method` must be a
    // literal (the watchdog may print it while the call runs).
    template <class Call>
    HRESULT call(const char* method, std::initializer_list<HRESULT> allowed, Call call,
                 const std::function<bool()>& linkMayBeDown = {}) {
        if (watchdog_) watchdog_->callBegins(method);
        const TimePoint start = Clock::now();
        HRESULT hr = E_UNEXPECTED;
        try {
            hr = call();
        } catch (...) {
            violation(std::string("an exception came out of ") + method);
        }
        if (watchdog_) watchdog_->callEnds();
        timed(method, start, linkMayBeDown);
        bool ok = false;
        for (HRESULT a : allowed) ok = ok || a == hr;
        if (!ok) violation(std::string(method) + " returned " + hresultText(hr));
        return hr;
    }

    void watchBy(Watchdog* watchdog) { watchdog_ = watchdog; }
    // Records a violation; the first of each text is also printed with the
    // seconds since the watch began, for finding it in the driver's log.
    void violation(const std::string& text);
    bool anyViolation() const { return !violations_.empty(); }
    // A wait of the logger's has just ended.
    void waited() { lastChooserWait_ = Clock::now(); }
    // Whether one of the chooser's waits ended after `since`.
    bool chooserWaitedSince(TimePoint since) const { return lastChooserWait_ > since; }

    const std::map<std::string, MethodFigures>& methods() const { return methods_; }
    const std::vector<std::string>& violations() const { return violations_; }
    int timesSeen(const std::string& violation) const { return repeats_.at(violation); }
    static std::string hresultText(HRESULT hr);

private:
    void timed(const char* method, TimePoint start, const std::function<bool()>& linkMayBeDown);

    TimePoint start_ = Clock::now();
    Watchdog* watchdog_ = nullptr;
    TimePoint lastChooserWait_{};
    std::map<std::string, MethodFigures> methods_;
    std::vector<std::string> violations_;
    std::map<std::string, int> repeats_;  // violations of one text beyond the first are counted, not listed
};

}  // namespace soak
