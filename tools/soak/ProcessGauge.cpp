#include "ProcessGauge.h"

#include <filesystem>
#include <fstream>

namespace soak {

ProcessGauge readProcessGauge(const std::string& procSelf) {
    ProcessGauge gauge;
    std::ifstream status(procSelf + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") status >> gauge.memoryKiB;
        if (key == "Threads:") status >> gauge.threads;
        status.ignore(4096, '\n');
    }
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(procSelf + "/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++gauge.handles;
    return gauge;
}

std::string procEntryFrom(const std::string& file) {
    if (file.empty()) return "/proc/self";
    std::ifstream in(file);
    std::string entry;
    std::getline(in, entry);
    return entry;
}

}  // namespace soak
