// State shared by every rig manager and rig object of the process: the one
// log trail and the counter that numbers rig objects.
#pragma once

#include <memory>

class LogTrail;

namespace process {

// The process log trail, created and opened by the first call (the first rig
// manager); later calls return the same trail.
std::shared_ptr<LogTrail> logTrail();

// Drops the process's reference to the log trail; called when the module
// unloads. Rig objects that still hold it keep it alive.
void releaseLogTrail();

// The next rig instance number: 1 for the first rig object of the process.
int nextRigInstanceNumber();

}  // namespace process
