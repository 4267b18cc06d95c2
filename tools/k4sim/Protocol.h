// The K4 text protocol as the simulated radio speaks it: a framer that cuts
// the received byte stream into ";"-ended commands, and the interpreter
// that applies one command to the radio's state and returns its answer.
//
// Understood commands (anything else, or a malformed argument, is answered
// "?;"; sets are not answered):
//   FA; FB;          -> FA/FB and the frequency in hertz, 11 digits
//   FAnnnnnnnnnnn;   sets VFO A (FB: VFO B); exactly 11 digits
//   FT; FT0; FT1;    split query and set
//   MD; MDn;         main receiver mode, n = 1 to 9
//   MD$; MD$n;       sub receiver mode
//   KS; KSnnn;       keyer speed query ("KS020;") and set (008 to 050)
//   UP; DN;          move VFO A one step (ProtocolSettings::stepHz) up/down
//   TX; RX; TQ;      transmit, receive, transmit state query ("TQ0;"/"TQ1;")
//   RC;              clear the RIT offset
//   ID;              "ID017;"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RadioState.h"

namespace k4sim {

struct ProtocolSettings {
    int64_t stepHz = 10;  // one UP/DN step
};

// Cuts a byte stream into commands. CR, LF and blanks before a command are
// skipped, so that a person typing into a terminal is understood. A command
// longer than maxCommandLength keeps only its first maxCommandLength bytes,
// which no command accepts, so it is still answered "?;".
class CommandFramer {
public:
    static constexpr std::size_t maxCommandLength = 64;

    // Appends each command completed by these bytes, without its ";".
    void feed(const char* data, std::size_t size, std::vector<std::string>& commands);

private:
    std::string pending_;
};

// Applies one command (without its ";") and returns the answer, ";"
// included, or an empty string for a set that the radio does not answer.
std::string answerCommand(const std::string& command, RadioState& state, const ProtocolSettings& settings);

}  // namespace k4sim
