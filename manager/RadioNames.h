// The names under which the radio chooser lists the discovered radios of one
// discovery run. A real K4 answers the probe with its index in the name
// field, usually "0", so two radios would look alike; the chooser names such
// a radio after its id, and tells apart radios whose names look alike.
//
// Radios join the list in batches (the first count of a run, then the radios
// that answered after it), and a name once given never changes.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "discovery/Discovered.h"

namespace chooser {

// A text as the operator sees it: each byte 0x00-0x1F and 0x7F shows as '?',
// and blanks at either end are gone. Two names are alike when they show the
// same.
std::string shownText(const std::string& text);

class RadioNames {
public:
    // Names the radios that join the list, in their number order, after the
    // radios named so far:
    //  (a) a radio's name shows as its shownText, and a name of digits only
    //      as "K4 <id>";
    //  (b) a joining radio whose name is alike to another radio's, listed or
    //      joining, or to a name already shown, gets " (<id>)" once; names
    //      already shown never change;
    //  (c) a name still alike to one shown before it gets " #2", " #3", ...,
    //      the first number that makes it unlike every other name.
    // Ids show as names do, so every shown name differs from every other.
    std::vector<std::string> join(const std::vector<K4Ip::Discovered>& radios);
    // Forgets every name: the next join starts a new list.
    void clear();

private:
    std::string marked(const std::string& name, const std::unordered_map<std::string, size_t>& reserved);

    std::unordered_map<std::string, size_t> bases_;  // names of (a) of the radios named, and how many have each
    std::unordered_set<std::string> shown_;          // every name given
    std::unordered_map<std::string, unsigned> nextMark_;  // per name of (b), the next " #n" to try
};

}  // namespace chooser
