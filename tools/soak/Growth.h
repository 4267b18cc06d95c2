// The figures of a run and the judgement of its growth. The process is
// sampled between faults; for runs of 10 minutes or more memory may rise by
// at most 1 MiB per hour (the least-squares slope over the samples from the
// third minute on: in the first minutes the heap and Wine's own caches grow
// to their working size, a few hundred KiB, which is no leak); from the first
// quarter of the samples to the last (the last quarter's median against the
// first quarter's highest) threads may not rise at all, handles by at most 4
// (events the threads library gives long-lived locks once, when first
// contended).
// Shorter runs report growth without judging it.
#pragma once

#include <string>
#include <vector>

#include "ProcessGauge.h"

namespace soak {

struct GaugeSample {
    double atSeconds = 0;
    ProcessGauge gauge;
};

struct Spread {
    std::size_t count = 0;
    double median = 0, p99 = 0, max = 0;
};

Spread spreadOf(std::vector<double> values);

// Least-squares slope of memory over time, KiB per hour, over the samples
// from the third minute on; 0 with fewer than 2 of them.
double memorySlopePerHour(const std::vector<GaugeSample>& samples);

// Empty when the samples are sound; otherwise what is wrong with them:
// fewer than 3, or a gauge that read 0.
std::string unsoundSamples(const std::vector<GaugeSample>& samples);

// Empty when the growth is within bounds or the run too short to judge;
// otherwise what grew.
std::string growthFault(const std::vector<GaugeSample>& samples, double runSeconds, bool memoryCheck);

}  // namespace soak
