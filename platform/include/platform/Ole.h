// COM and OLE Automation types for the driver's portable code: the system's
// headers on Windows, our own subset (platform/linux) elsewhere.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#else
#define COM_NO_WINDOWS_H
#include "../../linux/OleTypes.h"
#endif
