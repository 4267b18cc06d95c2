#include "LinkWatch.h"

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kMargin = 2.5s;

bool within(const std::optional<TimePoint>& since, TimePoint now) { return since && now - *since <= kMargin; }

}  // namespace

void LinkWatch::observed(TimePoint now, int openConnections) {
    if (openConnections == 0) lastSeenClosed_ = now;
}

void LinkWatch::faultOn(TimePoint) { faultActive_ = true; }

void LinkWatch::faultOff(TimePoint now) {
    faultActive_ = false;
    faultEnded_ = now;
}

bool LinkWatch::mayBeDown(TimePoint now) const {
    return faultActive_ || within(lastSeenClosed_, now) || within(faultEnded_, now);
}

}  // namespace soak
