// Defines the GUIDs that the generated interface header declares.
#include "platform/Ole.h"
#include "platform/InitGuid.h"
#include "QboxK4Driver.h"
