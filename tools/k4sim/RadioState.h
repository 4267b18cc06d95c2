// What a simulated K4 remembers between commands. Plain data; the Radio
// that owns it guards it with its mutex.
#pragma once

#include <cstdint>

namespace k4sim {

struct RadioState {
    int64_t vfoA = 14074000;  // hertz
    int64_t vfoB = 14074000;  // hertz
    bool split = false;       // FT1: transmit on VFO B
    int receiveVfo = 0;       // FR: 0 = VFO A, 1 = VFO B
    int mode = 2;             // main receiver, K4 mode code 1 to 9 (2 = USB)
    int subMode = 2;          // sub receiver, same codes
    int dataModeA = 0;        // DT: data sub-mode of VFO A, 0 to 3
    int dataModeB = 0;        // DT$: the same for VFO B
    int bandwidthA = 280;     // BW: filter bandwidth in 10 Hz units
    int bandwidthB = 280;     // BW$
    int keyerSpeed = 20;      // words per minute
    bool transmitting = false;
    int ritOffset = 0;     // hertz; only RC changes it here
    int extendedMode = 0;  // K2: 0 to 3
    int k3Mode = 0;        // K3: 0 or 1
    int autoInfo = 0;      // AI: 0, 1, 2 or 4 (no reports are pushed)
};

}  // namespace k4sim
