// What a simulated K4 remembers between commands. Plain data; the Radio
// that owns it guards it with its mutex.
#pragma once

#include <cstdint>

namespace k4sim {

struct RadioState {
    int64_t vfoA = 14074000;  // hertz
    int64_t vfoB = 14074000;  // hertz
    bool split = false;       // FT1: transmit on VFO B
    int mode = 2;             // main receiver, K4 mode code 1 to 9 (2 = USB)
    int subMode = 2;          // sub receiver, same codes
    int keyerSpeed = 20;      // words per minute
    bool transmitting = false;
    int ritOffset = 0;  // hertz; only RC changes it here
};

}  // namespace k4sim
