// The answers of one poll, held until the poll's last answer ("MD$") so that
// the state takes them together: a logger that reads the state between two
// answers of a poll must never see VFO A of one moment with the mode and
// VFO B of another. One answer per form is held; a later one replaces an
// earlier one.
#pragma once

#include <array>
#include <string>

#include "core/K4State.h"

class PollHold {
public:
    // Holds the answer when it is one of the poll's five forms, true then.
    bool hold(const std::string& answer);
    bool empty() const;
    // FA, FB, FT and MD are all held: the state they make is one the radio had.
    bool isComplete() const;
    // Applies the held answers to the state, in the poll's order, and
    // empties the hold.
    void applyTo(K4State& state);
    // Empties the hold and returns the answers it held, in the poll's order.
    std::string drop();

private:
    std::array<std::string, 5> answers_;  // FA, FB, FT, MD, MD$
};
