// Whether the settings file is still what the logger can read: section
// RIGS read as the private-profile functions read it (keys compared without
// regard to case, the first of two equal keys winning), each key at most
// once, no control byte in any line (a CR or tab inside a value included),
// every line a section header, a key=value pair or empty, every K4Slot<n>
// an id that the soak chose for slot n, and such a key for every slot the
// soak chose a radio for.
#pragma once

#include <map>
#include <set>
#include <string>

namespace soak {

// Slot number n of K4Slot<n> (from 1) to the ids chosen for it.
using ChosenIds = std::map<int, std::set<std::string>>;

// Empty when the file is sound; otherwise what is wrong.
std::string settingsFault(const std::string& path, const ChosenIds& chosen);

// Whether the file's section RIGS holds the key (compared without case).
bool settingsHaveKey(const std::string& path, const std::string& key);

}  // namespace soak
