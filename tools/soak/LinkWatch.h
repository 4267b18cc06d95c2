// When a rig's link may be down, as far as the radio's side shows: k4sim
// reported no open connection to the radio, or a fault that can make the
// driver drop the link (half-open, silent, flood) was on, and for 2.5 s
// after either. Check may fail, and a sending call may include the driver's
// bounded connect wait, only then. Times are passed in.
#pragma once

#include <optional>

#include "Reading.h"

namespace soak {

class LinkWatch {
public:
    // What k4sim's "connections" request said at `now`.
    void observed(TimePoint now, int openConnections);
    void faultOn(TimePoint now);
    void faultOff(TimePoint now);
    bool mayBeDown(TimePoint now) const;

private:
    std::optional<TimePoint> lastSeenClosed_;
    std::optional<TimePoint> faultEnded_;
    bool faultActive_ = false;
};

}  // namespace soak
