// Applies one response of the radio to the rig's state. Only the answers to
// the poll string are understood: FA and FB (frequency in hertz, 11 digits),
// FT (split), MD (mode) and MD$ (sub receiver mode, the last answer of a
// poll). Anything else is ignored, and so is a frequency answer with anything
// but digits in its value.
#pragma once

#include <cstddef>
#include <string>

#include "core/K4State.h"

enum class ParseResult {
    Ignored,       // no known answer form; the state is unchanged
    Applied,       // the state took the answer
    PollComplete,  // the "MD$" answer that ends a poll was applied
    Malformed,     // a frequency answer whose 11 characters are not all digits; the state is unchanged
};

ParseResult applyResponse(K4State& state, const std::string& response);

// The poll answers in the order the radio sends them.
inline constexpr size_t kPollAnswerCount = 5;  // FA, FB, FT, MD, MD$
// The answer's place in that order; kPollAnswerCount when it is none of them.
size_t pollAnswerIndex(const std::string& response);
// The "MD$" answer, the last of a poll.
inline bool isPollEnd(const std::string& response) { return pollAnswerIndex(response) == kPollAnswerCount - 1; }

// A response cut from the received stream at ';': the bytes before the
// answer it ends with, if any, and that answer. Bytes a radio (or a line)
// sent without ';' become the front of the next response ("xxxFA00014074000;"
// after a burst of noise); the answer is the longest end of the response
// that is an answer the rig knows (a poll answer or a Set's "KS"
// confirmation), so that noise never hides it. A response that is a known
// answer itself, or ends in none, is the answer whole, with no stray bytes.
struct ResponseParts {
    std::string stray;
    std::string answer;
};
ResponseParts separateStrayBytes(const std::string& response);
