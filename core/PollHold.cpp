#include "core/PollHold.h"

#include "core/ResponseParser.h"

namespace {

constexpr size_t kMode = 3;  // FA, FB, FT and MD come before MD$

}  // namespace

bool PollHold::hold(const std::string& answer) {
    const size_t index = pollAnswerIndex(answer);
    if (index == kPollAnswerCount) return false;
    answers_[index] = answer;
    return true;
}

bool PollHold::empty() const {
    for (const std::string& answer : answers_)
        if (!answer.empty()) return false;
    return true;
}

bool PollHold::isComplete() const {
    for (size_t i = 0; i <= kMode; ++i)
        if (answers_[i].empty()) return false;
    return true;
}

void PollHold::applyTo(K4State& state) {
    for (std::string& answer : answers_) {
        if (!answer.empty()) applyResponse(state, answer);
        answer.clear();
    }
}

std::string PollHold::drop() {
    std::string dropped;
    for (std::string& answer : answers_) {
        dropped += answer;
        answer.clear();
    }
    return dropped;
}
