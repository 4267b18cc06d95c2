#include "Report.h"

#include <algorithm>
#include <cstdio>

namespace soak {
namespace {

constexpr double kMemorySlackKiB = 1024;  // heap and stack high-water marks settle within this
constexpr long kThreadSlack = 2;          // a rig client or discovery run between its start and join
constexpr long kHandleSlack = 16;         // sockets and events of links being remade

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printRecovery(const SoakResult& result) {
    std::printf("\n  recovery after the fault ended, until GetFrequency agreed with the radio\n");
    std::printf("  %-16s %8s %10s %10s %10s\n", "fault", "episodes", "recovered", "median ms", "max ms");
    for (const auto& [kind, recovery] : result.recovery) {
        const double max = recovery.ms.empty() ? 0 : *std::max_element(recovery.ms.begin(), recovery.ms.end());
        std::printf("  %-16s %8d %10zu %10.0f %10.0f\n", kind.c_str(), recovery.episodes, recovery.ms.size(),
                    median(recovery.ms), max);
    }
}

void printCalls(const SoakResult& result) {
    std::printf("\n  longest host-thread call per method\n");
    std::printf("  %-22s %9s %12s %10s\n", "method", "calls", "longest ms", "limit ms");
    for (const auto& [method, figures] : result.calls.methods())
        std::printf("  %-22s %9ld %12.1f %10.0f\n", method.c_str(), figures.calls, figures.longestMs,
                    figures.limitMs);
}

void printGauges(const SoakResult& result) {
    std::printf("\n  process size\n");
    std::printf("  %-8s %10s %12s %8s %8s\n", "sample", "at s", "RSS KiB", "threads", "fds");
    const char* names[] = {"start", "middle", "end"};
    for (std::size_t i = 0; i < result.samples.size() && i < 3; ++i) {
        const auto& s = result.samples[i];
        std::printf("  %-8s %10.0f %12.0f %8ld %8ld\n", names[i], s.atSeconds, s.gauge.memoryKiB, s.gauge.threads,
                    s.gauge.handles);
    }
    if (result.samples.size() < 2) return;
    const auto& first = result.samples.front();
    const auto& last = result.samples.back();
    const double hours = (last.atSeconds - first.atSeconds) / 3600.0;
    if (hours <= 0) return;
    std::printf("  growth per hour: %.0f KiB memory, %.1f threads, %.1f fds\n",
                (last.gauge.memoryKiB - first.gauge.memoryKiB) / hours,
                static_cast<double>(last.gauge.threads - first.gauge.threads) / hours,
                static_cast<double>(last.gauge.handles - first.gauge.handles) / hours);
}

}  // namespace

std::string leakOf(const std::vector<GaugeSample>& samples, bool memoryCheck) {
    if (samples.size() < 3) return {};
    const ProcessGauge& start = samples[0].gauge;
    const ProcessGauge& middle = samples[1].gauge;
    const ProcessGauge& end = samples[2].gauge;
    if (memoryCheck && middle.memoryKiB - start.memoryKiB > kMemorySlackKiB &&
        end.memoryKiB - middle.memoryKiB > kMemorySlackKiB)
        return "memory grew in both halves of the run";
    if (end.threads > start.threads + kThreadSlack) return "the thread count grew";
    if (end.handles > start.handles + kHandleSlack) return "the handle count grew";
    return {};
}

bool printReport(const SoakResult& result) {
    std::printf("\nsoak: %.0f s\n", result.seconds);
    printRecovery(result);
    printCalls(result);
    printGauges(result);
    const std::string leak = leakOf(result.samples, result.memoryCheck);
    const auto& violations = result.calls.violations();
    std::printf("\n  violations: %zu%s\n", violations.size() + (leak.empty() ? 0 : 1), violations.empty() ? "" : ":");
    for (const auto& violation : violations)
        std::printf("    %s (%d times)\n", violation.c_str(), result.calls.timesSeen(violation));
    if (!leak.empty()) std::printf("    leak: %s\n", leak.c_str());
    const bool passed = violations.empty() && leak.empty();
    std::printf("\nsoak: %s\n", passed ? "PASSED" : "FAILED");
    return passed;
}

}  // namespace soak
