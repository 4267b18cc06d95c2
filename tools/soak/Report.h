// The soak's final table: recovery per fault kind, display lag per radio,
// host-thread calls per method, the process over the run with its growth,
// and the verdict with every reason for a failure.
#pragma once

#include "Results.h"

namespace soak {

// Prints the table; returns true when the run passed.
bool printReport(const SoakResult& result);

}  // namespace soak
