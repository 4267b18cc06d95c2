// What the soak compares: a radio's whole state as k4sim reports it, and
// the same in the host's terms, as GetFrequency reports it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace soak {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// A radio's whole state in its own terms: hertz, K4 mode codes 1 to 9.
struct RadioState {
    int64_t vfoA = 0;
    int64_t vfoB = 0;
    int mode = 0;
    bool split = false;
    bool transmitting = false;
};

// The host's view: receive and transmit hertz, the host's mode number.
struct Reading {
    int64_t rcvHz = 0;
    int64_t xmitHz = 0;
    int mode = 0;
    int split = 0;
    bool operator==(const Reading& other) const {
        return rcvHz == other.rcvHz && xmitHz == other.xmitHz && mode == other.mode && split == other.split;
    }
    bool operator!=(const Reading& other) const { return !(*this == other); }
};

// A rig object before any answer: 0 kHz, CW, no split.
inline constexpr Reading kRigDefaults{0, 0, 3, 0};

// The host's mode number for a K4 mode code (CW and DATA reversed fold
// into CW and DATA); 0 for a code the host has no number for.
int hostMode(int radioMode);

// How GetFrequency should report the state: transmit on VFO B when split.
Reading readingOf(const RadioState& state);

// "rx 14074000 Hz, tx 14074000 Hz, mode 2, split 0"
std::string describe(const Reading& reading);

}  // namespace soak
