// qbhost's verdicts on a rig's answers, shared by the commands and the
// report: a watch on the real clock, and the failure (with its exit code)
// that an unanswered poll or a link down stands for.
#pragma once

#include <optional>

#include "tools/qbhost/Driver.h"
#include "tools/qbhost/PollWatch.h"
#include "tools/qbhost/RadioPlace.h"

namespace qbhost {

PollWatch realTimeWatch(IQbRig* rig);

Failure linkDown(const RadioPlace& place);

// The failure an outcome other than Answered stands for.
std::optional<Failure> unanswered(PollWatch::Outcome outcome, const RadioPlace& place);

void requireAnswer(PollWatch::Outcome outcome, const RadioPlace& place);

}  // namespace qbhost
