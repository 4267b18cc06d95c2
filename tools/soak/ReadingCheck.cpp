#include "ReadingCheck.h"

#include <algorithm>

namespace soak {

void ReadingCheck::bound(const RadioPoint& at) {
    bind_ = at;
    knownAtLaunch_ = knownBefore_ = at.mark;
    set_.reset();
}

void ReadingCheck::launching(uint64_t lastMark) {
    knownBefore_ = knownAtLaunch_;
    knownAtLaunch_ = lastMark;
}

void ReadingCheck::setCalled(const Reading& wanted, const RadioPoint& before) { set_ = PendingSet{wanted, before}; }

std::optional<uint64_t> ReadingCheck::pollWindow(const RadioHistory& history) const {
    const auto poll = history.newestPoll(knownBefore_, bind_.opened);
    if (!poll) return std::nullopt;
    return poll->seq;
}

std::string ReadingCheck::judge(const Reading& reading, const RadioHistory& history) const {
    const auto window = pollWindow(history);
    uint64_t setFloor = 0;
    if (set_) {
        const auto after = history.firstPollAfter(set_->before);
        if (reading == set_->wanted && !(after && after->number <= knownBefore_)) return {};
        const auto confirmed = history.firstMarkAfter(set_->before.mark, 'k');
        if (confirmed && confirmed->number <= knownBefore_)
            setFloor = history.firstHeldSince(set_->before.seq, set_->wanted).value_or(0);
    }
    const uint64_t from = window.value_or(bind_.seq);
    if (history.heldSince(std::max(from, setFloor), reading)) return {};
    if (!window && partsFromDefaultsOrHeld(reading, history)) return {};
    if (setFloor > 0) {
        const auto held = history.firstHeldSince(std::min(from, set_->before.seq), reading);
        if (held && *held < setFloor) return "a state the radio held before the last confirmed Set";
    }
    return "no whole state the radio held since the last answered poll";
}

// Before its first answered poll a rig object may show some answers and
// its defaults for the rest.
bool ReadingCheck::partsFromDefaultsOrHeld(const Reading& reading, const RadioHistory& history) const {
    const auto partAllowed = [&](auto part) {
        if (part(kRigDefaults) == part(reading) || (set_ && part(set_->wanted) == part(reading))) return true;
        return history.anySince(bind_.seq, [&](const HistoryEntry& e) { return part(readingOf(e.state)) == part(reading); });
    };
    return partAllowed([](const Reading& r) { return r.rcvHz; }) && partAllowed([](const Reading& r) { return r.xmitHz; }) &&
           partAllowed([](const Reading& r) { return r.mode; }) && partAllowed([](const Reading& r) { return r.split; });
}

uint64_t ReadingCheck::oldestNeeded(const RadioHistory& history) const {
    const uint64_t window = pollWindow(history).value_or(bind_.seq);
    return set_ ? std::min(window, set_->before.seq) : window;
}

}  // namespace soak
