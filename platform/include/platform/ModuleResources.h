// Resources of the driver's own module. On Windows they come from the DLL's
// resource section; the Linux build, which has no resource section, carries
// the same strings in a table of its own.
#pragma once

#include "platform/Ole.h"

namespace platform {

// The handle of the module that holds the driver's resources (null where
// there are none).
void* moduleHandle();

// A new BSTR with the string resource, or null when there is none.
BSTR loadStringResource(UINT id);

}  // namespace platform
