#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace platform {

// The private-profile functions of this build leave errno set when they fail.
std::string lastSystemError() {
    const int error = errno;
    return systemErrorLine(std::strerror(error), error);
}

}  // namespace platform
