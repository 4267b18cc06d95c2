#include "ReadingCheck.h"

#include <algorithm>
#include <limits>

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kPollTimeout = 2s;   // the driver polls again this long after an unanswered poll
constexpr auto kSetTimeout = 1.5s;  // the driver forgets an unconfirmed Set after this long

}  // namespace

void ReadingCheck::bound(uint64_t seqNow) {
    bindSeq_ = windowSeq_ = seqNow;
    floorSeq_ = 0;
    answeredPolls_ = 0;
    lastPoll_.reset();
    set_.reset();
}

std::string ReadingCheck::pollSent(TimePoint start, TimePoint end, const RadioHistory& history) {
    std::string violation;
    if (lastPoll_ && end - lastPoll_->start < kPollTimeout) {
        pollAnswered(*lastPoll_);
        violation = checkTransmit(*lastPoll_, history);
    }
    if (set_ && !set_->confirmed && end - set_->start < kSetTimeout) {
        set_->confirmed = true;
        if (const auto seq = history.firstHeldSince(set_->seqBefore, set_->wanted))
            floorSeq_ = std::max(floorSeq_, *seq);
    }
    lastPoll_ = Poll{start, history.lastSeq()};
    return violation;
}

void ReadingCheck::pollAnswered(const Poll& poll) {
    ++answeredPolls_;
    windowSeq_ = std::max(windowSeq_, poll.seqAtSend);
    if (set_ && set_->start < poll.start) set_.reset();  // the radio's answer rules from now on
}

std::string ReadingCheck::checkTransmit(const Poll& answered, const RadioHistory& history) {
    if (!xmit_ || xmit_->checked || !(xmit_->start < answered.start)) return {};
    xmit_->checked = true;
    if (history.current().transmitting == xmit_->on) return {};
    return xmit_->on ? "the radio does not transmit after the logger's Xmit(1) and an answered poll"
                     : "the radio transmits after the logger's Xmit(0) and an answered poll";
}

void ReadingCheck::setCalled(TimePoint start, const Reading& wanted, uint64_t seqBefore) {
    set_ = PendingSet{start, wanted, seqBefore, false};
}

void ReadingCheck::xmitCalled(TimePoint start, bool on) { xmit_ = Xmit{start, on, false}; }

std::string ReadingCheck::judge(const Reading& reading, const RadioHistory& history) const {
    if (set_ && reading == set_->wanted) return {};
    if (history.heldSince(std::max(windowSeq_, floorSeq_), reading)) return {};
    if (answeredPolls_ == 0 && partsFromDefaultsOrHeld(reading, history)) return {};
    if (floorSeq_ > windowSeq_ && history.heldSince(windowSeq_, reading))
        return "a state the radio held before the last confirmed Set";
    return "no whole state the radio held since the last answered poll";
}

// Before its first answered poll a rig object may show some answers and
// its defaults for the rest.
bool ReadingCheck::partsFromDefaultsOrHeld(const Reading& reading, const RadioHistory& history) const {
    const auto partAllowed = [&](auto part) {
        if (part(kRigDefaults) == part(reading) || (set_ && part(set_->wanted) == part(reading))) return true;
        return history.anySince(bindSeq_, [&](const HistoryEntry& e) { return part(readingOf(e.state)) == part(reading); });
    };
    return partAllowed([](const Reading& r) { return r.rcvHz; }) && partAllowed([](const Reading& r) { return r.xmitHz; }) &&
           partAllowed([](const Reading& r) { return r.mode; }) && partAllowed([](const Reading& r) { return r.split; });
}

uint64_t ReadingCheck::oldestNeeded() const {
    return std::min(windowSeq_, set_ ? set_->seqBefore : std::numeric_limits<uint64_t>::max());
}

}  // namespace soak
