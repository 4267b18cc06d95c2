#include "Watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kCallLimit = 5s;
constexpr auto kLookEvery = 100ms;

}  // namespace

std::string watchdogVerdict(const char* method, TimePoint callStart, TimePoint now, TimePoint deadline) {
    if (method && now - callStart > kCallLimit) return std::string(method) + " has not returned within 5 s";
    if (now > deadline) return "the run did not end within its time limit";
    return {};
}

Watchdog::Watchdog(TimePoint deadline) : deadline_(deadline), thread_([this] { watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Watchdog::callBegins(const char* method) {
    callStart_ = Clock::now().time_since_epoch().count();
    method_ = method;
}

void Watchdog::callEnds() { method_ = nullptr; }

void Watchdog::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, kLookEvery, [this] { return stopping_; })) {
        const TimePoint callStart{Clock::duration(callStart_.load())};
        const std::string verdict = watchdogVerdict(method_.load(), callStart, Clock::now(), deadline_);
        if (verdict.empty()) continue;
        std::printf("  violation: %s\n\nsoak: FAILED\n", verdict.c_str());
        std::fflush(stdout);
        std::_Exit(1);
    }
}

}  // namespace soak
