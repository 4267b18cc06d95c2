#include "ProcessStat.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace e2e {
namespace {

constexpr double kClockTicksPerSecond = 100;
constexpr int kUserTimeField = 14;  // stime follows; fields counted from 1

}  // namespace

double cpuSecondsOfStat(const std::string& statText) {
    // The command name (field 2) is in parentheses and may hold spaces and
    // parentheses of its own: the fields resume after the last ')'.
    const auto nameEnd = statText.rfind(')');
    if (nameEnd == std::string::npos) return 0;
    std::istringstream fields(statText.substr(nameEnd + 1));
    std::string skipped;
    for (int number = 3; number < kUserTimeField && fields >> skipped; ++number) {
    }
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system)) return 0;
    return static_cast<double>(user + system) / kClockTicksPerSecond;
}

double statFileCpuSeconds(const std::string& statPath) {
    std::ifstream file(statPath);
    return cpuSecondsOfStat(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

}  // namespace e2e
