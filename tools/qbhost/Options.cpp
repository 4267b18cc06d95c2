#include "tools/qbhost/Options.h"

#include <cstdlib>

namespace qbhost {

const char* const kUsageText =
    "usage: qbhost list [--refresh]\n"
    "       qbhost poll --slot S [--choice N] [--seconds T]\n"
    "       qbhost set --slot S [--choice N] --rx KHZ [--tx KHZ] [--mode M]\n"
    "       qbhost tx|rx|up|down|clear-rit --slot S [--choice N]\n"
    "       qbhost serial COMn [--rx KHZ [--tx KHZ] [--mode M]] [--seconds T]\n"
    "       qbhost dialog\n";

namespace {

bool isCommand(const std::string& word) {
    for (const char* c : {"list", "poll", "set", "tx", "rx", "up", "down", "clear-rit", "serial", "dialog"})
        if (word == c) return true;
    return false;
}

bool toNumber(const std::string& text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error) {
    Options options;
    if (args.empty() || !isCommand(args[0])) {
        *error = args.empty() ? "no command given" : "unknown command \"" + args[0] + "\"";
        return std::nullopt;
    }
    options.command = args[0];
    size_t i = 1;
    if (options.command == "serial") {
        if (args.size() < 2) {
            *error = "serial needs a port name such as COM1";
            return std::nullopt;
        }
        options.port = args[i++];
    }
    for (; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--refresh") {
            options.refresh = true;
            continue;
        }
        double value = 0;
        if (i + 1 >= args.size() || !toNumber(args[i + 1], &value)) {
            *error = "option " + flag + " needs a number";
            return std::nullopt;
        }
        ++i;
        if (flag == "--slot") options.slot = static_cast<short>(value);
        else if (flag == "--choice") options.choice = static_cast<short>(value);
        else if (flag == "--seconds") options.seconds = value;
        else if (flag == "--rx") options.rxKhz = value;
        else if (flag == "--tx") options.txKhz = value;
        else if (flag == "--mode") options.mode = static_cast<short>(value);
        else {
            *error = "unknown option " + flag;
            return std::nullopt;
        }
    }
    if (options.command == "set" && options.rxKhz <= 0) {
        *error = "set needs --rx KHZ";
        return std::nullopt;
    }
    return options;
}

}  // namespace qbhost
