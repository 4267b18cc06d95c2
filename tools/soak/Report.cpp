#include "Report.h"

#include <algorithm>
#include <cstdio>

#include "FaultKinds.h"
#include "Verdict.h"

namespace soak {
namespace {

void printKinds(const SoakResult& result) {
    std::printf("\n  recovery: from the fault's end until GetFrequency showed the radio's knob state\n");
    std::printf("  %-16s %8s %9s %6s %8s %10s %10s %9s\n", "fault", "episodes", "effective", "keyed", "gave up",
                "median ms", "max ms", "limit ms");
    for (const auto& name : result.kindsRun) {
        const auto found = result.kinds.find(name);
        const KindResult kind = found == result.kinds.end() ? KindResult{} : found->second;
        const Spread spread = spreadOf(kind.recoveryMs);
        std::printf("  %-16s %8d %9d %6d %8d %10.0f %10.0f %9d\n", name.c_str(), kind.episodes, kind.effective,
                    kind.keyed, kind.gaveUp, spread.median, spread.max, findFaultKind(name)->recoveryLimitMs);
        if (findFaultKind(name)->has(FaultKind::stallsWrites))
            std::printf("  %-16s %d of %d episodes stalled the driver's writes\n", "", kind.stalled, kind.episodes);
    }
    for (const auto& name : result.kindsSkipped) std::printf("  %-16s skipped\n", name.c_str());
}

void printSpread(const std::string& label, const std::vector<double>& ms) {
    const Spread spread = spreadOf(ms);
    std::printf("  %-28s %8zu %10.0f %10.0f %10.0f\n", label.c_str(), spread.count, spread.median, spread.p99,
                spread.max);
}

void printLag(const SoakResult& result) {
    std::printf("\n  display lag: from a knob turn on the radio until GetFrequency showed it\n");
    std::printf("  %-28s %8s %10s %10s %10s\n", "", "turns", "median ms", "p99 ms", "max ms");
    std::vector<double> all, outside;
    for (const auto& [radio, lag] : result.lag) {
        char timer[64];
        std::snprintf(timer, sizeof timer, " (%.0f ms timer)", lag.timerMs);
        printSpread(radio + timer, lag.all);
        printSpread("  outside the chooser's waits", lag.outsideChooser);
        all.insert(all.end(), lag.all.begin(), lag.all.end());
        outside.insert(outside.end(), lag.outsideChooser.begin(), lag.outsideChooser.end());
    }
    printSpread("all radios", all);
    printSpread("  outside the chooser's waits", outside);
    printSpread("after a bind", result.bindMs);
}

void printCalls(const SoakResult& result) {
    std::printf("\n  host-thread calls (the watchdog ends the run at 5 s)\n");
    std::printf("  %-22s %9s %9s %12s\n", "method", "calls", "> 20 ms", "longest ms");
    long slow = 0;
    for (const auto& [method, figures] : result.calls.methods()) {
        std::printf("  %-22s %9ld %9ld %12.1f\n", method.c_str(), figures.calls, figures.over20ms, figures.longestMs);
        slow += figures.over20ms;
    }
    std::printf("  calls over 20 ms: %ld\n", slow);
}

// Every tenth sample of one gauge, with its time.
template <class Read>
void printSeries(const std::vector<GaugeSample>& samples, const char* label, Read read) {
    const std::size_t step = std::max<std::size_t>(1, samples.size() / 10);
    std::printf("  %s:", label);
    for (std::size_t i = 0; i < samples.size(); i += step)
        std::printf(" %.0f: %.0f", samples[i].atSeconds, read(samples[i].gauge));
    std::printf("\n");
}

void printProcess(const SoakResult& result) {
    std::printf("\n  the process, sampled between faults (%zu samples)\n", result.samples.size());
    if (result.samples.empty()) return;
    std::printf("  %-8s %10s %12s %8s %8s\n", "sample", "at s", "RSS KiB", "threads", "handles");
    for (const auto* s : {&result.samples.front(), &result.samples.back()})
        std::printf("  %-8s %10.0f %12.0f %8ld %8ld\n", s == &result.samples.front() ? "first" : "last", s->atSeconds,
                    s->gauge.memoryKiB, s->gauge.threads, s->gauge.handles);
    printSeries(result.samples, "memory (s: KiB)", [](const ProcessGauge& g) { return g.memoryKiB; });
    printSeries(result.samples, "handles (s: count)", [](const ProcessGauge& g) { return static_cast<double>(g.handles); });
    std::printf("  memory slope from the third minute: %.0f KiB per hour (%s)\n", memorySlopePerHour(result.samples),
                result.seconds >= 600 ? (result.memoryCheck ? "judged: at most 1024" : "not judged under a sanitizer")
                                      : "not judged in a run under 10 minutes");
}

}  // namespace

bool printReport(const SoakResult& result) {
    std::printf("\nsoak: %.0f s\n", result.seconds);
    printKinds(result);
    printLag(result);
    printCalls(result);
    printProcess(result);
    const auto failures = verdictFailures(result);
    std::printf("\n  failures: %zu%s\n", failures.size(), failures.empty() ? "" : ":");
    for (const auto& failure : failures) std::printf("    %s\n", failure.c_str());
    if (!result.kindsSkipped.empty()) {
        std::printf("  fault kinds skipped:");
        for (const auto& kind : result.kindsSkipped) std::printf(" %s", kind.c_str());
        std::printf("\n");
    }
    std::printf("\nsoak: %s\n", failures.empty() ? "PASSED" : "FAILED");
    return failures.empty();
}

}  // namespace soak
