// The operator's last Xmit(0), until the radio is known to have carried it
// out. A transmitter left keyed while the logger shows receive is the worst
// fault a rig driver can have, so an "RX;" that was refused, or written to a
// link that then went quiet, is sent again first on the next link; "TX;" is
// never sent again.
#pragma once

#include <cstdint>

struct OwedUnkey {
    bool carried = false;        // a link accepted it
    uint64_t answersNeeded = 0;  // on that link: the queries sent before it, plus one
};

// The radio answers queries in order: once more of them are answered on the
// link than were sent before the "RX;", the radio has read it.
inline bool unkeyStillOwed(const OwedUnkey& unkey, uint64_t answersOnLink) {
    return !unkey.carried || answersOnLink < unkey.answersNeeded;
}
