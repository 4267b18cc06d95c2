// Creates the rig objects the manager hands out, prepared in the order the
// host relies on: a network rig is bound to its radio first (connecting for
// up to one second), then given the process log trail, its instance number
// and its slot; a slot's TCP port value that is not a port number is then
// named in the log ("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1=70000 is not a port:
// the driver uses 4464"). Each returns S_OK with one reference in *rig, or
// E_OUTOFMEMORY with *rig untouched.
#pragma once

#include "com/Interfaces.h"
#include "discovery/Discovered.h"

namespace rig {

HRESULT createSerial(IQbRig** rig);
HRESULT createNetwork(const K4Ip::Discovered& radio, SHORT slot, IQbRig** rig);

}  // namespace rig
