#include "Figures.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

Spread spreadOf(std::vector<double> samples) {
    Spread spread;
    spread.count = samples.size();
    if (samples.empty()) return spread;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share) { return samples[static_cast<std::size_t>(samples.size() * share)]; };
    spread.median = at(0.5);
    spread.p90 = at(0.9);
    spread.p99 = at(0.99);
    spread.max = samples.back();
    return spread;
}

void printSpreadHeader(const char* unit) {
    std::printf("  %-40s %9s %9s %9s %9s %6s   (%s)\n", "", "median", "p90", "p99", "max", "n", unit);
}

void printSpreadRow(const std::string& label, const Spread& spread) {
    std::printf("  %-40s %9.1f %9.1f %9.1f %9.1f %6zu\n", label.c_str(), spread.median, spread.p90, spread.p99,
                spread.max, spread.count);
    std::fflush(stdout);
}

void printTitle(const std::string& title) {
    std::printf("\n%s\n", title.c_str());
    std::fflush(stdout);
}

void printNote(const std::string& note) {
    std::printf("  %s\n", note.c_str());
    std::fflush(stdout);
}

}  // namespace e2e
