// How the radio's mode characters map to the host's mode numbers and back.
// The K4 has a normal and a reversed variant of CW and of DATA; the host knows
// one of each, so the rig remembers which variant the radio last reported and
// sends that one back when the host asks for CW or DATA.
#pragma once

#include <cstdint>

#include "core/K4State.h"

struct RadioMode {
    char radioChar;
    int32_t hostMode;
    char K4State::*remembers;  // the state field that records this variant, or null
};

// The entry for a mode character of an "MD" answer; null for characters that
// leave the host mode unchanged ('8', letters, anything else).
const RadioMode* radioModeFor(char radioChar);

// The mode character for the host's mode number: the remembered variant for
// CW and DATA, otherwise '0' plus the number, truncated to 8 bits.
char radioModeChar(const K4State& state, int16_t hostMode);
