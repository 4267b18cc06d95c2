#include "tools/qbhost/Values.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace qbhost {
namespace {

struct NamedMode {
    const char* name;
    short number;
};

// The driver's mode numbers: the reversed variants are the K4's own mode
// characters, 7 and 9, which the driver sends as they are.
const NamedMode kModes[] = {{"LSB", 1}, {"USB", 2}, {"CW", 3},   {"FM", 4},
                            {"AM", 5},  {"DATA", 6}, {"CW-R", 7}, {"DATA-R", 9}};

constexpr short kLowestMode = 1;
constexpr short kHighestMode = 9;
constexpr short kHighestChoice = 32767;
constexpr size_t kLongestInteger = 9;
constexpr double kLongestSeconds = 86400;

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Digits, optionally a dot and more digits.
bool isDecimal(const std::string& text) {
    const size_t dot = text.find('.');
    if (dot == std::string::npos) return allDigits(text);
    return allDigits(text.substr(0, dot)) && allDigits(text.substr(dot + 1));
}

std::optional<long> parseInteger(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    if (!allDigits(digits) || digits.size() > kLongestInteger) return std::nullopt;
    const long value = std::strtol(digits.c_str(), nullptr, 10);
    return negative ? -value : value;
}

bool inKhzRange(double khz) { return khz >= kLowestKhz && khz <= kHighestKhz; }

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string decimalText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string result = text;
    result.erase(result.find_last_not_of('0') + 1);
    if (result.back() == '.') result.pop_back();
    return result;
}

std::optional<double> parseKhz(const std::string& flag, const std::string& text, std::string* error) {
    const std::string given = flag + " " + text + ": ";
    if (text.find(',') != std::string::npos) {
        *error = given + "use a dot for decimals and no thousands separator, e.g. 7010 or 7010.5 (kHz)";
        return std::nullopt;
    }
    if (!isDecimal(text)) {
        *error = given + "not a frequency in kHz, e.g. 7010 or 14074.5";
        return std::nullopt;
    }
    const double khz = std::strtod(text.c_str(), nullptr);
    if (inKhzRange(khz)) return khz;
    if (inKhzRange(khz * 1000))
        *error = given + "looks like MHz: use " + decimalText(khz * 1000) + " (kHz)";
    else if (inKhzRange(khz / 1000))
        *error = given + "looks like Hz: use " + decimalText(khz / 1000) + " (kHz)";
    else
        *error = given + "outside the K4's range, " + decimalText(kLowestKhz) + " to " + decimalText(kHighestKhz) +
                 " kHz";
    return std::nullopt;
}

std::optional<short> parseMode(const std::string& text, std::string* error) {
    for (const NamedMode& mode : kModes)
        if (upper(text) == mode.name) return mode.number;
    const auto number = parseInteger(text);
    if (number && *number >= kLowestMode && *number <= kHighestMode) return static_cast<short>(*number);
    *error = "--mode " + text + ": not a mode; use LSB, USB, CW, FM, AM, DATA, CW-R, DATA-R or a number 1-9";
    return std::nullopt;
}

std::string modeName(short mode) {
    for (const NamedMode& named : kModes)
        if (named.number == mode) return named.name;
    return std::to_string(mode);
}

std::optional<short> parseSlot(const std::string& text, std::string* error) {
    const auto slot = parseInteger(text);
    if (slot && *slot >= 0 && *slot <= kHighestSlot) return static_cast<short>(*slot);
    *error = "--slot " + text + ": slots go from 0 to " + std::to_string(kHighestSlot) +
             " (slot S is the logger's slot S+1)";
    return std::nullopt;
}

std::optional<short> parseChoice(const std::string& text, std::string* error) {
    const auto choice = parseInteger(text);
    if (choice && *choice >= 1 && *choice <= kHighestChoice) return static_cast<short>(*choice);
    *error = choice && *choice == 0 ? "--choice 0 is the address dialog: use qbhost dialog"
                                    : "--choice " + text + ": a radio choice from 1, as qbhost list numbers them";
    return std::nullopt;
}

std::optional<double> parseSeconds(const std::string& text, std::string* error) {
    const double seconds = isDecimal(text) ? std::strtod(text.c_str(), nullptr) : -1;
    if (seconds >= 0 && seconds <= kLongestSeconds) return seconds;
    *error = "--seconds " + text + ": seconds from 0 to " + decimalText(kLongestSeconds) + ", e.g. 2 or 0.5";
    return std::nullopt;
}

}  // namespace qbhost
