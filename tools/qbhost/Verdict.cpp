#include "tools/qbhost/Verdict.h"

#include <chrono>
#include <thread>

namespace qbhost {

PollWatch realTimeWatch(IQbRig* rig) {
    return PollWatch(rig, platform::steadyClock(),
                     [](platform::Nanos duration) { std::this_thread::sleep_for(std::chrono::nanoseconds(duration)); });
}

Failure linkDown(const RadioPlace& place) {
    if (place.portSource.empty()) return Failure("link down: " + place.where + " cannot be reached", kLinkDown);
    return Failure("link down: no TCP connection to " + place.where + " (" + place.portSource + ")", kLinkDown);
}

std::optional<Failure> unanswered(PollWatch::Outcome outcome, const RadioPlace& place) {
    if (outcome == PollWatch::Outcome::LinkDown) return linkDown(place);
    if (outcome == PollWatch::Outcome::NoAnswer)
        return Failure("no answer from " + place.where + " within " + pollBoundText() +
                           ": connected, but no complete answer to the poll",
                       kNoAnswer);
    return std::nullopt;
}

void requireAnswer(PollWatch::Outcome outcome, const RadioPlace& place) {
    if (auto failure = unanswered(outcome, place)) throw *failure;
}

}  // namespace qbhost
