// Where the radio behind a rig is, for qbhost's lines and messages: for a
// network rig the radio's name, the address the driver's link connects to
// and the TCP port with the setting it comes from; for the serial rig its
// COM port.
#pragma once

#include <string>
#include <vector>

#include "com/Interfaces.h"
#include "discovery/Discovery.h"

namespace qbhost {

struct RadioPlace {
    std::string where;       // "K4-Alpha at 127.0.0.2:9200", "the radio on COM5"
    std::string portSource;  // where the TCP port comes from; empty for the serial rig
};

RadioPlace serialPlace(const std::string& port);

// qbhost's own discovery run, started with the driver's so that it has
// settled when the rig is bound. The driver's link connects to the address
// a radio's discovery answer came from, and the same probe in the same
// process sees the same address.
class RadioFinder {
public:
    RadioFinder();
    ~RadioFinder();
    RadioFinder(const RadioFinder&) = delete;
    RadioFinder& operator=(const RadioFinder&) = delete;

    // The radio a network rig for the slot was bound to: the slot's saved
    // radio, which binding a choice saves.
    RadioPlace networkPlace(IQbRig* rig, short slot);
    // Every radio that answered, with the address its answer came from.
    std::vector<K4Ip::Discovered> radios() { return discovery_.discovered(); }

private:
    K4Ip::Discovery discovery_;
};

}  // namespace qbhost
