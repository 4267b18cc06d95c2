// The soak's verdict: every violation the checks recorded, every chosen
// fault kind without an episode in which its fault took effect, every rig
// whose radio answered no poll, unsound process samples, and (for runs of
// 10 minutes or more) growth of the process. The run passes only when there
// is none of these.
#pragma once

#include <string>
#include <vector>

#include "Results.h"

namespace soak {

std::vector<std::string> verdictFailures(const SoakResult& result);

}  // namespace soak
