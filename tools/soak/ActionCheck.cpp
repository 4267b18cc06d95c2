#include "ActionCheck.h"

#include <algorithm>
#include <iterator>

namespace soak {
namespace {

constexpr int64_t kStepHz = 10;
constexpr std::size_t kWindowsKept = 16;

bool sameButVfoA(const RadioState& a, const RadioState& b) {
    return a.vfoB == b.vfoB && a.mode == b.mode && a.split == b.split && a.transmitting == b.transmitting;
}

// Whether the state numbered `seq` transmits; `unknown` when it is no longer kept.
bool transmittingAt(const RadioHistory& history, uint64_t seq, bool unknown) {
    const auto state = history.at(seq);
    return state ? state->transmitting : unknown;
}

}  // namespace

void ActionCheck::xmitCalled(bool on, const RadioPoint& at) {
    if (on) {
        keyed_.push_back({at, std::nullopt, std::nullopt, false});
        if (keyed_.size() > kWindowsKept) keyed_.pop_front();
    } else if (!keyed_.empty() && !keyed_.back().unkeyedAt) {
        keyed_.back().unkeyedAt = at;
    }
}

void ActionCheck::setCalled(const Reading& wanted, const RadioPoint& before) { set_ = PendingSet{wanted, before, faultOn_}; }

void ActionCheck::tuneCalled(long amount) { ++(amount > 0 ? upsCalled_ : downsCalled_); }

void ActionCheck::faultOn(bool on, bool rejectionsAllowed) {
    faultOn_ = on;
    rejectionsAllowed_ = on && rejectionsAllowed;
    if (on && set_) set_->excused = true;
}

std::vector<std::string> ActionCheck::judge(const RadioHistory& history, long rejected) {
    std::vector<std::string> violations;
    if (rejected_ && rejected > *rejected_ && !rejectionsAllowed_)
        violations.push_back("the radio rejected " + std::to_string(rejected - *rejected_) +
                             " command(s) (answered \"?;\") while no fault sent it bytes of its own");
    rejected_ = rejected;
    judgeKeying(history, violations);
    for (const auto& entry : history.entries()) {
        if (entry.seq <= judgedSeq_) continue;
        if (lastState_) judgeEntry(entry, *lastState_, violations);
        lastState_ = entry.state;
        judgedSeq_ = entry.seq;
    }
    judgeSet(history, violations);
    return violations;
}

void ActionCheck::judgeEntry(const HistoryEntry& entry, const RadioState& previous, std::vector<std::string>& violations) {
    if (entry.state.transmitting && !keyedAt(entry.seq))
        violations.push_back("the radio transmitted outside the logger's Xmit(1) ... Xmit(0) windows");
    if (entry.cause != 'u') return;
    const int64_t delta = entry.state.vfoA - previous.vfoA;
    if ((delta != kStepHz && delta != -kStepHz) || !sameButVfoA(entry.state, previous))
        violations.push_back("a tuning step moved VFO A by " + std::to_string(delta) + " Hz or changed more");
    if (++(delta > 0 ? upsSeen_ : downsSeen_) > (delta > 0 ? upsCalled_ : downsCalled_))
        violations.push_back(std::string("the radio stepped ") + (delta > 0 ? "up" : "down") +
                             " more often than the logger tuned that way");
}

bool ActionCheck::keyedAt(uint64_t seq) const {
    for (const auto& window : keyed_)
        if (window.keyedAt.seq < seq && (!window.untilSeq || seq <= *window.untilSeq)) return true;
    return false;
}

// Closes each window at the first poll answered after its unkey, which must
// find the radio receiving unless a later Xmit(1) came first; a poll
// answered on the same link after the Xmit(1), and before the unkey was
// called, must find it transmitting.
void ActionCheck::judgeKeying(const RadioHistory& history, std::vector<std::string>& violations) {
    for (auto window = keyed_.begin(); window != keyed_.end(); ++window) {
        std::optional<AnswerMark> onAir;
        if (!window->onAirChecked) onAir = history.firstPollAfter(window->keyedAt);
        if (onAir) {
            window->onAirChecked = true;
            const bool sameLinkBeforeUnkey = onAir->connection <= window->keyedAt.opened &&
                                             (!window->unkeyedAt || onAir->number <= window->unkeyedAt->mark);
            if (sameLinkBeforeUnkey && !transmittingAt(history, onAir->seq, true))
                violations.push_back("the radio did not transmit when it answered a poll sent after the logger's Xmit(1)");
        }
        if (!window->unkeyedAt || window->untilSeq) continue;
        const auto poll = history.firstPollAfter(*window->unkeyedAt);
        if (!poll) continue;
        window->untilSeq = poll->seq;
        const bool keyedAgain = std::any_of(std::next(window), keyed_.end(),
                                            [&](const Keyed& later) { return later.keyedAt.seq < poll->seq; });
        if (!keyedAgain && transmittingAt(history, poll->seq, false))
            violations.push_back("the radio still transmitted when it answered a poll sent after the logger's Xmit(0)");
    }
}

void ActionCheck::judgeSet(const RadioHistory& history, std::vector<std::string>& violations) {
    if (!set_ || !history.firstMarkAfter(set_->before.mark, 'k')) return;
    if (!set_->excused && !history.heldSince(set_->before.seq, set_->wanted))
        violations.push_back("the radio answered a Set's \"KS\" but never held its state (" + describe(set_->wanted) + ")");
    set_.reset();
}

}  // namespace soak
