#include "core/ModeTable.h"

namespace {

const RadioMode kRadioModes[] = {
    {'1', 1, nullptr},                  // LSB
    {'2', 2, nullptr},                  // USB
    {'3', 3, &K4State::cwModeChar},     // CW
    {'4', 4, nullptr},                  // FM
    {'5', 5, nullptr},                  // AM
    {'6', 6, &K4State::dataModeChar},   // DATA
    {'7', 3, &K4State::cwModeChar},     // CW reversed
    {'9', 6, &K4State::dataModeChar},   // DATA reversed
};

struct RememberedVariant {
    int16_t hostMode;
    char K4State::*radioChar;
};

const RememberedVariant kRememberedVariants[] = {
    {3, &K4State::cwModeChar},
    {6, &K4State::dataModeChar},
};

}  // namespace

const RadioMode* radioModeFor(char radioChar) {
    for (const RadioMode& mode : kRadioModes)
        if (mode.radioChar == radioChar) return &mode;
    return nullptr;
}

char radioModeChar(const K4State& state, int16_t hostMode) {
    for (const RememberedVariant& variant : kRememberedVariants)
        if (variant.hostMode == hostMode) return state.*variant.radioChar;
    return static_cast<char>(static_cast<unsigned char>('0' + hostMode));
}
