// Drives a rig object as a logger does (Launch, then Check for as long as
// the pTime hint asks for it) and times each poll from Launch to the Check
// that took its last answer.
//
// What the host sees: Check keeps returning the hint 10 while the first
// answer is awaited and while a poll's answer is under way (until its last
// answer or the poll's time-out); the first Check after that returns -1. The last Check hinted 10 is therefore the one
// that parsed the final answer, "MD$". Whether it really was MD$ shows at
// the next Launch: the rig sends a new poll (hint 10) only once the previous
// one was answered in full. A poll the Checks gave up on early is counted
// as incomplete and its figure dropped.
#pragma once

#include <chrono>
#include <vector>

#include "com/Interfaces.h"

namespace e2e {

using Clock = std::chrono::steady_clock;

double microsSince(Clock::time_point start);

// Throws std::runtime_error naming the call when it failed.
void expectOk(HRESULT hr, const char* call);

// How the host calls Check again after a hint: at once, or after yielding
// the processor once.
enum class CheckPace { tight, yield };

inline constexpr LONG kCheckAgain = 10;

// Checks until the rig stops hinting; returns when the last hinted Check
// returned.
Clock::time_point checkWhileHinted(IQbRig* rig, CheckPace pace);

// Takes whatever a rig still has coming (a poll's late answers, a Set's
// confirmation) until a Launch sends a new poll, then completes that poll.
void settle(IQbRig* rig);

class PollSampler {
public:
    PollSampler(IQbRig* rig, CheckPace pace) : rig_(rig), pace_(pace) {}

    // One poll. Its figure (microseconds) is added to `into` once the next
    // poll's Launch shows that it was answered in full.
    void poll(std::vector<double>& into);
    // Confirms the last poll, leaving a poll of its own answered.
    void finish();
    int incomplete() const { return incomplete_; }

private:
    // Launches a poll, first settling a previous one left unanswered.
    Clock::time_point launch();

    IQbRig* rig_;
    CheckPace pace_;
    std::vector<double>* pendingInto_ = nullptr;
    double pending_ = 0;
    int incomplete_ = 0;
};

struct PollSeries {
    std::vector<double> micros;
    int incomplete = 0;
};

PollSeries timePolls(IQbRig* rig, CheckPace pace, int count);

}  // namespace e2e
