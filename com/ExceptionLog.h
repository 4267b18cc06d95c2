// Where guard() reports the exceptions it stops: the process log trail,
// installed by the process state when it opens that trail. The trail is
// held weakly, so that it still closes when its last holder lets go.
//
// Concurrency: COM calls of several apartments may report at once; the
// installed trail is copied under a mutex and written outside it (the trail
// serialises its own appends).
#pragma once

#include <memory>

class LogTrail;

namespace com {

void setExceptionLog(const std::shared_ptr<LogTrail>& trail);

// Writes the entry "exception" with `what` as details to the installed
// trail, if any and open. Never throws: an entry that cannot be written is
// left out.
void logStoppedException(const char* what) noexcept;

}  // namespace com
