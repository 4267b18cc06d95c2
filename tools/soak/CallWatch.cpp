#include "CallWatch.h"

#include <cstdint>
#include <cstdio>

namespace soak {
namespace {

constexpr double kQuickLimitMs = 250;
constexpr double kConnectLimitMs = 1100;    // the driver's bounded connect wait (1 s) and a margin
constexpr double kDiscoveryLimitMs = 1600;  // discovered() waits at most 1.5 s after a fresh start
constexpr double kReleaseLimitMs = 1200;    // the flush of the last texts (100 ms) and the drain (at most 1 s)
constexpr double kSlowCallMs = 20;

bool oneOf(const std::string& method, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (method == name) return true;
    return false;
}

bool mayConnect(const std::string& method) {
    return oneOf(method, {"GetRigObject", "Launch", "Set", "Xmit", "TuneFrequency", "ClearRIT"});
}

bool chooserWait(const std::string& method) {
    return oneOf(method, {"GetNumChoices(fresh)", "GetRadioName", "GetSavedChoice", "GetRigObject", "Release"});
}

}  // namespace

double callLimitMs(const std::string& method, const std::function<bool()>& linkMayBeDown) {
    if (method == "GetNumChoices(fresh)") return kDiscoveryLimitMs;
    if (method == "Release") return kReleaseLimitMs;
    if (mayConnect(method) && linkMayBeDown && linkMayBeDown()) return kConnectLimitMs;
    return kQuickLimitMs;
}

void CallWatch::violation(const std::string& text) {
    if (repeats_[text]++ > 0) return;
    violations_.push_back(text);
    std::printf("  %6.1f s  violation: %s\n", std::chrono::duration<double>(Clock::now() - start_).count(), text.c_str());
    std::fflush(stdout);
}

void CallWatch::timed(const char* method, TimePoint start, const std::function<bool()>& linkMayBeDown) {
    const TimePoint end = Clock::now();
    if (chooserWait(method)) lastChooserWait_ = end;
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    MethodFigures& figures = methods_[method];
    ++figures.calls;
    if (ms > kSlowCallMs) ++figures.over20ms;
    if (ms > figures.longestMs) figures.longestMs = ms;
    if (ms <= kQuickLimitMs) return;
    const double limit = callLimitMs(method, linkMayBeDown);
    if (ms > limit) {
        char text[160];
        std::snprintf(text, sizeof text, "%s took longer than its limit of %.0f ms", method, limit);
        violation(text);
    }
}

std::string CallWatch::hresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<uint32_t>(hr)));
    return text;
}

}  // namespace soak
