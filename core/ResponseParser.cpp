#include "core/ResponseParser.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "core/ModeTable.h"

namespace {

constexpr size_t kFrequencyDigits = 11;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The hertz of a frequency answer ("FA00014074000;"): the 11 characters after
// the command, every one an ASCII digit. A blank, a sign or any other byte
// among them gives none: the answer was garbled on its way.
std::optional<int64_t> hertzOf(const std::string& response) {
    int64_t value = 0;
    for (size_t i = 2; i < 2 + kFrequencyDigits; ++i) {
        if (!isDigit(response[i])) return std::nullopt;
        value = value * 10 + (response[i] - '0');
    }
    return value;
}

ParseResult applyFrequency(double& vfo, const std::string& response) {
    const std::optional<int64_t> hertz = hertzOf(response);
    if (!hertz) return ParseResult::Malformed;
    vfo = static_cast<double>(*hertz) * 0.001;
    return ParseResult::Applied;
}

ParseResult applyVfoA(K4State& state, const std::string& response) { return applyFrequency(state.vfoA, response); }

ParseResult applyVfoB(K4State& state, const std::string& response) { return applyFrequency(state.vfoB, response); }

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
