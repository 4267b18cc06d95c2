// The driver's log before qbhost loads the driver, which starts k4logio.log
// afresh: qbhost first moves an existing log aside whole, renamed
// k4logio-<date>-<time>.log (its last write) in the same folder, and keeps
// the five newest copies it made (LogKeeping). A log that cannot be moved,
// as while the logger has it open, stays where it is, and qbhost must not
// load the driver then.
#pragma once

#include <string>

namespace qbhost {

struct DriverLog {
    enum class State {
        Off,       // LogFileFolder is not set
        NoFolder,  // LogFileFolder names a folder that does not exist
        Absent,    // no k4logio.log in the folder
        InPlace,   // the log is where the driver writes it (not moved, or it could not be)
        MovedAside,
    };
    State state = State::Off;
    std::string folder;       // LogFileFolder as read
    std::string path;         // the log's full path: k4logio.log, or the copy once moved
    long long size = 0;       // bytes, for InPlace and MovedAside
    std::string whyNotMoved;  // for InPlace after a failed move: the system's reason
};

// Where the log is, without changing anything.
DriverLog findDriverLog();

// Moves an existing log aside and deletes the copies beyond the newest five
// that qbhost made; InPlace with whyNotMoved when it cannot be moved.
DriverLog moveDriverLogAside();

}  // namespace qbhost
