#include "tools/qbhost/PollWatch.h"

#include <algorithm>

#include "core/RigTiming.h"
#include "tools/qbhost/Values.h"

namespace qbhost {
namespace {

constexpr LONG kCheckAgain = 10;
// Between two Checks the rig asked for, and a logger's poll period between
// two looks at a quiet rig.
constexpr platform::Nanos kCheckDelay = 10'000'000;
constexpr platform::Nanos kQuietDelay = 100'000'000;

std::string boundText(platform::Nanos bound) { return decimalText(static_cast<double>(bound) / 1e9) + " s"; }

}  // namespace

std::string pollBoundText() { return boundText(rigtiming::kPollTimeout); }
std::string setBoundText() { return boundText(rigtiming::kSetTimeout); }

PollWatch::PollWatch(IQbRig* rig, platform::Clock clock, Pause pause)
    : rig_(rig), clock_(std::move(clock)), pause_(std::move(pause)) {}

void PollWatch::start() {
    pollSentAt_ = clock_();
    launch();
}

PollWatch::Outcome PollWatch::awaitAnswer() { return await(pollSentAt_, rigtiming::kPollTimeout); }

PollWatch::Outcome PollWatch::awaitAnswerSince(platform::Nanos since) {
    // The driver ends a poll in flight within its bound of the poll's start,
    // which came before `since`; a poll sent after `since` is read from the
    // clock after at least one pause.
    const platform::Nanos waitOut = rigtiming::kPollTimeout + kQuietDelay;
    while (pollSentAt_ <= since) {
        if (!checkWhileHinted()) return Outcome::LinkDown;
        const platform::Nanos launchedAt = clock_();
        if (launch()) pollSentAt_ = launchedAt;
        else if (rigtiming::hasElapsed(clock_(), since, waitOut)) return Outcome::NoAnswer;
    }
    return awaitAnswer();
}

PollWatch::Outcome PollWatch::awaitConfirmation(platform::Nanos setAt) {
    return await(setAt, rigtiming::kSetTimeout);
}

void PollWatch::waitOutPoll() {
    while (!rigtiming::hasElapsed(clock_(), pollSentAt_, rigtiming::kPollTimeout)) {
        if (!checkWhileHinted()) return;
        restWithin(pollSentAt_, rigtiming::kPollTimeout);
    }
}

void PollWatch::rest() { pause_(kQuietDelay); }

// A quiet rig is looked at again after a logger's poll period, or sooner so
// that a last look still falls inside the bound: an answer needs one Check to
// take it and one to find the rig quiet before the Launch can tell.
void PollWatch::restWithin(platform::Nanos since, platform::Nanos bound) {
    const platform::Nanos left = rigtiming::elapsed(bound, rigtiming::elapsed(clock_(), since));
    pause_(std::clamp(left - 3 * kCheckDelay, kCheckDelay, kQuietDelay));
}

PollWatch::Outcome PollWatch::await(platform::Nanos since, platform::Nanos bound) {
    for (;;) {
        if (!checkWhileHinted()) return Outcome::LinkDown;
        const platform::Nanos launchedAt = clock_();
        const bool polled = launch();
        const bool inTime = !rigtiming::hasElapsed(clock_(), since, bound);
        if (polled) pollSentAt_ = launchedAt;
        if (polled || !inTime) return polled && inTime ? Outcome::Answered : Outcome::NoAnswer;
        restWithin(since, bound);
    }
}

// False when Check reports that the link is down.
bool PollWatch::checkWhileHinted() {
    LONG hint = 0;
    do {
        pause_(kCheckDelay);
        if (FAILED(rig_->Check(&hint))) return false;
    } while (hint == kCheckAgain);
    return true;
}

// True when Launch sent a poll.
bool PollWatch::launch() {
    LONG hint = 0;
    rig_->Launch(&hint);
    return hint == kCheckAgain;
}

}  // namespace qbhost
