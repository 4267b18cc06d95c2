// The names under which the radio chooser lists the discovered radios. A real
// K4 answers the probe with its index in the name field, usually "0", so two
// radios would look alike; the chooser names such a radio after its id, and
// tells apart any radios whose names still agree by their ids.
#pragma once

#include <string>
#include <vector>

#include "discovery/Discovered.h"

namespace chooser {

// One name per radio, in the list's order: "K4 <id>" for a name of digits
// only, any other name as it is; then " (<id>)" appended to every name that
// more than one radio would show.
std::vector<std::string> radioNames(const std::vector<K4Ip::Discovered>& radios);

}  // namespace chooser
