// The values qbhost takes on its command line, each checked before anything
// reaches the driver: frequencies in kHz within the K4's range, mode names or
// numbers, slots the driver's per-slot keys can name, radio choices and
// durations. A parse function returns nothing and fills *error on a bad value.
#pragma once

#include <optional>
#include <string>

namespace qbhost {

// The frequencies qbhost sends, in kHz: the K4's coverage from 100 kHz to
// 54 MHz.
inline constexpr double kLowestKhz = 100;
inline constexpr double kHighestKhz = 54000;

// The highest slot: the TCP port key is ELECRAFT_K4_TCP_PORTNUMBER_SLOT and
// one character, '1' plus the slot, so slot 12 would need the key to end in
// '=', which an INI line cannot hold. Slots 9 to 11 end it in ':', ';', '<'.
inline constexpr short kHighestSlot = 11;

// "7010", "14074.5": digits with at most one dot, in the K4's range; a value
// that fits only as MHz or Hz suggests the kHz figure.
std::optional<double> parseKhz(const std::string& flag, const std::string& text, std::string* error);

// A mode name (LSB, USB, CW, FM, AM, DATA, CW-R, DATA-R, any case) or a number
// from 1 to 9, as the driver's mode number.
std::optional<short> parseMode(const std::string& text, std::string* error);

// The name of a mode number (e.g. "CW-R" for 7), or the number itself.
std::string modeName(short mode);

std::optional<short> parseSlot(const std::string& text, std::string* error);

// A radio choice from 1 (0 is the address dialog, reached by qbhost dialog).
std::optional<short> parseChoice(const std::string& text, std::string* error);

// Seconds, from 0 to a day.
std::optional<double> parseSeconds(const std::string& text, std::string* error);

// The decimal text of a value, with at most three decimals and no trailing
// zeros ("14074", "7012.5").
std::string decimalText(double value);

}  // namespace qbhost
