#include "tools/qbhost/Options.h"

#include <algorithm>
#include <map>
#include <set>

#include "tools/qbhost/Values.h"

namespace qbhost {

const char* const kUsageText =
    "usage: qbhost list [--refresh] [--slot S]\n"
    "       qbhost poll --slot S [--choice N] [--seconds T]\n"
    "       qbhost set --slot S [--choice N] --rx KHZ [--tx KHZ] [--mode M]\n"
    "                  [--seconds T]\n"
    "       qbhost tx --slot S [--choice N] [--seconds T | --hold]\n"
    "       qbhost rx|up|down|clear-rit --slot S [--choice N]\n"
    "       qbhost serial COMn [--rx KHZ [--tx KHZ] [--mode M]] [--seconds T]\n"
    "       qbhost dialog\n"
    "       qbhost report [--out FILE]\n"
    "       qbhost --help | -h | --version\n"
    "  every command but report also takes --force (below)\n"
    "\n"
    "  list    the driver's rigs, the radios discovery found, the slot's saved radio\n"
    "  poll    bind the slot to choice N (or to its saved radio) and show RX, TX,\n"
    "          mode, split, radio name and address for T seconds (default 3);\n"
    "          every poll must be answered within 2 s\n"
    "  set     set RX, TX (split when it differs from RX) and mode (default: the\n"
    "          radio's mode); done only when the radio confirms it (KS) and its\n"
    "          next poll agrees\n"
    "  tx      key for T seconds (default 1, at most 60), then unkey, also on\n"
    "          Ctrl+C or an error; done only when a poll sent after the unkey is\n"
    "          answered. --hold leaves the radio transmitting (qbhost rx unkeys it)\n"
    "  rx      unkey, confirmed as after tx; up, down: VFO A one step;\n"
    "          clear-rit: clear the RIT\n"
    "  serial  the serial rig over a real COM port, optionally set first, polled\n"
    "  dialog  the remote-address dialog (choice 0)\n"
    "  report  write QboxK4Driver-report-<date>-<time>.txt in the Documents folder\n"
    "          (or FILE) for a support request: versions, registration, the\n"
    "          driver's settings, the log; with the logger closed also the radios\n"
    "          found and a 5 s poll of saved slots\n"
    "\n"
    "  Before qbhost loads the driver, it moves the driver's log aside whole, to\n"
    "  k4logio-<date>-<time>.log beside it (it keeps the five newest it made).\n"
    "  It does not load the driver while another program (the logger) holds it,\n"
    "  unless --force, nor ever while the log cannot be moved aside.\n"
    "\n"
    "  S    slot 0 to 11, the logger's slot S+1. Its keys in quillbox.ini, section\n"
    "       RIGS: K4Slot<S+1> (the saved radio) and the TCP port (default 9200)\n"
    "       ELECRAFT_K4_TCP_PORTNUMBER_SLOT followed by 1 to 9 for slots 0 to 8,\n"
    "       and by :, ; or < for slots 9, 10, 11\n"
    "  N    radio choice from 1, as qbhost list numbers them\n"
    "  KHZ  kHz from 100 to 54000, a dot for decimals: 7010, 14074.5\n"
    "  M    LSB USB CW FM AM DATA CW-R DATA-R (the driver's 1 2 3 4 5 6 7 9), or 1-9\n"
    "\n"
    "exit codes: 0 done, 2 usage, 3 driver not registered, 4 no radio found,\n"
    "            5 link down, 6 other failure, 7 no answer from the radio,\n"
    "            8 set not confirmed, 9 unkey not confirmed: the radio may\n"
    "            still be transmitting, 10 the logger holds the driver,\n"
    "            11 the driver's log cannot be moved aside\n";

namespace {

// The options each command takes.
const std::map<std::string, std::set<std::string>> kCommands = {
    {"list", {"--refresh", "--slot", "--force"}},
    {"poll", {"--slot", "--choice", "--seconds", "--force"}},
    {"set", {"--slot", "--choice", "--rx", "--tx", "--mode", "--seconds", "--force"}},
    {"tx", {"--slot", "--choice", "--seconds", "--hold", "--force"}},
    {"rx", {"--slot", "--choice", "--force"}},
    {"up", {"--slot", "--choice", "--force"}},
    {"down", {"--slot", "--choice", "--force"}},
    {"clear-rit", {"--slot", "--choice", "--force"}},
    {"serial", {"--rx", "--tx", "--mode", "--seconds", "--force"}},
    {"dialog", {"--force"}},
    {"report", {"--out"}},
};

// The longest tx: keying checks the link in a second or two, and a longer
// one, such as a slip of the finger (600 for 60), only ties up the band.
constexpr double kLongestTransmitSeconds = 60;

// How long each command shows the radio unless --seconds says otherwise.
double defaultSeconds(const std::string& command) { return command == "tx" ? 1.0 : 3.0; }

// Stores one option's value; false (with *error filled) when it is bad.
bool applyValue(const std::string& flag, const std::string& text, Options* options, std::string* error) {
    auto store = [&](auto parsed, auto& target) {
        if (parsed) target = *parsed;
        return parsed.has_value();
    };
    if (flag == "--slot") return store(parseSlot(text, error), options->slot);
    if (flag == "--choice") return store(parseChoice(text, error), options->choice);
    if (flag == "--seconds") return store(parseSeconds(text, error), options->seconds);
    if (flag == "--rx") return store(parseKhz(flag, text, error), options->rxKhz);
    if (flag == "--tx") return store(parseKhz(flag, text, error), options->txKhz);
    if (flag == "--out") {
        options->out = text;
        return true;
    }
    return store(parseMode(text, error), options->mode);
}

// The option without a value that `flag` names, or null.
bool* switchOf(const std::string& flag, Options* options) {
    if (flag == "--refresh") return &options->refresh;
    if (flag == "--hold") return &options->hold;
    if (flag == "--force") return &options->force;
    return nullptr;
}

bool parseFlags(const std::vector<std::string>& args, size_t i, Options* options, std::string* error) {
    const std::set<std::string>& allowed = kCommands.at(options->command);
    for (; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (!allowed.count(flag)) {
            *error = flag.rfind("--", 0) == 0 ? options->command + " takes no option " + flag
                                              : "unexpected \"" + flag + "\"";
            return false;
        }
        if (bool* on = switchOf(flag, options)) {
            *on = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = "option " + flag + " needs a value";
            return false;
        }
        if (!applyValue(flag, args[++i], options, error)) return false;
    }
    return true;
}

bool checkCombination(const Options& options, std::string* error) {
    if (options.command == "set" && !options.rxKhz) *error = "set needs --rx KHZ";
    else if (options.txKhz && !options.rxKhz) *error = "--tx needs --rx";
    else if (options.command == "tx" && options.seconds > kLongestTransmitSeconds)
        *error = "tx --seconds " + decimalText(options.seconds) + ": at most " + decimalText(kLongestTransmitSeconds) +
                 " s of transmitting";
    else return true;
    return false;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error) {
    Options options;
    const auto given = [&](const char* word) { return std::find(args.begin(), args.end(), word) != args.end(); };
    const bool help = given("--help") || given("-h");
    if (help || given("--version")) {
        options.command = help ? "help" : "version";
        return options;
    }
    if (args.empty() || !kCommands.count(args[0])) {
        *error = args.empty() ? "no command given" : "unknown command \"" + args[0] + "\"";
        return std::nullopt;
    }
    options.command = args[0];
    options.seconds = defaultSeconds(options.command);
    size_t i = 1;
    if (options.command == "serial") {
        if (args.size() < 2 || args[1].rfind("--", 0) == 0) {
            *error = "serial needs a port name such as COM1";
            return std::nullopt;
        }
        options.port = args[i++];
    }
    if (!parseFlags(args, i, &options, error) || !checkCombination(options, error)) return std::nullopt;
    if (options.hold && given("--seconds")) {
        *error = "--hold leaves the radio keyed: it takes no --seconds";
        return std::nullopt;
    }
    return options;
}

}  // namespace qbhost
