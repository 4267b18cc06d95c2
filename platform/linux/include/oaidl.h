// Stand-in for the system's OLE Automation header on Linux. The interface
// header generated from our IDL includes <oaidl.h>; this file gives it the
// few COM and OLE types it names, declared in platform/linux/OleTypes.h.
#pragma once
#include "../OleTypes.h"
