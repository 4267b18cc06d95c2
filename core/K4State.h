// A rig object's record of the radio: what the latest answers (or the latest
// Set) said about both VFOs, the split state and the mode. Frequencies are in
// kilohertz; the mode is the host's number (1 to 6).
#pragma once

#include <cstdint>

struct K4State {
    double vfoA = 0.0;
    double vfoB = 0.0;
    int16_t primaryVfo = 0;
    char modeChar = 0;        // raw mode character of the latest "MD" answer
    char subModeChar = 0;     // raw mode character of the latest "MD$" answer
    char splitChar = 0;       // '1' means split
    char cwModeChar = '3';    // the radio's CW variant last reported: '3', or '7' when reversed
    char dataModeChar = '6';  // the radio's DATA variant last reported: '6', or '9' when reversed
    int32_t mode = 3;
};
