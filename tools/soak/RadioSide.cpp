#include "RadioSide.h"

#include <stdexcept>

#include "FaultKinds.h"

namespace soak {
namespace {

const int kBandsKHz[] = {1800, 3500, 7000, 14000, 21000, 28000};
const int kKnobModes[] = {1, 2, 3, 6, 7, 9};  // LSB, USB, CW, DATA, CW-R, DATA-R

int64_t oddHertzIn(std::mt19937& random) {
    const int64_t kHz = kBandsKHz[random() % 6] + static_cast<int64_t>(random() % 300);
    return kHz * 1000 + static_cast<int64_t>(random() % 100) * 10 + 1 + static_cast<int64_t>(random() % 9);
}

}  // namespace

RadioSide::RadioSide(RadioIdentity identity, SimControl& control, CallWatch& calls)
    : identity_(std::move(identity)), control_(control), calls_(calls) {}

// The marks first: every state a mark names is then in the history.
void RadioSide::fetch() {
    const Answers answers = control_.answers(identity_.name, history_.lastMark() + 1);
    history_.add(control_.history(identity_.name, history_.lastSeq() + 1));
    history_.addMarks(answers.marks);
    for (const auto& violation : actions_.judge(history_, answers.rejected)) calls_.violation(name() + ": " + violation);
}

RadioPoint RadioSide::point() {
    fetch();
    return {history_.lastSeq(), history_.lastMark(), observeLink(Clock::now()).opened};
}

long RadioSide::unread() { return control_.unread(identity_.name); }

LinkCounts RadioSide::observeLink(TimePoint now) {
    const LinkCounts counts = control_.connections(identity_.name);
    link_.observed(now, counts.open);
    return counts;
}

bool RadioSide::linkMayBeDown() {
    const TimePoint now = Clock::now();
    observeLink(now);
    return link_.mayBeDown(now);
}

Reading RadioSide::turnKnobFresh(std::mt19937& random) {
    fetch();
    KnobTurn turn;
    do turn.vfoA = oddHertzIn(random);
    while (history_.everHad(turn.vfoA));
    if (random() % 10 < 3) turn.mode = kKnobModes[random() % 6];
    if (random() % 10 < 2) {
        turn.split = history_.current().split ? 0 : 1;
        turn.vfoB = turn.vfoA + 1000 + static_cast<int64_t>(random() % 4000);
    }
    const uint64_t seq = control_.knob(identity_.name, turn);
    fetch();
    const auto state = history_.at(seq);
    if (!state) throw std::runtime_error("k4sim's history lacks the knob's state " + std::to_string(seq));
    return readingOf(*state);
}

std::string RadioSide::request(const char* pattern) { return control_.ask(requestFor(pattern, identity_.name)); }

}  // namespace soak
