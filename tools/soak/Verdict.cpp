#include "Verdict.h"

#include <cstdio>

#include "FaultKinds.h"

namespace soak {
namespace {

void judgeKinds(const SoakResult& result, std::vector<std::string>& failures) {
    for (const auto& name : result.kindsRun) {
        const auto found = result.kinds.find(name);
        if (found == result.kinds.end() || found->second.episodes == 0) {
            failures.push_back("no episode of " + name);
            continue;
        }
        const KindResult& kind = found->second;
        if (kind.effective == 0) failures.push_back("no effective episode of " + name + ": " + kind.lastMissing);
        if (findFaultKind(name)->has(FaultKind::stallsWrites) && kind.stalled * 10 < kind.episodes * 9)
            failures.push_back("only " + std::to_string(kind.stalled) + " of " + std::to_string(kind.episodes) + " " +
                               name + " episodes stalled the driver's writes (k4sim saw no unread bytes)");
    }
}

void judgeLag(const SoakResult& result, std::vector<std::string>& failures) {
    for (const auto& [radio, lag] : result.lag) {
        const double p99 = spreadOf(lag.outsideChooser).p99;
        if (p99 <= lag.timerMs + kLagMarginMs) continue;
        char text[200];
        std::snprintf(text, sizeof text, "%s: display lag p99 %.0f ms outside the chooser's waits, over %.0f ms (its timer and 0.5 s)",
                      radio.c_str(), p99, lag.timerMs + kLagMarginMs);
        failures.push_back(text);
    }
}

}  // namespace

std::vector<std::string> verdictFailures(const SoakResult& result) {
    std::vector<std::string> failures;
    for (const auto& violation : result.calls.violations())
        failures.push_back(violation + " (" + std::to_string(result.calls.timesSeen(violation)) + " times)");
    judgeKinds(result, failures);
    for (const auto& [radio, polls] : result.answeredPolls)
        if (polls == 0) failures.push_back(radio + " answered no poll");
    judgeLag(result, failures);
    if (const auto unsound = unsoundSamples(result.samples); !unsound.empty()) failures.push_back(unsound);
    if (const auto growth = growthFault(result.samples, result.seconds, result.memoryCheck); !growth.empty())
        failures.push_back(growth);
    return failures;
}

}  // namespace soak
