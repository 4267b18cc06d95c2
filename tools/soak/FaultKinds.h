// The faults the soak switches on and off while it runs, as requests to
// k4sim's control port, and what shows that each took effect. A rig fault
// hits the radio of one slot; a discovery fault hits the spare radio, which
// only answers discovery probes (and is chosen once for a slot of its own
// by the control-id fault).
#pragma once

#include <string>
#include <vector>

namespace soak {

struct FaultKind {
    enum class Target { rig, discovery };
    // What an episode must show to count as one in which the fault took effect.
    enum class Proof {
        renewed,     // a connection was open when it began, and a new one was made before recovery
        unanswered,  // the radio read commands during the fault and wrote nothing
        delivered,   // the radio wrote at least one poll's answers during the fault
        injected,    // the unasked bytes went to an open connection
        knobbed,     // the knob moved during a Set (the set-knob fault's state)
        listed,      // the chooser's list was seen abnormal during the fault
        chosen,      // the spare was bound with S_OK and its id kept out of the settings
    };
    // How an episode of the kind is run and judged besides its proof.
    enum Trait : unsigned {
        keepsLink = 1,     // the driver must keep its link: k4sim's opened count stays put
        startsKeyed = 2,   // every other episode begins while transmitting, and unkeys in the outage
        stallsWrites = 4,  // a burst of Sets fills what the radio's connection can take in
        ownBytes = 8,      // the radio sends bytes of its own, which may make it reject commands
    };
    const char* name;
    Target target;
    int durationMs;
    const char* on;    // control request; "%s" stands for the radio's name
    const char* off;   // control request that ends it; empty when it ends by itself
    bool mayDropLink;  // the driver may end the link while the radio keeps it (Check may then fail)
    Proof proof;
    int recoveryLimitMs;  // the fault's end until the reading shows the radio's state (the list is normal)
    unsigned traits = 0;
    bool has(Trait trait) const { return (traits & trait) != 0; }
};

const std::vector<FaultKind>& allFaultKinds();
// The kind of this name; nullptr when there is none.
const FaultKind* findFaultKind(const std::string& name);

// The kinds named in `only` (comma-separated; empty: all; "none": none)
// minus those named in `skip`. Throws std::invalid_argument for an unknown name.
std::vector<const FaultKind*> chooseFaultKinds(const std::string& only, const std::string& skip);

// The request with the radio's name put in.
std::string requestFor(const char* pattern, const std::string& radio);

}  // namespace soak
