// Defines the GUIDs that the generated interface header declares.
#include "platform/Ole.h"
#ifdef _WIN32
#include <initguid.h>
#else
#define INITGUID
#endif
#include "QboxK4Driver.h"
