// Whether a fault episode took effect, from what k4sim and the chooser
// showed while it ran: an episode whose fault never reached the driver
// proves nothing, and a fault kind without one effective episode fails the
// run.
#pragma once

#include <string>

#include "FaultKinds.h"
#include "SimControl.h"

namespace soak {

struct EpisodeFacts {
    LinkCounts atOn, atOff, atEnd;  // the radio's connections when the fault began, ended, and at recovery
    long unread = 0;                // the most bytes k4sim saw waiting unread on a half-open connection
    int injectedConnections = 0;    // the inject request's count
    bool faultKnobSeen = false;     // a set-knob state in the radio's history
    bool listAbnormal = false;      // a chooser list other than the usual radios
    bool spareBound = false;        // GetRigObject for the spare gave S_OK
    bool spareKeyAbsent = false;    // and no K4Slot key for its slot was written
};

// Empty when the facts prove that the kind's fault took effect; otherwise
// what is missing.
std::string missingProof(const FaultKind& kind, const EpisodeFacts& facts);

// Empty when the driver kept its link as the kind requires (k4sim opened no
// connection from the fault's start to the end of its recovery); otherwise
// what happened.
std::string linkNotKept(const FaultKind& kind, const EpisodeFacts& facts);

// Whether the radio's connection held more unread bytes than the polls of a
// whole fault could leave there: the burst of Sets stalled the writes.
bool writesStalled(const EpisodeFacts& facts);

}  // namespace soak
