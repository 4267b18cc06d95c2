#include "CallWatch.h"

#include <cstdio>

namespace soak {
namespace {

constexpr double kReconnectLimitMs = 1250;  // the bounded reconnect wait and a margin
constexpr double kDiscoveryLimitMs = 750;   // the 500 ms wait for discovery answers and a margin
constexpr double kQuickLimitMs = 250;       // "milliseconds", on a busy 2-core machine

double limitOf(const std::string& method) {
    for (const char* sending : {"Launch", "Set", "Xmit", "TuneFrequency", "ClearRIT"})
        if (method == sending) return kReconnectLimitMs;
    if (method == "GetNumChoices(fresh)") return kDiscoveryLimitMs;
    if (method == "GetRigObject") return kReconnectLimitMs + kDiscoveryLimitMs;
    return kQuickLimitMs;
}

}  // namespace

void CallWatch::violation(const std::string& text) {
    if (repeats_[text]++ == 0) violations_.push_back(text);
}

void CallWatch::record(const char* method, double ms) {
    MethodFigures& figures = methods_[method];
    if (figures.calls++ == 0) figures.limitMs = limitOf(method);
    if (ms > figures.longestMs) figures.longestMs = ms;
}

void CallWatch::checkLimits() {
    for (const auto& [method, figures] : methods_) {
        if (figures.longestMs <= figures.limitMs) continue;
        char text[160];
        std::snprintf(text, sizeof text, "%s took %.0f ms once (limit %.0f ms)", method.c_str(), figures.longestMs,
                      figures.limitMs);
        violation(text);
    }
}

std::string CallWatch::hresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace soak
