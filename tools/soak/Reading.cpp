#include "Reading.h"

#include <map>

namespace soak {

int hostMode(int radioMode) {
    static const std::map<int, int> modes = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 3}, {9, 6}};
    const auto found = modes.find(radioMode);
    return found == modes.end() ? 0 : found->second;
}

Reading readingOf(const RadioState& state) {
    return {state.vfoA, state.split ? state.vfoB : state.vfoA, hostMode(state.mode), state.split ? 1 : 0};
}

std::string describe(const Reading& r) {
    return "rx " + std::to_string(r.rcvHz) + " Hz, tx " + std::to_string(r.xmitHz) + " Hz, mode " +
           std::to_string(r.mode) + ", split " + std::to_string(r.split);
}

}  // namespace soak
