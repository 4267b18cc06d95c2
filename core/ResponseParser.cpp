#include "core/ResponseParser.h"

#include <algorithm>
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
// Also the order of the poll's answers.
const AnswerForm kAnswerForms[kPollAnswerCount] = {
    {14, "FA", applyVfoA},
    {14, "FB", applyVfoB},
    {4, "FT", applySplit},
    {4, "MD", applyMode},
    {5, "MD$", applySubMode},
};

bool matches(const AnswerForm& form, const std::string& response) {
    return response.size() == form.length && response.compare(0, std::strlen(form.prefix), form.prefix) == 0;
}

// "KS" at `start`, then digits and the final ';': the radio's confirmation
// of a Set ("KS020;").
bool isConfirmationAt(const std::string& text, size_t start) {
    if (text.compare(start, 2, "KS") != 0 || text.back() != ';') return false;
    for (size_t i = start + 2; i + 1 < text.size(); ++i)
        if (!isDigit(text[i])) return false;
    return true;
}

bool isAnswerWhole(const std::string& response) {
    for (const AnswerForm& form : kAnswerForms)
        if (matches(form, response)) return true;
    return response.size() >= 3 && response.compare(0, 2, "KS") == 0;
}

// Where the longest end of the response that is a known answer begins; npos
// when it ends in none.
size_t knownAnswerStart(const std::string& response) {
    size_t start = std::string::npos;
    for (const AnswerForm& form : kAnswerForms) {
        if (response.size() < form.length) continue;
        const size_t at = response.size() - form.length;
        if (response.compare(at, std::strlen(form.prefix), form.prefix) == 0) start = std::min(start, at);
    }
    const size_t confirmation = response.rfind("KS");
    if (confirmation != std::string::npos && isConfirmationAt(response, confirmation))
        start = std::min(start, confirmation);
    return start;
}

}  // namespace

ResponseParts separateStrayBytes(const std::string& response) {
    const size_t start = isAnswerWhole(response) ? 0 : knownAnswerStart(response);
    if (start == 0 || start == std::string::npos) return {"", response};
    return {response.substr(0, start), response.substr(start)};
}

size_t pollAnswerIndex(const std::string& response) {
    for (size_t i = 0; i < kPollAnswerCount; ++i)
        if (matches(kAnswerForms[i], response)) return i;
    return kPollAnswerCount;
}

ParseResult applyResponse(K4State& state, const std::string& response) {
    for (const AnswerForm& form : kAnswerForms)
        if (matches(form, response)) return form.apply(state, response);
    return ParseResult::Ignored;
}
