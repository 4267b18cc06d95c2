// What the rig tests reach inside a network rig: its link to the radio.
#pragma once

#include "core/RigNetwork.h"
#include "support/RigClientTestAccess.h"

struct RigNetworkTestAccess {
    static K4Ip::RigClientImpl& client(CQbRig& rig) { return K4Ip::RigClientTestAccess::impl(rig.client_); }
};
