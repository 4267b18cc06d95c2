#include "core/ResponseParser.h"

#include <cstdint>
#include <cstring>

#include "core/ModeTable.h"

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The integer that follows the two-letter command, read as the C library
// reads a decimal integer (leading white space, an optional sign, then
// digits up to the first non-digit). An answer form has 11 characters before
// its ';', so the value cannot overflow.
int64_t hertzOf(const std::string& response) {
    size_t i = 2;
    while (i < response.size() && isSpace(response[i])) ++i;
    bool negative = false;
    if (i < response.size() && (response[i] == '+' || response[i] == '-')) negative = response[i++] == '-';
    int64_t value = 0;
    for (; i < response.size() && isDigit(response[i]); ++i) value = value * 10 + (response[i] - '0');
    return negative ? -value : value;
}

ParseResult applyVfoA(K4State& state, const std::string& response) {
    state.vfoA = static_cast<double>(hertzOf(response)) * 0.001;
    return ParseResult::Applied;
}

ParseResult applyVfoB(K4State& state, const std::string& response) {
    state.vfoB = static_cast<double>(hertzOf(response)) * 0.001;
    return ParseResult::Applied;
}

ParseResult applySplit(K4State& state, const std::string& response) {
    state.splitChar = response[2];
    return ParseResult::Applied;
}

ParseResult applyMode(K4State& state, const std::string& response) {
    state.modeChar = response[2];
    if (const RadioMode* mode = radioModeFor(response[2])) {
        state.mode = mode->hostMode;
        if (mode->remembers) state.*mode->remembers = response[2];
    }
    return ParseResult::Applied;
}

ParseResult applySubMode(K4State& state, const std::string& response) {
    state.subModeChar = response[3];
    return ParseResult::PollComplete;
}

struct AnswerForm {
    size_t length;
    const char* prefix;
    ParseResult (*apply)(K4State&, const std::string&);
};

// Tried in order; the first form whose length and prefix match is applied.
const AnswerForm kAnswerForms[] = {
    {14, "FA", applyVfoA},
    {14, "FB", applyVfoB},
    {4, "FT", applySplit},
    {4, "MD", applyMode},
    {5, "MD$", applySubMode},
};

bool matches(const AnswerForm& form, const std::string& response) {
    return response.size() == form.length && response.compare(0, std::strlen(form.prefix), form.prefix) == 0;
}

}  // namespace

ParseResult applyResponse(K4State& state, const std::string& response) {
    for (const AnswerForm& form : kAnswerForms)
        if (matches(form, response)) return form.apply(state, response);
    return ParseResult::Ignored;
}
