#include "Figures.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

Spread spreadOf(std::vector<double> samples) {
    Spread spread;
    spread.count = samples.size();
    if (samples.empty()) return spread;
    std::sort(samples.begin(), samples.end());
    // Whole-number arithmetic: the 32-bit build's x87 unit would make
    // 100 * 0.99 a hair under 99.
    const auto at = [&](std::size_t percent) { return samples[samples.size() * percent / 100]; };
    spread.median = at(50);
    spread.p90 = at(90);
    spread.p99 = at(99);
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
