// The K4 text protocol as the simulated radio speaks it: a framer that cuts
// the received byte stream into ";"-ended commands, and the interpreter
// that applies one command to the radio's state and returns its answer.
//
// Understood commands (anything else, or a malformed argument, is answered
// "?;"; sets are not answered). A query is the bare tag, a set the tag and
// exactly as many digits as the query answers:
//   FA FB            VFO A / B in hertz, 11 digits
//   FT FR            split (0/1), receive VFO (0 = A, 1 = B)
//   MD MD$           main / sub receiver mode, 1 to 9
//   DT DT$           data sub-mode of VFO A / B, 0 to 3
//   BW BW$           filter bandwidth in 10 Hz units, 4 digits
//   KS               keyer speed, 3 digits, 008 to 050
//   K2 K3 AI         extended-mode level 0-3, K3 mode 0-1, auto-info 0/1/2/4
//                    (kept only: no reports are pushed)
//   UP; DN;          move VFO A one step (ProtocolSettings::stepHz) up/down
//   TX; RX; TQ;      transmit, receive, transmit state query ("TQ0;"/"TQ1;")
//   RC;              clear the RIT offset
//   IF;              38-character transceiver information
//   ID; OM; RVM;     "ID017;", option modules "OM AP-S----4---;", firmware
//                    "RVM02.45;"
//   PS; SB;          powered on "PS1;", sub receiver off "SB0;"
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
