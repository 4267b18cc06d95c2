// The command texts the rig sends to the radio. Every command ends with ';'
// and a text is sent as one unit.
#pragma once

#include <cstdint>
#include <string>

#include "core/K4State.h"

namespace k4command {

// Asks for VFO A, VFO B, split, main mode and sub mode, answered in that order.
inline constexpr const char* kPoll = "FA;FB;FT;MD;MD$;";
inline constexpr const char* kClearRit = "RC;";

// trunc(kHz * 1000 + 0.5) as a 64-bit integer. Values outside the 64-bit
// range are clamped to it and NaN gives 0, so that no input reaches an
// undefined conversion.
int64_t hertzFromKilohertz(double kHz);

// The hertz value in decimal, right-aligned and '0'-filled to 11 characters;
// longer values keep all their characters.
std::string frequencyField(double kHz);

// VFO A gets the receive frequency; in split VFO B gets the transmit
// frequency and the sub receiver the same mode. Ends with the "KS;" query
// that confirms the set.
std::string setSequence(const K4State& state, double xmit, double rcv, int16_t mode, int16_t split);

// "UP;" when amount / 10 (truncated toward zero) is positive, else "DN;".
std::string tuneCommand(int32_t amount);

// "TX;" for a non-zero state, "RX;" for 0.
std::string xmitCommand(int32_t state);

// The log details of a Set: both frequencies with two decimals, then the
// mode and the split flag, separated by single spaces ("14074.00 14074.00 2 0").
std::string setDetails(double xmit, double rcv, int16_t mode, int16_t split);

}  // namespace k4command
