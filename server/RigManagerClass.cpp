#include "server/RigManagerClass.h"

namespace com {

const ClassRegistration rigManagerRegistration = {
    "RigManager class",
    "Apartment",
    &LIBID_QuillboxK4Lib,
    "1.0",
    "{C721215A-7716-101A-AA54-00608C61D0B1}",
};

}  // namespace com
