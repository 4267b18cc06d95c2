// The text of the calling thread's last system error, for the log: read at
// once after a platform call has reported a failure, before anything else
// can change it. One line, as the system words it, with its number:
// "Access denied (error 5)".
#pragma once

#include <string>

namespace platform {

std::string lastSystemError();

// The message and the number as one line: control bytes become blanks, and
// blanks and dots at the end go. A message that says nothing is "error N".
std::string systemErrorLine(const std::string& message, long number);

}  // namespace platform
