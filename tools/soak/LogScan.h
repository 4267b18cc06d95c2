// The driver's log file, read as it grows, for the entries that the COM
// boundary's guard writes for every exception it stops: the entry header
// (writer id, milliseconds) and the message "exception". Any such entry
// fails the soak, since the host would only have seen E_FAIL.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace soak {

bool isExceptionEntry(const std::string& line);

class LogScan {
public:
    explicit LogScan(std::string path) : path_(std::move(path)) {}
    // The exception entries among the lines completed since the last call.
    std::vector<std::string> newExceptions();

private:
    std::string path_;
    std::streamoff offset_ = 0;
    std::string partial_;  // the start of a line not yet ended
};

}  // namespace soak
