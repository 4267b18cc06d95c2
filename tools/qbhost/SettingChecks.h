// The values of section RIGS that the driver uses otherwise than they read,
// each on a line of its own, as list, the slot commands and the report name
// them: TCP ports, the discovery port, the serial switch, a log folder that
// does not exist.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qbhost {

// For one slot: its TCP port, the discovery port and the log folder; for no
// slot: every slot's TCP port, the discovery port, the serial switch and the
// log folder.
std::vector<std::string> settingProblems(std::optional<short> slot);

}  // namespace qbhost
