// The soak's final table: recovery per fault kind, the longest call per
// method, the process's size over the run with its growth per hour, and
// every violation. A run with violations, or whose process grew steadily
// (a leak), fails.
#pragma once

#include "Soak.h"

namespace soak {

// Prints the table; returns true when the run passed.
bool printReport(const SoakResult& result);

// Whether start, middle and end samples show a leak: growth in both halves
// beyond what a settled process varies by. Empty when not; else which.
std::string leakOf(const std::vector<GaugeSample>& samples, bool memoryCheck);

}  // namespace soak
