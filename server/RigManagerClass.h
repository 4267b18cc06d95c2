// The registration data of the class RigManager, the driver's one creatable
// class.
#pragma once

#include "server/ClassTable.h"

namespace com {

extern const ClassRegistration rigManagerRegistration;

}  // namespace com
