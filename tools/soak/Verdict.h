// The soak's verdict: every violation the checks recorded, every chosen
// fault kind without an episode in which its fault took effect, a kind that
// must stall the driver's writes doing so in fewer than 90 % of its
// episodes, every rig whose radio answered no poll, a rig whose display lag
// outside the chooser's waits has a 99th percentile above its timer plus
// 0.5 s, unsound process samples, and (for runs of 10 minutes or more)
// growth of the process. The run passes only when there is none of these.
#pragma once

#include <string>
#include <vector>

#include "Results.h"

namespace soak {

inline constexpr double kLagMarginMs = 500;

std::vector<std::string> verdictFailures(const SoakResult& result);

}  // namespace soak
