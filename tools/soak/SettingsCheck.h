// Whether the settings file is still well formed text: every line a section
// header, a key=value pair or empty, and no control bytes (a radio id with
// control bytes written raw would break it).
#pragma once

#include <string>

namespace soak {

// Empty when the file is sound (or missing); otherwise what is wrong.
std::string settingsFileFault(const std::string& path);

}  // namespace soak
