// This process's CPU time, Windows build.
#include "Host.h"

namespace e2e {

double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) *
               1e-7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace e2e
