#include "tools/qbhost/SettingProblems.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace qbhost {
namespace {

constexpr size_t kLongestPortText = 5;  // "65535"

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool isPortNumber(const std::string& text) {
    if (!allDigits(text) || text.size() > kLongestPortText) return false;
    const long number = std::stol(text);
    return number >= 1 && number <= 65535;
}

bool isInteger(const std::string& text) {
    const bool signed_ = !text.empty() && (text[0] == '-' || text[0] == '+');
    return allDigits(signed_ ? text.substr(1) : text);
}

}  // namespace

std::string discoveryPortProblem(const std::string& text, std::optional<unsigned short> used) {
    const std::string setting = "ELECRAFT_K4_PORTNUMBER=" + text;
    if (!used)
        return setting + " is not a port or a service name: the driver sends no search and finds no radio (the "
                         "default is 9100)";
    if (*used != 0 && !(allDigits(text) && !isPortNumber(text))) return "";
    return setting + " is not a port: the driver searches on port " + std::to_string(*used) +
           (*used == 0 ? ", which reaches no radio" : "");
}

std::string serialEnableProblem(const std::string& text, bool enabled) {
    if (text.empty() || isInteger(text)) return "";
    return "K4onSerialEnable=" + text + " is not a number: the driver takes it as " +
           (enabled ? "on and offers the serial rig" : "0 and does not offer the serial rig (1 offers it)");
}

std::string logFolderProblem(const std::string& folder, bool exists) {
    if (folder.empty() || exists) return "";
    return "LogFileFolder=" + folder + " names a folder that does not exist: the driver writes no log, since it "
           "never makes the folder (make it: mkdir \"" + folder + "\")";
}

}  // namespace qbhost
