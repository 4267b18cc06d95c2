// The spread of a series of timings and the rows of the printed tables.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace e2e {

struct Spread {
    std::size_t count = 0;
    double median = 0;
    double p90 = 0;
    double p99 = 0;
    double max = 0;
};

// Percentiles by rank (the sample at index n * p / 100 of the sorted ones);
// all zero for no samples.
Spread spreadOf(std::vector<double> samples);

// "  label                          median      p90      p99      max     n"
void printSpreadHeader(const char* unit);
void printSpreadRow(const std::string& label, const Spread& spread);
void printTitle(const std::string& title);
void printNote(const std::string& note);

}  // namespace e2e
