// Creates the rig objects the manager hands out, prepared in the order the
// host relies on: a network rig is bound to its radio first (connecting for
// up to one second), then given the process log trail, its instance number
// and its slot. Each returns S_OK with one reference in *rig, or
// E_OUTOFMEMORY with *rig untouched.
#pragma once

#include "com/Interfaces.h"
#include "discovery/Discovered.h"

namespace rig {

HRESULT createSerial(IQbRig** rig);
HRESULT createNetwork(const K4Ip::Discovered& radio, SHORT slot, IQbRig** rig);

}  // namespace rig
