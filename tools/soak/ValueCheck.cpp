#include "ValueCheck.h"

#include <algorithm>

namespace soak {
namespace {

constexpr std::size_t kPendingSets = 4;
const Reading kDefaults{0, 0, 3, 0};  // a rig object before any answer

}  // namespace

void ValueCheck::noteSet(const Reading& set) {
    pendingSets_.push_back(set);
    if (pendingSets_.size() > kPendingSets) pendingSets_.pop_front();
}

std::string ValueCheck::wrongParts(const Reading& r) const {
    const auto setHad = [&](auto part) {
        return std::any_of(pendingSets_.begin(), pendingSets_.end(), [&](const Reading& set) { return part(set); });
    };
    std::string wrong;
    const auto check = [&](const char* name, bool held, auto part) {
        if (held || setHad(part) || (fresh_ && part(kDefaults))) return;
        wrong += std::string(wrong.empty() ? "" : ", ") + name;
    };
    check("receive frequency", held_.vfoA.count(r.rcvHz) > 0, [&](const Reading& s) { return s.rcvHz == r.rcvHz; });
    const bool xmitHeld = r.split ? held_.vfoB.count(r.xmitHz) > 0 : r.xmitHz == r.rcvHz;
    check("transmit frequency", xmitHeld, [&](const Reading& s) { return s.xmitHz == r.xmitHz; });
    check("mode", held_.modes.count(r.mode) > 0, [&](const Reading& s) { return s.mode == r.mode; });
    check("split", held_.splits.count(r.split) > 0, [&](const Reading& s) { return s.split == r.split; });
    return wrong;
}

}  // namespace soak
