// Every COM call the soak makes goes through a CallWatch: it is timed, its
// HRESULT must be one the interface contract allows for that method, and no
// exception may come out of it. The longest call per method is kept and
// compared with the method's limit: the methods that send may include the
// bounded reconnect wait (about 1 s), GetNumChoices with a fresh start waits
// for discovery answers (500 ms), GetRigObject both; everything else must
// stay within milliseconds.
#pragma once

#include <chrono>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "com/Interfaces.h"

namespace soak {

using Clock = std::chrono::steady_clock;

struct MethodFigures {
    long calls = 0;
    double longestMs = 0;
    double limitMs = 0;
};

class CallWatch {
public:
    template <class Call>
    HRESULT call(const char* method, std::initializer_list<HRESULT> allowed, Call call) {
        const Clock::time_point start = Clock::now();
        HRESULT hr = E_UNEXPECTED;
        try {
            hr = call();
        } catch (...) {
            violation(std::string("an exception came out of ") + method);
        }
        record(method, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        bool ok = false;
        for (HRESULT a : allowed) ok = ok || a == hr;
        if (!ok) violation(std::string(method) + " returned " + hresultText(hr));
        return hr;
    }

    void violation(const std::string& text);
    // The methods whose longest call passed their limit become violations.
    void checkLimits();

    const std::map<std::string, MethodFigures>& methods() const { return methods_; }
    const std::vector<std::string>& violations() const { return violations_; }
    int timesSeen(const std::string& violation) const { return repeats_.at(violation); }
    static std::string hresultText(HRESULT hr);

private:
    void record(const char* method, double ms);

    std::map<std::string, MethodFigures> methods_;
    std::vector<std::string> violations_;
    std::map<std::string, int> repeats_;  // violations of one text beyond the first are counted, not listed
};

}  // namespace soak
