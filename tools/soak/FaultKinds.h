// The faults the soak switches on and off while it runs, as requests to
// k4sim's control port. A rig fault hits the radio of one slot; a discovery
// fault hits the spare radio, which only answers discovery probes (and is
// chosen once for a slot of its own by the control-id fault).
#pragma once

#include <string>
#include <vector>

namespace soak {

struct FaultKind {
    enum class Target { rig, discovery };
    const char* name;
    Target target;
    int durationMs;
    const char* on;   // control request; "%s" stands for the radio's name
    const char* off;  // control request that ends it; empty when it ends by itself
};

const std::vector<FaultKind>& allFaultKinds();

// The kinds named in `only` (comma-separated; empty: all) minus those
// named in `skip`. Throws std::invalid_argument for an unknown name.
std::vector<const FaultKind*> chooseFaultKinds(const std::string& only, const std::string& skip);

// The request with the radio's name put in.
std::string requestFor(const char* pattern, const std::string& radio);

}  // namespace soak
