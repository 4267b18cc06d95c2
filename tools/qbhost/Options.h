// qbhost's command line: one command and its options, every value checked.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qbhost {

struct Options {
    std::string command;          // list, poll, set, tx, rx, up, down, clear-rit, serial, dialog, report, help, version
    bool refresh = false;         // list --refresh: start a new discovery run first
    bool hold = false;            // tx --hold: leave the radio keyed
    bool force = false;           // --force: load the driver although another program holds it
    short slot = 0;               // --slot S
    std::optional<short> choice;  // --choice N; the slot's saved choice when absent
    double seconds = 3.0;         // --seconds: how long poll shows the live line (tx: stays keyed, default 1)
    std::optional<double> rxKhz;  // --rx KHZ
    std::optional<double> txKhz;  // --tx KHZ (split when it differs from --rx)
    std::optional<short> mode;    // --mode M, the driver's mode number; the radio's own mode when absent
    std::string port;             // serial COMn
    std::string out;              // report --out FILE
};

// Parses argv; on a usage error returns nothing and fills *error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error);

extern const char* const kUsageText;

}  // namespace qbhost
