// Every COM call the soak makes goes through a CallWatch: it is timed, its
// HRESULT must be one the interface contract allows for that method at that
// moment, and no exception may come out of it. A call on the host's thread
// may take at most 250 ms, except a call that may connect (GetRigObject, and
// the sending calls Launch, Set, Xmit, TuneFrequency, ClearRIT) while that
// rig's link may be down, 1.1 s (the bounded connect wait), and a
// GetNumChoices that starts discovery afresh, 1.6 s (the wait for answers
// and name lookups). Calls over 20 ms are counted.
#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "Reading.h"
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
    // may be down (for the calls that may connect).
    template <class Call>
    HRESULT call(const char* method, std::initializer_list<HRESULT> allowed, Call call,
                 const std::function<bool()>& linkMayBeDown = {}) {
        const TimePoint start = Clock::now();
        HRESULT hr = E_UNEXPECTED;
        try {
            hr = call();
        } catch (...) {
            violation(std::string("an exception came out of ") + method);
        }
        timed(method, std::chrono::duration<double, std::milli>(Clock::now() - start).count(), linkMayBeDown);
        bool ok = false;
        for (HRESULT a : allowed) ok = ok || a == hr;
        if (!ok) violation(std::string(method) + " returned " + hresultText(hr));
        return hr;
    }

    // Records a violation; the first of each text is also printed with the
    // seconds since the watch began, for finding it in the driver's log.
    void violation(const std::string& text);

    const std::map<std::string, MethodFigures>& methods() const { return methods_; }
    const std::vector<std::string>& violations() const { return violations_; }
    int timesSeen(const std::string& violation) const { return repeats_.at(violation); }
    static std::string hresultText(HRESULT hr);

private:
    void timed(const char* method, double ms, const std::function<bool()>& linkMayBeDown);

    TimePoint start_ = Clock::now();
    std::map<std::string, MethodFigures> methods_;
    std::vector<std::string> violations_;
    std::map<std::string, int> repeats_;  // violations of one text beyond the first are counted, not listed
};

}  // namespace soak
