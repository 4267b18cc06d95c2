#include "ProcessGauge.h"

#include <fstream>

namespace soak {

ProcessGauge readProcessGauge(const std::string& procEntry) {
    ProcessGauge gauge;
    std::ifstream status(procEntry + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") status >> gauge.memoryKiB;
        if (key == "Threads:") status >> gauge.threads;
        status.ignore(4096, '\n');
    }
    gauge.handles = countOwnHandles();
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
