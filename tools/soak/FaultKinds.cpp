#include "FaultKinds.h"

#include <set>
#include <sstream>
#include <stdexcept>

namespace soak {
namespace {

using Target = FaultKind::Target;

constexpr int kLinkLimitMs = 30000;
constexpr int kQuickLimitMs = 3000;
constexpr int kListLimitMs = 30000;

std::set<std::string> namesIn(const std::string& list) {
    std::set<std::string> names;
    std::istringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item.empty()) continue;
        if (!findFaultKind(item)) throw std::invalid_argument("unknown fault kind '" + item + "'");
        names.insert(item);
    }
    return names;
}

}  // namespace

const std::vector<FaultKind>& allFaultKinds() {
    using Proof = FaultKind::Proof;
    // The long recoveries first, so that a short run gives them time. The
    // limits of the link faults are those measured in a 60-minute run with
    // a margin (README, Soak); the others recover within a poll or two.
    using T = FaultKind::Trait;
    static const std::vector<FaultKind> kinds = {
        {"reboot", Target::rig, 3000, "reboot %s 3000", "", false, Proof::renewed, kLinkLimitMs, T::startsKeyed},
        // Longer than the driver's 6 s of silence before it ends a link as lost.
        {"halfopen", Target::rig, 8000, "faults %s halfopen=1", "faults %s halfopen=0", true, Proof::renewed,
         kLinkLimitMs, T::startsKeyed | T::stallsWrites},
        {"silent", Target::rig, 8000, "faults %s silent=1", "faults %s silent=0", true, Proof::unanswered,
         kLinkLimitMs},
        // Cut after "FA" and six digits: should a Set's "KS020;" follow that
        // fragment on the next connection, the two would read as an FA answer.
        {"cut", Target::rig, 1500, "faults %s cut=8", "faults %s cut=0", false, Proof::renewed, kLinkLimitMs,
         T::startsKeyed},
        {"late", Target::rig, 3000, "faults %s latency-ms=500", "faults %s latency-ms=0", false, Proof::delivered,
         kQuickLimitMs, T::keepsLink},
        {"garbage", Target::rig, 3000, "faults %s garbage=\\x01~junk~", "faults %s garbage=", false,
         Proof::delivered, kQuickLimitMs, T::keepsLink | T::ownBytes},
        {"flood", Target::rig, 500, "inject %s 20000", "", false, Proof::injected, kQuickLimitMs,
         T::keepsLink | T::ownBytes},
        // A byte every 2 ms: a poll's answers take about 80 ms, well within the set time-out.
        {"drip", Target::rig, 3000, "faults %s drip-ms=2", "faults %s drip-ms=0", false, Proof::delivered,
         kQuickLimitMs, T::keepsLink},
        {"stray", Target::rig, 3000, "faults %s stray=?;", "faults %s stray=", false, Proof::delivered,
         kQuickLimitMs, T::keepsLink | T::ownBytes},
        // The soak clicks the band map as the fault begins; at its "KS;" the radio's VFO A moves 7 Hz.
        {"set-knob", Target::rig, 2000, "faults %s set-knob=7", "faults %s set-knob=0", false, Proof::knobbed,
         kQuickLimitMs, T::keepsLink},
        {"discovery-flood", Target::discovery, 3000, "faults %s flood=300", "faults %s flood=0", false,
         Proof::listed, kListLimitMs},
        {"churn", Target::discovery, 3000, "faults %s flood=20 churn=1", "faults %s flood=0 churn=0", false,
         Proof::listed, kListLimitMs},
        {"long-answer", Target::discovery, 3000, "faults %s pad=3000", "faults %s pad=0", false, Proof::listed,
         kListLimitMs},
        {"control-id", Target::discovery, 3000, "faults %s id-tail=\\x01\\x1b\\r\\nK4Slot1=EVIL", "faults %s id-tail=",
         false, Proof::chosen, kListLimitMs},
    };
    return kinds;
}

const FaultKind* findFaultKind(const std::string& name) {
    for (const auto& kind : allFaultKinds())
        if (name == kind.name) return &kind;
    return nullptr;
}

std::vector<const FaultKind*> chooseFaultKinds(const std::string& only, const std::string& skip) {
    if (only == "none") return {};
    const auto wanted = namesIn(only);
    const auto unwanted = namesIn(skip);
    std::vector<const FaultKind*> chosen;
    for (const auto& kind : allFaultKinds())
        if ((wanted.empty() || wanted.count(kind.name)) && !unwanted.count(kind.name)) chosen.push_back(&kind);
    return chosen;
}

std::string requestFor(const char* pattern, const std::string& radio) {
    std::string request = pattern;
    const auto at = request.find("%s");
    if (at != std::string::npos) request.replace(at, 2, radio);
    return request;
}

}  // namespace soak
