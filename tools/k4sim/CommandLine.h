// The k4sim program's command line, parsed into simulator options.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "Options.h"

namespace k4sim {

struct CommandLine {
    SimOptions options;
    bool help = false;
    int durationSeconds = 0;  // 0: run until a signal
};

struct UsageError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// `args` excludes the program name. Throws UsageError with a message that
// names the offending argument.
CommandLine parseCommandLine(const std::vector<std::string>& args);

const char* usageText();

// Sets one fault by its radio key (latency-ms, silent, ...); false for a key
// that names no fault. Throws UsageError for a bad value.
bool applyFaultKey(Faults& faults, const std::string& key, const std::string& value);

// A yes-or-no value as the keys take it: empty, 1 or yes; 0 or no. Throws
// UsageError naming `what` otherwise.
bool flagValue(const std::string& what, const std::string& text);

// Turns \r, \n, \\ and \xNN in a text argument into the bytes they name.
std::string unescape(const std::string& text);

}  // namespace k4sim
