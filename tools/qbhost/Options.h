// qbhost's command line: one command and its options.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qbhost {

struct Options {
    std::string command;          // list, poll, set, tx, rx, up, down, clear-rit, serial, dialog
    bool refresh = false;         // list --refresh: start a new discovery run first
    short slot = 0;               // --slot S
    std::optional<short> choice;  // --choice N; the slot's saved choice when absent
    double seconds = 3.0;         // --seconds: how long poll shows the live line
    double rxKhz = 0;             // set --rx KHZ
    std::optional<double> txKhz;  // set --tx KHZ (split when given and different)
    short mode = 2;               // set --mode N (1 LSB, 2 USB, 3 CW, 4 FM, 5 AM, 6 DATA)
    std::string port;             // serial COMn
};

// Parses argv; on a usage error returns nothing and fills *error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error);

extern const char* const kUsageText;

}  // namespace qbhost
