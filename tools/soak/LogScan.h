// The driver's log file, read as it grows: the entries that the COM
// boundary's guard writes for every exception it stops, and those in which
// a rig reports an exception that ended its connection (the entry header,
// writer id and milliseconds, then "exception" or "link exception"). Any
// such entry fails the soak, since the host would only have seen E_FAIL or
// a lost link. A log without a single entry fails it too: the soak's other
// log checks would pass on nothing.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "CallWatch.h"

namespace soak {

bool isExceptionEntry(const std::string& line);

class LogScan {
public:
    explicit LogScan(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }
    // The exception entries among the lines completed since the last call.
    std::vector<std::string> newExceptions();
    // Whether a line with an entry's header was read so far.
    bool sawEntry() const { return sawEntry_; }

private:
    std::string path_;
    std::streamoff offset_ = 0;
    std::string partial_;  // the start of a line not yet ended
    bool sawEntry_ = false;
};

// Reads what the log gained: a violation for each exception entry; once the
// driver has let the file go (`closed`: nothing is left in its buffers),
// one when it has no entry at all.
void scanDriverLog(LogScan& log, CallWatch& calls, bool closed);

}  // namespace soak
