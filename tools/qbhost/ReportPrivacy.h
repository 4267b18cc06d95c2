// What the support report keeps back of the user's own: the other keys of
// section RIGS (another driver's settings, a password among them), and the
// profile folder, whose name is as a rule the user's name.
#pragma once

#include <string>

namespace qbhost {

// A key of section RIGS that belongs to this driver: ELECRAFT_K4_*, K4Slot*,
// K4onSerialEnable, LogFileFolder (in any letter case, as the INI functions
// read keys).
bool isDriverKey(const std::string& key);

// The text with every mention of the profile folder (C:\Users\Name, in any
// letter case) as %USERPROFILE%; a longer folder name that begins with it,
// such as C:\Users\Name2, stays as it is.
std::string withProfileHidden(const std::string& text, const std::string& profile);

}  // namespace qbhost
