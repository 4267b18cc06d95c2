#include "Verdict.h"

namespace soak {

std::vector<std::string> verdictFailures(const SoakResult& result) {
    std::vector<std::string> failures;
    for (const auto& violation : result.calls.violations())
        failures.push_back(violation + " (" + std::to_string(result.calls.timesSeen(violation)) + " times)");
    for (const auto& name : result.kindsRun) {
        const auto found = result.kinds.find(name);
        if (found == result.kinds.end() || found->second.episodes == 0)
            failures.push_back("no episode of " + name);
        else if (found->second.effective == 0)
            failures.push_back("no effective episode of " + name + ": " + found->second.lastMissing);
    }
    for (const auto& [radio, polls] : result.answeredPolls)
        if (polls == 0) failures.push_back(radio + " answered no poll");
    if (const auto unsound = unsoundSamples(result.samples); !unsound.empty()) failures.push_back(unsound);
    if (const auto growth = growthFault(result.samples, result.seconds, result.memoryCheck); !growth.empty())
        failures.push_back(growth);
    return failures;
}

}  // namespace soak
