#include <filesystem>

#include "ProcessGauge.h"

namespace soak {

long countOwnHandles() {
    long count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

}  // namespace soak
