// The chooser's numbers within one discovery run. The first method of a run
// numbers the radios discovered so far in id order; every count
// (GetNumChoices) then gives the radios that answered since the next numbers,
// so a number the host holds, from a count, a name or a saved choice, names
// the same radio under the same name for the whole run, whatever answers
// later. A new run (restart) numbers afresh. Names are built only for the
// radios that join, so listing N radios costs one build, not N.
//
// Used on the host's thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "discovery/Discovered.h"
#include "manager/RadioNames.h"

namespace chooser {

class ChoiceList {
public:
    using Source = std::function<std::vector<K4Ip::Discovered>()>;

    explicit ChoiceList(Source source);

    // Forgets every number: a new discovery run has started.
    void restart();
    // Numbers the radios that answered since they were last taken in, and
    // shows every numbered radio; the number of radios shown.
    size_t count();
    // The number of radios shown, 1 to shown() being valid choices.
    size_t shown();
    // The name of radio `choice`, 1 to shown().
    const std::string& name(size_t choice);
    // Radio `choice`, 1 to shown(), as it last answered, under its name.
    K4Ip::Discovered radio(size_t choice);
    // The choice of the shown radio with this id, or 0.
    size_t choiceOf(const std::string& id);
    // The radio with this id as it last answered, under its name, or an
    // empty handle; a radio that answered since the last count is numbered
    // now (it is shown at the next count).
    K4Ip::Discovered radioWithId(const std::string& id);

private:
    struct Entry {
        K4Ip::Discovered radio;
        std::string name;
    };

    // Takes in the radios discovered now: listed ones get their latest
    // record, new ones the next numbers in id order.
    void takeIn();
    void takeInOnce();
    Entry& entry(size_t choice) { return entries_.at(choice - 1); }

    const Source source_;
    RadioNames names_;
    std::vector<Entry> entries_;                      // in number order
    std::unordered_map<std::string, size_t> numbers_;  // id to number
    size_t shown_ = 0;
    bool taken_ = false;  // the run's radios have been taken in once
};

}  // namespace chooser
