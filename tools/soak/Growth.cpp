#include "Growth.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace soak {
namespace {

constexpr double kJudgedFromSeconds = 600;
constexpr double kWarmUpSeconds = 120;
constexpr double kMemoryLimitKiBPerHour = 1024;
// Handles the process may gain for good without a leak: the threads library
// gives a lock an event from the system the first time two threads meet on
// it, and a lock that lives through the run (the log's, discovery's, the
// library's own) may first meet late, seen under Wine as one event more
// after the first quarter of an hour. A leak comes with something the run
// repeats (episodes, binds, discoveries, hundreds an hour) and passes this
// within minutes.
constexpr long kHandlesMadeLazily = 4;

double percentile(const std::vector<double>& sorted, double fraction) {
    const auto at = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size()))) - 1;
    return sorted[std::min(at, sorted.size() - 1)];
}

// Whether the last quarter's median rose more than `allowance` above the
// first quarter's highest.
template <class Read>
bool rose(const std::vector<GaugeSample>& samples, Read read, double allowance) {
    const std::size_t quarter = samples.size() / 4;
    std::vector<double> first, last;
    for (std::size_t i = 0; i < quarter; ++i) {
        first.push_back(read(samples[i].gauge));
        last.push_back(read(samples[samples.size() - quarter + i].gauge));
    }
    return quarter > 0 && spreadOf(last).median > *std::max_element(first.begin(), first.end()) + allowance;
}

}  // namespace

Spread spreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values.size(), percentile(values, 0.5), percentile(values, 0.99), values.back()};
}

double memorySlopePerHour(const std::vector<GaugeSample>& all) {
    std::vector<GaugeSample> samples;
    std::copy_if(all.begin(), all.end(), std::back_inserter(samples),
                 [](const GaugeSample& s) { return s.atSeconds >= kWarmUpSeconds; });
    if (samples.size() < 2) return 0;
    double meanT = 0, meanM = 0;
    for (const auto& s : samples) {
        meanT += s.atSeconds;
        meanM += s.gauge.memoryKiB;
    }
    meanT /= static_cast<double>(samples.size());
    meanM /= static_cast<double>(samples.size());
    double covariance = 0, variance = 0;
    for (const auto& s : samples) {
        covariance += (s.atSeconds - meanT) * (s.gauge.memoryKiB - meanM);
        variance += (s.atSeconds - meanT) * (s.atSeconds - meanT);
    }
    return variance > 0 ? covariance / variance * 3600 : 0;
}

std::string unsoundSamples(const std::vector<GaugeSample>& samples) {
    if (samples.size() < 3) return "fewer than 3 samples of the process";
    for (const auto& s : samples)
        if (s.gauge.memoryKiB <= 0 || s.gauge.threads <= 0 || s.gauge.handles <= 0)
            return "a gauge of the process read 0 (memory, threads or handles unreadable)";
    return {};
}

std::string growthFault(const std::vector<GaugeSample>& samples, double runSeconds, bool memoryCheck) {
    if (runSeconds < kJudgedFromSeconds || samples.size() < 4) return {};
    if (memoryCheck && memorySlopePerHour(samples) > kMemoryLimitKiBPerHour) return "memory grew by more than 1 MiB per hour";
    if (rose(samples, [](const ProcessGauge& g) { return static_cast<double>(g.threads); }, 0))
        return "the thread count rose";
    if (rose(samples, [](const ProcessGauge& g) { return static_cast<double>(g.handles); }, kHandlesMadeLazily))
        return "the handle count rose by more than " + std::to_string(kHandlesMadeLazily);
    return {};
}

}  // namespace soak
