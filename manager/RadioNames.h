// The names under which the radio chooser lists the discovered radios. A real
// K4 answers the probe with its index in the name field, usually "0", so two
// radios would look alike; the chooser names such a radio after its id, and
// tells apart any radios whose names still agree by their ids.
#pragma once

#include <string>
#include <vector>

#include "discovery/Discovered.h"

namespace chooser {

// One name per radio, in the list's order:
//  (a) each byte 0x00-0x1F and 0x7F of the radio's name shows as '?' (its id
//      is used as it is);
//  (b) a name of digits only becomes "K4 <id>";
//  (c) while names agree, " (<id>)" is appended to each of them. Ids differ,
//      so a round parts the names it touches; only crafted ids can make them
//      meet again, and after kMaxRounds rounds the names stay as they are.
std::vector<std::string> radioNames(const std::vector<K4Ip::Discovered>& radios);

inline constexpr int kMaxRounds = 16;

}  // namespace chooser
