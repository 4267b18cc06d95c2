// Values in section RIGS that the driver uses otherwise than a user would
// read them, each named with what the driver makes of it, for list, the slot
// commands and the report. (The TCP port keys are named by the settings
// themselves: settings::tcpPortProblem.)
#pragma once

#include <optional>
#include <string>

namespace qbhost {

// ELECRAFT_K4_PORTNUMBER as read (9100 when the key is missing) and the port
// the driver's search takes from it, nothing when the text resolves to none
// (neither a number nor a service name the system knows).
std::string discoveryPortProblem(const std::string& text, std::optional<unsigned short> used);

// K4onSerialEnable as read (empty when missing), and whether the driver
// takes it as on: it reads the number at the start of the value, 0 without one.
std::string serialEnableProblem(const std::string& text, bool enabled);

// LogFileFolder naming a folder that does not exist: the driver then writes
// no log, since it never makes the folder.
std::string logFolderProblem(const std::string& folder, bool exists);

}  // namespace qbhost
